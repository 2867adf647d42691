#pragma once
// Where things anchored to rows go when whole rows move or are deleted: a comment, a link or a
// merged range that lies within one row follows that row; one over several rows cannot follow
// one record. References in formulas follow their cells as a spreadsheet program updates them
// when rows are cut and pasted or deleted.

#include "workbook/book.h"

#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rowbit {

class RowMap {
public:
    // `deletedRows` lose their content as well as the targets of `moves` that are no source.
    explicit RowMap(std::span<const RowMove> moves, std::span<const int> deletedRows = {});

    enum class Fate {
        Stays, // no row of it moves
        Moves, // within one row that moves: to newRow
        Goes,  // within one row whose content was deleted or replaced by another record's
        Breaks // over several rows, some of which move or are replaced
    };
    Fate place(int firstRow, int lastRow, int& newRow) const;
    bool moves() const { return !to_.empty(); }

    // The row the content of `row` now stands in; nullopt when that content was deleted.
    std::optional<int> rowAfter(int row) const;

    // Where a reference to the rows firstRow..lastRow points afterwards. A range whose rows
    // are only permuted among themselves stays; one that lost rows shrinks to the survivors;
    // one whose surviving rows no longer lie together cannot be kept.
    struct RangeAfter {
        enum class Kind {
            Same,  // the same rows (perhaps permuted among themselves)
            Moves, // the surviving rows now lie together at first..last
            Gone,  // every row of it was deleted
            Splits // the surviving rows are scattered or mixed with others
        } kind = Kind::Same;
        int first = 0, last = 0;
    };
    RangeAfter rangeAfter(int firstRow, int lastRow) const;

private:
    static constexpr int kStays = -1; // the row keeps its content
    static constexpr int kGone = -2;  // deleted, or a target that was no source: content goes
    // Per row from low_ to high_: the row a source moves to, or kStays / kGone.
    std::vector<int> to_;
    int low_ = 0, high_ = -1; // the rows involved

    // Built on the first range question: a sort of a million rows with a running total in
    // every row asks a million of them, each over many rows.
    struct RangeIndex {
        std::vector<int> gonePrefix;       // rows in low_..low_+i-1 whose content went
        std::vector<int> emptyPrefix;      // rows there that hold nothing afterwards
        std::vector<int> minTree, maxTree; // segment trees over the surviving rows' new rows
        std::size_t leaves = 0;
    };
    void buildRangeIndex() const;
    mutable std::once_flag rangeIndexBuilt_;
    mutable RangeIndex index_;
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
