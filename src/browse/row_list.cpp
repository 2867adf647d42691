#include "browse/row_list.h"

#include "app/cp949_text.h"
#include "app/picture.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>

namespace rowbit {

namespace {

// The date serials a date picture can show (years 1900 to 9999).
constexpr double kLastSerial = 2958465;

const picture::NumericPicture& listPicture(int places) {
    // "N-18B" and "@n-18.<places>B", parsed once.
    static const auto pictures = [] {
        std::array<picture::NumericPicture, 16> all{};
        for (int d = 0; d < 16; ++d) {
            const std::string text = d == 0 ? "N-18B" : "@n-18." + std::to_string(d) + "B";
            all[d] = *picture::parseNumericPicture(text);
        }
        return all;
    }();
    return pictures[std::clamp(places, 0, 15)];
}

std::string datePicture(const AppState& state) {
    return state.gdate.empty() ? std::string("@D9-") : state.gdate;
}

bool allBlank(const Record& record) {
    for (const std::string& text : record.col) {
        if (!cp949::trim(text).empty())
            return false;
    }
    return true;
}

ResultLine resultLine(const RowList& q1, std::size_t pos) {
    ResultLine line;
    const Record& record = q1.at(pos);
    line.col = record.col;
    line.memo = cp949::cut(record.memo, kResultMemoBytes);
    line.pointer = q1.id(pos);
    return line;
}

} // namespace

// The slow way: the plain text's places, then the list's picture.
std::string numberTextByPicture(double value, const std::string& plain) {
    const auto point = plain.find('.');
    const int places = point == std::string::npos ? 0 : static_cast<int>(plain.size() - point - 1);
    std::string text = places < 16
                           ? picture::formatNumber(value, listPicture(places))
                           : picture::formatNumber(value, "@n-18." + std::to_string(places) + "B");
    return std::string(cp949::trim(text));
}

std::string numberText(double value) {
    // The list shows a number with exactly the places of its plain text, so the shown text
    // is the plain text with its whole part grouped: built directly, as a sheet holds
    // millions of them. Anything unusual goes through the picture.
    // Whole numbers of up to 15 digits need no decimal conversion at all.
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        if (value == 0)
            return {};
        auto whole = static_cast<long long>(std::fabs(value));
        char digits[24];
        int n = 0;
        for (int i = 0; whole > 0; ++i, whole /= 10) {
            if (i != 0 && i % 3 == 0)
                digits[n++] = ',';
            digits[n++] = static_cast<char>('0' + whole % 10);
        }
        if (value < 0)
            digits[n++] = '-';
        return std::string(std::make_reverse_iterator(digits + n),
                           std::make_reverse_iterator(digits));
    }
    // The shortest text that reads back as the value is the plain text whenever it has at
    // most the plain text's 15 significant digits; only longer ones need rounding.
    char shortest[64];
    const auto [end, error] =
        std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed);
    int significant = 0;
    bool leading = true;
    for (const char* p = shortest; error == std::errc() && p != end; ++p) {
        if (*p >= '1' && *p <= '9')
            leading = false;
        if (!leading && *p >= '0' && *p <= '9')
            ++significant;
    }
    const std::string plain = error == std::errc() && significant <= 15
                                  ? std::string(shortest, end)
                                  : picture::plainDecimal(value);
    std::size_t start = plain.empty() || plain[0] != '-' ? 0 : 1;
    const std::size_t point = plain.find('.');
    const std::size_t wholeEnd = point == std::string::npos ? plain.size() : point;
    bool digits = wholeEnd > start;
    for (std::size_t i = start; i < plain.size() && digits; ++i) {
        if (i != point && (plain[i] < '0' || plain[i] > '9'))
            digits = false;
    }
    if (!digits)
        return numberTextByPicture(value, plain);
    if (plain.find_first_not_of("-0.") == std::string::npos)
        return {}; // zero shows blank
    std::string text;
    text.reserve(plain.size() + plain.size() / 3 + 1);
    if (start == 1)
        text += '-';
    const std::size_t wholeDigits = wholeEnd - start;
    for (std::size_t i = 0; i < wholeDigits; ++i) {
        if (i != 0 && (wholeDigits - i) % 3 == 0)
            text += ',';
        text += plain[start + i];
    }
    text.append(plain, wholeEnd, std::string::npos);
    if (text.size() > 18)
        return numberTextByPicture(value, plain); // too wide for the list's picture
    return text;
}

std::string cellText(const Sheet& sheet, int row, int col, const std::string& gdate,
                     bool date1904) {
    switch (sheet.cellType(row, col)) {
    case CellType::Number: {
        const double value = sheet.readNum(row, col);
        if (sheet.isDate(row, col)) {
            const double serial = date1904 ? picture::serialFrom1904(value) : value;
            // A date format on a number no calendar holds shows the number instead.
            if (serial >= 0 && serial <= kLastSerial)
                return picture::formatDate(serial, gdate.empty() ? "@D9-" : gdate);
        }
        return numberText(value);
    }
    case CellType::Text:
        return sheet.readStr(row, col);
    default:
        return {};
    }
}

