#include "app/cp949_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace rowbit::cp949 {
namespace {

TEST(Cp949Width, AsciiOneByteEverythingElseTwo) {
    struct Case {
        const char* text;
        std::size_t bytes;
    };
    const Case cases[] = {
        {"", 0},  {"abc", 3},  {"가나다", 6},   {"가a", 3}, {"회사명 ABC", 10},
        {"é", 2}, {"漢字", 4}, {"1,234 원", 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(byteLength(c.text), c.bytes) << c.text;
    }
}

TEST(Cp949Width, AgreesWithTheEncodedLengthOfHangulAndAscii) {
    for (const char* text : {"가나다라마바사", "주소: 서울시 강남구 123-4", "Total 합계 9,999"}) {
        auto encoded = fromUtf8(text);
        ASSERT_TRUE(encoded) << text;
        EXPECT_EQ(byteLength(text), encoded->size()) << text;
    }
}

TEST(Cp949Cut, NeverSplitsACharacter) {
    struct Case {
        const char* text;
        std::size_t bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"가나다", 6, "가나다"},
        {"가나다", 5, "가나"},
        {"가나다", 4, "가나"},
        {"가나다", 1, ""},
        {"가나다", 0, ""},
        {"a가b", 1, "a"},
        {"a가b", 2, "a"},
        {"a가b", 3, "a가"},
        {"a가b", 4, "a가b"},
        {"abc", 10, "abc"},
        {"회사명 ABC", 7, "회사명 "},
        {"ab가", 3, "ab"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cut(c.text, c.bytes), c.expected) << c.text << " to " << c.bytes;
        EXPECT_LE(byteLength(cut(c.text, c.bytes)), c.bytes);
    }
}

TEST(Cp949Cut, HundredByteFieldOfHangulKeepsFiftySyllables) {
    std::string text;
    for (int i = 0; i < 60; ++i) {
        text += "한";
    }
    const std::string field = cut(text, 100);
    EXPECT_EQ(byteLength(field), 100u);
    EXPECT_EQ(field.size(), 150u); // 50 syllables of 3 UTF-8 bytes
    EXPECT_EQ(cut("x" + text, 100).size(), 1u + 49 * 3);
}

TEST(Cp949Cut, DropsATruncatedSequenceAtTheEnd) {
    EXPECT_EQ(cut("a\xEA\xB0", 10), "a");
    EXPECT_TRUE(isValidUtf8(cut("a\xEA\xB0", 10)));
}

TEST(Cp949Cut, OnePassMeasureAgreesWithLengthAndCutEvenOnBrokenText) {
    // Pieces include a stray continuation byte and sequences cut short.
    const std::string pieces[] = {"a", " ", "가", "é", "😀", "\x80", "\xEA\xB0", "\xF0"};
    std::uint64_t seed = 7;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int count = static_cast<int>(seed >> 59);
        for (int k = 0; k < count; ++k) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            text += pieces[(seed >> 33) % 8];
        }
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const std::size_t bytes = (seed >> 33) % 24;
        std::size_t cutAt = 999;
        EXPECT_EQ(byteLength(text, bytes, cutAt), byteLength(text)) << text;
        EXPECT_EQ(text.substr(0, cutAt), cut(text, bytes)) << text << " at " << bytes;
    }
}

TEST(Cp949Trim, OnlyBlanksAreTrimmed) {
    EXPECT_EQ(trimRight("A   "), "A");
    EXPECT_EQ(trimRight("  A"), "  A");
    EXPECT_EQ(trimRight("A\t"), "A\t");
    EXPECT_EQ(trim("  A B  "), "A B");
    EXPECT_EQ(trim("    "), "");
    EXPECT_EQ(trim(""), "");
}

TEST(Cp949Compare, TrailingBlanksIgnoredCaseCounts) {
    EXPECT_TRUE(equalTrimmed("A", "A   "));
    EXPECT_TRUE(equalTrimmed("", "   "));
    EXPECT_FALSE(equalTrimmed("A", "a"));
    EXPECT_FALSE(equalTrimmed(" A", "A"));
    EXPECT_EQ(compareTrimmed("A  ", "A"), 0);
    EXPECT_EQ(compareTrimmed("A", "B"), -1);
    EXPECT_EQ(compareTrimmed("B", "A "), 1);
    EXPECT_EQ(compareTrimmed("가", "A"), 1); // bytes compare unsigned
    EXPECT_EQ(compareTrimmed("가", "나"), -1);
    EXPECT_EQ(compareTrimmed("AB", "A"), 1);
}

TEST(Cp949Upper, OnlyAsciiLettersChange) {
    EXPECT_EQ(upper("abc가z1"), "ABC가Z1");
    EXPECT_EQ(upper("ÄÖ"), "ÄÖ");
}

TEST(Cp949Convert, RoundTripsHangulAndMixedText) {
    auto bytes = fromUtf8("가나");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "\xB0\xA1\xB3\xAA");
    for (const char* text : {"", "abc", "합계 1,234 원", "쪽", "똠방각하"}) {
        auto encoded = fromUtf8(text);
        ASSERT_TRUE(encoded) << text;
        auto decoded = toUtf8(*encoded);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(*decoded, text);
    }
}

TEST(Cp949Convert, RefusesWhatCannotBeConverted) {
    EXPECT_FALSE(fromUtf8("\xF0\x9F\x98\x80")); // an emoji has no CP949 form
    EXPECT_FALSE(fromUtf8("\xC0\xAF"));         // not UTF-8
    EXPECT_FALSE(toUtf8("\xB0"));               // a lead byte without its trail byte
    EXPECT_FALSE(toUtf8("a\xFF\xFF"));
}

TEST(Utf8Check, AcceptsWellFormedOnly) {
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"abc", true},
        {"가나", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},         // overlong "/"
        {"\xE0\x80\xAF", false},     // overlong
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"\xEA\xB0", false},         // truncated
        {"\x80", false},             // stray continuation byte
        {"\xB0\xA1", false},         // CP949 bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << ::testing::PrintToString(std::string(c.bytes));
    }
}

} // namespace
} // namespace rowbit::cp949
