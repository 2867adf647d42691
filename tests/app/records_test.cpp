#include "app/records.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace rowbit {
namespace {

// A list of records whose COL0 holds the given texts, in order.
RecordList listOf(const std::vector<std::string>& texts) {
    RecordList list;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        list.buffer.clear();
        list.buffer.col[0] = texts[i];
        list.buffer.row = static_cast<std::int32_t>(i);
        list.add();
    }
    return list;
}

std::vector<std::string> column0(const RecordList& list) {
    std::vector<std::string> out;
    for (std::size_t pos = 1; pos <= list.count(); ++pos) {
        out.emplace_back(list.at(pos).col[0]);
    }
    return out;
}

bool byCol0(const Record& a, const Record& b) {
    return a.col[0] < b.col[0];
}

TEST(RecordList, AddGetPutThroughTheBuffer) {
    RecordList list;
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.position(), 0u);
    list.buffer.col[0] = "first";
    EXPECT_EQ(list.add(), 1u);
    list.buffer.col[0] = "second";
    EXPECT_EQ(list.add(), 2u);
    EXPECT_EQ(list.position(), 2u);
    EXPECT_EQ(list.count(), 2u);

    ASSERT_TRUE(list.get(1));
    EXPECT_EQ(list.buffer.col[0], "first");
    EXPECT_EQ(list.position(), 1u);
    list.buffer.col[0] = "changed";
    list.buffer.memo = "note";
    ASSERT_TRUE(list.put());
    EXPECT_EQ(list.at(1).col[0], "changed");
    EXPECT_EQ(list.at(1).memo, "note");
    EXPECT_EQ(list.at(2).col[0], "second");
    // The buffer is a copy: changing it leaves the list alone until put.
    list.buffer.col[0] = "not yet";
    EXPECT_EQ(list.at(1).col[0], "changed");
}

TEST(RecordList, RefusesPositionsOutsideTheList) {
    RecordList list = listOf({"a", "b"});
    list.buffer.col[0] = "kept";
    EXPECT_FALSE(list.get(0));
    EXPECT_FALSE(list.get(3));
    EXPECT_EQ(list.buffer.col[0], "kept");
    EXPECT_EQ(list.position(), 2u);

    RecordList empty;
    EXPECT_FALSE(empty.put());
    EXPECT_FALSE(empty.remove());
}

