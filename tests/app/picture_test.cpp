#include "app/picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace rowbit::picture {
namespace {

std::string padLeft(const std::string& text, std::size_t width) {
    return std::string(width - text.size(), ' ') + text;
}

struct NumberCase {
    double value;
    const char* picture;
    std::string expected;
};

class FormatNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, GivesTheDisplayText) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(formatNumber(c.value, c.picture), c.expected)
        << "value " << c.value << " picture " << c.picture;
}

INSTANTIATE_TEST_SUITE_P(
    ListPictures, FormatNumberTest,
    ::testing::Values(
        // Numbers read from the workbook into the row list.
        NumberCase{-1234, "N-18B", padLeft("-1,234", 18)},
        NumberCase{0, "N-18B", std::string(18, ' ')},
        NumberCase{1234567, "N-18B", padLeft("1,234,567", 18)},
        NumberCase{0.5, "@n-18.2B", padLeft("0.50", 18)},
        NumberCase{0, "@n-18.2B", std::string(18, ' ')},
        NumberCase{-1234.5, "@n-18.2B", padLeft("-1,234.50", 18)},
        NumberCase{2.5, "@n-18.0B", padLeft("3", 18)},
        // Form fields and totals.
        NumberCase{0, "@n-25.2", padLeft("0.00", 25)},
        NumberCase{1234567.891, "@n-25.2", padLeft("1,234,567.89", 25)},
        NumberCase{0, "@N-25B", std::string(25, ' ')}, NumberCase{-7, "@N-20B", padLeft("-7", 20)},
        // Counts, percentages, row numbers, sizes, the start row.
        NumberCase{42, "N6", "    42"}, NumberCase{100, "N3", "100"}, NumberCase{7, "@N3", "  7"},
        NumberCase{0, "N4B", "    "}, NumberCase{30, "n4B", "  30"},
        NumberCase{12, "n10", "        12"},
        // Picture spelling: "@" optional, kind letter in either case, no width.
        NumberCase{1234, "n-8", "   1,234"}, NumberCase{1234, "@N-8", "   1,234"},
        NumberCase{1234567.5, "N.1", "1,234,567.5"}, NumberCase{999, "N", "999"},
        NumberCase{1000, "N", "1,000"}, NumberCase{100000, "N", "100,000"}));

INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatNumberTest,
    ::testing::Values(
        // Halves away from zero, judged on the number as written, not its binary neighbour.
        NumberCase{2.675, "N.2", "2.68"}, NumberCase{1.005, "N.2", "1.01"},
        NumberCase{-2.675, "N-.2", "-2.68"}, NumberCase{0.125, "N.2", "0.13"},
        NumberCase{2.5, "N", "3"}, NumberCase{-2.5, "N-", "-3"}, NumberCase{3.5, "N", "4"},
        NumberCase{0.45, "N.1", "0.5"}, NumberCase{1.44999, "N.1", "1.4"},
        // Carries through nines and across grouping.
        NumberCase{999.995, "N.2", "1,000.00"}, NumberCase{99999.5, "N", "100,000"},
        NumberCase{0.0005, "N.3", "0.001"}, NumberCase{0.0004, "N.3", "0.000"},
        // Values that round to zero are zero: no sign, and blank with "B".
        NumberCase{-0.004, "N-.2", "0.00"}, NumberCase{-0.004, "@n-8.2B", "        "},
        NumberCase{0.4, "N-5B", "     "}, NumberCase{0.1 + 0.2, "N.2", "0.30"},
        // More places than the value has are zero-filled.
        NumberCase{1.5, "N.4", "1.5000"}, NumberCase{1e-7, "N.3", "0.000"}));

INSTANTIATE_TEST_SUITE_P(
    Overflow, FormatNumberTest,
    ::testing::Values(NumberCase{123456, "N5", "#####"}, NumberCase{-1234, "N-5", "#####"},
                      NumberCase{-1234, "N-6", "-1,234"}, NumberCase{99.995, "N5.2", "#####"},
                      NumberCase{99.994, "N5.2", "99.99"},
                      NumberCase{1e20, "N-25", std::string(25, '#')},
                      NumberCase{1e20, "N-30", padLeft("100,000,000,000,000,000,000", 30)},
                      NumberCase{std::numeric_limits<double>::infinity(), "N-6", "######"},
                      NumberCase{std::nan(""), "N4", "####"}, NumberCase{1234, "N3", "###"}));

