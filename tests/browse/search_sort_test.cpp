#include "browse/search_sort.h"
#include "document/document.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using testing::ScriptedPrompts;

// A list of records with the given texts in COL0 and COL1 (and memo).
struct Listed {
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;

    explicit Listed(std::vector<std::vector<std::string>> rows) {
        doc.columns.columnCount = 2;
        doc.columns.sheetColumn = {1, 2};
        doc.columns.type = {FieldType::Text, FieldType::Number};
        for (const auto& row : rows) {
            doc.records.buffer.clear();
            for (std::size_t i = 0; i < row.size() && i < 2; ++i)
                doc.records.buffer.col[i] = row[i];
            if (row.size() > 2)
                doc.records.buffer.memo = row[2];
            doc.records.add();
        }
    }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> texts;
        for (std::size_t pos = 1; pos <= doc.records.count(); ++pos)
            texts.emplace_back(doc.records.at(pos).col[c]);
        return texts;
    }
};

TEST(Search, NumberFormOfTheSearchText) {
    struct Case {
        const char* text;
        const char* form;
    };
    const Case cases[] = {
        {"1000", "1,000"},
        {"1234.5", "1,234.5"},
        {"1234.50", "1,234.50"},
        {"-1000", "-1,000"},
        {"0", ""},
        {"abc", ""},
        {"12a", ""},
        {" 1000 ", "1,000"},
        {"0.0", "0.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(searchNumberForm(c.text), c.form) << c.text;
}

TEST(Search, WhatIsFound) {
    Listed l({{"text 1000", ""},
              {"x", "1,000"},
              {"Kim", ""},
              {"kim lee", ""},
              {"memo only", "", "abc 1000 kim"},
              {" lead", "0"},
              {"zero", ""}});
    struct Case {
        const char* text;
        std::vector<std::size_t> found;
    };
    const Case cases[] = {
        {"1000", {1, 2}}, // as typed and as the list shows numbers
        {"kim", {4}},     // case counts; the memo is not searched
        {"kim   ", {4}},  // trailing blanks do not count
        {" lead", {6}},   // a leading blank does
        {" kim", {}},
        {"0", {1, 2, 6}}, // only fields with the character 0: the number form of 0 is blank
        {"e", {1, 4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findRecords(l.doc.records, c.text, searchNumberForm(c.text)), c.found) << c.text;
    }
}

TEST(Search, ResultsAndMessages) {
    Listed l({{"apple", "1,000"}, {"pear", "2"}, {"apple pie", "3"}});
    EXPECT_EQ(runSearch(l.doc.records, l.browse, l.prompts, "   "), SearchStatus::Nothing);
    EXPECT_TRUE(l.prompts.messages.empty());

    EXPECT_EQ(runSearch(l.doc.records, l.browse, l.prompts, "apple"), SearchStatus::Found);
    EXPECT_EQ(l.browse.shownList, ShownList::SearchResults);
    EXPECT_EQ(l.browse.search, "2 Records Found");
    ASSERT_EQ(l.browse.searchResults.size(), 2u);
    EXPECT_EQ(l.browse.searchResults[1].col[0], "apple pie");

    // Back from line 2 selects that record in the full list.
    EXPECT_EQ(closeResults(l.doc.records, l.browse, 2), 3u);
    EXPECT_EQ(l.browse.shownList, ShownList::Records);
    EXPECT_TRUE(l.browse.searchResults.empty());
    EXPECT_TRUE(l.browse.search.empty());

    EXPECT_EQ(runSearch(l.doc.records, l.browse, l.prompts, "plum  "), SearchStatus::NotFound);
    EXPECT_EQ(l.prompts.messageTexts(),
              std::vector<std::string>{"plum 를 포함한 데이터가 없습니다 "});
    EXPECT_EQ(l.browse.shownList, ShownList::Records);
    EXPECT_TRUE(l.browse.search.empty());
}

TEST(Search, CountOfManyResults) {
    std::vector<std::vector<std::string>> rows(1234, {"same"});
    Listed l(rows);
    ASSERT_EQ(runSearch(l.doc.records, l.browse, l.prompts, "same"), SearchStatus::Found);
    EXPECT_EQ(l.browse.search, "1,234 Records Found");

    Listed many(std::vector<std::vector<std::string>>(100000, {"x"}));
    ASSERT_EQ(runSearch(many.doc.records, many.browse, many.prompts, "x"), SearchStatus::Found);
    EXPECT_EQ(many.browse.search, "100,000 Records Found");
}

TEST(Search, ResultsKeepTheirRecordsWhenTheListIsSorted) {
    Listed l({{"b", "1"}, {"a", "2"}, {"b2", "3"}});
    ASSERT_EQ(runSearch(l.doc.records, l.browse, l.prompts, "b"), SearchStatus::Found);
    l.doc.columns.type[0] = FieldType::Text;
    sortList(l.doc.records, l.doc.columns, 1);
    // The results keep their order on screen; each still stands for its record.
    EXPECT_EQ(l.browse.searchResults[0].col[0], "b");
    EXPECT_EQ(closeResults(l.doc.records, l.browse, 1), 2u);
}

TEST(Sort, NumberColumnsByValue) {
    Listed l({{"a", "10"}, {"b", "-5"}, {"c", "1,000"}, {"d", ""}, {"e", "2"}});
    sortList(l.doc.records, l.doc.columns, 2);
    EXPECT_EQ(l.column(1), (std::vector<std::string>{"-5", "", "2", "10", "1,000"}));
    sortList(l.doc.records, l.doc.columns, 2); // a second click: the same ascending order
    EXPECT_EQ(l.column(1), (std::vector<std::string>{"-5", "", "2", "10", "1,000"}));
}

TEST(Sort, TextColumnsByteWiseAndStable) {
    Listed l(
        {{"9", "1"}, {"10", "2"}, {"나", "3"}, {"가", "4"}, {"9  ", "5"}, {"B", "6"}, {"a", "7"}});
    sortList(l.doc.records, l.doc.columns, 1);
    EXPECT_EQ(l.column(0), (std::vector<std::string>{"10", "9", "9  ", "B", "a", "가", "나"}));
    EXPECT_EQ(l.column(1), (std::vector<std::string>{"2", "1", "5", "6", "7", "4", "3"}));
}

TEST(Sort, MemoOrOutsideColumnLeavesTheOrder) {
    Listed l({{"b", "2"}, {"a", "1"}});
    sortList(l.doc.records, l.doc.columns, 3); // the memo column after the two data columns
    sortList(l.doc.records, l.doc.columns, 0);
    EXPECT_EQ(l.column(0), (std::vector<std::string>{"b", "a"}));
}

} // namespace
} // namespace rowbit
