#pragma once
// Formula text and its references: shifting a formula copied to another cell (relative
// references shift with the cell, $-anchored ones stay), and following cells whose rows moved
// or were deleted (every reference to them changes, $ or not, wherever the formula stands).

#include "workbook/column_letter.h"
#include "workbook/row_map.h"

#include <string>
#include <string_view>
#include <vector>

namespace rowbit::xlsx {

constexpr int maxRows = 1048576;
constexpr int maxCols = kLastColumnNumber;

// Shifts the relative references of formula text (as stored, without "=") by dRow rows and
// dCol columns. A reference pushed off the grid becomes #REF!.
std::string shiftFormula(std::string_view formula, int dRow, int dCol);

// The sheet whose rows moved, as formulas name it.
struct MovedSheet {
    std::vector<std::string> names; // what formulas may call it (compared without case)
    int index = 0;                  // its place among the workbook's sheets
    std::vector<std::string> order; // every sheet's name in workbook order, for First:Last!A1
};

struct MappedFormula {
    std::string text;
    bool changed = false;    // `text` differs from the formula given
    bool refDeleted = false; // a reference named only deleted cells and became #REF!
    bool kept = false;       // a range would split: the formula is given back as it was
};

// Maps every reference of formula text (as stored, without "=") that names a cell of `moved`
// through `map`. Unqualified references name `moved` when the formula stands on it
// (`onMovedSheet`). References to other sheets and whole columns stay as written.
MappedFormula mapFormulaRows(std::string_view formula, const MovedSheet& moved, bool onMovedSheet,
                             const RowMap& map);

// "AB12" -> row 11, col 27 (zero-based); false when it is not a plain cell reference.
bool parseCellRef(std::string_view ref, int& row, int& col);
// Zero-based row and column to "AB12".
void appendCellRef(std::string& out, int row, int col);

} // namespace rowbit::xlsx
