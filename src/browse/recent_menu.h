#pragma once
// The recent files as the pop-up menu offers them.

#include "document/browse_state.h"

#include <array>
#include <string>

namespace rowbit {

// The menu's items ("a|b|"), one a recent file up to the first blank entry. A "|" in a path
// would split its item in two and shift every item after it onto the wrong file; it is shown
// as a broken bar instead.
std::string recentFilesMenu(const std::array<std::string, kRecentFiles>& recent);

} // namespace rowbit
