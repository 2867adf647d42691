// Reading the whole workbook behind a first screen: the records the reading thread fills are
// those a whole open fills; a file damaged meanwhile gives its error; a cancelled read gives
// nothing.
#include "document/whole_read.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace rowbit {
namespace {

using testing::ScratchDir;
using testing::ScriptedPrompts;

// Titles in the first row, 40 records below; the 30th holds a text too long for its field.
std::string writeWorkbook(const ScratchDir& dir) {
    const std::string path = (dir / "장부.xlsx").string();
    auto book = createBook(BookFormat::Xlsx);
    Sheet* sheet = book->addSheet("Data");
    sheet->writeStr(0, 0, "품목");
    sheet->writeStr(0, 1, "값");
    for (int row = 1; row <= 40; ++row) {
        sheet->writeStr(row, 0, row == 30 ? std::string(120, 'x') : "품목 " + std::to_string(row));
        sheet->writeNum(row, 1, row * 1.5);
    }
    EXPECT_TRUE(book->save(path).ok());
    return path;
}

std::vector<std::vector<std::string>> textsOf(const RecordList& records) {
    std::vector<std::vector<std::string>> texts;
    for (std::size_t pos = 1; pos <= records.count(); ++pos)
        texts.push_back({std::string(records.at(pos).col[0]), std::string(records.at(pos).col[1])});
    return texts;
}

TEST(WholeRead, FillsWhatAWholeOpenFillsOrSaysWhyNot) {
    enum class Expect { Records, Error, Nothing };
    struct Case {
        const char* name;
        std::function<void(const std::string& path, WholeRead& read)> whileHeld;
        Expect expect;
    };
    const Case cases[] = {
        {"read whole", [](const std::string&, WholeRead&) {}, Expect::Records},
        {"damaged meanwhile",
         [](const std::string& path, WholeRead&) { std::ofstream(path) << "no workbook"; },
         Expect::Error},
        {"cancelled", [](const std::string&, WholeRead& read) { read.cancel(); }, Expect::Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string path = writeWorkbook(dir);
        AppState display;
        ScriptedPrompts prompts;
        auto titleRow = [](const std::vector<PreviewRow>&, int) { return std::optional<int>(1); };
        Document whole;
        whole.path = path;
        whole.open(display, prompts, titleRow);
        whole.fill(display, prompts);
        ASSERT_EQ(whole.records.count(), 40u);

        Document first;
        first.path = path;
        first.open(display, prompts, titleRow, OpenRows{.firstSheetRows = 10, .batches = {}});
        first.fill(display, prompts);
        EXPECT_FALSE(first.book->complete());
        EXPECT_EQ(first.records.count(), 9u);
        prompts.messages.clear(); // the whole open told of the long cell; the first rows do not

        std::promise<void> release;
        std::promise<void> finished;
        WholeRead read({.path = first.diskPath,
                        .columns = first.columns,
                        .display = display,
                        .fill = {.parallelFrom = 1, .threads = 2},
                        .progress = {},
                        .finished = [&finished] { finished.set_value(); },
                        .beforeReading = [held = release.get_future().share()] { held.wait(); }});
        c.whileHeld(path, read);
        release.set_value();
        finished.get_future().wait();
        EXPECT_TRUE(read.done());
        WholeList outcome = read.take();

        EXPECT_EQ(outcome.document != nullptr, c.expect == Expect::Records);
        EXPECT_EQ(outcome.error.has_value(), c.expect == Expect::Error);
        if (outcome.document) {
            EXPECT_EQ(textsOf(outcome.document->records), textsOf(whole.records));
            first.takeWholeList(*outcome.document);
            EXPECT_TRUE(first.book->complete());
            EXPECT_EQ(textsOf(first.records), textsOf(whole.records));
            ASSERT_EQ(outcome.messages.size(), 1u);
            EXPECT_NE(outcome.messages[0].text.find("A31"), std::string::npos);
        }
        EXPECT_TRUE(prompts.messages.empty());
    }
}

} // namespace
} // namespace rowbit
