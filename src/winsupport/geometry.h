#pragma once
// Rectangles of windows and controls, and the check that stops the program when window code
// misuses a support class (a programming error, never a user's input).

#include <cstdint>

namespace rowbit::winsupport {

// x, y, width, height in the window's own units (the placement uses the window's position
// units, the resize manager the units its controls were designed in).
struct Rect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    std::int32_t right() const { return x + width; }   // one past the last column
    std::int32_t bottom() const { return y + height; } // one past the last row
    bool contains(std::int32_t px, std::int32_t py) const {
        return px >= x && px <= x + width - 1 && py >= y && py <= y + height - 1;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Aborts with the source file and line when `condition` is false, in every build type.
[[noreturn]] void failCheck(const char* condition, const char* file, int line);

} // namespace rowbit::winsupport

#define ROWBIT_CHECK(cond)                                                                         \
    ((cond) ? static_cast<void>(0) : ::rowbit::winsupport::failCheck(#cond, __FILE__, __LINE__))
