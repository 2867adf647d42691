#include "winsupport/ui/qt_window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace rowbit::ui {

winsupport::WindowState windowState(const QWidget& window) {
    winsupport::WindowState state;
    const QRect client = window.geometry();
    state.frame = winsupport::Rect{client.x(), client.y(), client.width(), client.height()};
    state.maximized = window.isMaximized();
    state.minimized = window.isMinimized();
    state.resizable = window.minimumSize() != window.maximumSize();
    return state;
}

std::vector<winsupport::ScreenArea> screenAreas(const QWidget& window, bool titleRoom) {
    // The frame's share around the client area, where the window system has said (often only
    // once the window is on the screen).
    QMargins frame;
    if (const QWindow* handle = window.windowHandle())
        frame = handle->frameMargins();
    // Not known yet (a window manager tells only once the window is on the screen): room for a
    // title bar at least, so that a window moved to the top can still be taken hold of.
    if (titleRoom && frame.isNull() && !(window.windowFlags() & Qt::FramelessWindowHint))
        frame.setTop(window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window));

    std::vector<winsupport::ScreenArea> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect usable = screen->availableGeometry().marginsRemoved(frame);
        const double scale = screen->devicePixelRatio();
        auto pixels = [scale](int units) {
            return static_cast<std::int32_t>(std::lround(units * scale));
        };
        areas.push_back({winsupport::Rect{pixels(usable.x()), pixels(usable.y()),
                                          pixels(usable.width()), pixels(usable.height())},
                         scale});
    }
    return areas;
}

void saveWindowPlacement(const QWidget& window, winsupport::IniStore& ini,
                         std::string_view section) {
    winsupport::saveWindow(ini, section, windowState(window));
}

void restoreWindowPlacement(QWidget& window, const winsupport::IniStore& ini,
                            std::string_view section) {
    const winsupport::WindowState current = windowState(window);
    std::vector<winsupport::ScreenArea> screens = screenAreas(window, false);
    auto plan = winsupport::planRestore(ini, section, current, screens);
    if (!plan)
        return;
    // A placement that had to be moved onto a screen is moved clear of the title bar as well; one
    // that lies on a screen as saved stays exactly where it was.
    if (const auto stored = winsupport::readPlacement(ini, section);
        stored && (plan->frame.x != stored->x || plan->frame.y != stored->y)) {
        screens = screenAreas(window, true);
        plan = winsupport::planRestore(*stored, current, screens);
    }
    // A size below the window's least one grows to it first, and is fitted again at that size.
    const QSize least = window.minimumSize();
    if (current.resizable &&
        (plan->frame.width < least.width() || plan->frame.height < least.height())) {
        plan->frame.width = std::max(plan->frame.width, least.width());
        plan->frame.height = std::max(plan->frame.height, least.height());
        plan->frame = winsupport::keepOnScreen(plan->frame, screens);
    }
    Qt::WindowStates states = window.windowState();
    if (plan->unmaximize)
        states &= ~Qt::WindowMaximized;
    if (plan->clearMinimized)
        states &= ~Qt::WindowMinimized;
    window.setWindowState(states);
    const QRect client(plan->frame.x, plan->frame.y, plan->frame.width, plan->frame.height);
    // A screen smaller than the window's least size wins over that size.
    if (current.resizable)
        window.setMinimumSize(window.minimumSize().boundedTo(client.size()));
    // The client area, placed as it was saved: the same whether or not the window exists on
    // the screen yet.
    window.setGeometry(current.resizable ? client : QRect(client.topLeft(), window.size()));
    if (plan->maximize)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

} // namespace rowbit::ui
