#include "form/number_field.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

std::string right(const std::string& text, std::size_t width) {
    return std::string(width - text.size(), ' ') + text;
}

TEST(NumberFieldFormat, FormatsByTheTypedPlaces) {
    struct Case {
        const char* typed;
        int fontSize;
        std::string shown;
    };
    const Case cases[] = {
        {"1234567", 9, right("1,234,567", 25)},
        {"1234.5", 9, right("1,234.5", 25)},
        {"0", 9, std::string(25, ' ')},
        {"0.00", 9, right("0.00", 25)},
        {"12.", 9, right("12", 25)},
        {"-3.5", 9, right("-3.5", 25)},
        {"   1,234  ", 10, right("1,234", 25)},
        {"1234567", 12, right("1,234,567", 20)},
        {"0.00", 11, right("0.00", 20)},
        {"12.345", 12, right("12.345", 20)},
        // Wider than the picture: the number is kept whole (it used to become "#", saved as 0).
        {"12345678901234567890", 9, "12,345,678,901,234,567,890"},
        {"12345678901234.56", 12, "12,345,678,901,234.56"},
        {"-0.00", 9, right("0.00", 25)},
        {"007", 9, right("7", 25)},
        {"-.5", 9, right("-0.5", 25)},
        {"0.1234567890123456789", 9, right("0.1234567890123456789", 25)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatNumberField(c.typed, c.fontSize), c.shown)
            << c.typed << " at " << c.fontSize;
    EXPECT_EQ(numberFieldPicture("12.50", 9), "@n-25.2");
    EXPECT_EQ(numberFieldPicture("12", 12), "@N-20B");
}

TEST(NumberEntry, PassesDigitsAndGroupingCommas) {
    const std::pair<const char*, bool> cases[] = {
        {"1,234", true},         {" -3.5 ", true},   {"1,234,567.25", true}, {"-1,234,567.5", true},
        {"    1,234.50 ", true}, {"12a", false},     {",12", false},         {"1,,2", false},
        {"1.2.3", false},        {"-", false},       {"12,", false},         {"3/4", false},
        {"1,5", false},          {"12,34", false},   {"1,2345", false},      {"1234,567", false},
        {"0,123", false},        {"1.234,5", false}, {"1,234.5,6", false},   {".5", true},
    };
    for (const auto& [text, passes] : cases)
        EXPECT_EQ(isNumberEntry(text), passes) << text;
}

} // namespace
} // namespace rowbit::form