INSTANTIATE_TEST_SUITE_P(NegativeWithoutMinus, FormatNumberTest,
                         // A picture without "-" still shows the sign: -5 must never read as 5.
                         ::testing::Values(NumberCase{-5, "N6", "    -5"},
                                           NumberCase{-1234.5, "n10.1", "  -1,234.5"}));

TEST(FormatNumber, ParsedPictureGivesTheSameTextAsTheSpelledOne) {
    auto pic = parseNumericPicture("@n-18.2B");
    ASSERT_TRUE(pic);
    EXPECT_TRUE(pic->minus);
    EXPECT_EQ(pic->width, 18);
    EXPECT_EQ(pic->places, 2);
    EXPECT_TRUE(pic->blankZero);
    for (double v : {0.0, 0.5, -1234.567, 1e12, 3.14159}) {
        EXPECT_EQ(formatNumber(v, *pic), formatNumber(v, "@n-18.2B"));
    }
}

TEST(FormatNumber, TextThatIsNoNumericPictureGivesThePlainDecimal) {
    for (const char* bad : {"", "@", "X5", "N5Q", "N-18BB", "S20", "N99999"}) {
        EXPECT_FALSE(parseNumericPicture(bad)) << bad;
        EXPECT_EQ(formatNumber(1234.5, bad), "1234.5") << bad;
    }
}

TEST(PictureDecimals, TellsThePlacesOfNumericPicturesOnly) {
    EXPECT_EQ(pictureDecimals("@n-18.2B"), 2);
    EXPECT_EQ(pictureDecimals("@n-25.3"), 3);
    EXPECT_EQ(pictureDecimals("N-18B"), 0);
    EXPECT_EQ(pictureDecimals("@D1"), -1);
    EXPECT_EQ(pictureDecimals("s20"), -1);
}

TEST(PlainDecimal, FifteenSignificantDigitsWithoutTrailingZeros) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {1234.5, "1234.5"},
        {7, "7"},
        {0.1 + 0.2, "0.3"},
        {0, "0"},
        {-0.0, "0"},
        {-0.5, "-0.5"},
        {1e-7, "0.0000001"},
        {1e20, "100000000000000000000"},
        {1.0 / 3, "0.333333333333333"},
        {123456789.123456789, "123456789.123457"},
        {999999999999999.0, "999999999999999"},
        {-1234567.25, "-1234567.25"},
        {42308.75, "42308.75"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plainDecimal(c.value), c.expected) << c.value;
    }
}

TEST(ReadNumber, KeepsDigitsPointAndLeadingMinus) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"-1,234.5", -1234.5},
        {"1,234.50", 1234.5},
        {"abc", 0},
        {"", 0},
        {"   ", 0},
        {"-", 0},
        {".", 0},
        {"12원", 12},
        {"  -5", -5},
        {"     -1,234.50", -1234.5},
        {"12-3", 123},   // a minus after the first digit is no sign
        {"1.2.3", 1.23}, // a second point is dropped
        {"$ 7.25", 7.25},
        {"0.001", 0.001},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(readNumber(c.text), c.expected) << c.text;
    }
}

TEST(ReadNumber, ReadsBackWhatFormatNumberShows) {
    for (double v : {-1234.5, 0.5, 1234567.0, -0.25, 98765.4321}) {
        EXPECT_DOUBLE_EQ(readNumber(formatNumber(v, "@n-25.4")), v) << v;
    }
}

