// The document layer on workbooks written by xlwt and openpyxl (tests/data/document), saved by
// Rowbit and read back through the engine.
#include "app/picture.h"
#include "browse/search_sort.h"
#include "document/document.h"
#include "document/row_list.h"
#include "document/settings_sheet.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using testing::ScratchDir;
using testing::ScriptedPrompts;
using testing::testData;

class DocumentFiles : public ::testing::TestWithParam<const char*> {
protected:
    ScratchDir dir;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;

    // Opens a copy of a fixture as the program does.
    LoadOutcome open(const std::string& name, std::optional<int> titleRow = std::nullopt) {
        const auto copy = dir / name;
        std::filesystem::copy_file(testData() / "document" / name, copy);
        state.workingFolder = dir.path().string();
        state.datePicture = "@D9-";
        state.filename = copy.string();
        const LoadOutcome outcome =
            loadFile(state, browse, prompts, [&](const std::vector<PreviewRow>&, int pre) {
                return titleRow ? titleRow : std::optional<int>(pre);
            });
        fillRecordList(state, browse, prompts);
        return outcome;
    }
    std::unique_ptr<Book> reread() const {
        auto book = loadBook(state.filename);
        EXPECT_TRUE(book.ok()) << (book.ok() ? "" : book.error().describe());
        return book.ok() ? std::move(book).value() : nullptr;
    }
    std::string ext() const { return GetParam(); }
};

TEST_P(DocumentFiles, SettingsSheetIsRead) {
    ASSERT_EQ(open("ledger" + ext()), LoadOutcome::Settings);
    EXPECT_EQ(state.changed, 0);
    EXPECT_EQ(state.columns.columnCount, 3);
    EXPECT_EQ(state.columns.firstDataRow, 2);
    EXPECT_EQ(state.columns.hasLookup[0], 1);
    EXPECT_EQ(state.columns.memoColumn, 5);
    ASSERT_EQ(state.records.count(), 5u);
    EXPECT_EQ(state.records.at(1).col[2], "15-10-31");
    EXPECT_EQ(state.records.at(3).row, 4); // row 4 is a gap
    EXPECT_EQ(lookupList(*settingsSheet(*state.book), 1), (std::vector<std::string>{"사과", "배"}));
}

TEST_P(DocumentFiles, EditsInsertsAndDeletesAreSavedInPlace) {
    ASSERT_EQ(open("ledger" + ext()), LoadOutcome::Settings);
    // Change the date of 배 and the amount of 감, delete 사과, insert 호두.
    state.records.at(2).col[2] = "24-02-29";
    state.records.at(3).col[1] = "1,234.5";
    ASSERT_TRUE(state.records.get(1));
    state.records.remove();
    state.records.buffer.clear();
    state.records.buffer.col = {"호두", "7", "99-12-31", "", "", "", "", "", "", ""};
    state.records.add();
    state.changed = 1;
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    EXPECT_EQ(state.changed, 0);

    auto book = reread();
    ASSERT_TRUE(book);
    const Sheet& s = *book->sheet(0);
    // The four remaining records fill the places 2, 3, 5, 6 in list order; row 7 is emptied.
    EXPECT_EQ(s.readStr(1, 0), "배");
    EXPECT_TRUE(s.isDate(1, 2));
    EXPECT_EQ(s.readNum(1, 2), picture::serialFromCivil({2024, 2, 29}));
    EXPECT_EQ(s.readStr(1, 5), "F3");
    EXPECT_EQ(s.readStr(2, 0), "감");
    EXPECT_DOUBLE_EQ(s.readNum(2, 1), 1234.5);
    EXPECT_EQ(s.readStr(2, 5), "F5");
    EXPECT_EQ(s.readStr(3, 4), "gap memo");
    EXPECT_EQ(s.readStr(4, 0), "귤");
    EXPECT_EQ(s.readStr(4, 4), "귤 memo");
    EXPECT_EQ(s.readStr(5, 0), "밤");
    EXPECT_EQ(s.readStr(6, 0), "호두");
    EXPECT_TRUE(s.isDate(6, 2));
    EXPECT_EQ(s.readNum(6, 2), picture::serialFromCivil({1999, 12, 31}));
    EXPECT_EQ(s.cellType(6, 5), CellType::Empty); // 사과's F2 did not stay behind
    EXPECT_LE(s.lastRow(), 7);
}

TEST_P(DocumentFiles, WorkbookWithoutSettingsGetsThemOnSave) {
    ASSERT_EQ(open("nosetup" + ext()), LoadOutcome::Preview);
    EXPECT_EQ(state.changed, 1);
    EXPECT_EQ(state.columns.firstDataRow, 3);
    ASSERT_EQ(state.records.count(), 3u);
    EXPECT_EQ(state.records.at(2).col[2], "1,500.5");
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    auto book = reread();
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheetCount(), 3);
    ColumnSetup back;
    readSettings(*settingsSheet(*book), back);
    EXPECT_EQ(back.columnCount, 3);
    EXPECT_EQ(back.type[0], "D");
    EXPECT_EQ(back.firstDataRow, 3);
}

