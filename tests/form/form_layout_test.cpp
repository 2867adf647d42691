#include "form/form_layout.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

// Three columns A (text), B (number), C (date), titles only on 1 and 3 unless given.
ColumnSetup threeColumns() {
    ColumnSetup columns;
    columns.columnCount = 3;
    columns.sheetColumn = {1, 2, 3};
    columns.title = {"품명", "", "날짜"};
    columns.type = {FieldType::Text, FieldType::Number, FieldType::Date};
    columns.size = {30, 20, 12};
    columns.hasLookup[0] = 1;
    return columns;
}

TEST(FormLayoutOf, PlacesFieldsButtonsMemoAndWindow) {
    struct Case {
        const char* what;
        int memoColumn;
        std::string memoTitle;
        int fontSize;
        int action;
        FormLayout expected; // only the members set below are compared
    };
    ColumnSetup columns = threeColumns();
    columns.memoWidth = 40;
    columns.memoHeight = 4;

    // Memo shown by its column, its room given by its title: the window grows by 14 x 4 lines.
    columns.memoColumn = 5;
    columns.memoTitle = "비고";
    FormLayout withMemo = layOutForm(columns, 9, RecordCommand::Insert);
    EXPECT_EQ(withMemo.caption, "자 료 추 가");
    EXPECT_EQ(withMemo.fields[0], (DialogRect{60, 15, 120, 14, true}));
    EXPECT_EQ(withMemo.fields[1], (DialogRect{60, 35, 80, 14, false})) << "blank title hides";
    EXPECT_EQ(withMemo.fields[2], (DialogRect{60, 55, 48, 14, true}));
    EXPECT_EQ(withMemo.labels[2], (DialogRect{1, 57, 52, 10, true}));
    EXPECT_EQ(withMemo.buttons[0], (DialogRect{185, 15, 13, 13, true}));
    EXPECT_FALSE(withMemo.buttons[1].shown);
    EXPECT_EQ(withMemo.memo, (DialogRect{60, 75, 160, 56, true}));
    EXPECT_EQ(withMemo.memoLabel, (DialogRect{1, 75, 52, 10, true}));
    EXPECT_EQ(withMemo.width, 4 * 40 + 95);
    EXPECT_EQ(withMemo.height, 20 * 3 + 50 + 56);
    EXPECT_EQ(withMemo.ok, (DialogRect{127 - 60, withMemo.height - 30, 50, 15, true}));
    EXPECT_EQ(withMemo.cancel, (DialogRect{127, withMemo.height - 30, 50, 15, true}));
    EXPECT_EQ(withMemo.keypadPlus, (std::array<bool, kMaxColumns>{false, true, false}));
    EXPECT_EQ(withMemo.fieldPoints, 9);
    EXPECT_EQ(withMemo.labelPoints, 9);

    // A memo column without a title: shown, but the window leaves it no room.
    columns.memoTitle = "";
    FormLayout noRoom = layOutForm(columns, 12, RecordCommand::Change);
    EXPECT_EQ(noRoom.caption, "자 료 수 정");
    EXPECT_TRUE(noRoom.memo.shown);
    EXPECT_EQ(noRoom.width, 4 * 30 + 95);
    EXPECT_EQ(noRoom.height, 20 * 3 + 50);
    EXPECT_EQ(noRoom.fieldPoints, 12);
    EXPECT_EQ(noRoom.labelPoints, 10);

    // A titled memo allowance with no memo column: hidden, the room still taken.
    columns.memoColumn = 0;
    columns.memoTitle = "비고";
    FormLayout hidden = layOutForm(columns, 9, RecordCommand::Delete);
    EXPECT_EQ(hidden.caption, "자 료 삭 제");
    EXPECT_TRUE(hidden.readOnly);
    EXPECT_FALSE(hidden.memo.shown);
    EXPECT_FALSE(hidden.memoLabel.shown);
    EXPECT_EQ(hidden.height, 20 * 3 + 50 + 56);
}

TEST(FormLayoutOf, FirstFieldShowsWithoutTitleAndLabelsKeepFourteenBytes) {
    ColumnSetup columns = threeColumns();
    columns.title[0] = "";
    columns.title[2] = "가나다라마바사아"; // 16 bytes
    columns.size[1] = 7;                   // an odd width: OK's x is truncated
    const FormLayout layout = layOutForm(columns, 9, RecordCommand::Insert);
    EXPECT_TRUE(layout.fields[0].shown);
    EXPECT_EQ(layout.titles[2], "가나다라마바사");
    EXPECT_EQ(layout.width, 4 * 30 + 95);
    EXPECT_EQ(layout.ok.x, 215 / 2 - 60);
}

} // namespace
} // namespace rowbit::form
