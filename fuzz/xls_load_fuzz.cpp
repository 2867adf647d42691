// Loading arbitrary bytes as a binary workbook (see exerciseXls): refused or read, never a
// crash, a hang or an unbounded allocation; whatever loads can be edited and written again.
#include "fuzz_bodies.h"

#include <cstdint>
#include <cstdio>
#include <string>

// libgsf leaks small allocations (its own and through glib, about 100 bytes) on some damaged
// compound files; that is the library's, bounded per load, and not what this target looks for.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\nleak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = rowbit::fuzz::exerciseXls(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        __builtin_trap();
    }
    return 0;
}