TEST(IsNumeric, DigitsWithOnePointAndLeadingMinus) {
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"123", true},  {" -3.5 ", true}, {".5", true},   {"5.", true},
        {"0", true},    {"1,234", false}, {"12a", false}, {"1.2.3", false},
        {"-", false},   {"", false},      {"   ", false}, {"3/4", false},
        {"--1", false}, {"1-", false},    {"- 1", false}, {"1 2", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isNumeric(c.text), c.expected) << '"' << c.text << '"';
    }
}

// 31 October 2015, the date every date picture example uses.
constexpr std::int32_t kOct31 = 42308;

TEST(DateSerial, CountsDaysFrom30December1899) {
    EXPECT_EQ(serialFromCivil({2015, 10, 31}), kOct31);
    EXPECT_EQ(serialFromCivil({1899, 12, 30}), 0);
    EXPECT_EQ(serialFromCivil({1900, 3, 1}), 61);
    EXPECT_EQ(serialFromCivil({1970, 1, 1}), 25569);
    EXPECT_EQ(serialFromCivil({2000, 2, 29}) + 1, serialFromCivil({2000, 3, 1}));
    const CivilDate d = civilFromSerial(kOct31);
    EXPECT_EQ(d.year, 2015);
    EXPECT_EQ(d.month, 10);
    EXPECT_EQ(d.day, 31);
    // Every day of four centuries goes there and back.
    for (std::int32_t s = -1000; s < 146097 + 1000; ++s) {
        const CivilDate c = civilFromSerial(s);
        ASSERT_TRUE(isValidDate(c)) << s;
        ASSERT_EQ(serialFromCivil(c), s);
    }
}

TEST(DateSerial, OutOfRangeMonthsAndDaysRollOver) {
    EXPECT_EQ(serialFromCivil({2015, 13, 1}), serialFromCivil({2016, 1, 1}));
    EXPECT_EQ(serialFromCivil({2015, 0, 1}), serialFromCivil({2014, 12, 1}));
    EXPECT_EQ(serialFromCivil({2015, 4, 31}), serialFromCivil({2015, 5, 1}));
}

TEST(DateSerial, ValidDatesAndMonthLengths) {
    EXPECT_TRUE(isValidDate({2000, 2, 29}));
    EXPECT_FALSE(isValidDate({1900, 2, 29}));
    EXPECT_FALSE(isValidDate({2015, 4, 31}));
    EXPECT_FALSE(isValidDate({2015, 13, 1}));
    EXPECT_FALSE(isValidDate({2015, 1, 0}));
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2023, 2), 28);
    EXPECT_EQ(daysInMonth(2023, 13), 0);
}

TEST(DateSerial, Converts1904Serials) {
    // Day 0 of the 1904 system is 1 January 1904.
    const CivilDate d = civilFromSerial(static_cast<std::int32_t>(serialFrom1904(0)));
    EXPECT_EQ(d.year, 1904);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(serialFrom1904(kOct31 - 1462), kOct31);
    EXPECT_DOUBLE_EQ(serialTo1904(serialFrom1904(12345.25)), 12345.25);
    EXPECT_EQ(formatDate(serialFrom1904(40846), "D10-"), "2015-10-31");
}

TEST(DateSerial, TodayIsAPlausibleDay) {
    const CivilDate d = civilFromSerial(today());
    EXPECT_GE(d.year, 2024);
    EXPECT_LE(d.year, 2100);
}

struct DateCase {
    const char* picture;
    const char* expected;
};

class FormatDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(FormatDateTest, ShowsThirtyFirstOctober2015) {
    EXPECT_EQ(formatDate(kOct31, GetParam().picture), GetParam().expected);
    // A time of day does not move the day.
    EXPECT_EQ(formatDate(kOct31 + 0.99, GetParam().picture), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryDatePicture, FormatDateTest,
    ::testing::Values(DateCase{"@D1", "10/31/15"}, DateCase{"@D1-", "10-31-15"},
                      DateCase{"@D1.", "10.31.15"}, DateCase{"@D5", "31/10/15"},
                      DateCase{"@D5-", "31-10-15"}, DateCase{"@D5.", "31.10.15"},
                      DateCase{"@D9", "15/10/31"}, DateCase{"@D9-", "15-10-31"},
                      DateCase{"@D9.", "15.10.31"}, DateCase{"D10-", "2015-10-31"},
                      DateCase{"D11", "151031"}, DateCase{"D12", "20151031"},
                      DateCase{"@d9-", "15-10-31"}, DateCase{"d10-", "2015-10-31"}));

TEST(FormatDate, MonthAndDayAlwaysTakeTwoDigits) {
    const double march4 = serialFromCivil({2026, 3, 4});
    EXPECT_EQ(formatDate(march4, "@D9-"), "26-03-04");
    EXPECT_EQ(formatDate(march4, "@D1"), "03/04/26");
    EXPECT_EQ(formatDate(march4, "@D5."), "04.03.26");
    EXPECT_EQ(formatDate(serialFromCivil({2007, 1, 2}), "D10-"), "2007-01-02");
    EXPECT_EQ(formatDate(serialFromCivil({2000, 1, 1}), "@D1"), "01/01/00");
}

TEST(FormatDate, SerialsThatAreNoDateShowHashes) {
    EXPECT_EQ(formatDate(1e9, "@D1"), "########");
    EXPECT_EQ(formatDate(std::nan(""), "D10-"), "##########");
    EXPECT_EQ(formatDate(-1e7, "D11"), "######");
}

TEST(FormatDate, UnknownPictureFallsBackToTheLongForm) {
    EXPECT_EQ(formatDate(kOct31, ""), "2015-10-31");
    EXPECT_EQ(formatDate(kOct31, "@D4"), "2015-10-31");
}

struct ReadCase {
    const char* text;
    const char* picture;
    std::optional<CivilDate> expected; // nullopt: refused
};

class ReadDateTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadDateTest, ReadsOrRefuses) {
    const ReadCase& c = GetParam();
    auto got = readDate(c.text, c.picture, YearWindow{2026, std::nullopt});
    if (!c.expected) {
        EXPECT_FALSE(got) << c.text << " with " << c.picture;
        return;
    }
    ASSERT_TRUE(got) << c.text << " with " << c.picture;
    EXPECT_EQ(*got, serialFromCivil(*c.expected)) << c.text << " with " << c.picture;
}

