#include "form/entry_check.h"

#include "app/picture.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

constexpr auto A = CheckStatus::Accepted;
constexpr auto NotNumeric = CheckStatus::DateNotNumeric;
constexpr auto Wrong = CheckStatus::DateWrongInput;

struct DateCase {
    const char* datePicture;
    const char* typed;
    CheckStatus status;
    const char* text; // when accepted
};

void runTable(picture::CivilDate today, std::initializer_list<DateCase> cases) {
    const std::int32_t serial = picture::serialFromCivil(today);
    for (const DateCase& c : cases) {
        const DateEntry got = checkDate(c.typed, c.datePicture, serial);
        EXPECT_EQ(got.status, c.status) << c.datePicture << " '" << c.typed << "' " << today.year;
        const std::string expected = c.status == A ? c.text : "";
        EXPECT_EQ(got.text, expected) << c.datePicture << " '" << c.typed << "' " << today.year;
    }
}

TEST(DateTable, SeventhOfDecember2026) {
    runTable({2026, 12, 7},
             {
                 {"@D9-", "5", A, "26-12-05"},      {"@D9-", "15", A, "26-12-15"},
                 {"@D9-", "45", A, "26-12-45"},     {"@D9-", " 5", A, "26-12- 5"},
                 {"@D9-", "0304", A, "26-03-04"},   {"@D9-", "140731", A, "14-07-31"},
                 {"@D9-", "123", Wrong, ""},        {"@D9-", "3/4", NotNumeric, ""},
                 {"@D9-", "1332", Wrong, ""},       {"@D9-", "0229", Wrong, ""},
                 {"@D9-", "000229", A, "00-02-29"}, {"@D9-", "990229", Wrong, ""},
                 {"@D9.", "0304  ", A, "26.03.04"}, {"@D1", "5", A, "12/05/26"},
                 {"@D1", "0304", A, "03/04/26"},    {"@D1", "073114", A, "07/31/14"},
                 {"@D1", "12345", Wrong, ""},       {"@D1", "x", NotNumeric, ""},
                 {"@D1", "0431", Wrong, ""},        {"@D1", "45", A, "12/45/26"},
                 {"@D5", "5", A, "05/12/26"},       {"@D5", "0304", A, "03/04/26"},
                 {"@D5", "310714", A, "31/07/14"},  {"@D5", "x", NotNumeric, ""},
                 {"@D5", "45", Wrong, ""},          {"@D5-", "1", A, "01-12-26"},
                 {"@D5", "-1.5", Wrong, ""},        {"", "0304", A, "26-03-04"},
             });
}

TEST(DateTable, TwentyNinthOfFebruary2028) {
    runTable({2028, 2, 29}, {
                                {"@D9-", "5", A, "28-02-05"},
                                {"@D9-", "30", A, "28-02-30"},
                                {"@D9-", "0229", A, "28-02-29"},
                                {"@D9-", "0230", Wrong, ""},
                                {"@D9-", "290229", Wrong, ""},
                                {"@D9-", "480229", A, "48-02-29"},
                                {"@D1", "7", A, "02/07/28"},
                                {"@D1", "0229", A, "02/29/28"},
                                {"@D1", "022927", Wrong, ""},
                                {"@D5", "29", A, "29/02/28"},
                                {"@D5", "30", Wrong, ""},
                                {"@D5", "2902", A, "29/02/28"},
                                {"@D5", "290228", A, "29/02/28"},
                                {"@D5.", "1", A, "01.02.28"},
                            });
}

TEST(DateTable, MessagesByOrderAndWhereTheEntryFailed) {
    EXPECT_EQ(checkMessage(NotNumeric, "@D1"), kDateM1);
    EXPECT_EQ(checkMessage(NotNumeric, "@D5."), kDateM1);
    EXPECT_EQ(checkMessage(NotNumeric, "@D9"), kDateM3);
    EXPECT_EQ(checkMessage(Wrong, "@D5-"), kDateM2);
    EXPECT_EQ(checkMessage(Wrong, "@D9."), kDateM4);
    EXPECT_EQ(checkMessage(CheckStatus::NotANumber, "@D9"), "숫자만 입력하세요");
    EXPECT_EQ(std::string(kDateM1).size(), 53u);
    EXPECT_EQ(std::string(kDateM2).size(), 73u);

    const std::int32_t today = picture::serialFromCivil({2026, 12, 7});
    EXPECT_EQ(checkDate("3/4", "@D9-", today).offset, 2);
    EXPECT_EQ(checkDate("12345", "@D1", today).offset, 5);
    EXPECT_EQ(firstNonNumeric("12a"), 3);
    EXPECT_EQ(firstNonNumeric(" -3.5"), 0);
}

} // namespace
} // namespace rowbit::form
