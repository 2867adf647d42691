#pragma once
// Window placement between runs on a Qt window: what the window is (position, size, state)
// read into the core's WindowState, and the core's restore plan applied to it.
//
// Position and size are those of the window's client area (QWidget::geometry()). The frame
// around it is the window manager's, and its size is known only once the window is on the
// screen: a position that counted the frame would be read one title bar off whenever the
// window existed before it was placed (a dialog opened with it as parent), and the window
// would creep up by a title bar on every start.

#include "winsupport/window_placement.h"

#include <string_view>
#include <vector>

class QWidget;

namespace rowbit::ui {

winsupport::WindowState windowState(const QWidget& window);
// The usable area of every screen, in device pixels with its scale; the frame margins of
// `window` are kept free around it; while they are not known, `titleRoom` keeps a title bar's
// height free above it.
std::vector<winsupport::ScreenArea> screenAreas(const QWidget& window, bool titleRoom);
// Stores the window's placement in `section`.
void saveWindowPlacement(const QWidget& window, winsupport::IniStore& ini,
                         std::string_view section);
// Opens the window where it was stored in `section`. The stored placement is fitted onto a screen
// (moved, and shrunk below the window's minimum size if the screen is smaller than that). A window
// not yet shown is given the plan all the same (maximized when shown).
void restoreWindowPlacement(QWidget& window, const winsupport::IniStore& ini,
                            std::string_view section);

} // namespace rowbit::ui
