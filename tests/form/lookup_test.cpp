#include "form/lookup.h"

#include "support/test_paths.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

namespace rowbit::form {
namespace {

using List = std::vector<std::string>;

class LookupList : public ::testing::Test {
protected:
    void SetUp() override {
        auto loaded = loadBook((testing::testData() / "form" / "lookup.xlsx").string());
        ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
        book = std::move(loaded.value());
        settings = book->sheet(book->sheetCount() - 1);
    }
    std::unique_ptr<Book> book;
    const Sheet* settings = nullptr;
};

TEST_F(LookupList, ReadsFromRow31ToTheFirstEmptyCell) {
    EXPECT_EQ(lookupEntries(settings, 2), (List{"Seoul", "Busan", "Daegu"}));
    EXPECT_EQ(lookupEntries(settings, 3),
              (List{"가나다라마바사아자차카타파하가", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"}));
    EXPECT_EQ(lookupEntries(settings, 5), List{}) << "a number cell reads as no text";
    EXPECT_EQ(lookupEntries(settings, 7), List{});
    EXPECT_EQ(lookupEntries(nullptr, 2), List{});
}

TEST_F(LookupList, NarrowsBySearchText) {
    const List cities = lookupEntries(settings, 2);
    const List longOnes = lookupEntries(settings, 3);
    struct Case {
        const List& entries;
        const char* seek;
        LookupOffer expected;
    };
    const Case cases[] = {
        {cities, "Bu", {"Busan", {}}},
        {cities, "Bu   ", {"Busan", {}}},
        {cities, "a", {std::nullopt, {"Busan", "Daegu"}}},
        {cities, "bu", {std::nullopt, cities}},
        {cities, "x", {std::nullopt, cities}},
        {cities, "", {std::nullopt, cities}},
        {longOnes, "0123", {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", {}}},
        {longOnes, "4567", {std::nullopt, longOnes}},
        {longOnes, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", {std::nullopt, longOnes}},
        {List{"Only"}, "", {std::nullopt, {"Only"}}},
        {List{}, "x", {std::nullopt, {}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(offerLookup(c.entries, c.seek), c.expected) << c.seek;
}

} // namespace
} // namespace rowbit::form
