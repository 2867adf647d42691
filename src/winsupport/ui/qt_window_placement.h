#pragma once
// Window placement between runs on a Qt window: what the window is (position, size, state)
// read into the core's WindowState, and the core's restore plan applied to it.

#include "winsupport/window_placement.h"

#include <string_view>

class QWidget;

namespace rowbit::ui {

winsupport::WindowState windowState(const QWidget& window);
// INISaveWindow.
void saveWindowPlacement(const QWidget& window, winsupport::IniStore& ini,
                         std::string_view section);
// INIRestoreWindow; the window's size properties are its client size, its position that of
// its frame. A window not yet shown is given the plan all the same (maximized when shown).
void restoreWindowPlacement(QWidget& window, const winsupport::IniStore& ini,
                            std::string_view section);

} // namespace rowbit::ui
