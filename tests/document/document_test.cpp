#include "app/cp949_text.h"
#include "app/picture.h"
#include "app/preferences.h"
#include "browse/search_sort.h"
#include "document/document.h"
#include "document/file_messages.h"
#include "document/row_list.h"
#include "document/settings_sheet.h"
#include "support/memory_book.h"
#include "support/save_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace rowbit {
namespace {

using testing::MemoryBook;
using testing::MemorySheet;
using testing::number;
using testing::saveFile;
using testing::ScratchDir;
using testing::ScriptedPrompts;
using testing::text;

// A named workbook in memory: titles in row 1, records from row 2. Shown: A (text),
// B (number), C (date); memo E; column D is not shown and holds a per-row marker.
struct Doc {
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    MemoryBook* book;
    MemorySheet* sheet;
    int numberFormat;
    int dateFormat;

    Doc() {
        auto owned = std::make_unique<MemoryBook>();
        book = owned.get();
        sheet = static_cast<MemorySheet*>(owned->addSheet("Data"));
        owned->addSheet("SetupQ");
        numberFormat = owned->addFormat(false);
        dateFormat = owned->addFormat(true);
        doc.book = std::move(owned);
        doc.path = "/books/장부.xls";
        state.workingFolder = "/start";
        state.datePicture = "@D9-";
        ColumnSetup& columns = doc.columns;
        columns.columnCount = 3;
        columns.sheetColumn = {1, 2, 3};
        columns.title = {"품명", "금액", "날짜"};
        columns.type = {FieldType::Text, FieldType::Number, FieldType::Date};
        columns.justify = {Justification::Left, Justification::Right, Justification::Center};
        columns.memoColumn = 5;
        columns.memoTitle = "메모";
        columns.firstDataRow = 2;
        sheet->setCell(0, 0, text("품명"));
    }
    void row(int r, std::string item, double amount, int year, std::string memo = {}) {
        sheet->setCell(r, 0, text(std::move(item)));
        sheet->setCell(r, 1, number(amount, numberFormat));
        sheet->setCell(r, 2, number(picture::serialFromCivil({year, 1, 2}), dateFormat));
        sheet->setCell(r, 3, text("D" + std::to_string(r + 1)));
        if (!memo.empty())
            sheet->setCell(r, 4, text(std::move(memo)));
    }
    void fill() { fillRecordList(doc, state, prompts); }
    Record& record(std::size_t pos) { return doc.records.at(pos); }
    std::string str(int r, int c) const { return sheet->readStr(r, c); }
};

TEST(SaveSheet, WithoutEditsNoDataCellIsWritten) {
    Doc d;
    d.row(1, std::string(150, 'x'), 1234.5, 2015, "m");
    d.row(2, "b", 0, 2016);
    d.fill();
    const int writesBefore = d.sheet->writes;
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_EQ(d.sheet->writes, writesBefore);
    EXPECT_EQ(d.str(1, 0), std::string(150, 'x')); // never cut to the list's 100 bytes
}

TEST(SaveSheet, OnlyFieldsThatDifferFromTheSheetAreWritten) {
    Doc d;
    d.row(1, "a", 1, 2001, "m");
    d.row(2, "b", 2, 2002);
    d.fill();
    struct Step {
        const char* what;
        std::function<void(Doc&)> edit;
        int writes;
    };
    const Step steps[] = {
        {"read and put back",
         [](Doc& s) {
             s.doc.records.get(1);
             s.doc.records.put();
         },
         0},
        {"edited and edited back",
         [](Doc& s) {
             s.record(1).col[0] = "zz";
             s.record(1).col[0] = "a";
         },
         0},
        {"one field", [](Doc& s) { s.record(2).col[0] = "q"; }, 1},
        {"back to the text of the fill", [](Doc& s) { s.record(2).col[0] = "b"; }, 1},
        {"nothing", [](Doc&) {}, 0},
        {"the memo", [](Doc& s) { s.record(2).memo = "new"; }, 1},
    };
    for (const Step& step : steps) {
        step.edit(d);
        const int before = d.sheet->writes;
        ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok()) << step.what;
        EXPECT_EQ(d.sheet->writes - before, step.writes) << step.what;
    }
    EXPECT_EQ(d.str(2, 0), "b");
    EXPECT_EQ(d.str(2, 4), "new");
}

