// How far a workbook load got, as the window hears it: through Document::open for the document and
// straight from loadBook for workbooks written by other programs.
#include "document/document.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace rowbit {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::ScriptedPrompts;

// What every listener may rely on: fractions within 0..1 that never go back, and few enough
// calls to repaint on each.
void expectOrderly(const std::vector<double>& fractions, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_LE(fractions.size(), 101u);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    for (double f : fractions) {
        EXPECT_GE(f, 0.0);
        EXPECT_LE(f, 1.0);
    }
}

TEST(LoadProgress, LoadFileReportsReadingUpToTheEnd) {
    ScratchDir dir;
    const fs::path path = dir / "장부.xls";
    {
        // Two sheets, so that the report runs on across a sheet boundary.
        auto book = createBook(BookFormat::Xls);
        for (const char* name : {"Data", "More"}) {
            Sheet* sheet = book->addSheet(name);
            for (int row = 0; row < 3000; ++row) {
                sheet->writeStr(row, 0, "품목 " + std::to_string(row));
                sheet->writeNum(row, 1, row * 1.5);
            }
        }
        ASSERT_TRUE(book->save(path.string()).ok());
    }
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    doc.path = path.string();
    ASSERT_EQ(doc.open(state, prompts, {}).kind, LoadOutcome::Preview);

    const std::vector<double> reading = prompts.progressOf(ProgressStage::Reading);
    expectOrderly(reading, path.string());
    ASSERT_FALSE(reading.empty());
    EXPECT_EQ(reading.back(), 1.0);
    // A stream this size crosses many hundredths; a report only at the end says nothing.
    EXPECT_GE(reading.size(), 20u);
    // Something read in the middle lands in the middle.
    EXPECT_TRUE(
        std::any_of(reading.begin(), reading.end(), [](double f) { return f > 0.3 && f < 0.7; }));
    EXPECT_TRUE(prompts.progressOf(ProgressStage::Listing).empty());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(LoadProgress, WorkbooksOfOtherProgramsEndAtOneOrNotAtAll) {
    int loaded = 0, refused = 0;
    for (const fs::path& file : testing::inputFiles(testing::realWorkbooks() / "xls", {".xls"})) {
        std::vector<double> fractions;
        const auto book = loadBook(file.string(), [&](double f) { fractions.push_back(f); });
        expectOrderly(fractions, file.filename().string());
        if (book) {
            ++loaded;
            ASSERT_FALSE(fractions.empty()) << file;
            EXPECT_EQ(fractions.back(), 1.0) << file;
        } else {
            // A refused workbook (encrypted, damaged) was never loaded, so never done.
            ++refused;
            EXPECT_TRUE(std::none_of(fractions.begin(), fractions.end(), [](double f) {
                return f >= 1.0;
            })) << file;
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0); // the password-protected ones at least
}

TEST(LoadProgress, AFileThatIsNotThereReportsNothing) {
    ScratchDir dir;
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    doc.path = (dir / "새 장부.xls").string();
    EXPECT_EQ(doc.open(state, prompts, {}).kind, LoadOutcome::NewWorkbook);
    EXPECT_TRUE(prompts.progressReports.empty());
}

} // namespace
} // namespace rowbit
