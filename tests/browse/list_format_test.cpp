#include "app/list_format.h"
#include "support/list_notation.h"

#include <gtest/gtest.h>

namespace rowbit::browse {
namespace {

TEST(ListFormat, RuledColumnsWithAndWithoutHeader) {
    struct Case {
        ListColumn column;
        const char* notation;
    };
    const Case cases[] = {
        {ruledColumn(99, Justification::Left, "s30", 1), "99L(2)|_M@s30@"},
        {ruledColumn(0, Justification::Right, "품명", Justification::Center, "s128", 1),
         "0R(2)|_M~품명~C(0)@s128@"},
        {ruledColumn(150, Justification::Left, "Note", Justification::Left, "s128", 11),
         "150L(2)|_M~Note~L(0)@s128@#11#"},
        {ruledColumn(65, Justification::Center, "A", Justification::Right, "", 1, 3),
         "65C(2)|_M~A~R(3)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(testing::listNotation({c.column}), c.notation);
}

TEST(ListFormat, PicturesShapeTheShownText) {
    ListColumn rowNumber;
    rowNumber.picture = "N3";
    EXPECT_EQ(applyColumnPicture(rowNumber, "7"), "  7");
    EXPECT_EQ(applyColumnPicture(rowNumber, ""), "");

    ListColumn text;
    text.picture = "s16";
    EXPECT_EQ(applyColumnPicture(text, "abcdefghijklmnopqrstu"), "abcdefghijklmnop");
    EXPECT_EQ(applyColumnPicture(text, "short"), "short");

    ListColumn plain;
    EXPECT_EQ(applyColumnPicture(plain, " as is "), " as is ");
}

} // namespace
} // namespace rowbit::browse
