#pragma once
// The row list: filling the records from the data sheet, the list's columns, the search result
// lines and the record behind the selected line.

#include "app/app_state.h"
#include "app/list_format.h"
#include "app/prompts.h"
#include "document/browse_state.h"
#include "document/document.h"
#include "workbook/book.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

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

// Fills the records of `doc` from its data sheet, as Document::fill says. Closes nothing of
// the search state: the caller does that first when results are shown.
FillOutcome fillRecordList(Document& doc, const AppState& display, Prompts& prompts,
                           const FillOptions& options = {});

// Fills records a batch of rows at a time (a data sheet handed over as it is read), as
// fillRecordList does for the whole sheet: the same records of the same rows, the same
// overlong cells noted, in sheet order.
class RecordBatchFill {
public:
    RecordBatchFill(const Book& book, const ColumnSetup& columns, const AppState& display);
    ~RecordBatchFill();
    RecordBatchFill(const RecordBatchFill&) = delete;
    RecordBatchFill& operator=(const RecordBatchFill&) = delete;

    // The records of the rows from `fromRow` up to `toRow` (exclusive) of `sheet`, those
    // above the first data row left out; they replace the records of the batch before.
    const RecordList& fill(const Sheet& sheet, int fromRow, int toRow);
    // The overlong text cells so far (" A11 A21 ..."; empty when none), as FillOutcome says.
    const std::string& overflow() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The row list's columns: one per shown column, as wide as its sheet column (70 units without a
// sheet), then the memo column showing field 11.
std::vector<browse::ListColumn> listColumns(const Document& doc);

// Appends a search result line for the record at `pos` (1-based).
void addResultLine(const RecordList& records, BrowseState& browse, std::size_t pos);
// Rewrites result line `line` (1-based) from its record (after a change).
void refreshResultLine(const RecordList& records, BrowseState& browse, std::size_t line);
// Removes result line `line` (1-based) (after its record was deleted).
void removeResultLine(BrowseState& browse, std::size_t line);

// The position of the record behind a line (1-based, 0 = none) of the list shown; 0 when
// there is none.
std::size_t recordPosition(const RecordList& records, const BrowseState& browse,
                           std::size_t selectedLine);

} // namespace rowbit
