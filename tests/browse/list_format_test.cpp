#include "app/list_format.h"

#include <gtest/gtest.h>

namespace rowbit::browse {
namespace {

std::vector<ListColumn> parsed(std::string_view format) {
    auto result = parseListFormat(format);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().describe());
    return result.ok() ? *result : std::vector<ListColumn>{};
}

TEST(ListFormat, BrowseListWithMemoColumn) {
    auto cols = parsed("50L(2)|_M~Item~C(0)@s128@60R(2)|_M~Price~C(0)@s128@"
                       "150L(2)|_M~Note~L(0)@s128@#11#");
    ASSERT_EQ(cols.size(), 3u);

    EXPECT_EQ(cols[0].width, 50);
    EXPECT_EQ(cols[0].justify, Justify::Left);
    EXPECT_EQ(cols[0].indent, 2);
    EXPECT_TRUE(cols[0].rightBorder);
    EXPECT_TRUE(cols[0].underline);
    EXPECT_TRUE(cols[0].resizable);
    EXPECT_TRUE(cols[0].hasHeader);
    EXPECT_EQ(cols[0].header, "Item");
    EXPECT_EQ(cols[0].headerJustify, Justify::Centre);
    EXPECT_EQ(cols[0].headerIndent, 0);
    EXPECT_EQ(cols[0].picture, "s128");
    EXPECT_EQ(cols[0].field, 1);

    EXPECT_EQ(cols[1].width, 60);
    EXPECT_EQ(cols[1].justify, Justify::Right);
    EXPECT_EQ(cols[1].field, 2);

    // The memo column names its field; the data columns before it count up from 1.
    EXPECT_EQ(cols[2].width, 150);
    EXPECT_EQ(cols[2].header, "Note");
    EXPECT_EQ(cols[2].headerJustify, Justify::Left);
    EXPECT_EQ(cols[2].field, 11);
}

TEST(ListFormat, PreviewListHeadersWithAndWithoutJustification) {
    auto cols = parsed("18C(2)|_M@N3@65L(2)|_M~A~C(3)@S16@65L(2)|_M~B~C(0)@s16@"
                       "65L(2)|_M~C~C(0)@s16@65L(2)|_M~D~C(0)@s16@65L(2)|_M~E~C@s16@"
                       "65L(2)|_M~F~C@s16@65L(2)|_M~G~C@s16@65L(2)|_M~H~C@s16@"
                       "65L(2)|_M~I~C@s16@65L(2)|_M~J~C@s16@");
    ASSERT_EQ(cols.size(), 11u);
    EXPECT_FALSE(cols[0].hasHeader);
    EXPECT_EQ(cols[0].justify, Justify::Centre);
    EXPECT_EQ(cols[0].picture, "N3");
    EXPECT_EQ(cols[1].header, "A");
    EXPECT_EQ(cols[1].headerIndent, 3);
    EXPECT_EQ(cols[1].picture, "S16");
    EXPECT_EQ(cols[5].header, "E");
    EXPECT_EQ(cols[5].headerJustify, Justify::Centre);
    EXPECT_EQ(cols[5].headerIndent, 0);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(cols[static_cast<std::size_t>(i)].field, i + 1);
    EXPECT_EQ(cols[10].header, "J");
}

TEST(ListFormat, HangulHeadersAndZeroWidth) {
    // A sheet column of width 0 gives a list column of width 0.
    auto cols = parsed("0L(2)|_M~품명~C(0)@s128@75R(2)|_M~금액~C(0)@s128@");
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].width, 0);
    EXPECT_EQ(cols[0].header, "품명");
    EXPECT_EQ(cols[1].header, "금액");
}

TEST(ListFormat, MinimalColumnsAndEmptyFormat) {
    auto cols = parsed("40L30C(4)20R");
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_FALSE(cols[0].rightBorder);
    EXPECT_FALSE(cols[0].hasHeader);
    EXPECT_TRUE(cols[0].picture.empty());
    EXPECT_EQ(cols[1].indent, 4);
    EXPECT_EQ(cols[2].field, 3);
    EXPECT_TRUE(parsed("").empty());
}

TEST(ListFormat, FieldNumbersContinueAfterAnExplicitOne) {
    auto cols = parsed("10L#5#10L10L#2#10L");
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[0].field, 5);
    EXPECT_EQ(cols[1].field, 6);
    EXPECT_EQ(cols[2].field, 2);
    EXPECT_EQ(cols[3].field, 3);
}

TEST(ListFormat, RefusesMalformedFormatsWithTheirPlace) {
    struct Case {
        const char* format;
        const char* where;
    };
    const Case cases[] = {
        {"L(2)", "character 1"},      // no width
        {"40X", "character 3"},       // unknown justification
        {"40L(2|", "character 6"},    // unclosed indent
        {"40L~Item", "character 5"},  // unterminated header
        {"40L@s128", "character 5"},  // unterminated picture
        {"40L@@", "character 6"},     // empty picture
        {"40L#0#", "character 6"},    // field numbers start at 1
        {"40L#x#", "character 5"},    // not a number
        {"40L|_Mz", "character 7"},   // stray character
        {"99999999L", "character 1"}, // absurd width
    };
    for (const auto& c : cases) {
        auto result = parseListFormat(c.format);
        ASSERT_FALSE(result.ok()) << c.format;
        EXPECT_EQ(result.error().where, c.where) << c.format;
        EXPECT_EQ(result.error().code, ErrorCode::Invalid);
    }
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