void fillQue(AppState& state, BrowseState& browse, Prompts& prompts) {
    state.q1.clear();
    browse.overflow.clear();
    browse.filled.clear();
    browse.sqcnt = 0;

    Sheet* sheet = state.sheet();
    if (!sheet)
        return;
    ColumnSetup& g1 = state.g1;
    if (g1.startline < 1)
        g1.startline = 1;
    const int used = g1.shownColumns();
    browse.filled.cno = g1.cno;
    browse.filled.mno = g1.mno;
    const std::string gdate = datePicture(state);
    const bool date1904 = state.book->date1904();

    const int first = g1.startline - 1;
    const int end = sheet->lastRow();
    Record& buffer = state.q1.buffer;
    if (end > first)
        state.q1.reserve(static_cast<std::size_t>(end - first));
    for (int row = first; row < end; ++row) {
        buffer.clear();
        for (int n = 0; n < used; ++n) {
            const int col = g1.cno[n] - 1;
            if (row == g1.startline)
                g1.format[n] = sheet->cellFormat(row, col);
            std::string text = cellText(*sheet, row, col, gdate, date1904);
            // A character never takes more CP949 bytes than UTF-8 bytes: short texts fit.
            if (text.size() > kFieldBytes && cp949::byteLength(text) > kFieldBytes) {
                // Once the report is full (its entries are ASCII) nothing more fits into it.
                if (browse.overflow.size() < 100 &&
                    cp949::byteLength(cp949::trimRight(text)) > kFieldBytes &&
                    sheet->cellType(row, col) == CellType::Text) {
                    const std::string entry = std::string(cp949::trimRight(browse.overflow)) + " " +
                                              static_cast<char>(64 + g1.cno[n]) +
                                              std::to_string(row + 1);
                    browse.overflow = cp949::cut(entry, 100);
                }
                text = cp949::cut(text, kFieldBytes);
            }
            buffer.col[n] = std::move(text);
        }
        if (allBlank(buffer))
            continue;
        if (g1.mno != 0)
            buffer.memo = cp949::cut(sheet->readStr(row, g1.mno - 1), kMemoBytes);
        buffer.row = row;
        const std::size_t pos = state.q1.add();
        browse.filled.add(state.q1.id(pos), row, buffer, used, g1.mno != 0);
    }
    buffer.clear();
    browse.sqcnt = static_cast<int>(state.q1.count());

    if (!browse.overflow.empty())
        prompts.tell(kOverflowMessage + std::string(cp949::trimRight(browse.overflow)));
}

std::string formatWindow(const AppState& state, const BrowseState& browse) {
    const ColumnSetup& g1 = state.g1;
    const Sheet* sheet = browse.load ? state.sheet() : nullptr;
    auto widthOf = [&](int cno, int fallback) {
        if (!sheet || cno < 1)
            return fallback;
        const double chars = sheet->colWidth(cno - 1);
        if (!std::isfinite(chars) || chars < 0)
            return 0;
        return static_cast<int>(std::trunc(std::trunc(chars) * 5));
    };
    std::string format;
    for (int n = 0; n < std::min(g1.ccount, kMaxColumns); ++n) {
        format += std::to_string(widthOf(g1.cno[n], 70));
        format += g1.justify[n].empty() ? std::string("L") : g1.justify[n].substr(0, 1);
        format += "(2)|_M~";
        format += cp949::trimRight(g1.cname[n]);
        format += "~C(0)@s128@";
    }
    if (g1.mno != 0) {
        format += std::to_string(widthOf(g1.mno, 100));
        format += "L(2)|_M~";
        format += cp949::trimRight(g1.mname);
        format += "~L(0)@s128@#11#";
    }
    return cp949::cut(format, 512);
}

void fillQue2(const AppState& state, BrowseState& browse, std::size_t pos) {
    if (pos < 1 || pos > state.q1.count())
        return;
    browse.q2.push_back(resultLine(state.q1, pos));
}

void refreshResultLine(const AppState& state, BrowseState& browse, std::size_t line) {
    if (line < 1 || line > browse.q2.size())
        return;
    const auto pos = state.q1.find(browse.q2[line - 1].pointer);
    if (pos)
        browse.q2[line - 1] = resultLine(state.q1, *pos);
}

void removeResultLine(BrowseState& browse, std::size_t line) {
    if (line < 1 || line > browse.q2.size())
        return;
    browse.q2.erase(browse.q2.begin() + static_cast<std::ptrdiff_t>(line - 1));
}

std::size_t recordPosition(const AppState& state, const BrowseState& browse,
                           std::size_t selectedLine) {
    if (selectedLine < 1)
        return 0;
    if (browse.whatQue != 2)
        return selectedLine <= state.q1.count() ? selectedLine : 0;
    if (selectedLine > browse.q2.size())
        return 0;
    return state.q1.find(browse.q2[selectedLine - 1].pointer).value_or(0);
}

bool getRecord(AppState& state, const BrowseState& browse, std::size_t selectedLine) {
    const std::size_t pos = recordPosition(state, browse, selectedLine);
    return pos != 0 && state.q1.get(pos);
}

} // namespace rowbit