TEST(RecordList, RemoveMakesTheNextRecordCurrent) {
    RecordList list = listOf({"a", "b", "c"});
    ASSERT_TRUE(list.get(2));
    ASSERT_TRUE(list.remove());
    EXPECT_EQ(column0(list), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(list.position(), 2u); // "c"

    // At the end the one before becomes current; the last one leaves none.
    ASSERT_TRUE(list.remove());
    EXPECT_EQ(list.position(), 1u);
    ASSERT_TRUE(list.remove());
    EXPECT_EQ(list.position(), 0u);
    EXPECT_EQ(list.count(), 0u);
    EXPECT_FALSE(list.remove());
}

TEST(RecordList, IdentitySurvivesSortAndDelete) {
    RecordList list = listOf({"d", "b", "a", "c"});
    const RecordId idD = list.id(1);
    const RecordId idB = list.id(2);
    const RecordId idA = list.id(3);
    const RecordId idC = list.id(4);
    EXPECT_EQ(list.find(idA), 3u);

    list.sort(byCol0);
    EXPECT_EQ(column0(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(list.find(idA), 1u);
    EXPECT_EQ(list.find(idB), 2u);
    EXPECT_EQ(list.find(idC), 3u);
    EXPECT_EQ(list.find(idD), 4u);
    EXPECT_EQ(list.id(4), idD);

    ASSERT_TRUE(list.get(2));
    ASSERT_TRUE(list.remove()); // "b"
    EXPECT_FALSE(list.find(idB));
    EXPECT_EQ(list.find(idA), 1u);
    EXPECT_EQ(list.find(idC), 2u);
    EXPECT_EQ(list.find(idD), 3u);

    // A new record gets a new identity, never one that was deleted.
    list.buffer.col[0] = "e";
    list.add();
    const RecordId idE = list.id(list.count());
    EXPECT_NE(idE, idB);
    EXPECT_EQ(list.find(idE), 4u);
}

TEST(RecordList, IdentitiesAreNotReusedAfterClear) {
    RecordList list = listOf({"a", "b"});
    const RecordId old = list.id(1);
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.position(), 0u);
    EXPECT_FALSE(list.find(old));
    list.buffer.col[0] = "x";
    list.add();
    EXPECT_NE(list.id(1), old);
    EXPECT_FALSE(list.find(old));
    EXPECT_EQ(list.find(list.id(1)), 1u);
    EXPECT_FALSE(list.find(0));
    EXPECT_FALSE(list.find(999999));
}

TEST(RecordList, AppendMovesRecordsInWithConsecutiveIdentities) {
    RecordList list = listOf({"a"});
    const RecordId before = list.id(1);
    std::vector<Record> more(3);
    more[0].col[0] = std::string(40, 'b'); // on the heap: moved, not copied
    more[2].col[0] = "d";
    const char* heap = more[0].col[0].data();
    const RecordId first = list.append(std::move(more));
    EXPECT_GT(first, before);
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list.at(2).col[0].data(), heap);
    EXPECT_EQ(list.position(), 4u); // the last appended is current, as after add()
    for (std::size_t pos = 2; pos <= 4; ++pos) {
        EXPECT_EQ(list.id(pos), first + (pos - 2));
        EXPECT_EQ(list.find(first + (pos - 2)), pos);
    }
    EXPECT_EQ(list.find(before), 1u);

    // Into an empty list, then add() after it: identities keep growing, look-ups still find.
    RecordList other;
    std::vector<Record> batch(2);
    batch[1].col[0] = "y";
    const RecordId start = other.append(std::move(batch));
    other.buffer.col[0] = "z";
    other.add();
    EXPECT_EQ(column0(other), (std::vector<std::string>{"", "y", "z"}));
    EXPECT_EQ(other.id(3), start + 2);
    EXPECT_EQ(other.find(start + 1), 2u);
    EXPECT_EQ(other.append({}), start + 3); // nothing appended, nothing changes
    EXPECT_EQ(other.count(), 3u);
    EXPECT_EQ(other.position(), 3u);
}

TEST(Record, FieldsReadBackWhateverTheOthersHold) {
    // Lengths on both sides of the one-byte length, Hangul and empty texts, in every field.
    const std::string texts[] = {"",
                                 "a",
                                 std::string(255, 'x'),
                                 std::string(256, 'y'),
                                 std::string(1000, 'z'),
                                 "서울특별시 중구"};
    auto expected = [&](std::size_t k) { return texts[k == 9 ? 2 : k % std::size(texts)]; };
    Record record;
    for (std::size_t k = 0; k < kMaxColumns; ++k)
        record.col[k] = texts[k % std::size(texts)];
    record.memo = texts[3];
    record.col[9] = record.col[2]; // from a field of the block being replaced
    Record copy = record;
    copy.col[0] = "changed";
    for (std::size_t k = 0; k < kMaxColumns; ++k) {
        EXPECT_EQ(record.col[k], expected(k)) << k;
        EXPECT_EQ(copy.col[k], k == 0 ? "changed" : expected(k)) << k;
    }
    EXPECT_EQ(copy.memo, texts[3]);
    record.memo = "";
    EXPECT_TRUE(record.memo.empty());
}

TEST(RecordList, CopiesOfRecordsOutliveTheArenaOfTheirTexts) {
    auto arena = std::make_shared<TextArena>();
    const std::string longText(300, 'q');
    const std::string_view texts[kMaxColumns] = {"첫째", longText};
    std::vector<Record> records(2);
    records[0].col.packed().adopt(arena->pack(texts, kMaxColumns));
    RecordList list;
    list.append(std::move(records), std::move(arena));
    ASSERT_TRUE(list.get(1));
    const Record copy = list.at(1);
    list.clear();
    EXPECT_EQ(list.buffer.col[0], "첫째");
    EXPECT_EQ(copy.col[1], longText);
}

TEST(RecordList, SortIsStableAndKeepsTheCurrentRecord) {
    RecordList list = listOf({"b", "a", "b", "a", "b"});
    ASSERT_TRUE(list.get(3)); // the second "b", sheet row 2
    list.sort(byCol0);
    EXPECT_EQ(column0(list), (std::vector<std::string>{"a", "a", "b", "b", "b"}));
    // Equal keys keep their order: the sheet rows stay ascending within each key.
    std::vector<std::int32_t> rows;
    for (std::size_t pos = 1; pos <= list.count(); ++pos) {
        rows.push_back(list.at(pos).row);
    }
    EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 3, 0, 2, 4}));
    EXPECT_EQ(list.position(), 4u);
    EXPECT_EQ(list.at(list.position()).row, 2);
}

