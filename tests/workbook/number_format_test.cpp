#include "workbook/number_format.h"

#include <gtest/gtest.h>

namespace rowbit::numfmt {
namespace {

TEST(NumberFormat, BuiltinDateIdsAreExactlyTheDateRanges) {
    for (int id = 0; id < 200; ++id) {
        const bool expected = (id >= 14 && id <= 22) || (id >= 27 && id <= 36) ||
                              (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
        EXPECT_EQ(isBuiltinDateFormat(id), expected) << id;
    }
}

TEST(NumberFormat, CustomCodesShowDatesOnlyThroughUnquotedTokens) {
    struct Case {
        const char* code;
        bool date;
    };
    const Case cases[] = {
        {"yyyy-mm-dd", true},
        {"yy\"년\" m\"월\"", true},
        {"[$-409]mmm-yy", true},
        {"[h]:mm:ss", true},
        {"[mm]", true},
        {"h:mm AM/PM", true},
        {"General", false},
        {"#,##0.00", false},
        {"0.00E+00", false},
        {"\"day\" 0", false},
        {"\\d 0", false},
        {"[Red]#,##0", false},
        {"#,##0;[Red]-#,##0", false},
        {"0_);(0)", false},
        {"@", false},
        {"", false},
        {"\"unterminated", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDateFormatCode(c.code), c.date) << c.code;
}

} // namespace
} // namespace rowbit::numfmt
