#include "app/picture.h"

#include "app/cp949_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

namespace rowbit::picture {
namespace {

// A finite number as at most 15 significant decimal digits: value = 0.d[0]d[1]... x 10^point,
// that is, `point` digits stand before the decimal point (negative: zeros after the point
// first). No trailing zeros; zero has no digits.
struct Decimal {
    char d[24] = {};
    int n = 0;
    int point = 0;
    bool negative = false;
};

void stripTrailingZeros(Decimal& x) {
    while (x.n > 0 && x.d[x.n - 1] == '0') {
        --x.n;
    }
    if (x.n == 0) {
        x.point = 0;
        x.negative = false;
    }
}

Decimal toDecimal(double value) {
    Decimal x;
    if (value == 0) {
        return x;
    }
    x.negative = value < 0;
    double mag = std::fabs(value);
    // Whole numbers below 10^15 are exact in a double: their digits come straight out.
    if (mag < 1e15 && mag == std::trunc(mag)) {
        auto v = static_cast<std::uint64_t>(mag);
        char tmp[24];
        int len = 0;
        while (v > 0) {
            tmp[len++] = static_cast<char>('0' + v % 10);
            v /= 10;
        }
        for (int i = 0; i < len; ++i) {
            x.d[i] = tmp[len - 1 - i];
        }
        x.n = len;
        x.point = len;
        stripTrailingZeros(x);
        return x;
    }
    // d.dddddddddddddde+XX: 15 significant digits, correctly rounded.
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::scientific, 14);
    const char* p = buf;
    x.d[x.n++] = *p++;
    if (p < res.ptr && *p == '.') {
        ++p;
    }
    while (p < res.ptr && *p != 'e') {
        x.d[x.n++] = *p++;
    }
    int exp = 0;
    if (p < res.ptr && *p == 'e') {
        ++p;
        bool negExp = *p == '-';
        ++p;
        std::from_chars(p, res.ptr, exp);
        if (negExp) {
            exp = -exp;
        }
    }
    x.point = exp + 1;
    stripTrailingZeros(x);
    return x;
}

// Rounds to `places` digits after the decimal point, halves away from zero (the digits are the
// magnitude, so rounding a half up rounds it away from zero).
void roundTo(Decimal& x, int places) {
    int keep = x.point + places;
    if (keep >= x.n) {
        return;
    }
    if (keep < 0) {
        x.n = 0;
        stripTrailingZeros(x);
        return;
    }
    bool up = x.d[keep] >= '5';
    x.n = keep;
    if (up) {
        int i = x.n - 1;
        while (i >= 0 && x.d[i] == '9') {
            x.d[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++x.d[i];
        } else {
            // Every kept digit was a 9 (or none was kept): a new leading 1.
            std::memmove(x.d + 1, x.d, static_cast<std::size_t>(x.n));
            x.d[0] = '1';
            ++x.n;
            ++x.point;
        }
    }
    stripTrailingZeros(x);
}

char digitAt(const Decimal& x, int index) {
    return index >= 0 && index < x.n ? x.d[index] : '0';
}

std::string_view skipAt(std::string_view picture) {
    if (!picture.empty() && picture.front() == '@') {
        picture.remove_prefix(1);
    }
    return picture;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of digits at `i` into `out`; false when there is none (or it is absurdly long).
bool readInt(std::string_view s, std::size_t& i, int& out) {
    std::size_t start = i;
    out = 0;
    while (i < s.size() && isDigit(s[i])) {
        if (i - start >= 6) {
            return false;
        }
        out = out * 10 + (s[i] - '0');
        ++i;
    }
    return i > start;
}

void appendTwo(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + v / 10 % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

void appendFour(std::string& out, int v) {
    appendTwo(out, v / 100 % 100);
    appendTwo(out, v % 100);
}

// Days from 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilDate civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Serial of 1 January 1970 in the 1900 date system.
constexpr std::int64_t kUnixEpochSerial = 25569;
// Days between the two date systems' day 0 (30 Dec 1899 and 1 Jan 1904).
constexpr double k1904Offset = 1462;

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct DatePicture {
    int kind = 0;       // 1, 5, 9, 10, 11, 12
    char separator = 0; // for 1, 5, 9, 10
    bool fourDigitYear = false;
    DateOrder order = DateOrder::YearMonthDay;
};

std::optional<DatePicture> parseDatePicture(std::string_view picture) {
    picture = skipAt(cp949::trim(picture));
    if (picture.empty() || (picture[0] != 'D' && picture[0] != 'd')) {
        return std::nullopt;
    }
    std::size_t i = 1;
    DatePicture p;
    if (!readInt(picture, i, p.kind)) {
        return std::nullopt;
    }
    switch (p.kind) {
    case 1:
        p.order = DateOrder::MonthDayYear;
        break;
    case 5:
        p.order = DateOrder::DayMonthYear;
        break;
    case 9:
        break;
    case 10:
    case 12:
        p.fourDigitYear = true;
        break;
    case 11:
        break;
    default:
        return std::nullopt;
    }
    p.separator = '/';
    if (i < picture.size()) {
        char c = picture[i];
        if (c == '-' || c == '.' || c == '/') {
            p.separator = c;
            ++i;
        }
    }
    if (i != picture.size()) {
        return std::nullopt;
    }
    return p;
}

} // namespace

std::optional<NumericPicture> parseNumericPicture(std::string_view picture) {
    picture = skipAt(picture);
    if (picture.empty() || (picture[0] != 'N' && picture[0] != 'n')) {
        return std::nullopt;
    }
    NumericPicture p;
    std::size_t i = 1;
    if (i < picture.size() && picture[i] == '-') {
        p.minus = true;
        ++i;
    }
    int v = 0;
    if (readInt(picture, i, v)) {
        p.width = v;
    }
    if (i < picture.size() && picture[i] == '.') {
        ++i;
        if (readInt(picture, i, v)) {
            p.places = v;
        }
    }
    if (i < picture.size() && (picture[i] == 'B' || picture[i] == 'b')) {
        p.blankZero = true;
        ++i;
    }
    if (i != picture.size() || p.width > kMaxPictureWidth || p.places > kMaxPictureWidth) {
        return std::nullopt;
    }
    return p;
}

std::string formatNumber(double value, const NumericPicture& pic) {
    const auto width = static_cast<std::size_t>(pic.width);
    if (!std::isfinite(value)) {
        return std::string(width > 0 ? width : 1, '#');
    }
    Decimal x = toDecimal(value);
    roundTo(x, pic.places);
    if (x.n == 0 && pic.blankZero) {
        return std::string(width, ' ');
    }
    // Longest text: a sign, 309 integer digits with 103 commas, the point and the places.
    char buf[2 * kMaxPictureWidth + 440];
    std::size_t len = 0;
    // A negative number always keeps its sign: without one a debit would show as a credit.
    if (x.negative) {
        buf[len++] = '-';
    }
    const int intDigits = x.point > 0 ? x.point : 1;
    for (int i = 0; i < intDigits; ++i) {
        if (i > 0 && (intDigits - i) % 3 == 0) {
            buf[len++] = ',';
        }
        buf[len++] = x.point > 0 ? digitAt(x, i) : '0';
    }
    if (pic.places > 0) {
        buf[len++] = '.';
        for (int i = 0; i < pic.places; ++i) {
            buf[len++] = digitAt(x, x.point + i);
        }
    }
    if (width == 0) {
        return std::string(buf, len);
    }
    if (len > width) {
        return std::string(width, '#');
    }
    std::string out(width, ' ');
    std::memcpy(out.data() + (width - len), buf, len);
    return out;
}

std::string formatNumber(double value, std::string_view picture) {
    auto pic = parseNumericPicture(picture);
    if (!pic) {
        return plainDecimal(value);
    }
    return formatNumber(value, *pic);
}

int pictureDecimals(std::string_view picture) {
    auto pic = parseNumericPicture(picture);
    return pic ? pic->places : -1;
}

std::string plainDecimal(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    Decimal x = toDecimal(value);
    if (x.n == 0) {
        return "0";
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(x.n + (x.point > 0 ? x.point : -x.point) + 3));
    if (x.negative) {
        out.push_back('-');
    }
    if (x.point <= 0) {
        out.push_back('0');
    } else {
        for (int i = 0; i < x.point; ++i) {
            out.push_back(digitAt(x, i));
        }
    }
    if (x.n > x.point) {
        out.push_back('.');
        for (int i = x.point; i < x.n; ++i) {
            out.push_back(digitAt(x, i));
        }
    }
    return out;
}

double readNumber(std::string_view text) {
    char buf[352];
    std::size_t len = 0;
    bool negative = false;
    bool sawDigitOrPoint = false;
    bool sawPoint = false;
    for (char c : text) {
        if (isDigit(c)) {
            sawDigitOrPoint = true;
            if (len < sizeof buf - 1) {
                buf[len++] = c;
            }
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
            sawDigitOrPoint = true;
            if (len < sizeof buf - 1) {
                buf[len++] = '.';
            }
        } else if (c == '-' && !sawDigitOrPoint) {
            negative = true;
        }
    }
    double v = 0;
    if (len == 0 || (len == 1 && buf[0] == '.')) {
        return 0;
    }
    std::from_chars(buf, buf + len, v);
    return negative ? -v : v;
}

bool isNumeric(std::string_view text) {
    text = cp949::trim(text);
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (isDigit(c)) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

std::int32_t serialFromCivil(CivilDate date) {
    // Months outside 1..12 roll into the neighbouring years, days past the month's end into
    // the next months, so serialFromCivil never fails; isValidDate tells a real date.
    std::int64_t y = date.year;
    std::int64_t m = date.month - 1;
    y += m >= 0 ? m / 12 : -((11 - m) / 12);
    m = ((m % 12) + 12) % 12;
    std::int64_t days = daysFromCivil(y, static_cast<unsigned>(m + 1), 1) + date.day - 1;
    return static_cast<std::int32_t>(days + kUnixEpochSerial);
}

CivilDate civilFromSerial(std::int32_t serial) {
    return civilFromDays(static_cast<std::int64_t>(serial) - kUnixEpochSerial);
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool isValidDate(CivilDate date) {
    return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
           date.day >= 1 && date.day <= daysInMonth(date.year, date.month);
}

double serialFrom1904(double serial1904) {
    return serial1904 + k1904Offset;
}

double serialTo1904(double serial1900) {
    return serial1900 - k1904Offset;
}

std::int32_t today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return serialFromCivil(CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

int fullYear(int twoDigits, const YearWindow& window) {
    if (window.heldYear && *window.heldYear >= 0 && *window.heldYear % 100 == twoDigits) {
        return *window.heldYear;
    }
    const int thisYear = window.todayYear != 0 ? window.todayYear : civilFromSerial(today()).year;
    const int first = thisYear - 80;
    int year = first - first % 100 + twoDigits;
    if (year < first) {
        year += 100;
    }
    return year;
}

std::string formatDate(double serial, std::string_view picture) {
    auto pic = parseDatePicture(picture);
    if (!pic) {
        pic = parseDatePicture("D10-");
    }
    const std::size_t length = pic->kind == 11 ? 6 : pic->kind == 12 ? 8 : pic->kind == 10 ? 10 : 8;
    // Serials outside years 1 to 9999 (or not numbers at all) cannot be shown as a date.
    if (!std::isfinite(serial) || serial < -693593 || serial >= 2958466) {
        return std::string(length, '#');
    }
    const CivilDate date = civilFromSerial(static_cast<std::int32_t>(std::floor(serial)));
    std::string out;
    out.reserve(length);
    const char sep = pic->separator;
    switch (pic->kind) {
    case 1:
        appendTwo(out, date.month);
        out.push_back(sep);
        appendTwo(out, date.day);
        out.push_back(sep);
        appendTwo(out, date.year % 100);
        break;
    case 5:
        appendTwo(out, date.day);
        out.push_back(sep);
        appendTwo(out, date.month);
        out.push_back(sep);
        appendTwo(out, date.year % 100);
        break;
    case 9:
        appendTwo(out, date.year % 100);
        out.push_back(sep);
        appendTwo(out, date.month);
        out.push_back(sep);
        appendTwo(out, date.day);
        break;
    case 10:
        appendFour(out, date.year);
        out.push_back(sep);
        appendTwo(out, date.month);
        out.push_back(sep);
        appendTwo(out, date.day);
        break;
    case 11:
        appendTwo(out, date.year % 100);
        appendTwo(out, date.month);
        appendTwo(out, date.day);
        break;
    default: // 12
        appendFour(out, date.year);
        appendTwo(out, date.month);
        appendTwo(out, date.day);
        break;
    }
    return out;
}

std::optional<std::int32_t> readDate(std::string_view text, std::string_view picture,
                                     const YearWindow& window) {
    auto pic = parseDatePicture(picture);
    if (!pic) {
        return std::nullopt;
    }
    text = cp949::trim(text);
    int parts[3] = {0, 0, 0};
    int lengths[3] = {0, 0, 0};
    if (pic->kind == 11 || pic->kind == 12) {
        const std::size_t want = pic->kind == 11 ? 6 : 8;
        if (text.size() != want) {
            return std::nullopt;
        }
        for (char c : text) {
            if (!isDigit(c)) {
                return std::nullopt;
            }
        }
        const int yearLen = pic->kind == 11 ? 2 : 4;
        std::size_t i = 0;
        const int lens[3] = {yearLen, 2, 2};
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < lens[k]; ++j) {
                parts[k] = parts[k] * 10 + (text[i++] - '0');
            }
            lengths[k] = lens[k];
        }
    } else {
        // Three groups of digits split by the picture's separator (or another of / - .).
        std::size_t i = 0;
        for (int k = 0; k < 3; ++k) {
            if (k > 0) {
                if (i >= text.size() || (text[i] != '/' && text[i] != '-' && text[i] != '.')) {
                    return std::nullopt;
                }
                ++i;
            }
            std::size_t start = i;
            if (!readInt(text, i, parts[k])) {
                return std::nullopt;
            }
            lengths[k] = static_cast<int>(i - start);
        }
        if (i != text.size()) {
            return std::nullopt;
        }
    }
    int year = 0;
    int yearLen = 0;
    CivilDate date;
    switch (pic->order) {
    case DateOrder::MonthDayYear:
        date.month = parts[0];
        date.day = parts[1];
        year = parts[2];
        yearLen = lengths[2];
        break;
    case DateOrder::DayMonthYear:
        date.day = parts[0];
        date.month = parts[1];
        year = parts[2];
        yearLen = lengths[2];
        break;
    case DateOrder::YearMonthDay:
        year = parts[0];
        yearLen = lengths[0];
        date.month = parts[1];
        date.day = parts[2];
        break;
    }
    if (yearLen <= 2) {
        year = fullYear(year, window);
    } else if (yearLen != 4) {
        return std::nullopt;
    }
    date.year = year;
    if (!isValidDate(date)) {
        return std::nullopt;
    }
    return serialFromCivil(date);
}

std::string formatString(std::string_view text, std::string_view picture) {
    std::string_view p = skipAt(picture);
    if (p.empty() || (p[0] != 'S' && p[0] != 's')) {
        return std::string(text);
    }
    std::size_t i = 1;
    int n = 0;
    if (!readInt(p, i, n) || i != p.size()) {
        return std::string(text);
    }
    return cp949::cut(text, static_cast<std::size_t>(n));
}

std::string formatPage(int page, std::string_view pattern) {
    // The first and last characters only delimit the pattern.
    if (pattern.size() >= 2 && pattern.front() == pattern.back() &&
        (pattern.front() == 'p' || pattern.front() == 'P')) {
        pattern = pattern.substr(1, pattern.size() - 2);
    }
    std::size_t slotStart = pattern.find_first_of("<#");
    if (slotStart == std::string_view::npos) {
        return std::string(pattern);
    }
    std::size_t slotEnd = pattern.find_first_not_of("<#", slotStart);
    if (slotEnd == std::string_view::npos) {
        slotEnd = pattern.size();
    }
    const std::size_t slot = slotEnd - slotStart;
    std::string digits = std::to_string(page);
    std::string field;
    if (digits.size() > slot) {
        field.assign(slot, '#');
    } else {
        field.assign(slot - digits.size(), ' ');
        field += digits;
    }
    std::string out(pattern.substr(0, slotStart));
    out += field;
    out += pattern.substr(slotEnd);
    return out;
}

std::string formatTime(double dayFraction, std::string_view picture) {
    if (!std::isfinite(dayFraction)) {
        return {};
    }
    double frac = dayFraction - std::floor(dayFraction);
    auto seconds = static_cast<long>(std::llround(frac * 86400.0)) % 86400;
    const int hour = static_cast<int>(seconds / 3600);
    const int minute = static_cast<int>(seconds % 3600 / 60);
    std::string_view p = skipAt(picture);
    std::string out;
    if (p == "T1" || p == "t1") {
        appendTwo(out, hour);
        out.push_back(':');
        appendTwo(out, minute);
        return out;
    }
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    out = std::to_string(hour12);
    out.push_back(':');
    appendTwo(out, minute);
    out += hour < 12 ? "AM" : "PM";
    return out;
}

std::string formatTimeOfDay(int secondsSinceMidnight, std::string_view picture) {
    return formatTime(secondsSinceMidnight / 86400.0, picture);
}

} // namespace rowbit::picture