TEST(SaveSheet, SortedRecordsTakeTheirWholeRowsAlong) {
    Doc d;
    d.row(1, "c", 3, 2003, "memo c");
    d.row(2, "a", 1, 2001);
    d.row(4, "b", 2, 2002, "memo b"); // row 4 (index 3) is a gap: no record
    d.sheet->setCell(3, 4, text("memo in a gap"));
    d.fill();
    ASSERT_EQ(d.doc.records.count(), 3u);
    sortList(d.doc.records, d.doc.columns, 1);
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());

    // The places were rows 2, 3 and 5: they now hold a, b, c, each with its own D and memo.
    EXPECT_EQ(d.str(1, 0), "a");
    EXPECT_EQ(d.str(1, 3), "D3");
    EXPECT_EQ(d.str(2, 0), "b");
    EXPECT_EQ(d.str(2, 3), "D5");
    EXPECT_EQ(d.str(2, 4), "memo b");
    EXPECT_EQ(d.str(4, 0), "c");
    EXPECT_EQ(d.str(4, 3), "D2");
    EXPECT_EQ(d.str(4, 4), "memo c");
    EXPECT_EQ(d.str(3, 4), "memo in a gap"); // the gap row stays where it is
    EXPECT_EQ(d.sheet->cellFormat(1, 1), d.numberFormat);

    // A second save without edits changes nothing more.
    const int writes = d.sheet->writes;
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_EQ(d.sheet->writes, writes);
    EXPECT_EQ(d.record(1).row, 1);
    EXPECT_EQ(d.record(3).row, 4);
}

TEST(SaveSheet, EditedFieldsAreWrittenByTheirColumnType) {
    Doc d;
    d.row(1, "a", 1, 2001);
    d.row(2, "b", 2, 2002);
    d.fill();
    d.doc.columns.format = {0, d.numberFormat, 0}; // the date column's format is no date format
    struct Case {
        int field;
        std::string typed;
        CellType type;
        double value;
        std::string textValue;
    };
    const Case cases[] = {
        {1, "1,234.50", CellType::Number, 1234.5, ""},
        {1, "12원", CellType::Number, 12, ""},
        {1, "n/a", CellType::Number, 0, ""},
        {2, "29-02-03", CellType::Number, double(picture::serialFromCivil({2029, 2, 3})), ""},
        {2, "30-02-03", CellType::Number, double(picture::serialFromCivil({2030, 2, 3})), ""},
        {2, "someday", CellType::Text, 0, "someday"},
        {0, "새 이름  ", CellType::Text, 0, "새 이름"},
    };
    for (const Case& c : cases) {
        d.record(2).col[c.field] = c.typed;
        ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok()) << c.typed;
        const int col = c.field;
        EXPECT_EQ(d.sheet->cellType(2, col), c.type) << c.typed;
        if (c.type == CellType::Number)
            EXPECT_DOUBLE_EQ(d.sheet->readNum(2, col), c.value) << c.typed;
        else
            EXPECT_EQ(d.sheet->readStr(2, col), c.textValue) << c.typed;
    }
    // A date written back is a date: its own date format where the column had none.
    d.record(2).col[2] = "15-10-31";
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_TRUE(d.sheet->isDate(2, 2));
    EXPECT_EQ(d.sheet->cellFormat(1, 2), d.dateFormat); // the unedited row kept its own
    EXPECT_EQ(d.sheet->cellFormat(2, 1), d.numberFormat);
    // The other record was not touched.
    EXPECT_EQ(d.sheet->readNum(1, 1), 1);
}

TEST(SaveSheet, EditedTwoDigitYearsKeepTheCenturyTheirCellHeld) {
    struct Case {
        int held; // 0: the cell held no date
        const char* typed;
        int year;
    };
    const Case cases[] = {
        {1930, "30-01-01", 1930}, {2050, "50-02-02", 2050}, {1999, "30-01-01", 2030},
        {2029, "30-01-01", 2030}, {0, "99-12-31", 1999},
    };
    for (const Case& c : cases) {
        Doc d;
        if (c.held != 0)
            d.row(1, "a", 1, c.held);
        else
            d.sheet->setCell(1, 0, text("a"));
        d.fill();
        d.doc.columns.format[2] = d.dateFormat;
        d.record(1).col[2] = c.typed;
        ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
        const auto serial = static_cast<std::int32_t>(d.sheet->readNum(1, 2));
        EXPECT_EQ(picture::civilFromSerial(serial).year, c.year) << c.held << " " << c.typed;
    }
}

