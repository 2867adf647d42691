#pragma once
// A window's placement kept between runs in one INI section (the browse window uses the
// section "Window" of the preferences file). saveWindow / restoreWindow are the two
// procedures; the window itself is reached through WindowState, so a Qt adapter (or a test)
// reads the window into a WindowState, and applies the RestorePlan it gets back.
//
// Entries, all written on every save:
//   Maximize  "Yes" / "No"
//   Minimize  "Yes" / "No"   (written, never acted upon)
//   XPos, YPos, Width, Height   decimal integers, or an empty value

#include "app/ini_file.h"
#include "winsupport/geometry.h"

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit::winsupport {

// Stands for "no value" in memory; written as an empty entry.
inline constexpr std::int32_t kNoValue = std::numeric_limits<std::int32_t>::min();

// The INI access placement goes through; it lives with the shared records.
using IniStore = rowbit::IniStore;
using MemoryIni = rowbit::MemoryIni;

// What the caller reads off its window before saving, and off its window before restoring.
struct WindowState {
    Rect frame;             // the window's position and size properties
    bool maximized = false; // shown maximized
    bool minimized = false; // iconized
    bool resizable = true;  // the user can change its size (only then is a size stored/applied)
};

// The values of one section, with kNoValue where no number is stored.
struct StoredPlacement {
    bool maximize = false;
    bool minimize = false;
    std::int32_t x = kNoValue;
    std::int32_t y = kNoValue;
    std::int32_t width = kNoValue;
    std::int32_t height = kNoValue;
};

// What is stored for this window state (positions only for a normal window,
// sizes only when it is resizable as well).
StoredPlacement capturePlacement(const WindowState& window);
void writePlacement(IniStore& ini, std::string_view section, const StoredPlacement& placement);
void saveWindow(IniStore& ini, std::string_view section, const WindowState& window);

// The section as stored; nullopt when "Maximize" is neither exactly "Yes" nor exactly "No"
// (absent, empty, "yes", ...), which means: leave the window as designed. Absent numbers read
// as kNoValue, present but empty ones (or unreadable ones) as 0.
std::optional<StoredPlacement> readPlacement(const IniStore& ini, std::string_view section);

// What restoring does to the window, in this order: un-maximize when asked; set the frame;
// maximize when asked; clear the minimized state.
struct RestorePlan {
    bool unmaximize = false; // the window is maximized now and is to be shown normal
    Rect frame;              // the frame to set (the designed frame where nothing usable is stored)
    bool maximize = false;   // maximize after setting the frame
    bool clearMinimized = true;
};

// One screen's usable area (the work area: without panels and docks) in device pixels, and how
// many device pixels a unit of the window's geometry takes there.
struct ScreenArea {
    Rect available;
    double scale = 1.0;
};

// Where the window opens, from what is stored. `current` is the window as it opened (its designed
// frame). `screens`, when given, are where the window may lie: the stored frame is fitted onto the
// screen it overlaps most (the first when none) with fitToScreen, so a window saved on a screen
// that is gone, or at another scale, never opens out of reach. A stored width or height of zero
// or less (an empty entry) keeps the designed size; a stored position that is absent keeps the
// designed position.
std::optional<RestorePlan> planRestore(const IniStore& ini, std::string_view section,
                                       const WindowState& current,
                                       const std::vector<ScreenArea>& screens = {});
RestorePlan planRestore(const StoredPlacement& stored, const WindowState& current,
                        const std::vector<ScreenArea>& screens = {});

// `saved` (in the window's units) moved, and shrunk where it is larger, so that it lies wholly
// within `available` (device pixels) at `scale` device pixels a unit. Pixels a unit does not
// fill whole at the area's edges are left out, so the window never pokes past them. A frame
// that lies within already comes back exactly as it went in.
Rect fitToScreen(Rect saved, Rect available, double scale);

// The frame fitted onto the screen of `screens` it overlaps most (the first when it overlaps
// none); unchanged when `screens` is empty.
Rect keepOnScreen(Rect frame, const std::vector<ScreenArea>& screens);

} // namespace rowbit::winsupport
