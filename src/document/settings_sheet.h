#pragma once
// The settings sheet "SetupQ": the column setup and the lookup lists carried inside the
// workbook as its last sheet, readable and editable in a spreadsheet program.

#include "app/records.h"
#include "workbook/book.h"

#include <string>
#include <string_view>
#include <vector>

namespace rowbit {

inline constexpr const char* kSettingsSheetName = "SetupQ";
inline constexpr int kLookupFirstRow = 30; // zero-based: sheet row 31

// True when a sheet of this name is the settings sheet ("SETUPQ" in any case).
bool isSettingsSheetName(std::string_view name);
// The workbook's settings sheet: its last sheet when so named; nullptr otherwise.
Sheet* settingsSheet(Book& book);
const Sheet* settingsSheet(const Book& book);

// Reads the setup into `g1`, which the caller has cleared.
void readSettings(const Sheet& settings, ColumnSetup& g1);

// Writes `g1` into the settings sheet, creating or adopting it first. Only the workbook in
// memory changes; the caller saves it. Returns the settings sheet.
Sheet* writeSettings(Book& book, const ColumnSetup& g1);

// The lookup list of sheet column `cno` (A = 1): entries from row 31 down to the first empty
// cell, each cut to 30 bytes.
std::vector<std::string> lookupList(const Sheet& settings, int cno);

} // namespace rowbit
