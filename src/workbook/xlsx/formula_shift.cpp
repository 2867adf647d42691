#include "workbook/xlsx/formula_shift.h"

#include <algorithm>
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

// Matches [$]COL[$]ROW, [$]ROW (with allowRowOnly) or [$]COL (with allowColOnly) at s[i].
bool matchPart(std::string_view s, std::size_t i, RefPart& part, bool allowRowOnly,
               bool allowColOnly) {
    std::size_t p = i;
    RefPart r;
    if (p < s.size() && s[p] == '$') {
        r.colAbs = true;
        ++p;
    }
    // Formula text may write the letters small: they are read as capitals.
    char letters[kMostColumnLetters + 1];
    std::size_t count = 0;
    while (p < s.size() && isLetter(s[p]) && count <= kMostColumnLetters) {
        letters[count++] = static_cast<char>(s[p] & ~0x20);
        ++p;
    }
    if (count > 0) {
        const int col = count <= kMostColumnLetters ? columnNumber({letters, count}) : 0;
        if (col == 0)
            return false;
        r.hasCol = true;
        r.col = col - 1;
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
        out += columnLetters(part.col + 1);
    }
    if (part.hasRow) {
        if (part.rowAbs)
            out += '$';
        out += std::to_string(part.row + 1);
    }
}

} // namespace

