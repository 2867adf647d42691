// Loading XML workbooks from hostile bytes (see exerciseXlsx): refused or read, never a
// crash, a hang, an unbounded allocation, a difference between reading a sheet in one piece
// and in pieces, or a saved workbook that does not load again.
#include "fuzz_bodies.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = rowbit::fuzz::exerciseXlsx(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        __builtin_trap();
    }
    return 0;
}