TEST(SaveSheet, DatesInA1904WorkbookStayTheSameDay) {
    Doc d;
    d.book->date1904_ = true;
    d.sheet->setCell(1, 0, text("a"));
    d.fill();
    d.doc.columns.format[2] = d.dateFormat;
    d.record(1).col[2] = "15-10-31";
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    d.fill();
    EXPECT_EQ(d.record(1).col[2], "15-10-31");
}

TEST(SaveSheet, InsertsGoAfterTheLastUsedRow) {
    Doc d;
    d.row(1, "a", 1, 2001);
    d.sheet->setCell(6, 4, text("a memo far below")); // the last used row, no record
    d.fill();
    d.doc.records.buffer.clear();
    d.doc.records.buffer.col = {"new", "5", "", "", "", "", "", "", "", ""};
    d.doc.records.buffer.memo = "new memo";
    d.doc.records.add();
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_EQ(d.str(7, 0), "new");
    EXPECT_EQ(d.sheet->readNum(7, 1), 5);
    EXPECT_EQ(d.str(7, 4), "new memo");
    EXPECT_EQ(d.str(6, 4), "a memo far below");
}

TEST(SaveSheet, DeletesEmptyTheLeftoverRowsInEveryColumn) {
    Doc d;
    for (int r = 1; r <= 10; ++r)
        d.row(r, "r" + std::to_string(r), r, 2000 + r, "memo");
    d.fill();
    ASSERT_TRUE(d.doc.records.get(1));
    d.doc.records.remove();
    ASSERT_TRUE(d.doc.records.get(5));
    d.doc.records.remove();
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_EQ(d.str(1, 0), "r2");
    EXPECT_EQ(d.str(1, 3), "D3");
    EXPECT_EQ(d.str(8, 0), "r10");
    for (int r : {9, 10}) {
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(d.sheet->cellType(r, c), CellType::Empty) << r << "," << c;
    }
}

TEST(SaveSheet, AnInsertInADeletedRecordsPlaceLeavesNothingOfIt) {
    Doc d;
    d.row(1, "b", 1, 2001, "old memo");
    d.row(2, "c", 2, 2002);
    d.fill();
    ASSERT_TRUE(d.doc.records.get(1));
    d.doc.records.remove(); // "b" goes
    d.doc.records.buffer.clear();
    d.doc.records.buffer.col[0] = "a";
    d.doc.records.add();
    sortList(d.doc.records, d.doc.columns, 1); // "a" takes the first place, once b's
    ASSERT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_EQ(d.str(1, 0), "a");
    EXPECT_EQ(d.sheet->cellType(1, 3), CellType::Empty); // b's unshown cell is gone
    EXPECT_EQ(d.str(1, 4), "");
    EXPECT_EQ(d.str(2, 0), "c");
    EXPECT_EQ(d.str(2, 3), "D3");
}

TEST(SaveSheet, NoRoomInTheSheetIsAnError) {
    Doc d;
    d.sheet->setCell(65535, 0, text("last"));
    d.doc.columns.firstDataRow = 65536;
    d.fill();
    d.doc.records.buffer.clear();
    d.doc.records.buffer.col[0] = "one too many";
    d.doc.records.add();
    const int writes = d.sheet->writes;
    const auto saved = saveRecordsSheet(d.doc, d.state);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().code, ErrorCode::Limit);
    EXPECT_EQ(d.sheet->writes, writes); // nothing was half done

    // With the record deleted again the same save goes through.
    ASSERT_TRUE(d.doc.records.get(2));
    d.doc.records.remove();
    EXPECT_TRUE(saveRecordsSheet(d.doc, d.state).ok());
    EXPECT_EQ(d.str(65535, 0), "last");
}

