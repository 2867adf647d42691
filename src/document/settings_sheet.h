#pragma once
// The settings sheet "SetupQ": the column setup and the lookup lists carried inside the
// workbook as its last sheet, readable and editable in a spreadsheet program.

#include "app/records.h"
#include "workbook/book.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit {

inline constexpr const char* kSettingsSheetName = "SetupQ";
inline constexpr int kLookupFirstRow = 30; // zero-based: sheet row 31

// True when a sheet of this name is the settings sheet ("SETUPQ" in any case).
bool isSettingsSheetName(std::string_view name);
// The workbook's settings sheet: the sheet named "SetupQ" other than the data sheet (the last
// one so named when there are several); nullptr otherwise. A workbook of one sheet has none,
// whatever the sheet's name: that sheet holds the data.
Sheet* settingsSheet(Book& book);
const Sheet* settingsSheet(const Book& book);

// Where the writer puts the settings: into the sheet named "SetupQ" that is not the data
// sheet, wherever it stands; else into a new last sheet of that name. When the data sheet
// itself bears the name, no sheet of it can be added (names are unique in a workbook).
struct SettingsTarget {
    enum class Kind { Existing, New, NameTaken };
    Kind kind = Kind::New;
    int index = -1; // the existing sheet's index
};
SettingsTarget settingsTarget(const Book& book);

// The letters that stand for a field type ("S", "N", "D") and a justification ("L", "R",
// "C") in the settings sheet and in rowbit-cli's setup.
std::string_view typeLetter(FieldType type);
std::optional<FieldType> fieldTypeOfLetter(std::string_view letter);
std::string_view justifyLetter(Justification justify);
// The letter a column's type is written as: the unknown letter it was read with, if any.
std::string typeLetterOf(const ColumnSetup& columns, int k);

// Reads the setup into `columns`, which the caller has cleared.
void readSettings(const Sheet& settings, ColumnSetup& columns);

// A column as the settings sheet holds it: the character whose code is 64 + `column` ("A" for
// 1). Shown columns are one of A to Z; the memo cell is read as any character from "A" to "~"
// (its code minus 64), so a memo column past Z keeps its character when written back.
std::string settingsColumnCode(int column);

// Writes `columns` into the settings sheet (settingsTarget), adding it when there is none. In a
// sheet that exists, only cells whose reading would differ from `columns` are written, and only
// entries that were read and are no longer used are emptied: what the reader cannot take
// (an entry after an unusable letter, an unusable memo letter) stays as the user left it.
// Labels and the memo box defaults go into a new sheet. Only the workbook in memory changes;
// the caller saves it. Returns the settings sheet; nullptr when it cannot be had (NameTaken).
Sheet* writeSettings(Book& book, const ColumnSetup& columns);

// The lookup list of sheet column `sheetColumn` (A = 1): entries from row 31 down to the first
// empty cell, each cut to 30 bytes.
std::vector<std::string> lookupList(const Sheet& settings, int sheetColumn);

} // namespace rowbit
