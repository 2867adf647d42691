#pragma once
// Display pictures: how numbers and dates become display text, and back.
//
// Numeric pictures: [@]N[-]width[.places][B]  (kind letter in either case; digits grouped by ",")
// Date pictures:    @D1 @D1- @D1. @D5 @D5- @D5. @D9 @D9- @D9.  (8 characters), D10- (yyyy-mm-dd),
//                   D11 (yymmdd), D12 (yyyymmdd)
// String pictures:  [@]S<n> (up to n CP949 bytes)
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

// Number of the day in the 1900 date system; no checking of the date's validity (a month or
// day out of range rolls over into the next months or years).
std::int32_t serialFromCivil(CivilDate date);
CivilDate civilFromSerial(std::int32_t serial);
// Years 1 to 9999 of the proleptic Gregorian calendar.
bool isValidDate(CivilDate date);
int daysInMonth(int year, int month); // 0 for a month outside 1..12
// Serials of a workbook in the 1904 date system (0 = 1 January 1904) in the 1900 system, and back.
double serialFrom1904(double serial1904);
double serialTo1904(double serial1900);
// Today's serial, local time.
std::int32_t today();

// A numeric picture taken apart: [@]N[-]width[.places][B].
inline constexpr int kMaxPictureWidth = 255;
struct NumericPicture {
    bool minus = false;     // "-": negatives carry a leading minus (they always do, see below)
    int width = 0;          // 0: as long as the text needs, no padding
    int places = 0;         // digits after the point; 0: no point
    bool blankZero = false; // "B": a value that shows as zero gives blanks only
};
// nullopt when `picture` is not a numeric picture.
std::optional<NumericPicture> parseNumericPicture(std::string_view picture);

// Formats `value` with a numeric picture. The value is first taken to 15 significant digits and
// then rounded to the picture's places, halves away from zero (2.675 gives 2.68). A value that
// does not fit the width shows the width filled with "#" (so does infinity or NaN). A negative
// value keeps its minus sign even in a picture without "-", so it never reads as positive; a
// value that rounds to zero shows no sign. Not a numeric picture: the plain decimal text.
std::string formatNumber(double value, std::string_view picture);
// The same with a picture parsed once, for loops over many cells.
std::string formatNumber(double value, const NumericPicture& picture);
// Formats a date serial with a date picture; the fraction of the day is ignored. "@D1".."@D9."
// and "D11" give the year's last two digits; "D10-" and "D12" four. Month and day are always
// two digits. A serial outside the years 1 to 9999 shows "#" over the picture's length; a text
// that is no date picture is formatted as "D10-".
std::string formatDate(double serial, std::string_view picture);
// How the program turns every two-digit year into a full one. A date whose two digits equal
// those of the year its cell held (`heldYear`) keeps that century; any other year lands in the
// hundred years from `todayYear` - 80 to `todayYear` + 19. `todayYear` 0 means the system's
// current year.
struct YearWindow {
    int todayYear = 0;
    std::optional<int> heldYear;
};
int fullYear(int twoDigits, const YearWindow& window = {});

// Reads a date text (or, with D11 / D12, a digit string) with a date picture; nullopt when
// the text is not a possible date in that picture. A two-digit year becomes a full one by
// `window`. Blanks around the text are ignored. D11 and D12 take exactly
// 6 and 8 digits; the other pictures three groups of digits in the picture's order split by
// "/", "-" or "." (the year in two or four digits).
std::optional<std::int32_t> readDate(std::string_view text, std::string_view picture,
                                     const YearWindow& window = {});
// A text through a string picture: at most n CP949 bytes, never splitting a character. A text
// that is no string picture leaves the text as it is.
std::string formatString(std::string_view text, std::string_view picture);
// A page number through the pattern "p<<# 쪽p": three places right-aligned, a blank, "쪽"
// ("  5 쪽"); a number too long for its places shows "###".
std::string formatPage(int page, std::string_view pattern = "p<<# 쪽p");
// A time of day (the fraction of a day; a whole part is ignored) as T3: 5:30PM, 12:05AM.
// "T1" gives 17:30.
std::string formatTime(double dayFraction, std::string_view picture = "T3");
std::string formatTimeOfDay(int secondsSinceMidnight, std::string_view picture = "T3");

// Plain decimal text: at most 15 significant digits, no grouping, no trailing zeros
// (1234.5, 7, 0.3 for 0.1 + 0.2).
std::string plainDecimal(double value);
// Reads a number from display text: keeps the digits, the decimal point and a leading minus
// sign, drops everything else; an empty remainder reads as 0. "1,234.50" gives 1234.5. A minus
// counts only before the first digit; a second decimal point is dropped.
double readNumber(std::string_view text);
// Apart from leading and trailing blanks: digits with at most one decimal point and an
// optional leading minus sign; at least one digit ("-" or "." alone is no number).
bool isNumeric(std::string_view text);

// Just the number of decimal places of a numeric picture, -1 when it is not one.
int pictureDecimals(std::string_view picture);

} // namespace rowbit::picture