INSTANTIATE_TEST_SUITE_P(
    DigitStrings, ReadDateTest,
    ::testing::Values(
        ReadCase{"151031", "D11", CivilDate{2015, 10, 31}},
        ReadCase{"20151031", "D12", CivilDate{2015, 10, 31}},
        ReadCase{" 151031 ", "D11", CivilDate{2015, 10, 31}},
        // The two-digit-year window of 2026: 1946 to 2045.
        ReadCase{"000101", "D11", CivilDate{2000, 1, 1}},
        ReadCase{"300101", "D11", CivilDate{2030, 1, 1}},
        ReadCase{"451231", "D11", CivilDate{2045, 12, 31}},
        ReadCase{"460101", "D11", CivilDate{1946, 1, 1}},
        ReadCase{"991231", "D11", CivilDate{1999, 12, 31}},
        // 29 February exists in 2000 and 2028, not in 2030 or 1900.
        ReadCase{"000229", "D11", CivilDate{2000, 2, 29}},
        ReadCase{"280229", "D11", CivilDate{2028, 2, 29}}, ReadCase{"300229", "D11", std::nullopt},
        ReadCase{"19000229", "D12", std::nullopt},
        // Impossible dates are refused.
        ReadCase{"151301", "D11", std::nullopt}, ReadCase{"150431", "D11", std::nullopt},
        ReadCase{"151032", "D11", std::nullopt}, ReadCase{"150001", "D11", std::nullopt},
        ReadCase{"151000", "D11", std::nullopt}, ReadCase{"20261301", "D12", std::nullopt},
        // Wrong length or characters.
        ReadCase{"15103", "D11", std::nullopt}, ReadCase{"1.0304", "D11", std::nullopt},
        ReadCase{"-10304", "D11", std::nullopt}, ReadCase{"2015103", "D12", std::nullopt},
        ReadCase{"", "D12", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(ShortForms, ReadDateTest,
                         ::testing::Values(ReadCase{"10/31/15", "@D1", CivilDate{2015, 10, 31}},
                                           ReadCase{"31.10.15", "@D5.", CivilDate{2015, 10, 31}},
                                           ReadCase{"15-10-31", "@D9-", CivilDate{2015, 10, 31}},
                                           ReadCase{"2015-10-31", "D10-", CivilDate{2015, 10, 31}},
                                           ReadCase{"1/2/03", "@D1", CivilDate{2003, 1, 2}},
                                           ReadCase{"31/04/15", "@D5", std::nullopt},
                                           ReadCase{"13/01/15", "@D1", std::nullopt},
                                           ReadCase{"15-10", "@D9-", std::nullopt},
                                           ReadCase{"15-10-31x", "@D9-", std::nullopt},
                                           ReadCase{"15-10-31", "S20", std::nullopt}));

TEST(ReadDate, EveryShortPictureReadsBackWhatItShows) {
    const char* pictures[] = {"@D1", "@D1-", "@D1.", "@D5",  "@D5-", "@D5.",
                              "@D9", "@D9-", "@D9.", "D10-", "D11",  "D12"};
    const std::int32_t first = serialFromCivil({1946, 1, 1});
    const std::int32_t last = serialFromCivil({2045, 12, 31});
    for (const char* p : pictures) {
        for (std::int32_t s = first; s <= last; s += 7) {
            auto back = readDate(formatDate(s, p), p, YearWindow{2026, std::nullopt});
            ASSERT_TRUE(back) << p << " " << formatDate(s, p);
            ASSERT_EQ(*back, s) << p << " " << formatDate(s, p);
        }
    }
}

TEST(FullYear, KeepsTheHeldCenturyElseTheHundredYearsAroundToday) {
    struct Case {
        int twoDigits;
        YearWindow window;
        int expected;
    } cases[] = {
        {30, {2026, 2029}, 2030}, {29, {2026, 2029}, 2029},
        {30, {2026, 1930}, 1930}, {30, {2026, std::nullopt}, 2030},
        {45, {2026, {}}, 2045},   {46, {2026, {}}, 1946},
        {0, {2026, {}}, 2000},    {99, {2026, {}}, 1999},
        {7, {2126, {}}, 2107},    {46, {2126, {}}, 2046},
        {45, {2126, {}}, 2145},   {12, {2026, 1812}, 1812},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fullYear(c.twoDigits, c.window), c.expected)
            << c.twoDigits << " in " << c.window.todayYear;
    }
}

TEST(FormatString, CutsToTheWidthInBytes) {
    EXPECT_EQ(formatString("abcdefg", "@s5"), "abcde");
    EXPECT_EQ(formatString("abc", "s20"), "abc");
    EXPECT_EQ(formatString("가나다", "S5"), "가나");
    EXPECT_EQ(formatString("가나다", "S3"), "가");
    EXPECT_EQ(formatString("keep", "N5"), "keep");
}

TEST(FormatPage, ThreePlacesThenTheWordForPage) {
    EXPECT_EQ(formatPage(5), "  5 쪽");
    EXPECT_EQ(formatPage(42), " 42 쪽");
    EXPECT_EQ(formatPage(123), "123 쪽");
    EXPECT_EQ(formatPage(1000), "### 쪽");
}

TEST(FormatTime, TwelveHourClockWithoutLeadingZero) {
    EXPECT_EQ(formatTime(17.5 / 24), "5:30PM");
    EXPECT_EQ(formatTime(0), "12:00AM");
    EXPECT_EQ(formatTime(0.5), "12:00PM");
    EXPECT_EQ(formatTime(kOct31 + 0.25), "6:00AM");
    EXPECT_EQ(formatTime(23.0 / 24 + 59.0 / 1440), "11:59PM");
    EXPECT_EQ(formatTimeOfDay(13 * 3600 + 5 * 60), "1:05PM");
    EXPECT_EQ(formatTime(17.5 / 24, "T1"), "17:30");
}

} // namespace
} // namespace rowbit::picture