TEST(SaveFile, SavesSettingsAndRowsAndClearsChanged) {
    Doc d;
    d.row(1, "a", 1, 2001);
    d.fill();
    d.doc.modified = true;
    const SaveOutcome saved = saveFile(d.doc, d.state, d.browse, d.prompts);
    EXPECT_EQ(saved.status, SaveStatus::Saved);
    EXPECT_FALSE(d.doc.modified);
    EXPECT_EQ(d.book->savedTo, std::vector<std::string>{"/books/장부.xls"});
    EXPECT_EQ(d.browse.recent[0], "/books/장부.xls");
    ColumnSetup back;
    readSettings(*settingsSheet(*d.book), back);
    EXPECT_EQ(back.columnCount, 3);
    EXPECT_EQ(back.memoColumn, 5);
    EXPECT_TRUE(d.prompts.messages.empty());
}

TEST(SaveFile, AFailedSaveIsNeverReportedAsSuccess) {
    Doc d;
    d.row(1, "a", 1, 2001);
    d.fill();
    d.doc.modified = true;
    d.book->saveError = makeError(ErrorCode::Io, "permission denied", "/books/장부.xls");
    const SaveOutcome saved = saveFile(d.doc, d.state, d.browse, d.prompts);
    EXPECT_EQ(saved.status, SaveStatus::Failed);
    ASSERT_TRUE(saved.error);
    EXPECT_EQ(saved.error->code, ErrorCode::Io);
    EXPECT_TRUE(d.doc.modified);
    ASSERT_EQ(d.prompts.messageTexts().size(), 1u);
    EXPECT_EQ(d.prompts.messageTexts()[0],
              "/books/장부.xls 파일은 권한이 없거나 다른 프로그램이 쓰고 있어 저장하지 못했지만 "
              "변경내용은 그대로 있으니, 원인을 없앤 뒤 다시 저장하세요.");
    EXPECT_EQ(d.prompts.messages[0].details,
              "/books/장부.xls\npermission denied (/books/장부.xls)");
    EXPECT_TRUE(d.browse.recent[0].empty());

    // Once the cause is gone the same save goes through.
    d.book->saveError.reset();
    EXPECT_EQ(saveFile(d.doc, d.state, d.browse, d.prompts).status, SaveStatus::Saved);
    EXPECT_FALSE(d.doc.modified);
}

// A file another program saved since it was read: the window asks (another name, overwrite,
// cancel), the command line refuses; nothing is written unless the user chose so.
TEST(SaveFile, AFileThatChangedOnTheDiskIsAskedAboutOrRefused) {
    const std::string path = "/books/장부.xls";
    struct Case {
        ChangedFile policy;
        std::optional<int> answer;            // to the question
        std::optional<std::string> otherName; // in the save dialog
        SaveStatus status;
        std::vector<std::string> written;
        std::string filename;
    };
    const std::vector<Case> cases = {
        {ChangedFile::Ask,
         1,
         "/books/사본",
         SaveStatus::Saved,
         {"/books/사본.xls"},
         "/books/사본.xls"},
        {ChangedFile::Ask, 1, std::nullopt, SaveStatus::Cancelled, {}, path},
        {ChangedFile::Ask, 2, std::nullopt, SaveStatus::Saved, {path}, path},
        {ChangedFile::Ask, 3, std::nullopt, SaveStatus::Cancelled, {}, path},
        {ChangedFile::Refuse, std::nullopt, std::nullopt, SaveStatus::Conflict, {}, path},
    };
    for (const Case& c : cases) {
        Doc d;
        d.row(1, "a", 1, 2001);
        d.fill();
        d.doc.modified = true;
        d.doc.diskPath = path;
        d.doc.diskIdentity = FileIdentity{1, 2, 3, 4, 5};
        d.book->disk = [](const std::string& where, const SaveExpectation& expected) {
            if (expected.kind != SaveExpectation::Kind::Anything)
                return Result<SavedFile>(
                    makeError(ErrorCode::Conflict, "another program changed the file", where));
            return Result<SavedFile>(SavedFile{FileIdentity{1, 9, 3, 4, 5}});
        };
        if (c.answer)
            d.prompts.messageAnswers.push_back(*c.answer);
        d.prompts.saveAnswers.push_back(c.otherName);
        const SaveOutcome saved = saveFile(d.doc, d.state, d.browse, d.prompts, c.policy);

        const std::string what = "answer " + std::to_string(c.answer.value_or(0));
        EXPECT_EQ(saved.status, c.status) << what;
        EXPECT_EQ(d.book->savedTo, c.written) << what;
        EXPECT_EQ(d.doc.path, c.filename) << what;
        EXPECT_EQ(d.doc.modified, c.status != SaveStatus::Saved) << what;
        ASSERT_FALSE(d.prompts.messages.empty()) << what;
        const MessageRequest& told = d.prompts.messages[0];
        if (c.policy == ChangedFile::Ask) {
            EXPECT_EQ(told.text, path + " 파일은 불러온 뒤에 다른 곳에서 바뀌어서 덮어쓰면 그 "
                                        "변경내용이 없어지니, 다른 이름으로 저장할지 덮어쓸지 "
                                        "고르세요.");
            EXPECT_EQ(told.buttons, "다른 이름으로 저장|덮어쓰기|취소");
        } else {
            EXPECT_EQ(told.text, path + " 파일은 불러온 뒤에 다른 곳에서 바뀌어서 아무것도 "
                                        "저장하지 않았으니, 다시 불러와서 고친 뒤 저장하세요.");
            EXPECT_EQ(d.prompts.dialogs.size(), 0u);
        }
        // A save that went through is what the next one expects to find.
        if (c.status == SaveStatus::Saved) {
            EXPECT_EQ(d.doc.diskPath, c.filename);
            EXPECT_EQ(d.doc.diskIdentity, (FileIdentity{1, 9, 3, 4, 5}));
        }
    }
}

