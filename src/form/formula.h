#pragma once
// Column formulas (Calc_Formula): operands joined by + - * /, evaluated strictly from left to
// right, no precedence, no parentheses. An operand is read exactly as its text stands (a
// field's whole text for a column reference); only the running result is kept in fixed-point
// decimal with two places and 13 digits, rounded after every step. An operand starting with
// an upper-case letter names a sheet column shown in the form.

#include "app/records.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit::form {

// Hundredths: 99,999,999,999.99 is the largest magnitude a result may have.
inline constexpr std::int64_t kMaxHundredths = 9'999'999'999'999;
inline constexpr std::size_t kOperandBytes = 20;

// A text read as a number (digits, the first point, a minus before them; all else dropped)
// and kept as a result is kept: in hundredths, more places rounded half away from zero;
// nullopt beyond 13 digits.
std::optional<std::int64_t> readHundredths(std::string_view text);
// Plain decimal text without trailing zeros: 250 gives "2.5", 700 gives "7", -5 gives "-0.05".
std::string plainHundredths(std::int64_t value);

enum class FormulaStatus {
    Ok,
    DivisionByZero, // the step gave 0 and evaluation went on
    Overflow,       // a step went beyond 13 digits: no value
};

struct FormulaResult {
    std::int64_t value = 0; // hundredths
    FormulaStatus status = FormulaStatus::Ok;
    int offset = 0; // 1-based position in the formula of the operand that caused the status
    friend bool operator==(const FormulaResult&, const FormulaResult&) = default;
};

using FormFields = std::array<std::string, kMaxColumns>;

// Evaluates one formula against the form's fields.
FormulaResult evaluateFormula(std::string_view formula, const ColumnSetup& columns,
                              const FormFields& fields);

struct FormulaNote {
    int field = 0; // 1-based
    FormulaStatus status = FormulaStatus::Ok;
    int offset = 0;
    friend bool operator==(const FormulaNote&, const FormulaNote&) = default;
};

// Recomputes every formula column in column order, up to the first column not in use; each
// result is written as plain text and formatted by formatNumberField. An overflow leaves the field
// blank (there is no value to keep); a division by zero counts that step as 0. Later
// formulas see the new results of earlier ones. Returns what went wrong, for the user.
std::vector<FormulaNote> calcFormula(FormFields& fields, const ColumnSetup& columns, int fontSize);

} // namespace rowbit::form
