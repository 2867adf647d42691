#include "form/formula.h"

#include "app/cp949_text.h"
#include "form/number_field.h"
#include "workbook/column_letter.h"

namespace rowbit::form {

namespace {

__extension__ typedef __int128 Wide; // products of a result and an operand

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// n / d rounded half away from zero; d is not 0.
Wide divideRounded(Wide n, Wide d) {
    const bool negative = (n < 0) != (d < 0);
    const Wide a = n < 0 ? -n : n;
    const Wide b = d < 0 ? -d : d;
    Wide q = a / b;
    if (2 * (a % b) >= b)
        ++q;
    return negative ? -q : q;
}

bool fits(Wide v) {
    return v <= kMaxHundredths && v >= -kMaxHundredths;
}

// An operand's value as its text gives it, not rounded: mantissa / 10^scale. A whole part of
// more than 14 digits is `huge`: no step can keep it, except as a factor of 0 or a divisor.
// At most 25 significant digits and 24 places are read; the digits after those decide
// nothing a result with two places can show.
struct Operand {
    Wide mantissa = 0;
    int scale = 0;
    bool huge = false;
};

constexpr int kMaxWholeDigits = 14;
constexpr int kMaxScale = 24;
constexpr Wide kMantissaLimit = Wide(1'000'000'000'000) * 1'000'000'000'000 * 10; // 10^25

Wide tenTo(int n) {
    Wide p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

Operand readOperand(std::string_view text) {
    Operand x;
    int wholeDigits = 0;
    bool negative = false;
    bool seen = false;
    bool point = false;
    bool full = false; // no more places are read
    for (char c : text) {
        if (isDigit(c)) {
            seen = true;
            const int d = c - '0';
            if (!point) {
                if (wholeDigits == 0 && d == 0)
                    continue;
                if (++wholeDigits > kMaxWholeDigits)
                    x.huge = true;
                else
                    x.mantissa = x.mantissa * 10 + d;
            } else if (!full && !x.huge) {
                if (x.scale == kMaxScale || x.mantissa * 10 + d >= kMantissaLimit) {
                    full = true;
                } else {
                    x.mantissa = x.mantissa * 10 + d;
                    ++x.scale;
                }
            }
        } else if (c == '.' && !point) {
            point = true;
            seen = true;
        } else if (c == '-' && !seen) {
            negative = true;
        }
    }
    if (negative)
        x.mantissa = -x.mantissa;
    if (x.huge)
        x.mantissa = negative ? -1 : 1; // only its sign counts
    return x;
}

// The operand's text: a column reference gives that column's field.
std::string_view resolve(std::string_view operand, const ColumnSetup& columns,
                         const FormFields& fields) {
    const int letter = columnNumber(operand.substr(0, 1));
    if (letter == 0)
        return operand;
    const int used = columns.shownColumns();
    for (int k = 0; k < used; ++k) {
        if (columns.sheetColumn[k] == letter)
            return fields[k];
    }
    return operand;
}

enum class Step { Done, DivisionByZero, Overflow };

// ANSWER op x, exactly, then stored back with two places.
Step combine(Wide& answer, char op, const Operand& x) {
    if (x.huge) {
        if (op == '*' && answer == 0)
            return Step::Done;
        if (op == '/') {
            answer = 0; // below a thousandth: rounds to 0
            return Step::Done;
        }
        return Step::Overflow;
    }
    const Wide unit = tenTo(x.scale);
    switch (op) {
    case '+':
        answer = divideRounded(answer * unit + x.mantissa * 100, unit);
        break;
    case '-':
        answer = divideRounded(answer * unit - x.mantissa * 100, unit);
        break;
    case '*':
        answer = divideRounded(answer * x.mantissa, unit);
        break;
    case '/':
        if (x.mantissa == 0) {
            answer = 0;
            return Step::DivisionByZero;
        }
        answer = divideRounded(answer * unit, x.mantissa);
        break;
    default:
        answer = divideRounded(x.mantissa * 100, unit);
        break;
    }
    return fits(answer) ? Step::Done : Step::Overflow;
}

} // namespace

std::optional<std::int64_t> readHundredths(std::string_view text) {
    Wide v = 0;
    if (combine(v, ' ', readOperand(text)) != Step::Done)
        return std::nullopt;
    return static_cast<std::int64_t>(v);
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

FormulaResult evaluateFormula(std::string_view formula, const ColumnSetup& columns,
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
        const int offset = static_cast<int>(start) + 1;
        const Step step = combine(answer, op, readOperand(resolve(operand, columns, fields)));
        if (step == Step::Overflow)
            return {0, FormulaStatus::Overflow, offset};
        if (step == Step::DivisionByZero && result.status == FormulaStatus::Ok)
            result = {0, FormulaStatus::DivisionByZero, offset};
        if (!end)
            op = f[p];
        start = p + 1;
    }
    result.value = static_cast<std::int64_t>(answer);
    return result;
}

std::vector<FormulaNote> calcFormula(FormFields& fields, const ColumnSetup& columns, int fontSize) {
    std::vector<FormulaNote> notes;
    const int used = columns.shownColumns();
    for (int k = 0; k < used; ++k) {
        if (cp949::trimRight(columns.formula[k]).empty())
            continue;
        const FormulaResult r = evaluateFormula(columns.formula[k], columns, fields);
        if (r.status == FormulaStatus::Overflow)
            fields[k].clear(); // no value: the note tells the user
        else
            fields[k] = formatNumberField(plainHundredths(r.value), fontSize);
        if (r.status != FormulaStatus::Ok)
            notes.push_back({k + 1, r.status, r.offset});
    }
    return notes;
}

} // namespace rowbit::form
