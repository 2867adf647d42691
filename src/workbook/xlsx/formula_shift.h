#pragma once
// Moving a formula to another cell as a spreadsheet program does when it copies or sorts:
// relative references shift with the cell, $-anchored ones stay.

#include <string>
#include <string_view>

namespace rowbit::xlsx {

constexpr int maxRows = 1048576;
constexpr int maxCols = 16384;

// Shifts the relative references of formula text (as stored, without "=") by dRow rows and
// dCol columns. A reference pushed off the grid becomes #REF!.
std::string shiftFormula(std::string_view formula, int dRow, int dCol);

// "AB12" -> row 11, col 27 (zero-based); false when it is not a plain cell reference.
bool parseCellRef(std::string_view ref, int& row, int& col);
// Zero-based row and column to "AB12".
void appendCellRef(std::string& out, int row, int col);
void appendColumnName(std::string& out, int col);

} // namespace rowbit::xlsx
