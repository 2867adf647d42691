#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/column_letter.h"
#include "workbook/column_width.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

TEST(ColumnLetters, NumbersAndLettersBothWays) {
    struct Case {
        int number;
        const char* letters;
    } both[] = {
        {1, "A"},    {26, "Z"},   {27, "AA"},   {52, "AZ"},
        {256, "IV"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"},
    };
    for (const Case& c : both) {
        EXPECT_EQ(columnLetters(c.number), c.letters) << c.number;
        EXPECT_EQ(columnNumber(c.letters), c.number) << c.letters;
    }
    for (const int outside : {0, -1, 16385})
        EXPECT_EQ(columnLetters(outside), "") << outside;
    for (const char* notColumn : {"", "a", "Ab", "XFE", "AAAA", "A1", "@", "["})
        EXPECT_EQ(columnNumber(notColumn), 0) << notColumn;
}

// Row 1 of each fixture column holds its stored width; both formats show it alike. Below a
// digit and its padding (1.71) the pixels count as a share of 12.
TEST(ColumnWidth, BothFormatsShowAStoredWidthAlike) {
    struct Case {
        double stored, shown;
    } cases[] = {
        {0.25, 0.17},     {0.5, 0.25}, {1.0, 0.58},         {1.5, 0.83},
        {1.7109375, 1.0}, {2.5, 1.71}, {11.4296875, 10.71}, {20, 19.29},
    };
    for (const char* name : {"narrow_columns.xls", "narrow_columns.xlsx"}) {
        auto book =
            loadBook(testing::requireInput(testing::testData() / "workbook" / name).string());
        ASSERT_TRUE(book.ok()) << name;
        const Sheet* sheet = book.value()->sheet(0);
        for (int c = 0; c < static_cast<int>(std::size(cases)); ++c) {
            EXPECT_DOUBLE_EQ(sheet->readNum(0, c), cases[c].stored) << name << " column " << c;
            EXPECT_DOUBLE_EQ(sheet->colWidth(c), cases[c].shown) << name << " column " << c;
        }
    }
    EXPECT_DOUBLE_EQ(shownColumnWidth(0), 0);
    EXPECT_DOUBLE_EQ(defaultColumnWidth(8), 8.43);
}

} // namespace
} // namespace rowbit