TEST_P(DocumentFiles, CancelledPreviewLeavesNoColumns) {
    ASSERT_EQ(open("nosetup" + ext(), 0), LoadOutcome::Preview);
    EXPECT_EQ(state.columns.columnCount, 0);
    EXPECT_EQ(state.columns.firstDataRow, 1);
    EXPECT_EQ(state.records.count(), 0u);
    EXPECT_EQ(state.changed, 1);
}

TEST_P(DocumentFiles, SingleSheetWorkbookKeepsItsDataSheet) {
    ASSERT_EQ(open("single" + ext()), LoadOutcome::Preview);
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    auto book = reread();
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheetCount(), 2);
    EXPECT_EQ(book->sheet(0)->name(), "Only");
    EXPECT_EQ(book->sheet(0)->readStr(1, 0), "하나");
    EXPECT_EQ(book->sheet(1)->name(), "SetupQ");
}

// The file is compared with what it was when it was read: a copy of the program that saved it
// meanwhile is not overwritten unasked, and this program's own saves never count as a change.
TEST_P(DocumentFiles, ASaveByAnotherProgramSinceTheReadIsNotOverwrittenUnasked) {
    ASSERT_EQ(open("ledger" + ext()), LoadOutcome::Settings);
    state.records.at(1).col[1] = "11";
    state.changed = 1;
    ASSERT_EQ(saveFile(state, browse, prompts, ChangedFile::Refuse).status, SaveStatus::Saved);
    state.records.at(1).col[1] = "22";
    ASSERT_EQ(saveFile(state, browse, prompts, ChangedFile::Refuse).status, SaveStatus::Saved);
    EXPECT_TRUE(prompts.messages.empty());

    // Another program saves the workbook (a new file under the name, as programs save).
    const std::string theirs = state.filename + ".theirs";
    std::filesystem::copy_file(state.filename, theirs);
    std::filesystem::rename(theirs, state.filename);
    const auto before = identityOf(state.filename);
    state.records.at(1).col[1] = "33";
    EXPECT_EQ(saveFile(state, browse, prompts, ChangedFile::Refuse).status, SaveStatus::Conflict);
    EXPECT_EQ(identityOf(state.filename), before); // not written
    EXPECT_EQ(state.changed, 1);

    prompts.messageAnswers.push_back(2); // 덮어쓰기
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    const auto book = reread();
    ASSERT_TRUE(book);
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(state.records.at(1).row, 1), 33); // 사과's amount
}

INSTANTIATE_TEST_SUITE_P(Formats, DocumentFiles, ::testing::Values(".xls", ".xlsx"),
                         [](const auto& param) { return std::string(param.param + 1); });

TEST(DocumentFilesSaveAs, XlsxEndingMakesAnXmlWorkbook) {
    // The save dialog leaves the chosen folder current, as the program's dialogs do.
    const auto cwd = std::filesystem::current_path();
    ScratchDir dir;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    state.workingFolder = dir.path().string();
    ASSERT_EQ(loadFile(state, browse, prompts, nullptr), LoadOutcome::NewWorkbook);
    fillRecordList(state, browse, prompts);
    state.records.buffer.clear();
    state.records.buffer.col[0] = "첫 자료";
    state.records.add();
    prompts.saveAnswers.push_back((dir / "new.xlsx").string());
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    EXPECT_EQ(state.filename, (dir / "new.xlsx").string());
    auto book = loadBook(state.filename);
    ASSERT_TRUE(book.ok());
    EXPECT_EQ((*book)->format(), BookFormat::Xlsx);
    EXPECT_EQ((*book)->sheet(0)->readStr(0, 0), "첫 자료");

    prompts.saveAnswers.push_back((dir / "plain").string());
    state.filename.clear(); // the new unnamed workbook again: a binary one
    ASSERT_EQ(loadFile(state, browse, prompts, nullptr), LoadOutcome::NewWorkbook);
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    auto xls = loadBook((dir / "plain.xls").string());
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ((*xls)->format(), BookFormat::Xls);
    EXPECT_EQ((*xls)->sheet(1)->name(), "SetupQ");
    EXPECT_EQ(std::filesystem::current_path(), dir.path());

    // A new workbook named .xlsm on the command line is an XML one and keeps its name.
    state.filename = (dir / "macro.xlsm").string();
    ASSERT_EQ(loadFile(state, browse, prompts, nullptr), LoadOutcome::NewWorkbook);
    EXPECT_EQ(state.book->format(), BookFormat::Xlsx);
    ASSERT_EQ(saveFile(state, browse, prompts).status, SaveStatus::Saved);
    auto xlsm = loadBook((dir / "macro.xlsm").string());
    ASSERT_TRUE(xlsm.ok());
    EXPECT_EQ((*xlsm)->format(), BookFormat::Xlsx);
    std::filesystem::current_path(cwd);
}

} // namespace
} // namespace rowbit
