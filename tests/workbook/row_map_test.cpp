#include "workbook/row_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace rowbit {
namespace {

using Kind = RowMap::RangeAfter::Kind;

struct Change {
    const char* what;
    std::vector<RowMove> moves;
    std::vector<int> deleted;
};

// Records in rows 1..5 (zero-based); the changes a save makes of deletes and sorts.
const Change kDeleteRow3{"delete row 3: rows 4, 5 move up", {{3, 4}, {4, 5}}, {}};
const Change kDeleteLast{"delete the last row 5", {}, {5}};
const Change kReverse{"sort rows 1..5 backwards", {{1, 5}, {2, 4}, {4, 2}, {5, 1}}, {}};

TEST(RowMap, SingleRowsFollowTheirContent) {
    struct Case {
        const Change& change;
        int row;
        std::optional<int> after;
    } cases[] = {
        {kDeleteRow3, 2, 2}, {kDeleteRow3, 3, std::nullopt},
        {kDeleteRow3, 4, 3}, {kDeleteRow3, 5, 4},
        {kDeleteRow3, 9, 9}, {kDeleteLast, 5, std::nullopt},
        {kDeleteLast, 4, 4}, {kReverse, 1, 5},
        {kReverse, 3, 3},    {kReverse, 5, 1},
    };
    for (const Case& c : cases) {
        const RowMap map(c.change.moves, c.change.deleted);
        EXPECT_EQ(map.rowAfter(c.row), c.after) << c.change.what << ", row " << c.row;
    }
}

TEST(RowMap, RangesShrinkStayOrSplit) {
    struct Case {
        const Change& change;
        int first, last;
        Kind kind;
        int newFirst, newLast;
    } cases[] = {
        {kDeleteRow3, 1, 2, Kind::Same, 1, 2},  // above the deleted row
        {kDeleteRow3, 3, 4, Kind::Moves, 3, 3}, // contains it: shrinks
        {kDeleteRow3, 4, 5, Kind::Moves, 3, 4}, // below it: moves up
        {kDeleteRow3, 0, 9, Kind::Same, 0, 9},  // over everything: row 5 is left empty
        {kDeleteRow3, 4, 6, Kind::Moves, 3, 6}, // into rows after the records
        {kDeleteRow3, 3, 3, Kind::Gone, 3, 3},  // only the deleted row
        {kDeleteLast, 1, 5, Kind::Moves, 1, 4}, // a total over every record
        {kReverse, 1, 5, Kind::Same, 1, 5},     // permuted among themselves
        {kReverse, 0, 7, Kind::Same, 0, 7},     // around the block
        {kReverse, 1, 2, Kind::Moves, 4, 5},    // two neighbours stay neighbours
        {kReverse, 2, 3, Kind::Moves, 3, 4},
        {kReverse, 1, 3, Kind::Moves, 3, 5},
        {kReverse, 2, 5, Kind::Moves, 1, 4},
        {kReverse, 0, 1, Kind::Splits, 0, 1}, // row 0 stays, row 1 leaves
        {kReverse, 4, 6, Kind::Splits, 4, 6},
        {kReverse, 7, 9, Kind::Same, 7, 9}, // nothing involved
    };
    for (const Case& c : cases) {
        const RowMap map(c.change.moves, c.change.deleted);
        const auto after = map.rangeAfter(c.first, c.last);
        EXPECT_EQ(after.kind, c.kind) << c.change.what << ", rows " << c.first << ".." << c.last;
        if (after.kind == c.kind && c.kind != Kind::Splits && c.kind != Kind::Gone) {
            EXPECT_EQ(after.first, c.newFirst) << c.change.what << ", rows " << c.first;
            EXPECT_EQ(after.last, c.newLast) << c.change.what << ", rows " << c.first;
        }
    }
}

} // namespace
} // namespace rowbit
