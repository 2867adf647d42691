#pragma once
// Display pictures: how numbers and dates become display text, and back.
//
// Numeric pictures: [@]N[-]width[.places][B]  (kind letter in either case; digits grouped by ",")
// Date pictures:    @D1 @D1- @D1. @D5 @D5- @D5. @D9 @D9- @D9.  (8 characters), D10- (yyyy-mm-dd),
//                   D11 (yymmdd), D12 (yyyymmdd)
// String pictures:  [@]S<n> (up to n characters)
// Page pattern:     p<<# 쪽p
// Time picture:     T3 (5:30PM)
//
// Dates are serials: days since 30 December 1899 (1900 date system, as spreadsheets store them
// after day 60). A serial with a fraction (a time of day) shows its day.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rowbit::picture {

struct CivilDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
};

// Number of the day in the 1900 date system; no checking of the date's validity.
std::int32_t serialFromCivil(CivilDate date);
CivilDate civilFromSerial(std::int32_t serial);
bool isValidDate(CivilDate date);
// Serials of a workbook in the 1904 date system (0 = 1 January 1904) in the 1900 system, and back.
double serialFrom1904(double serial1904);
double serialTo1904(double serial1900);
// Today's serial, local time.
std::int32_t today();

// Formats `value` with a numeric picture. A value that does not fit the width shows the
// width filled with "#". Halves round away from zero.
std::string formatNumber(double value, std::string_view picture);
// Formats a date serial with a date picture; the fraction of the day is ignored.
std::string formatDate(double serial, std::string_view picture);
// Reads a date text (or, with D11 / D12, a digit string) with a date picture; nullopt when
// the text is not a possible date in that picture. A two-digit year means 2000-2029 for
// 00-29 and 1930-1999 for 30-99.
std::optional<std::int32_t> readDate(std::string_view text, std::string_view picture);
// A text through a string picture: at most n characters.
std::string formatString(std::string_view text, std::string_view picture);
// A page number through the pattern "p<<# 쪽p": three places right-aligned, a blank, "쪽".
std::string formatPage(int page, std::string_view pattern = "p<<# 쪽p");
// A time of day (fraction of a day, or seconds since midnight with the overload) as T3: 5:30PM.
std::string formatTime(double dayFraction, std::string_view picture = "T3");

// Plain decimal text: at most 15 significant digits, no grouping, no trailing zeros
// (1234.5, 7, 0.3 for 0.1 + 0.2).
std::string plainDecimal(double value);
// Reads a number from display text: keeps the digits, the decimal point and a leading minus
// sign, drops everything else; an empty remainder reads as 0. "1,234.50" gives 1234.5.
double readNumber(std::string_view text);
// Apart from leading and trailing blanks: digits with at most one decimal point and an
// optional leading minus sign.
bool isNumeric(std::string_view text);

// Just the number of decimal places of a numeric picture, -1 when it is not one.
int pictureDecimals(std::string_view picture);

} // namespace rowbit::picture