// A save that could not give the file back to its owner says who owns it now.
TEST(SaveFile, AnOwnerThatCouldNotBeKeptIsTold) {
    Doc d;
    d.row(1, "a", 1, 2001);
    d.fill();
    d.doc.modified = true;
    d.book->disk = [](const std::string&, const SaveExpectation&) {
        SavedFile saved;
        saved.ownerKept = false;
        saved.ownerBefore = saved.groupBefore = 65534;
        return Result<SavedFile>(saved);
    };
    ASSERT_EQ(saveFile(d.doc, d.state, d.browse, d.prompts).status, SaveStatus::Saved);
    ASSERT_EQ(d.prompts.messageTexts().size(), 1u);
    const std::string text = d.prompts.messageTexts()[0];
    EXPECT_EQ(text.rfind("/books/장부.xls 파일은 저장했지만 소유자를 그대로 둘 권한이 없어 ", 0),
              0u)
        << text;
    EXPECT_NE(text.find("에서 root:root(으)로 바뀌었으니, 원래 소유자가 열 수 있는지 확인하세요."),
              std::string::npos)
        << text;
}

TEST(SaveFile, TheUnnamedWorkbookAsksForAName) {
    Doc d;
    d.doc.path = d.state.unnamedPath();
    d.doc.modified = true;
    EXPECT_EQ(saveFile(d.doc, d.state, d.browse, d.prompts).status, SaveStatus::Cancelled);
    EXPECT_TRUE(d.doc.modified);
    EXPECT_EQ(d.doc.path, d.state.unnamedPath());
    ASSERT_EQ(d.prompts.dialogs.size(), 1u);
    EXPECT_EQ(d.prompts.dialogs[0].title, "New File");
    EXPECT_EQ(d.prompts.dialogs[0].filter, "엑셀파일(*.xls)|*.xls");
}

TEST(SaveFile, AFailedFirstSaveLeavesTheWorkbookUnnamed) {
    ScratchDir dir;
    Doc d;
    d.doc.path = d.state.unnamedPath();
    d.doc.modified = true;
    d.prompts.saveAnswers.push_back((dir / "no such folder" / "book.xls").string());
    EXPECT_EQ(saveFile(d.doc, d.state, d.browse, d.prompts).status, SaveStatus::Failed);
    EXPECT_TRUE(d.doc.modified);
    EXPECT_TRUE(d.state.isUnnamed(d.doc.path));
    // The next Save asks for a name again.
    EXPECT_EQ(saveFile(d.doc, d.state, d.browse, d.prompts).status, SaveStatus::Cancelled);
    EXPECT_EQ(d.prompts.dialogs.size(), 2u);
}

