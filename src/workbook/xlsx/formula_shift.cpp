#include "workbook/xlsx/formula_shift.h"

#include <cstdint>

namespace rowbit::xlsx {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
// Characters that continue a name: a reference glued to one of these is part of a name.
bool isNameChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '\\' || c == '?' ||
           static_cast<unsigned char>(c) >= 0x80;
}

struct RefPart {
    bool colAbs = false, rowAbs = false;
    bool hasCol = false, hasRow = false;
    int col = 0; // zero-based
    int row = 0; // zero-based
    std::size_t length = 0;
};

// Matches [$]COL[$]ROW, [$]ROW (rowOnly) or [$]COL (colOnly) at s[i].
bool matchPart(std::string_view s, std::size_t i, RefPart& part, bool allowRowOnly,
               bool allowColOnly) {
    std::size_t p = i;
    RefPart r;
    if (p < s.size() && s[p] == '$') {
        r.colAbs = true;
        ++p;
    }
    std::size_t letters = 0;
    std::int64_t col = 0;
    while (p < s.size() && isLetter(s[p]) && letters < 4) {
        col = col * 26 + ((s[p] | 0x20) - 'a' + 1);
        ++p;
        ++letters;
    }
    if (letters > 0) {
        if (letters > 3 || col > maxCols)
            return false;
        r.hasCol = true;
        r.col = static_cast<int>(col - 1);
        if (p < s.size() && s[p] == '$') {
            r.rowAbs = true;
            ++p;
        }
    } else {
        if (!allowRowOnly)
            return false;
        r.rowAbs = r.colAbs;
        r.colAbs = false;
    }
    std::size_t digits = 0;
    std::int64_t row = 0;
    while (p < s.size() && isDigit(s[p]) && digits < 8) {
        row = row * 10 + (s[p] - '0');
        ++p;
        ++digits;
    }
    if (digits > 0) {
        if (digits > 7 || row < 1 || row > maxRows || (p < s.size() && isDigit(s[p])))
            return false;
        r.hasRow = true;
        r.row = static_cast<int>(row - 1);
    } else if (!(allowColOnly && r.hasCol && !r.rowAbs)) {
        return false;
    }
    if (!r.hasCol && !r.hasRow)
        return false;
    r.length = p - i;
    part = r;
    return true;
}

bool shiftPart(RefPart& part, int dRow, int dCol) {
    if (part.hasRow && !part.rowAbs) {
        const std::int64_t row = static_cast<std::int64_t>(part.row) + dRow;
        if (row < 0 || row >= maxRows)
            return false;
        part.row = static_cast<int>(row);
    }
    if (part.hasCol && !part.colAbs) {
        const std::int64_t col = static_cast<std::int64_t>(part.col) + dCol;
        if (col < 0 || col >= maxCols)
            return false;
        part.col = static_cast<int>(col);
    }
    return true;
}

void appendPart(std::string& out, const RefPart& part) {
    if (part.hasCol) {
        if (part.colAbs)
            out += '$';
        appendColumnName(out, part.col);
    }
    if (part.hasRow) {
        if (part.rowAbs)
            out += '$';
        out += std::to_string(part.row + 1);
    }
}

} // namespace

void appendColumnName(std::string& out, int col) {
    char buf[4];
    int n = 0;
    int c = col + 1;
    while (c > 0 && n < 4) {
        buf[n++] = static_cast<char>('A' + (c - 1) % 26);
        c = (c - 1) / 26;
    }
    while (n > 0)
        out += buf[--n];
}

void appendCellRef(std::string& out, int row, int col) {
    appendColumnName(out, col);
    char digits[12];
    int n = 0;
    unsigned v = static_cast<unsigned>(row) + 1;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v && n < 12);
    while (n > 0)
        out += digits[--n];
}

bool parseCellRef(std::string_view ref, int& row, int& col) {
    RefPart part;
    if (!matchPart(ref, 0, part, false, false) || part.length != ref.size() || part.colAbs ||
        part.rowAbs)
        return false;
    row = part.row;
    col = part.col;
    return true;
}

std::string shiftFormula(std::string_view s, int dRow, int dCol) {
    std::string out;
    out.reserve(s.size() + 8);
    std::size_t i = 0;
    char prev = 0; // last character copied outside literals: decides where a reference may start
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"' || c == '\'') {
            // A text literal or a quoted sheet name: copied as it is ("" / '' escape the quote).
            std::size_t j = i + 1;
            while (j < s.size()) {
                if (s[j] == c) {
                    if (j + 1 < s.size() && s[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const std::size_t end = j < s.size() ? j + 1 : s.size();
            out.append(s.substr(i, end - i));
            i = end;
            prev = c;
            continue;
        }
        if (c == '[') {
            // Structured references and external workbook indexes.
            int depth = 0;
            std::size_t j = i;
            for (; j < s.size(); ++j) {
                if (s[j] == '[')
                    ++depth;
                else if (s[j] == ']' && --depth == 0)
                    break;
            }
            const std::size_t end = j < s.size() ? j + 1 : s.size();
            out.append(s.substr(i, end - i));
            i = end;
            prev = ']';
            continue;
        }
        const bool boundary = !isNameChar(prev) && prev != '$' && prev != ']' && prev != '#';
        if (boundary && (c == '$' || isLetter(c) || isDigit(c))) {
            RefPart first;
            // A range first: A1:B2, 1:3, A:C.
            if (matchPart(s, i, first, true, true)) {
                std::size_t p = i + first.length;
                RefPart second;
                bool range = false;
                if (p < s.size() && s[p] == ':' && matchPart(s, p + 1, second, true, true) &&
                    first.hasRow == second.hasRow && first.hasCol == second.hasCol) {
                    const std::size_t after = p + 1 + second.length;
                    if (after >= s.size() || (!isNameChar(s[after]) && s[after] != '(' &&
                                              s[after] != '!' && s[after] != '$')) {
                        range = true;
                        p = after;
                    }
                }
                const bool single = !range && first.hasCol && first.hasRow;
                const bool ends = p >= s.size() || (!isNameChar(s[p]) && s[p] != '(' &&
                                                    s[p] != '!' && s[p] != '$' && s[p] != ':');
                if ((range || single) && (range || ends)) {
                    bool ok = shiftPart(first, dRow, dCol);
                    if (range)
                        ok = shiftPart(second, dRow, dCol) && ok;
                    if (!ok) {
                        out += "#REF!";
                    } else {
                        appendPart(out, first);
                        if (range) {
                            out += ':';
                            appendPart(out, second);
                        }
                    }
                    i = p;
                    prev = 'A';
                    continue;
                }
            }
        }
        if (isNameChar(c) || c == '$') {
            // A name, a function, a number or a sheet name: copied whole.
            std::size_t j = i;
            while (j < s.size() && (isNameChar(s[j]) || s[j] == '$'))
                ++j;
            // A number's exponent sign (1E+5) belongs to the number.
            if (isDigit(c) && j < s.size() && (s[j] == '+' || s[j] == '-') &&
                (s[j - 1] == 'E' || s[j - 1] == 'e'))
                ++j;
            out.append(s.substr(i, j - i));
            prev = s[j - 1];
            i = j;
            continue;
        }
        out += c;
        prev = c;
        ++i;
    }
    return out;
}

} // namespace rowbit::xlsx
