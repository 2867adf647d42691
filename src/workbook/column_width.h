#pragma once
// Column widths in characters as a user sees them, from the widths both workbook formats store.

namespace rowbit {

// The width shown for a stored column width. Both formats store a width in characters of the
// default font's digit with 5 pixels of padding included (.xls in 1/256 of a character, .xlsx
// as a decimal): xlrd and openpyxl read the same number from either file, and a column stored
// alike is drawn alike whatever its format. On a 7-pixel digit the column is a whole number of
// pixels wide; the width shown is those pixels less the padding, in characters with two
// places. A column narrower than one digit and its padding (12 pixels, a stored width below
// 1.71) shows its pixels as a share of those 12, so that, as the column is drawn, its width
// stays in proportion to the stored one and only a column of no pixels shows 0.
double shownColumnWidth(double stored);

// The width shown for a column without a width of its own: the sheet's base width in digits
// (no padding) plus the padding, rounded up to a multiple of 8 pixels.
double defaultColumnWidth(double baseDigits);

} // namespace rowbit
