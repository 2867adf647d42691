#include "browse/record_command.h"

#include "document/row_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rowbit {
namespace {

// After the form carried a command out on five records "a" .. "e", with the search results
// "b" and "d" shown or not: the line selected next and the result lines left.
TEST(AfterRecordCommand, SelectsTheLineTheCommandLeftAndKeepsTheResultsInStep) {
    struct Case {
        const char* what;
        RecordCommand command;
        bool results;             // the search results ("b", "d") are shown
        std::size_t selectedLine; // when the command was given
        std::size_t position;     // the record it worked on (an insert: the new one)
        std::size_t select;
        std::vector<std::string> resultTexts; // the result lines afterwards
    };
    const Case cases[] = {
        {"insert, full list", RecordCommand::Insert, false, 2, 6, 6, {}},
        {"insert, results", RecordCommand::Insert, true, 1, 6, 3, {"b", "d", "new"}},
        {"change, full list", RecordCommand::Change, false, 3, 3, 3, {}},
        {"change, results", RecordCommand::Change, true, 2, 4, 2, {"b", "D"}},
        {"delete, full list", RecordCommand::Delete, false, 2, 2, 2, {}},
        {"delete, full list, the last", RecordCommand::Delete, false, 5, 5, 4, {}},
        {"delete, results", RecordCommand::Delete, true, 1, 2, 1, {"d"}},
        {"delete, results, the last", RecordCommand::Delete, true, 2, 4, 1, {"b"}},
    };
    for (const Case& c : cases) {
        RecordList records;
        for (const char* text : {"a", "b", "c", "d", "e"}) {
            records.buffer.clear();
            records.buffer.col[0] = text;
            records.add();
        }
        BrowseState browse;
        if (c.results) {
            browse.shownList = ShownList::SearchResults;
            addResultLine(records, browse, 2);
            addResultLine(records, browse, 4);
        }
        // The command as the form carries it out.
        switch (c.command) {
        case RecordCommand::Insert:
            records.buffer.clear();
            records.buffer.col[0] = "new";
            records.add();
            break;
        case RecordCommand::Change:
            records.at(c.position).col[0] = "D";
            break;
        case RecordCommand::Delete:
            ASSERT_TRUE(records.get(c.position));
            records.remove();
            break;
        }
        EXPECT_EQ(afterRecordCommand(c.command, c.position, c.selectedLine, records, browse),
                  c.select)
            << c.what;
        std::vector<std::string> texts;
        for (const ResultLine& line : browse.searchResults)
            texts.push_back(line.col[0]);
        EXPECT_EQ(texts, c.resultTexts) << c.what;
    }
}

} // namespace
} // namespace rowbit