TEST(RecordList, SortByNumberKeyDescending) {
    RecordList list;
    for (double v : {3.0, -1.0, 10.0, 2.5}) {
        list.buffer.clear();
        list.buffer.num = v;
        list.add();
    }
    list.sort([](const Record& a, const Record& b) { return a.num > b.num; });
    std::vector<double> nums;
    for (std::size_t pos = 1; pos <= list.count(); ++pos) {
        nums.push_back(list.at(pos).num);
    }
    EXPECT_EQ(nums, (std::vector<double>{10.0, 3.0, 2.5, -1.0}));
}

TEST(RecordList, SortByKeyIsStableAndKeepsIdentities) {
    RecordList list;
    const double keys[] = {2, 1, 2, 1, 2};
    for (std::size_t i = 0; i < 5; ++i) {
        list.buffer.clear();
        list.buffer.num = keys[i];
        list.buffer.col[0] = std::string(i, ' ') + "x"; // text keys differ only in blanks
        list.buffer.row = static_cast<std::int32_t>(i);
        list.add();
    }
    const RecordId third = list.id(3);
    ASSERT_TRUE(list.get(5));
    list.sortByKey([](const Record& r) { return r.num; }, std::less<double>());
    std::vector<std::int32_t> rows;
    for (std::size_t pos = 1; pos <= list.count(); ++pos) {
        rows.push_back(list.at(pos).row);
    }
    EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 3, 0, 2, 4}));
    EXPECT_EQ(list.find(third), 4u);
    EXPECT_EQ(list.position(), 5u); // still the record from sheet row 4

    // Keys that are views into the records stay valid while sorting; descending order here.
    list.sortByKey([](const Record& r) { return std::string_view(r.col[0]); },
                   [](std::string_view a, std::string_view b) { return a > b; });
    EXPECT_EQ(list.at(1).row, 0); // "x" sorts after " x", "  x", ...
    EXPECT_EQ(list.at(5).row, 4);
    EXPECT_EQ(list.find(third), 3u);
}

TEST(RecordList, ManyRecordsAddSortAndFind) {
    constexpr std::size_t kCount = 200000;
    RecordList list;
    list.reserve(kCount);
    // A copying or quadratic list never finishes within the test's time limit; nothing here
    // is timed, so a busy machine cannot fail it.
    for (std::size_t i = 0; i < kCount; ++i) {
        list.buffer.col[0] = std::to_string((i * 7919) % kCount);
        list.buffer.row = static_cast<std::int32_t>(i);
        list.add();
    }
    std::vector<RecordId> ids;
    ids.reserve(kCount);
    for (std::size_t pos = 1; pos <= kCount; ++pos) {
        ids.push_back(list.id(pos));
    }
    list.sort(byCol0);
    for (std::size_t pos = 2; pos <= kCount; ++pos) {
        ASSERT_LE(list.at(pos - 1).col[0], list.at(pos).col[0]);
    }
    list.sortByKey([](const Record& r) { return r.row; }, std::greater<std::int32_t>());
    ASSERT_EQ(list.at(1).row, static_cast<std::int32_t>(kCount - 1));
    for (std::size_t i = 0; i < kCount; ++i) {
        auto pos = list.find(ids[i]);
        ASSERT_TRUE(pos);
        ASSERT_EQ(list.at(*pos).row, static_cast<std::int32_t>(i));
    }
}

TEST(RowListDeath, PositionOutsideTheListStops) {
    RecordList list = listOf({"a"});
    EXPECT_DEATH((void)list.at(2), "RecordList position 2");
    EXPECT_DEATH((void)list.id(0), "RecordList position 0");
}

TEST(ColumnSetup, UsedColumnsStopAtTheFirstUnusedEntry) {
    ColumnSetup g;
    EXPECT_EQ(g.usedColumns(), 0);
    g.columnCount = 5;
    g.sheetColumn = {1, 2, 0, 4, 5, 0, 0, 0, 0, 0};
    EXPECT_EQ(g.usedColumns(), 2);
    g.sheetColumn = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(g.usedColumns(), 5);
    g.columnCount = 12; // never more than ten
    EXPECT_EQ(g.usedColumns(), 10);
    g.columnCount = -1;
    EXPECT_EQ(g.usedColumns(), 0);
    g.clear();
    EXPECT_EQ(g.columnCount, 0);
    EXPECT_EQ(g.sheetColumn[0], 0);
}

} // namespace
} // namespace rowbit