TEST(SaveFile, TheDataSheetNamedSetupQIsNeverWrittenOver) {
    Doc d;
    auto book = std::make_unique<MemoryBook>();
    auto* only = static_cast<MemorySheet*>(book->addSheet("SETUPQ"));
    only->setCell(1, 0, text("자료"));
    MemoryBook* raw = book.get();
    d.doc.book = std::move(book);
    d.doc.modified = true;
    const SaveOutcome saved = saveFile(d.doc, d.state, d.browse, d.prompts);
    EXPECT_EQ(saved.status, SaveStatus::Failed);
    EXPECT_TRUE(d.doc.modified);
    EXPECT_TRUE(raw->savedTo.empty());
    EXPECT_EQ(raw->sheetCount(), 1);
    EXPECT_EQ(only->readStr(1, 0), "자료");
    EXPECT_EQ(d.prompts.messageTexts(), std::vector<std::string>{kSettingsNameTakenMessage});
}

TEST(SaveFile, SaveAsNameEnding) {
    struct Case {
        const char* typed;
        BookFormat open;
        const char* name;
    };
    const auto xls = BookFormat::Xls, xlsx = BookFormat::Xlsx;
    const Case cases[] = {
        {"/d/book", xls, "/d/book.xls"},
        {"/d/book.xls", xlsx, "/d/book.xls"},
        {"/d/book.XLS", xls, "/d/book.XLS"},
        {"/d/book.xlsx", xls, "/d/book.xlsx"},
        {"/d/book.XLSM", xls, "/d/book.XLSM"},
        {"/d/book.xlsb", xls, "/d/book.xlsb.xls"},
        {"/d/book.xls.txt", xls, "/d/book.xls.txt.xls"},
        {"/d/book.xlsx.bak", xlsx, "/d/book.xlsx.bak.xlsx"},
        {"/d/my.book", xlsx, "/d/my.book.xlsx"},
        {"/d.x/book", xls, "/d.x/book.xls"},
        {"/d/book.txt  ", xls, "/d/book.txt.xls"},
    };
    for (const Case& c : cases) {
        const std::string name = saveAsName(c.typed, c.open);
        EXPECT_EQ(name, c.name) << c.typed;
        EXPECT_TRUE(formatOfName(name)) << c.typed;
    }
    EXPECT_EQ(formatOfName("/d/a.xlsm"), BookFormat::Xlsx);
    EXPECT_EQ(formatOfName("/d/a.Xls"), BookFormat::Xls);
}

TEST(DocumentOpen, MissingAndUnreadableFiles) {
    ScratchDir dir;
    {
        // A missing file: the new workbook with the default setup, silently.
        Document doc;
        AppState state;
        BrowseState browse;
        ScriptedPrompts prompts;
        state.workingFolder = dir.path().string();
        doc.path = (dir / "new.xls").string();
        EXPECT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::NewWorkbook);
        EXPECT_EQ(doc.path, (dir / "new.xls").string());
        EXPECT_EQ(doc.columns.columnCount, 7);
        EXPECT_EQ(doc.columns.title[6], "G");
        EXPECT_EQ(doc.columns.type[9], FieldType::Text);
        EXPECT_EQ(doc.columns.size[9], 30);
        EXPECT_EQ(doc.columns.firstDataRow, 1);
        ASSERT_TRUE(doc.book);
        EXPECT_EQ(doc.book->sheetCount(), 2);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_FALSE(doc.fromFile);
    }
    {
        // An empty file name is the unnamed workbook of the start folder.
        Document doc;
        AppState state;
        BrowseState browse;
        ScriptedPrompts prompts;
        state.workingFolder = dir.path().string();
        EXPECT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::NewWorkbook);
        EXPECT_EQ(doc.path, (dir / "Noname.xls").string());
        EXPECT_TRUE(state.isUnnamed(doc.path));
    }
    {
        // A file that is there but no workbook is never taken for a new one.
        const auto path = dir / "notes.xls";
        std::ofstream(path) << "just some text, not a workbook";
        Document doc;
        AppState state;
        BrowseState browse;
        ScriptedPrompts prompts;
        state.workingFolder = dir.path().string();
        doc.path = path.string();
        doc.modified = false;
        EXPECT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::Unreadable);
        EXPECT_TRUE(state.isUnnamed(doc.path));
        ASSERT_EQ(prompts.messageTexts().size(), 1u);
        EXPECT_NE(prompts.messageTexts()[0].find("파일은 지원하지 않는 형식이라 열 수 없으므로"),
                  std::string::npos);
        EXPECT_EQ(doc.columns.columnCount, 7);

        // Saving it asks for a name; cancelling leaves the file as it was.
        EXPECT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Cancelled);
        std::ifstream in(path);
        std::string content;
        std::getline(in, content);
        EXPECT_EQ(content, "just some text, not a workbook");
    }
}