void appendCellRef(std::string& out, int row, int col) {
    out += columnLetters(col + 1);
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

namespace {

// The sheet part of a reference as written before its '!'.
struct Qualifier {
    enum class Kind { Sheet, Sheets, External } kind = Kind::Sheet;
    std::string first, last; // sheet names without quotes; `last` only for Sheets
};

struct FoundRef {
    bool qualified = false;
    Qualifier qualifier;
    std::string_view prefix; // the qualifier with its '!', as written ("" when unqualified)
    RefPart first, second;
    bool range = false;
};

void readQualifier(std::string content, Qualifier& q) {
    if (!content.empty() && content.front() == '[') {
        q.kind = Qualifier::Kind::External;
        return;
    }
    const auto colon = content.find(':');
    if (colon == std::string::npos) {
        q.kind = Qualifier::Kind::Sheet;
        q.first = std::move(content);
        return;
    }
    q.kind = Qualifier::Kind::Sheets;
    q.first = content.substr(0, colon);
    q.last = content.substr(colon + 1);
}

// A sheet qualifier at s[i]: 'Quoted name'!, Name!, First:Last!, [1]Name!; the position just
// after its '!', or npos when there is none.
std::size_t parseQualifier(std::string_view s, std::size_t i, Qualifier& q) {
    if (s[i] == '\'') {
        std::string content;
        std::size_t j = i + 1;
        while (j < s.size()) {
            if (s[j] == '\'') {
                if (j + 1 < s.size() && s[j + 1] == '\'') {
                    content += '\'';
                    j += 2;
                    continue;
                }
                break;
            }
            content += s[j++];
        }
        if (j + 1 >= s.size() || s[j + 1] != '!')
            return std::string_view::npos;
        readQualifier(std::move(content), q);
        return j + 2;
    }
    std::size_t j = i;
    if (s[j] == '[') {
        while (j < s.size() && s[j] != ']')
            ++j;
        if (j >= s.size())
            return std::string_view::npos;
        ++j;
    }
    const std::size_t nameStart = j;
    while (j < s.size() && isNameChar(s[j]))
        ++j;
    if (j == nameStart || j >= s.size())
        return std::string_view::npos;
    if (s[j] == ':') {
        std::size_t k = j + 1;
        while (k < s.size() && isNameChar(s[k]))
            ++k;
        if (k == j + 1 || k >= s.size() || s[k] != '!')
            return std::string_view::npos;
        j = k;
    } else if (s[j] != '!') {
        return std::string_view::npos;
    }
    readQualifier(std::string(s.substr(i, j - i)), q);
    return j + 1;
}

// A cell, a range of cells, rows or columns at s[p]; `end` is where it stops.
bool matchRef(std::string_view s, std::size_t p, FoundRef& ref, std::size_t& end) {
    if (!matchPart(s, p, ref.first, true, true))
        return false;
    std::size_t q = p + ref.first.length;
    ref.range = false;
    if (q < s.size() && s[q] == ':' && matchPart(s, q + 1, ref.second, true, true) &&
        ref.first.hasRow == ref.second.hasRow && ref.first.hasCol == ref.second.hasCol) {
        const std::size_t after = q + 1 + ref.second.length;
        if (after >= s.size() ||
            (!isNameChar(s[after]) && s[after] != '(' && s[after] != '!' && s[after] != '$')) {
            ref.range = true;
            q = after;
        }
    }
    const bool single = !ref.range && ref.first.hasCol && ref.first.hasRow;
    const bool ends = q >= s.size() || (!isNameChar(s[q]) && s[q] != '(' && s[q] != '!' &&
                                        s[q] != '$' && s[q] != ':');
    if (!ref.range && !(single && ends))
        return false;
    end = q;
    return true;
}

// Copies formula text, handing every reference to `onRef(ref, out)`, which writes its new form
// and answers true, or answers false to keep it as written.
template <class OnRef>
std::string rewriteReferences(std::string_view s, OnRef&& onRef) {
    std::string out;
    out.reserve(s.size() + 8);
    std::size_t i = 0;
    char prev = 0; // last character copied outside literals: decides where a reference may start
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            // A text literal, copied as it is ("" escapes the quote).
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
        const bool boundary = !isNameChar(prev) && prev != '$' && prev != ']' && prev != '#';
        if (c == '\'' || (boundary && (c == '[' || isNameChar(c)))) {
            FoundRef ref;
            if (const std::size_t p = parseQualifier(s, i, ref.qualifier);
                p != std::string_view::npos) {
                std::size_t end = 0;
                if (matchRef(s, p, ref, end)) {
                    ref.qualified = true;
                    ref.prefix = s.substr(i, p - i);
                    if (!onRef(ref, out))
                        out.append(s.substr(i, end - i));
                    i = end;
                } else {
                    // A name of that sheet, or #REF!: copied with its qualifier.
                    out.append(s.substr(i, p - i));
                    i = p;
                }
                prev = 'A';
                continue;
            }
        }
        if (c == '\'') {
            // A quoted name without '!': copied as it is.
            std::size_t j = i + 1;
            while (j < s.size() && !(s[j] == c && (j + 1 >= s.size() || s[j + 1] != c)))
                j += s[j] == c ? 2 : 1;
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
        if (boundary && (c == '$' || isLetter(c) || isDigit(c))) {
            FoundRef ref;
            std::size_t end = 0;
            if (matchRef(s, i, ref, end)) {
                if (!onRef(ref, out))
                    out.append(s.substr(i, end - i));
                i = end;
                prev = 'A';
                continue;
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

void appendRef(std::string& out, const FoundRef& ref) {
    out += ref.prefix;
    appendPart(out, ref.first);
    if (ref.range) {
        out += ':';
        appendPart(out, ref.second);
    }
}

} // namespace

std::string shiftFormula(std::string_view s, int dRow, int dCol) {
    return rewriteReferences(s, [&](FoundRef& ref, std::string& out) {
        bool ok = shiftPart(ref.first, dRow, dCol);
        if (ref.range)
            ok = shiftPart(ref.second, dRow, dCol) && ok;
        if (!ok) {
            out += ref.prefix;
            out += "#REF!";
        } else {
            appendRef(out, ref);
        }
        return true;
    });
}

MappedFormula mapFormulaRows(std::string_view formula, const MovedSheet& moved, bool onMovedSheet,
                             const RowMap& map) {
    MappedFormula result;
    auto isMoved = [&](const std::string& name) {
        return std::any_of(moved.names.begin(), moved.names.end(),
                           [&](const std::string& n) { return sameSheetName(n, name); });
    };
    auto position = [&](const std::string& name) -> int {
        for (std::size_t k = 0; k < moved.order.size(); ++k) {
            if (sameSheetName(moved.order[k], name))
                return static_cast<int>(k);
        }
        return -1;
    };
    std::string text = rewriteReferences(formula, [&](FoundRef& ref, std::string& out) {
        bool spansOthers = false;
        if (!ref.qualified) {
            if (!onMovedSheet)
                return false;
        } else if (ref.qualifier.kind == Qualifier::Kind::External) {
            return false;
        } else if (ref.qualifier.kind == Qualifier::Kind::Sheet) {
            if (!isMoved(ref.qualifier.first))
                return false;
        } else {
            const int a = position(ref.qualifier.first), b = position(ref.qualifier.last);
            if (a < 0 || b < 0 || moved.index < std::min(a, b) || moved.index > std::max(a, b))
                return false;
            spansOthers = a != b;
        }
        if (!ref.first.hasRow)
            return false; // whole columns stay
        if (!ref.range) {
            const std::optional<int> row = map.rowAfter(ref.first.row);
            if (row && *row == ref.first.row)
                return false;
            if (spansOthers) {
                result.kept = true; // the other sheets' cells did not move
                return false;
            }
            if (!row) {
                result.refDeleted = true;
                out += "#REF!";
                return true;
            }
            ref.first.row = *row;
            appendRef(out, ref);
            return true;
        }
        const int low = std::min(ref.first.row, ref.second.row);
        const int high = std::max(ref.first.row, ref.second.row);
        const RowMap::RangeAfter after = map.rangeAfter(low, high);
        using Kind = RowMap::RangeAfter::Kind;
        if (after.kind == Kind::Same)
            return false;
        if (after.kind == Kind::Splits || spansOthers) {
            result.kept = true;
            return false;
        }
        if (after.kind == Kind::Gone) {
            result.refDeleted = true;
            out += "#REF!";
            return true;
        }
        RefPart& top = ref.first.row <= ref.second.row ? ref.first : ref.second;
        RefPart& bottom = ref.first.row <= ref.second.row ? ref.second : ref.first;
        top.row = after.first;
        bottom.row = after.last;
        appendRef(out, ref);
        return true;
    });
    if (result.kept) {
        // One reference that cannot be kept leaves the whole formula as it was.
        result.refDeleted = false;
        result.text = std::string(formula);
        return result;
    }
    result.changed = text != formula;
    result.text = std::move(text);
    return result;
}

} // namespace rowbit::xlsx
