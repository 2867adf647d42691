// The document layer on workbooks written by xlwt and openpyxl (tests/data/document), saved by
// Rowbit and read back through the engine.
#include "app/picture.h"
#include "browse/search_sort.h"
#include "document/document.h"
#include "document/row_list.h"
#include "document/settings_sheet.h"
#include "support/save_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using testing::saveFile;
using testing::ScratchDir;
using testing::ScriptedPrompts;
using testing::testData;

class DocumentFiles : public ::testing::TestWithParam<const char*> {
protected:
    ScratchDir dir;
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;

    // Opens a copy of a fixture as the program does.
    LoadOutcome open(const std::string& name, std::optional<int> titleRow = std::nullopt) {
        const auto copy = dir / name;
        std::filesystem::copy_file(testData() / "document" / name, copy);
        state.workingFolder = dir.path().string();
        state.datePicture = "@D9-";
        doc.path = copy.string();
        const LoadOutcome outcome =
            doc.open(state, prompts,
                     [&](const std::vector<PreviewRow>&, int pre) {
                         return titleRow ? titleRow : std::optional<int>(pre);
                     })
                .kind;
        fillRecordList(doc, state, prompts);
        return outcome;
    }
    std::unique_ptr<Book> reread() const {
        auto book = loadBook(doc.path);
        EXPECT_TRUE(book.ok()) << (book.ok() ? "" : book.error().describe());
        return book.ok() ? std::move(book).value() : nullptr;
    }
    std::string ext() const { return GetParam(); }
};

TEST_P(DocumentFiles, SettingsSheetIsRead) {
    ASSERT_EQ(open("ledger" + ext()), LoadOutcome::Settings);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.columns.columnCount, 3);
    EXPECT_EQ(doc.columns.firstDataRow, 2);
    EXPECT_EQ(doc.columns.hasLookup[0], 1);
    EXPECT_EQ(doc.columns.memoColumn, 5);
    ASSERT_EQ(doc.records.count(), 5u);
    EXPECT_EQ(doc.records.at(1).col[2], "15-10-31");
    EXPECT_EQ(doc.records.at(3).row, 4); // row 4 is a gap
    EXPECT_EQ(lookupList(*settingsSheet(*doc.book), 1), (std::vector<std::string>{"사과", "배"}));
}

TEST_P(DocumentFiles, EditsInsertsAndDeletesAreSavedInPlace) {
    ASSERT_EQ(open("ledger" + ext()), LoadOutcome::Settings);
    // Change the date of 배 and the amount of 감, delete 사과, insert 호두.
    doc.records.at(2).col[2] = "24-02-29";
    doc.records.at(3).col[1] = "1,234.5";
    ASSERT_TRUE(doc.records.get(1));
    doc.records.remove();
    doc.records.buffer.clear();
    doc.records.buffer.col = {"호두", "7", "99-12-31", "", "", "", "", "", "", ""};
    doc.records.add();
    doc.modified = true;
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    EXPECT_FALSE(doc.modified);

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
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.columns.firstDataRow, 3);
    ASSERT_EQ(doc.records.count(), 3u);
    EXPECT_EQ(doc.records.at(2).col[2], "1,500.5");
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    auto book = reread();
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheetCount(), 3);
    ColumnSetup back;
    readSettings(*settingsSheet(*book), back);
    EXPECT_EQ(back.columnCount, 3);
    EXPECT_EQ(back.type[0], FieldType::Date);
    EXPECT_EQ(back.firstDataRow, 3);
}

TEST_P(DocumentFiles, CancelledPreviewLeavesNoColumns) {
    ASSERT_EQ(open("nosetup" + ext(), 0), LoadOutcome::Preview);
    EXPECT_EQ(doc.columns.columnCount, 0);
    EXPECT_EQ(doc.columns.firstDataRow, 1);
    EXPECT_EQ(doc.records.count(), 0u);
    EXPECT_TRUE(doc.modified);
}

TEST_P(DocumentFiles, SingleSheetWorkbookKeepsItsDataSheet) {
    ASSERT_EQ(open("single" + ext()), LoadOutcome::Preview);
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
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
    doc.records.at(1).col[1] = "11";
    doc.modified = true;
    ASSERT_EQ(saveFile(doc, state, browse, prompts, ChangedFile::Refuse).status, SaveStatus::Saved);
    doc.records.at(1).col[1] = "22";
    ASSERT_EQ(saveFile(doc, state, browse, prompts, ChangedFile::Refuse).status, SaveStatus::Saved);
    EXPECT_TRUE(prompts.messages.empty());

    // Another program saves the workbook (a new file under the name, as programs save).
    const std::string theirs = doc.path + ".theirs";
    std::filesystem::copy_file(doc.path, theirs);
    std::filesystem::rename(theirs, doc.path);
    const auto before = identityOf(doc.path);
    doc.records.at(1).col[1] = "33";
    EXPECT_EQ(saveFile(doc, state, browse, prompts, ChangedFile::Refuse).status,
              SaveStatus::Conflict);
    EXPECT_EQ(identityOf(doc.path), before); // not written
    EXPECT_TRUE(doc.modified);

    prompts.messageAnswers.push_back(2); // 덮어쓰기
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    const auto book = reread();
    ASSERT_TRUE(book);
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(doc.records.at(1).row, 1), 33); // 사과's amount
}

INSTANTIATE_TEST_SUITE_P(Formats, DocumentFiles, ::testing::Values(".xls", ".xlsx"),
                         [](const auto& param) { return std::string(param.param + 1); });

TEST(DocumentFilesSaveAs, XlsxEndingMakesAnXmlWorkbook) {
    // The save dialog leaves the chosen folder current, as the program's dialogs do.
    const auto cwd = std::filesystem::current_path();
    ScratchDir dir;
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    state.workingFolder = dir.path().string();
    ASSERT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::NewWorkbook);
    fillRecordList(doc, state, prompts);
    doc.records.buffer.clear();
    doc.records.buffer.col[0] = "첫 자료";
    doc.records.add();
    prompts.saveAnswers.push_back((dir / "new.xlsx").string());
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    EXPECT_EQ(doc.path, (dir / "new.xlsx").string());
    auto book = loadBook(doc.path);
    ASSERT_TRUE(book.ok());
    EXPECT_EQ((*book)->format(), BookFormat::Xlsx);
    EXPECT_EQ((*book)->sheet(0)->readStr(0, 0), "첫 자료");

    prompts.saveAnswers.push_back((dir / "plain").string());
    doc.path.clear(); // the new unnamed workbook again: a binary one
    ASSERT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::NewWorkbook);
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    auto xls = loadBook((dir / "plain.xls").string());
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ((*xls)->format(), BookFormat::Xls);
    EXPECT_EQ((*xls)->sheet(1)->name(), "SetupQ");
    EXPECT_EQ(std::filesystem::current_path(), dir.path());

    // A new workbook named .xlsm on the command line is an XML one and keeps its name.
    doc.path = (dir / "macro.xlsm").string();
    ASSERT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::NewWorkbook);
    EXPECT_EQ(doc.book->format(), BookFormat::Xlsx);
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    auto xlsm = loadBook((dir / "macro.xlsm").string());
    ASSERT_TRUE(xlsm.ok());
    EXPECT_EQ((*xlsm)->format(), BookFormat::Xlsx);
    std::filesystem::current_path(cwd);
}

} // namespace
} // namespace rowbit
