#include "app/cp949_text.h"
#include "app/picture.h"
#include "browse/row_list.h"
#include "support/memory_book.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rowbit {
namespace {

using testing::MemoryBook;
using testing::MemorySheet;
using testing::number;
using testing::ScriptedPrompts;
using testing::text;

double serialOf(int y, int m, int d) {
    return picture::serialFromCivil({y, m, d});
}

TEST(RowListText, NumbersShowGroupedWithTheirOwnDecimals) {
    struct Case {
        double value;
        const char* shown;
    };
    const Case cases[] = {
        {0, ""},
        {2.5, "2.5"},
        {2.50, "2.5"},
        {1e6, "1,000,000"},
        {-1234.5, "-1,234.5"},
        {1234567, "1,234,567"},
        {0.125, "0.125"},
        {-7, "-7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberText(c.value), c.shown) << c.value;
}

TEST(RowListText, NumbersShowAsTheListPictureWouldShowThem) {
    // The list's text of any number is its plain text's places through "@n-18.dB".
    std::vector<double> values = {1e15,    -1e16,   123456789012345678.0, 1e-7,   0.1 + 0.2,
                                  -0.0004, 999.995, 1234567.891,          -1e-300};
    std::uint64_t seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double scale = std::pow(10.0, static_cast<int>(seed >> 60) - 4);
        values.push_back((static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5) * scale);
        values.push_back(std::round(values.back()));
    }
    for (double v : values) {
        const std::string plain = picture::plainDecimal(v);
        const auto point = plain.find('.');
        const int places = point == std::string::npos ? 0 : int(plain.size() - point - 1);
        const std::string picture =
            places == 0 ? std::string("N-18B") : "@n-18." + std::to_string(places) + "B";
        std::string expected = picture::formatNumber(v, picture);
        expected.erase(0, expected.find_first_not_of(' ') == std::string::npos
                              ? expected.size()
                              : expected.find_first_not_of(' '));
        EXPECT_EQ(numberText(v), expected) << plain;
    }
}

TEST(RowListText, DatesInEveryDatePicture) {
    MemoryBook book;
    auto* sheet = static_cast<MemorySheet*>(book.addSheet("S"));
    const int dateFormat = book.addFormat(true);
    sheet->setCell(0, 0, number(serialOf(2015, 10, 31) + 0.75, dateFormat)); // with a time
    struct Case {
        const char* gdate;
        const char* shown;
    };
    const Case cases[] = {
        {"@D1", "10/31/15"}, {"@D1-", "10-31-15"}, {"@D1.", "10.31.15"},
        {"@D5", "31/10/15"}, {"@D5-", "31-10-15"}, {"@D5.", "31.10.15"},
        {"@D9", "15/10/31"}, {"@D9-", "15-10-31"}, {"@D9.", "15.10.31"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cellText(*sheet, 0, 0, c.gdate), c.shown) << c.gdate;

    // A workbook counting from 1904 shows the same day.
    sheet->setCell(1, 0, number(picture::serialTo1904(serialOf(2015, 10, 31)), dateFormat));
    EXPECT_EQ(cellText(*sheet, 1, 0, "@D9-", true), "15-10-31");
}

TEST(RowListText, OtherCellsShowEmpty) {
    MemoryBook book;
    auto* sheet = static_cast<MemorySheet*>(book.addSheet("S"));
    sheet->setCell(0, 0, testing::MemoryCell{CellType::Boolean, 1, {}, 0, false});
    sheet->setCell(0, 1, testing::MemoryCell{CellType::Error, 0, "#N/A", 0, false});
    sheet->setCell(0, 2, text("  kept as is "));
    EXPECT_EQ(cellText(*sheet, 0, 0, "@D9-"), "");
    EXPECT_EQ(cellText(*sheet, 0, 1, "@D9-"), "");
    EXPECT_EQ(cellText(*sheet, 0, 2, "@D9-"), "  kept as is ");
    EXPECT_EQ(cellText(*sheet, 5, 5, "@D9-"), "");
}

// A data sheet with a title row and records below it, shown columns A and C, memo in E.
struct Filled {
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    MemorySheet* sheet;
    MemoryBook* book;

    Filled() {
        auto owned = std::make_unique<MemoryBook>();
        book = owned.get();
        sheet = static_cast<MemorySheet*>(owned->addSheet("Data"));
        state.book = std::move(owned);
        state.gdate = "@D9-";
        ColumnSetup& g1 = state.g1;
        g1.ccount = 2;
        g1.cno = {1, 3};
        g1.cname = {"Item", "Price"};
        g1.type = {"S", "N"};
        g1.justify = {"L", "R"};
        g1.mno = 5;
        g1.mname = "Note";
        g1.startline = 2;
        sheet->setCell(0, 0, text("Item"));
        sheet->setCell(0, 2, text("Price"));
    }
    void fill() { fillQue(state, browse, prompts); }
};

TEST(FillQue, ReadsFromTheStartLineAndSkipsRowsEmptyInShownColumns) {
    Filled f;
    f.sheet->setCell(1, 0, text("사과"));
    f.sheet->setCell(1, 2, number(1000));
    f.sheet->setCell(1, 4, text("memo 1"));
    f.sheet->setCell(2, 4, text("only a memo")); // not a record
    f.sheet->setCell(3, 1, text("unshown"));     // not a record either
    f.sheet->setCell(4, 0, text("   "));         // blanks count as empty
    f.sheet->setCell(5, 2, number(-2.5));
    f.fill();
    ASSERT_EQ(f.state.q1.count(), 2u);
    EXPECT_EQ(f.state.q1.at(1).col[0], "사과");
    EXPECT_EQ(f.state.q1.at(1).col[1], "1,000");
    EXPECT_EQ(f.state.q1.at(1).memo, "memo 1");
    EXPECT_EQ(f.state.q1.at(1).row, 1);
    EXPECT_EQ(f.state.q1.at(2).col[1], "-2.5");
    EXPECT_EQ(f.state.q1.at(2).row, 5);
    EXPECT_EQ(f.browse.sqcnt, 2);
    EXPECT_TRUE(f.prompts.messages.empty());
}

TEST(FillQue, StartLineZeroIsOne) {
    Filled f;
    f.state.g1.startline = 0;
    f.fill();
    EXPECT_EQ(f.state.g1.startline, 1);
    ASSERT_EQ(f.state.q1.count(), 1u); // the title row is a record now
    EXPECT_EQ(f.state.q1.at(1).col[0], "Item");
}

TEST(FillQue, FormatComesFromTheSecondDataRow) {
    Filled f;
    f.state.g1.format = {0, 77};
    f.sheet->setCell(1, 2, number(1, 5));
    f.fill();
    EXPECT_EQ(f.state.g1.format[1], 77); // one data row: nothing captured
    f.sheet->setCell(2, 2, number(2, 9));
    f.fill();
    EXPECT_EQ(f.state.g1.format[1], 9);
}

TEST(FillQue, OverlongTextsAreCutAndReportedOncePerFill) {
    Filled f;
    const std::string longText(120, 'x');
    f.sheet->setCell(40, 2, text("short"));
    f.sheet->setCell(40, 0, text(longText));
    std::string syllables;
    for (int i = 0; i < 51; ++i)
        syllables += "가"; // 102 bytes as the workbooks count
    f.sheet->setCell(41, 0, text(syllables));
    f.fill();
    ASSERT_EQ(f.state.q1.count(), 2u);
    EXPECT_EQ(f.state.q1.at(1).col[0], std::string(100, 'x'));
    EXPECT_EQ(f.state.q1.at(2).col[0].size(), 50u * 3); // 50 syllables: never split
    EXPECT_EQ(f.prompts.messageTexts(),
              std::vector<std::string>{"Below Cells are too big to fetch || A41 A42"});
    f.fill();
    EXPECT_EQ(f.prompts.messageTexts().size(), 2u);
    EXPECT_EQ(f.prompts.messageTexts()[1], f.prompts.messageTexts()[0]);
}

TEST(FillQue, FieldsAreCutLikeEveryOtherWidth) {
    // Mixed widths around the 100-byte edge, cut exactly as cp949::cut cuts.
    const std::string pieces[] = {"a", "가", "é", "😀", " "};
    std::uint64_t seed = 99;
    for (int i = 0; i < 200; ++i) {
        Filled f;
        std::string textValue;
        while (textValue.size() < 160) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            textValue += pieces[(seed >> 33) % 5];
        }
        f.sheet->setCell(1, 0, text(textValue));
        f.fill();
        ASSERT_EQ(f.state.q1.count(), 1u);
        EXPECT_EQ(f.state.q1.at(1).col[0], cp949::cut(textValue, kFieldBytes)) << textValue;
    }
}

TEST(FormatWindow, BuildsTheListFormatFromSheetWidths) {
    Filled f;
    f.sheet->setColWidth(0, 10.71);
    f.sheet->setColWidth(2, 12);
    f.sheet->setColWidth(4, 30);
    f.browse.load = true;
    EXPECT_EQ(formatWindow(f.state, f.browse),
              "50L(2)|_M~Item~C(0)@s128@60R(2)|_M~Price~C(0)@s128@150L(2)|_M~Note~L(0)@s128@#11#");
    f.browse.load = false;
    EXPECT_EQ(formatWindow(f.state, f.browse),
              "70L(2)|_M~Item~C(0)@s128@70R(2)|_M~Price~C(0)@s128@100L(2)|_M~Note~L(0)@s128@#11#");
    f.state.g1.mno = 0;
    f.sheet->setColWidth(0, 0);
    f.browse.load = true;
    EXPECT_EQ(formatWindow(f.state, f.browse),
              "0L(2)|_M~Item~C(0)@s128@60R(2)|_M~Price~C(0)@s128@");
}

TEST(ResultLines, FollowTheirRecordsThroughSortAndDelete) {
    Filled f;
    const char* items[] = {"c", "a", "b"};
    for (int i = 0; i < 3; ++i) {
        f.sheet->setCell(1 + i, 0, text(items[i]));
        f.sheet->setCell(1 + i, 4, text(std::string(150, 'm')));
    }
    f.fill();
    f.browse.whatQue = 2;
    fillQue2(f.state, f.browse, 1); // "c"
    fillQue2(f.state, f.browse, 3); // "b"
    EXPECT_EQ(f.browse.q2[0].memo.size(), 100u);

    f.state.q1.sort([](const Record& a, const Record& b) { return a.col[0] < b.col[0]; });
    EXPECT_EQ(recordPosition(f.state, f.browse, 1), 3u);
    EXPECT_EQ(recordPosition(f.state, f.browse, 2), 2u);
    ASSERT_TRUE(getRecord(f.state, f.browse, 2));
    EXPECT_EQ(f.state.q1.buffer.col[0], "b");

    // The record of line 2 changes; then "c" is deleted.
    f.state.q1.buffer.col[0] = "bb";
    f.state.q1.put();
    refreshResultLine(f.state, f.browse, 2);
    EXPECT_EQ(f.browse.q2[1].col[0], "bb");
    ASSERT_TRUE(f.state.q1.get(3));
    f.state.q1.remove();
    EXPECT_FALSE(getRecord(f.state, f.browse, 1));
    removeResultLine(f.browse, 1);
    EXPECT_EQ(recordPosition(f.state, f.browse, 1), 2u);

    EXPECT_FALSE(getRecord(f.state, f.browse, 0)); // nothing selected
    f.browse.whatQue = 1;
    EXPECT_TRUE(getRecord(f.state, f.browse, 1));
    EXPECT_FALSE(getRecord(f.state, f.browse, 3));
}

} // namespace
} // namespace rowbit
