#pragma once
// Where things anchored to rows go when whole rows move: a comment, a link or a merged range
// that lies within one row follows that row; one over several rows cannot follow one record.

#include "workbook/book.h"

#include <span>
#include <string>
#include <vector>

namespace rowbit {

class RowMap {
public:
    explicit RowMap(std::span<const RowMove> moves);

    enum class Fate {
        Stays, // no row of it moves
        Moves, // within one row that moves: to newRow
        Goes,  // within one row that another record's row replaced: it belonged to the old one
        Breaks // over several rows, some of which move or are replaced
    };
    Fate place(int firstRow, int lastRow, int& newRow) const;
    bool moves() const { return !to_.empty(); }

private:
    static constexpr int kStays = -1;    // the row keeps its content
    static constexpr int kReplaced = -2; // a target that was no source: its old content goes
    // Per row from low_ to high_: the row a source moves to, or kStays / kReplaced.
    std::vector<int> to_;
    int low_ = 0, high_ = -1; // the rows involved
};

struct CellRange {
    int firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
    bool operator==(const CellRange&) const = default;
};

// The merged ranges over several rows that stay while rows move but must be unmerged: a range
// moved with its row now overlaps them, or a cell under them other than the top-left holds a
// value, which the merge would hide. `merges` are all of the sheet's merged ranges as they
// were; `sheet` holds the cells after the move.
std::vector<CellRange> mergesGivingWay(const RowMap& map, std::span<const CellRange> merges,
                                       const Sheet& sheet);

// "B3:C5" for zero-based rows and columns ("B3" when it is one cell).
std::string rangeText(int firstRow, int firstCol, int lastRow, int lastCol);

} // namespace rowbit
