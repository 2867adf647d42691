#include "form/formula.h"

#include "app/cp949_text.h"
#include "form/number_field.h"

namespace rowbit::form {

namespace {

__extension__ typedef __int128 Wide; // products of two 13-digit values

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// n / d rounded half away from zero; d is not 0.
Wide divideRounded(Wide n, Wide d) {
    const bool negative = (n < 0) != (d < 0);
    const Wide a = n < 0 ? -n : n;
    const Wide b = d < 0 ? -d : d;
    const Wide q = (2 * a + b) / (2 * b);
    return negative ? -q : q;
}

bool fits(Wide v) {
    return v <= kMaxHundredths && v >= -kMaxHundredths;
}

// The operand's text: a column reference gives that column's field.
std::string_view resolve(std::string_view operand, const ColumnSetup& g1,
                         const FormFields& fields) {
    if (operand.empty() || operand[0] < 'A' || operand[0] > 'Z')
        return operand;
    const int letter = operand[0] - 'A' + 1;
    const int used = g1.shownColumns();
    for (int k = 0; k < used; ++k) {
        if (g1.cno[k] == letter)
            return fields[k];
    }
    return operand;
}

} // namespace

std::optional<std::int64_t> readHundredths(std::string_view text) {
    Wide whole = 0;
    int fraction = 0; // the first three places, for rounding to two
    int places = 0;
    bool negative = false;
    bool seen = false;
    bool point = false;
    for (char c : text) {
        if (isDigit(c)) {
            seen = true;
            if (!point) {
                whole = whole * 10 + (c - '0');
                if (whole > kMaxHundredths)
                    return std::nullopt;
            } else if (places < 3) {
                fraction = fraction * 10 + (c - '0');
                ++places;
            }
        } else if (c == '.' && !point) {
            point = true;
            seen = true;
        } else if (c == '-' && !seen) {
            negative = true;
        }
    }
    while (places < 3) {
        fraction *= 10;
        ++places;
    }
    Wide v = whole * 100 + (fraction + 5) / 10;
    if (!fits(v))
        return std::nullopt;
    return static_cast<std::int64_t>(negative ? -v : v);
}

std::string plainHundredths(std::int64_t value) {
    const bool negative = value < 0;
    const std::int64_t a = negative ? -value : value;
    std::string out = (negative ? "-" : "") + std::to_string(a / 100);
    const int cents = static_cast<int>(a % 100);
    if (cents != 0) {
        out += '.';
        out += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0)
            out += static_cast<char>('0' + cents % 10);
    }
    return out;
}

FormulaResult evaluateFormula(std::string_view formula, const ColumnSetup& g1,
                              const FormFields& fields) {
    const std::string text = cp949::cut(formula, kFormulaBytes);
    const std::string_view f = cp949::trimRight(text);
    FormulaResult result;
    Wide answer = 0;
    char op = ' ';
    std::size_t start = 0;
    for (std::size_t p = 0; p <= f.size(); ++p) {
        const bool end = p == f.size();
        if (!end && f[p] != '+' && f[p] != '-' && f[p] != '*' && f[p] != '/')
            continue;
        const std::string operand = cp949::cut(f.substr(start, p - start), kOperandBytes);
        const auto x = readHundredths(resolve(operand, g1, fields));
        const int offset = static_cast<int>(start) + 1;
        if (!x)
            return {0, FormulaStatus::Overflow, offset};
        switch (op) {
        case '+':
            answer += *x;
            break;
        case '-':
            answer -= *x;
            break;
        case '*':
            answer = divideRounded(answer * *x, 100);
            break;
        case '/':
            if (*x == 0) {
                answer = 0;
                if (result.status == FormulaStatus::Ok)
                    result = {0, FormulaStatus::DivisionByZero, offset};
            } else {
                answer = divideRounded(answer * 100, *x);
            }
            break;
        default:
            answer = *x;
            break;
        }
        if (!fits(answer))
            return {0, FormulaStatus::Overflow, offset};
        if (!end)
            op = f[p];
        start = p + 1;
    }
    result.value = static_cast<std::int64_t>(answer);
    return result;
}

std::vector<FormulaNote> calcFormula(FormFields& fields, const ColumnSetup& g1, int gsize) {
    std::vector<FormulaNote> notes;
    const int used = g1.shownColumns();
    for (int k = 0; k < used; ++k) {
        if (cp949::trimRight(g1.formula[k]).empty())
            continue;
        const FormulaResult r = evaluateFormula(g1.formula[k], g1, fields);
        if (r.status == FormulaStatus::Overflow)
            fields[k] = std::string(static_cast<std::size_t>(numberWidth(gsize)), '#');
        else
            fields[k] = fontCheck(plainHundredths(r.value), gsize);
        if (r.status != FormulaStatus::Ok)
            notes.push_back({k + 1, r.status, r.offset});
    }
    return notes;
}

} // namespace rowbit::form
