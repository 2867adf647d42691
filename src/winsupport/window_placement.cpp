#include "winsupport/window_placement.h"

// Plain 8-bit keys and values: the file is UTF-8 and nothing needs a wide form.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace rowbit::winsupport {

void failCheck(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

namespace {

std::string numberOrEmpty(std::int32_t value) {
    return value == kNoValue ? std::string() : std::to_string(value);
}

// An absent entry reads as the marker; a present one as its integer, where an empty or
// unreadable text reads as 0 (as an INI integer read does).
std::int32_t readInt(const IniStore& ini, std::string_view section, std::string_view key) {
    auto text = ini.read(section, key);
    if (!text) {
        return kNoValue;
    }
    std::string_view s = *text;
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    std::int32_t v = 0;
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc()) {
        return 0;
    }
    return v;
}

} // namespace

StoredPlacement capturePlacement(const WindowState& window) {
    StoredPlacement p;
    p.maximize = window.maximized;
    p.minimize = window.minimized;
    if (!window.maximized && !window.minimized) {
        p.x = window.frame.x;
        p.y = window.frame.y;
        if (window.resizable) {
            p.width = window.frame.width;
            p.height = window.frame.height;
        }
    }
    return p;
}

void writePlacement(IniStore& ini, std::string_view section, const StoredPlacement& placement) {
    ini.write(section, "Maximize", placement.maximize ? "Yes" : "No");
    ini.write(section, "Minimize", placement.minimize ? "Yes" : "No");
    ini.write(section, "XPos", numberOrEmpty(placement.x));
    ini.write(section, "YPos", numberOrEmpty(placement.y));
    ini.write(section, "Width", numberOrEmpty(placement.width));
    ini.write(section, "Height", numberOrEmpty(placement.height));
}

void saveWindow(IniStore& ini, std::string_view section, const WindowState& window) {
    writePlacement(ini, section, capturePlacement(window));
}

std::optional<StoredPlacement> readPlacement(const IniStore& ini, std::string_view section) {
    auto maximize = ini.read(section, "Maximize");
    if (!maximize || (*maximize != "Yes" && *maximize != "No")) {
        return std::nullopt;
    }
    StoredPlacement p;
    p.maximize = *maximize == "Yes";
    p.minimize = ini.read(section, "Minimize").value_or("") == "Yes";
    p.x = readInt(ini, section, "XPos");
    p.y = readInt(ini, section, "YPos");
    p.width = readInt(ini, section, "Width");
    p.height = readInt(ini, section, "Height");
    return p;
}

Rect keepOnScreen(Rect frame, const std::vector<Rect>& screens) {
    if (screens.empty()) {
        return frame;
    }
    // Enough of the top edge to take hold of the window with the mouse.
    constexpr std::int32_t kGrip = 40;
    for (const Rect& s : screens) {
        const std::int64_t left = std::max<std::int64_t>(frame.x, s.x);
        const std::int64_t right =
            std::min<std::int64_t>(static_cast<std::int64_t>(frame.x) + frame.width, s.right());
        const bool topVisible = frame.y >= s.y && frame.y < s.bottom();
        if (topVisible && right - left >= std::min<std::int64_t>(kGrip, frame.width)) {
            return frame;
        }
    }
    const Rect& s = screens.front();
    frame.width = std::min(frame.width, s.width);
    frame.height = std::min(frame.height, s.height);
    frame.x = std::clamp(frame.x, s.x, s.right() - frame.width);
    frame.y = std::clamp(frame.y, s.y, s.bottom() - frame.height);
    return frame;
}

RestorePlan planRestore(const StoredPlacement& stored, const WindowState& current,
                        const std::vector<Rect>& screens) {
    RestorePlan plan;
    plan.unmaximize = !stored.maximize && current.maximized;
    plan.frame = current.frame;
    // An absent position keeps the designed one.
    if (stored.x != kNoValue) {
        plan.frame.x = stored.x;
    }
    if (stored.y != kNoValue) {
        plan.frame.y = stored.y;
    }
    // A window of no size cannot be seen or grabbed: an empty (0) or negative size keeps the
    // designed one, as does a window the user cannot resize.
    if (current.resizable) {
        if (stored.width != kNoValue && stored.width > 0) {
            plan.frame.width = stored.width;
        }
        if (stored.height != kNoValue && stored.height > 0) {
            plan.frame.height = stored.height;
        }
    }
    plan.frame = keepOnScreen(plan.frame, screens);
    plan.maximize = stored.maximize && !current.maximized;
    plan.clearMinimized = true;
    return plan;
}

std::optional<RestorePlan> planRestore(const IniStore& ini, std::string_view section,
                                       const WindowState& current,
                                       const std::vector<Rect>& screens) {
    auto stored = readPlacement(ini, section);
    if (!stored) {
        return std::nullopt;
    }
    return planRestore(*stored, current, screens);
}

} // namespace rowbit::winsupport
