#pragma once
// The row list: filling Q1 from the data sheet (FillQue), the list's column format
// (FormatWindow), the search result lines (FillQue2) and the record behind the selected line
// (GetRecord).

#include "app/app_state.h"
#include "app/prompts.h"
#include "document/browse_state.h"
#include "workbook/book.h"

#include <cstddef>
#include <string>

namespace rowbit {

inline constexpr const char* kOverflowMessage = "Below Cells are too big to fetch ||";

// The display text of a cell: dates in `datePicture`, numbers grouped with their own decimals and
// blank for 0, texts as they are, anything else empty. `date1904` reads serials of a workbook
// counting from 1904.
std::string cellText(const Sheet& sheet, int row, int col, const std::string& datePicture,
                     bool date1904 = false);
// The display text of a number as the record keeps it (1,234.5; "" for 0), however long.
std::string numberText(double value);
// What the list shows of field `k` (0-based) of a record: a number column's text wider than
// the list's 18-character number picture shows as that many "#", as the picture would.
inline constexpr std::size_t kListNumberWidth = 18;
std::string listFieldText(const ColumnSetup& columns, int k, std::string_view text);

// How fillRecordList shares out its work. A small sheet is filled on the calling thread alone: for
// it, starting threads costs more than it saves.
struct FillOptions {
    int parallelFrom = 20000; // sheets with fewer rows to read start no thread
    int threads = 0;          // 0: one per core, at most 4
};

// FillQue: empties Q1 and fills it from the data sheet of BOOK from STARTLINE down; rows
// empty in every shown column are skipped. Remembers what it produced per record (browse.filled)
// and tells the user of overlong text cells. Closes nothing of the search state: the caller
// does that first when results are shown. Large sheets are read by several threads at once;
// the result is the same as reading them row by row, and progress is reported on the calling
// thread only.
void fillRecordList(AppState& state, BrowseState& browse, Prompts& prompts,
                    const FillOptions& options = {});

// FormatWindow: the list format string of the row list.
std::string formatWindow(const AppState& state, const BrowseState& browse);

// FillQue2: appends a result line for the record at `pos` (1-based) of Q1.
void addResultLine(const AppState& state, BrowseState& browse, std::size_t pos);
// Rewrites result line `line` (1-based) from its record (after a change).
void refreshResultLine(const AppState& state, BrowseState& browse, std::size_t line);
// Removes result line `line` (1-based) (after its record was deleted).
void removeResultLine(BrowseState& browse, std::size_t line);

// GetRecord: loads into Q1's buffer the record of the selected line (1-based, 0 = none) of the
// list shown and makes it current. False when there is no such record.
bool getRecord(AppState& state, const BrowseState& browse, std::size_t selectedLine);
// The Q1 position of the record behind a line of the list shown; 0 when there is none.
std::size_t recordPosition(const AppState& state, const BrowseState& browse,
                           std::size_t selectedLine);

} // namespace rowbit
