#pragma once
// Walking BIFF8 formula tokens (Ptgs): what a sort does to relative row references, and how a
// shared formula becomes a plain one in one of its cells.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rowbit::xls {

// Size of the token at p (its type byte included), or 0 when it is unknown or runs past end.
std::size_t tokenSize(const uint8_t* p, std::size_t avail);

// Moves every relative row reference by `delta` rows, as a sort that moves the formula's row
// does; a reference pushed off the grid becomes #REF!. Whole-column areas stay. False (and
// `rgce` unchanged) when a token is not understood.
bool shiftRelativeRows(std::vector<uint8_t>& rgce, int delta);

// The tokens of a shared formula (relative tokens as offsets) as plain tokens of the cell
// at (row, col); nullopt when a token is not understood.
std::optional<std::vector<uint8_t>> sharedToPlain(std::span<const uint8_t> rgce, int row, int col);

} // namespace rowbit::xls
