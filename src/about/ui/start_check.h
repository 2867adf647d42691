#pragma once
// At start, before the main window opens, ask for the latest version and offer
// the download when it is newer than this program.

#include <string>

class QWidget;

namespace rowbit {
class Preferences;
class Prompts;
} // namespace rowbit

namespace rowbit::ui {

// False when the user chose the download page: the program then ends at once. Every failure
// to learn the latest version is silent and gives true; with no version address (built in or
// in the preferences) nothing is asked at all. `own` is this program's version.
bool versionCheck(QWidget* parent, Prompts& prompts, const Preferences& prefs,
                  const std::string& own);

} // namespace rowbit::ui
