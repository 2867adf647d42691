#include "workbook/column_letter.h"

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

} // namespace
} // namespace rowbit
