#include "winsupport/ui/qt_window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace rowbit::ui {

winsupport::WindowState windowState(const QWidget& window) {
    winsupport::WindowState state;
    state.frame = winsupport::Rect{window.x(), window.y(), window.width(), window.height()};
    state.maximized = window.isMaximized();
    state.minimized = window.isMinimized();
    state.resizable = window.minimumSize() != window.maximumSize();
    return state;
}

void saveWindowPlacement(const QWidget& window, winsupport::IniStore& ini,
                         std::string_view section) {
    winsupport::saveWindow(ini, section, windowState(window));
}

void restoreWindowPlacement(QWidget& window, const winsupport::IniStore& ini,
                            std::string_view section) {
    std::vector<winsupport::Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->availableGeometry();
        screens.push_back(winsupport::Rect{r.x(), r.y(), r.width(), r.height()});
    }
    auto plan = winsupport::planRestore(ini, section, windowState(window), screens);
    if (!plan)
        return;
    Qt::WindowStates states = window.windowState();
    if (plan->unmaximize)
        states &= ~Qt::WindowMaximized;
    if (plan->clearMinimized)
        states &= ~Qt::WindowMinimized;
    window.setWindowState(states);
    window.move(plan->frame.x, plan->frame.y);
    if (windowState(window).resizable)
        window.resize(plan->frame.width, plan->frame.height);
    if (plan->maximize)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

} // namespace rowbit::ui
