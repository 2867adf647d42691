#include "form/number_field.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

std::string right(const std::string& text, std::size_t width) {
    return std::string(width - text.size(), ' ') + text;
}

TEST(FontCheck, FormatsByTheTypedPlaces) {
    struct Case {
        const char* typed;
        int gsize;
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
        {"123456789012345678901234567", 9, std::string(25, '#')},
        {"12345678901234567.5", 12, std::string(20, '#')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fontCheck(c.typed, c.gsize), c.shown) << c.typed << " at " << c.gsize;
    EXPECT_EQ(fontCheckPicture("12.50", 9), "@n-25.2");
    EXPECT_EQ(fontCheckPicture("12", 12), "@N-20B");
}

TEST(NumberEntry, PassesDigitsAndGroupingCommas) {
    const std::pair<const char*, bool> cases[] = {
        {"1,234", true}, {" -3.5 ", true}, {"1,234,567.25", true}, {"12a", false}, {",12", false},
        {"1,,2", false}, {"1.2.3", false}, {"-", false},           {"12,", false}, {"3/4", false},
    };
    for (const auto& [text, passes] : cases)
        EXPECT_EQ(isNumberEntry(text), passes) << text;
}

} // namespace
} // namespace rowbit::form