TEST(FileMessages, OneSentenceNamingTheFileWithTheDetailsAside) {
    ScratchDir dir;
    const std::string folder = (dir / "장부.xls").string();
    std::filesystem::create_directory(folder);
    const std::string deep = "/home/사용자/" + std::string(60, 'a') + "/결산/2024년 장부.xls";
    struct Case {
        std::string path;
        MessageRequest message;
        std::string starts; // the text's start
        std::string ends;   // the text's end
    };
    const Error tempFailed =
        makeError(ErrorCode::Io, "cannot rename", "/books/.장부.xls.tmp-7f3a offset 0x1a2c");
    const Case cases[] = {
        {folder,
         [&] {
             Document doc;
             AppState state;
             BrowseState browse;
             ScriptedPrompts prompts;
             doc.path = folder;
             EXPECT_EQ(doc.open(state, prompts, nullptr).kind, LoadOutcome::Unreadable);
             return prompts.messages.at(0);
         }(),
         folder + " 폴더는 파일이 아니어서 열 수 없으므로", "저장할 때 파일 이름을 정하세요."},
        {"/books/장부.xls", saveFailedMessage("/books/장부.xls", tempFailed),
         "/books/장부.xls 파일은 권한이 없거나", "다시 저장하세요."},
        {deep, openFailedMessage(deep, makeError(ErrorCode::Damaged, "bad record", "SST")),
         "/home/사용자/aaaa",
         "aaa…aaaaaaaa/결산/2024년 장부.xls 파일은 손상되어 열 수 없으므로 새 "
         "파일로 시작하니, 저장할 때 파일 이름을 정하세요."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string& text = c.message.text;
        EXPECT_EQ(text.rfind(c.starts, 0), 0u) << text;
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.ends.size())), c.ends) << text;
        EXPECT_EQ(text.find('|'), std::string::npos);             // one paragraph
        EXPECT_EQ(text.find(".tmp-"), std::string::npos);         // the temporary file stays aside
        EXPECT_EQ(c.message.details.rfind(c.path + "\n", 0), 0u); // the whole path, then why
        EXPECT_GT(c.message.details.size(), c.path.size() + 1);
    }
    EXPECT_LE(cp949::byteLength(elidedPath(deep)), 60u);
}

TEST(ChooseAndOpen, CommandLineDialogAndRecentFiles) {
    ScratchDir dir;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    Preferences prefs(dir.path());
    {
        // "/O" and a cancelled dialog: the new unnamed workbook.
        Document doc;
        AppState state;
        BrowseState browse;
        ScriptedPrompts prompts;
        chooseAndOpen(doc, state, prompts, nullptr, prefs, "/O", browse.recent);
        ASSERT_EQ(prompts.dialogs.size(), 1u);
        EXPECT_EQ(prompts.dialogs[0].title, "File Open");
        EXPECT_EQ(prompts.dialogs[0].filter, "Excel File|*.XLS");
        EXPECT_TRUE(state.isUnnamed(doc.path));
        EXPECT_EQ(doc.records.count(), 0u);
        EXPECT_TRUE(browse.recent[0].empty());
    }
    {
        // A path on the command line: no dialog; the workbook there goes to the recent files,
        // a new one (no file there yet) only once it is saved.
        const std::string path = (dir / "my book.xls").string();
        for (const bool there : {false, true}) {
            if (there) {
                auto book = createBook(BookFormat::Xls);
                book->addSheet("Sheet1")->writeStr(0, 0, "x");
                ASSERT_TRUE(book->save(path).ok());
            }
            Document doc;
            AppState state;
            BrowseState browse;
            ScriptedPrompts prompts;
            chooseAndOpen(doc, state, prompts, nullptr, prefs, path + "  ", browse.recent);
            EXPECT_TRUE(prompts.dialogs.empty());
            EXPECT_EQ(doc.path, path);
            EXPECT_EQ(browse.recent[0], there ? path : std::string());
        }
    }
    std::filesystem::current_path(cwd);
}

} // namespace
} // namespace rowbit
