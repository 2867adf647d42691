#include "form/formula.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

// Form columns 1, 2, 3 show sheet columns A, B, C.
ColumnSetup abc() {
    ColumnSetup columns;
    columns.columnCount = 3;
    columns.sheetColumn = {1, 2, 3};
    columns.type = {FieldType::Number, FieldType::Number, FieldType::Number};
    return columns;
}

TEST(Formula, EvaluatesLeftToRightInHundredths) {
    struct Case {
        const char* formula;
        FormulaResult expected;
    };
    const FormFields fields{"3", "2.5", "      1,234.5"};
    const Case cases[] = {
        {"A*B", {750}},
        {"10+5*2", {3000}},
        {"-A", {-300}},
        {"A+", {300}},
        {"A++B", {550}},
        {"A + B", {300}}, // " B" starts with a blank: no reference, reads 0
        {"AB*A1", {900}}, // only the first letter counts
        {"Z+1", {100}},   // no column Z in use
        {"C*2", {246900}},
        {"10/4", {250}},
        {"2/3", {67}},
        {"2/3*3", {201}},
        {"1.005", {101}},
        {"-1.005", {-101}},
        {"A*0.333", {100}}, // the constant is read whole: 3 * 0.333 = 0.999
        {"5/0+1", {100, FormulaStatus::DivisionByZero, 3}},
        {"99999999999*10", {0, FormulaStatus::Overflow, 13}},
        {"123456789012", {0, FormulaStatus::Overflow, 1}},
        {"99999999999.99+0", {9999999999999}},
        {"", {0}},
        {"A   ", {300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(evaluateFormula(c.formula, abc(), fields), c.expected) << c.formula;
}

TEST(Formula, OperandsAreReadWholeOnlyTheResultKeepsTwoPlaces) {
    struct Case {
        const char* formula;
        const char* a;
        const char* b;
        FormulaResult expected;
    };
    const Case cases[] = {
        {"A*0.075", "1000", "", {7500}},
        {"A*B", "1000", "1.2345", {123450}},
        {"A/B", "100", "0.125", {80000}},
        {"1/A", "0.004", "", {25000}},
        {"A*1.005", "200000", "", {20100000}},
        {"A+B", "1.004", "      0.004", {100}}, // the first operand is a step: 1.00 + 0.004
        {"1+A", "0.005", "", {101}},
        {"1-A", "0.005", "", {100}}, // 0.995: half away from zero
        {"B*A", "0.1234567890123456789012345", "100", {1235}},
        {"A*B", "0", "123456789012345678", {0}},
        {"1/A", "123456789012345678", "", {0}},
        {"A+1", "123456789012345678", "", {0, FormulaStatus::Overflow, 1}},
        {"1/A", "0.00001", "", {10000000}},
        {"1/A", "0.0000000000001", "", {0, FormulaStatus::Overflow, 3}},
    };
    for (const Case& c : cases) {
        const FormFields fields{c.a, c.b};
        EXPECT_EQ(evaluateFormula(c.formula, abc(), fields), c.expected)
            << c.formula << " with A=" << c.a << ", B=" << c.b;
    }
}

TEST(Formula, PlainTextDropsTrailingZeros) {
    EXPECT_EQ(plainHundredths(250), "2.5");
    EXPECT_EQ(plainHundredths(700), "7");
    EXPECT_EQ(plainHundredths(-5), "-0.05");
    EXPECT_EQ(readHundredths("1,234.567"), 123457);
    EXPECT_EQ(readHundredths("abc"), 0);
}

TEST(Formula, RecomputesColumnsInOrderUpToTheFirstUnusedColumn) {
    ColumnSetup columns = abc();
    columns.sheetColumn = {1, 2, 3, 0, 5};
    columns.formula[1] = "C+1"; // sees C's old value
    columns.formula[2] = "A*2"; // computed after B
    columns.formula[4] = "A";   // after the unused column 4: never runs
    columns.formula[0] = "A/0"; // self reference, divides by zero
    FormFields fields{"3", "", "10", "", "keep"};
    const auto notes = calcFormula(fields, columns, 9);
    const std::string blank(25, ' '); // a zero result shows blank
    EXPECT_EQ(fields[0], blank);
    EXPECT_EQ(fields[1], std::string(25 - 2, ' ') + "11");
    EXPECT_EQ(fields[2], blank) << "A is 0 by now: 0 * 2";
    EXPECT_EQ(fields[4], "keep");
    EXPECT_EQ(notes, (std::vector<FormulaNote>{{1, FormulaStatus::DivisionByZero, 3}}));

    columns.formula = {};
    columns.formula[2] = "A*B";
    fields = {"99999999", "99999999", "1"};
    EXPECT_EQ(calcFormula(fields, columns, 12),
              (std::vector<FormulaNote>{{3, FormulaStatus::Overflow, 3}}));
    EXPECT_EQ(fields[2], "") << "no value to keep: blank, not a mark that saves as 0";
}

} // namespace
} // namespace rowbit::form
