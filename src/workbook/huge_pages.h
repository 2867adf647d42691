#pragma once
// Big buffers filled once from end to end (a sheet's texts, a workbook stream) are set up by
// the system a page at a time as they are first written: tens of thousands of faults for a
// few hundred megabytes. Asking for huge pages on such a buffer makes that a few hundred.

#include <cstddef>
#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace rowbit {

// Asks for huge pages on the whole 2 MB pages inside [data, data + size); a hint only, which
// a system without them ignores.
inline void adviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size) {
#ifdef __linux__
    constexpr std::uintptr_t hugePage = 2u << 20;
    const auto from = (reinterpret_cast<std::uintptr_t>(data) + hugePage - 1) & ~(hugePage - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(hugePage - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

} // namespace rowbit
