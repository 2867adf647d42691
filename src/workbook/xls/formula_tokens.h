#pragma once
// Walking BIFF8 formula tokens (Ptgs): where references go when rows of a sheet move or are
// deleted, and how a shared formula becomes a plain one in one of its cells.

#include "workbook/row_map.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rowbit::xls {

// Size of the token at p (its type byte included), or 0 when it is unknown or runs past end.
std::size_t tokenSize(const uint8_t* p, std::size_t avail);

// Which references of a formula name the sheet whose rows moved.
struct RefScope {
    bool plainRefs = false; // 2-D references: the formula stands on that sheet
    // Per XTI index (3-D references): 0 another sheet, 1 that sheet alone, 2 several sheets
    // including it.
    std::span<const uint8_t> xti;
};

// What mapping a formula's references did.
enum class RefsAfter {
    Same,         // nothing changed
    Changed,      // references follow their cells
    Deleted,      // as Changed, and a reference to a deleted cell became #REF!
    Kept,         // a range would split (or cannot be rewritten): nothing changed
    NotUnderstood // a token is not understood: nothing changed
};

// Makes every reference in `scope` follow its cells as `map` moved or deleted rows, as a
// spreadsheet program does when rows are cut and pasted: a single cell goes to its new row;
// a range shrinks to its surviving rows or moves with them; a reference whose cells all went
// becomes its #REF! token of the same size. Whole-column ranges stay; so do relative and
// absolute references alike unless their cells moved. `extra` is the data that follows the
// tokens (array constants, area caches): an area cache (ptgMemArea) inside a changed formula
// is dropped so that it is computed afresh; without `extra` such a formula is Kept. Tokens
// keep their sizes, so jumps inside the formula stay right. On Kept and NotUnderstood,
// `rgce` and `extra` are unchanged.
RefsAfter mapRowRefs(std::vector<uint8_t>& rgce, std::vector<uint8_t>* extra, const RowMap& map,
                     const RefScope& scope);

// The tokens of a shared formula (relative tokens as offsets) as plain tokens of the cell
// at (row, col); nullopt when a token is not understood.
std::optional<std::vector<uint8_t>> sharedToPlain(std::span<const uint8_t> rgce, int row, int col);

} // namespace rowbit::xls
