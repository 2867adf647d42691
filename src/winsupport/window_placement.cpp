#include "winsupport/window_placement.h"

// Plain 8-bit keys and values: the file is UTF-8 and nothing needs a wide form.

#include <algorithm>
#include <charconv>
#include <cmath>
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

Rect fitToScreen(Rect saved, Rect available, double scale) {
    if (!(scale > 0.0)) {
        scale = 1.0;
    }
    // The area in the window's units, rounded inwards.
    const auto left = static_cast<std::int32_t>(std::ceil(available.x / scale));
    const auto top = static_cast<std::int32_t>(std::ceil(available.y / scale));
    const auto right = static_cast<std::int32_t>(
        std::floor((static_cast<double>(available.x) + available.width) / scale));
    const auto bottom = static_cast<std::int32_t>(
        std::floor((static_cast<double>(available.y) + available.height) / scale));
    const std::int32_t roomX = std::max(0, right - left);
    const std::int32_t roomY = std::max(0, bottom - top);
    Rect fitted = saved;
    fitted.width = std::clamp(saved.width, 0, roomX);
    fitted.height = std::clamp(saved.height, 0, roomY);
    fitted.x = std::clamp(saved.x, left, right - fitted.width);
    fitted.y = std::clamp(saved.y, top, bottom - fitted.height);
    return fitted;
}

Rect keepOnScreen(Rect frame, const std::vector<ScreenArea>& screens) {
    if (screens.empty()) {
        return frame;
    }
    const ScreenArea* best = &screens.front();
    std::int64_t bestOverlap = 0;
    for (const ScreenArea& s : screens) {
        const double scale = s.scale > 0.0 ? s.scale : 1.0;
        const double left = std::max<double>(frame.x, s.available.x / scale);
        const double right = std::min<double>(static_cast<double>(frame.x) + frame.width,
                                              (s.available.x + s.available.width) / scale);
        const double top = std::max<double>(frame.y, s.available.y / scale);
        const double bottom = std::min<double>(static_cast<double>(frame.y) + frame.height,
                                               (s.available.y + s.available.height) / scale);
        const auto overlap =
            static_cast<std::int64_t>(std::max(0.0, right - left) * std::max(0.0, bottom - top));
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &s;
        }
    }
    return fitToScreen(frame, best->available, best->scale);
}

RestorePlan planRestore(const StoredPlacement& stored, const WindowState& current,
                        const std::vector<ScreenArea>& screens) {
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
                                       const std::vector<ScreenArea>& screens) {
    auto stored = readPlacement(ini, section);
    if (!stored) {
        return std::nullopt;
    }
    return planRestore(*stored, current, screens);
}

} // namespace rowbit::winsupport
