#include "document/settings_sheet.h"
#include "support/memory_book.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace rowbit {
namespace {

using testing::MemoryBook;
using testing::MemorySheet;
using testing::number;
using testing::text;

// A workbook with a data sheet and a settings sheet of the given rows (A..D of rows 2..).
struct SettingsBook {
    MemoryBook book;
    MemorySheet* data;
    MemorySheet* settings;

    SettingsBook() {
        data = static_cast<MemorySheet*>(book.addSheet("Data"));
        settings = static_cast<MemorySheet*>(book.addSheet("SetupQ"));
    }
    void column(int k, std::string letter, std::string title, std::string type,
                std::string formula = {}) {
        settings->setCell(k, 0, text(std::move(letter)));
        settings->setCell(k, 1, text(std::move(title)));
        settings->setCell(k, 2, text(std::move(type)));
        if (!formula.empty())
            settings->setCell(k, 3, text(std::move(formula)));
    }
    ColumnSetup read() const {
        ColumnSetup columns;
        readSettings(*settings, columns);
        return columns;
    }
};

TEST(SettingsSheet, RecognisedByNameInAnyCaseOnlyAsLastSheet) {
    for (const char* name : {"SetupQ", "SETUPQ", "setupq", "sEtUpQ"})
        EXPECT_TRUE(isSettingsSheetName(name)) << name;
    EXPECT_FALSE(isSettingsSheetName("SetupQ2"));
    EXPECT_FALSE(isSettingsSheetName("Setup"));

    MemoryBook book;
    book.addSheet("setupq");
    book.addSheet("Data");
    EXPECT_EQ(settingsSheet(book), nullptr); // not the last sheet: no settings
}

TEST(SettingsSheet, ColumnsStopAtTheFirstEmptyLetter) {
    SettingsBook b;
    b.column(1, "A", "품명", "S20");
    b.column(2, "B", "수량", "N");
    b.column(3, "C", "날짜", "D");
    b.column(5, "E", "later", "S"); // after the empty A5: not read
    const ColumnSetup columns = b.read();
    EXPECT_EQ(columns.columnCount, 3);
    EXPECT_EQ(columns.sheetColumn[3], 0);
    EXPECT_EQ(columns.title[0], "품명");
}

TEST(SettingsSheet, TypeCellGivesTypeJustifyAndSize) {
    struct Case {
        const char* cell;
        const char* type;
        const char* justify;
        int size;
    };
    const Case cases[] = {
        {"S", "S", "L", 30},         {"S45", "S", "L", 45}, {"S0", "S", "L", 30},
        {"Sxy", "S", "L", 30},       {"N5", "N", "R", 20},  {"N", "N", "R", 20},
        {"D99", "D", "C", 12},       {"X12", "X", "L", 30}, {"s12", "s", "L", 30},
        {"S123456", "S", "L", 1234},
    };
    for (const Case& c : cases) {
        SettingsBook b;
        b.column(1, "A", "t", c.cell);
        const ColumnSetup columns = b.read();
        EXPECT_EQ(typeLetterOf(columns, 0), c.type) << c.cell;
        EXPECT_EQ(justifyLetter(columns.justify[0]), c.justify) << c.cell;
        EXPECT_EQ(columns.size[0], c.size) << c.cell;
    }
}

TEST(SettingsSheet, LetterMustBeOneCapitalLetter) {
    struct Case {
        const char* letter;
        int sheetColumn;
    };
    const Case cases[] = {{"A", 1}, {"Z", 26}, {"C  ", 3}, {"a", 0}, {"AA", 0}, {"1", 0}};
    for (const Case& c : cases) {
        SettingsBook b;
        b.column(1, c.letter, "t", "S");
        b.settings->setCell(30, 0, text("lookup")); // a lookup list in column A
        const ColumnSetup columns = b.read();
        EXPECT_EQ(columns.columnCount, 1) << c.letter;
        EXPECT_EQ(columns.sheetColumn[0], c.sheetColumn) << c.letter;
        EXPECT_EQ(columns.hasLookup[0], c.sheetColumn == 1 ? 1 : 0) << c.letter;
    }
}

TEST(SettingsSheet, StartLineFromH1) {
    struct Case {
        std::optional<double> h1;
        int firstDataRow;
    };
    const Case cases[] = {{std::nullopt, 1}, {0.0, 1}, {3.9, 3}, {12, 12}, {-4, 1}};
    for (const Case& c : cases) {
        SettingsBook b;
        if (c.h1)
            b.settings->setCell(0, 7, number(*c.h1));
        EXPECT_EQ(b.read().firstDataRow, c.firstDataRow);
    }
}

TEST(SettingsSheet, FormulaReadOnlyForNumberColumns) {
    SettingsBook b;
    b.column(1, "A", "a", "S", "A*2");
    b.column(2, "B", "b", "N", "A*2+1");
    const ColumnSetup columns = b.read();
    EXPECT_EQ(columns.formula[0], "");
    EXPECT_EQ(columns.formula[1], "A*2+1");
}

TEST(SettingsSheet, LookupListNoticedAtRow31Only) {
    SettingsBook b;
    b.column(1, "B", "b", "S");
    b.column(2, "C", "c", "S");
    b.settings->setCell(30, 1, text("사과"));
    b.settings->setCell(31, 1, text("배"));
    b.settings->setCell(33, 1, text("after a gap"));
    b.settings->setCell(31, 2, text("row 32 only"));
    const ColumnSetup columns = b.read();
    EXPECT_EQ(columns.hasLookup[0], 1);
    EXPECT_EQ(columns.hasLookup[1], 0);
    EXPECT_EQ(lookupList(*b.settings, 2), (std::vector<std::string>{"사과", "배"}));
    EXPECT_TRUE(lookupList(*b.settings, 3).empty());
}

TEST(SettingsSheet, MemoFromH3) {
    SettingsBook b;
    b.settings->setCell(2, 7, text("E"));
    b.settings->setCell(2, 8, text("비고란입니다만아주긴제목"));
    b.settings->setCell(2, 9, number(40.7));
    b.settings->setCell(2, 10, number(3));
    const ColumnSetup columns = b.read();
    EXPECT_EQ(columns.memoColumn, 5);
    EXPECT_EQ(columns.memoTitle, "비고란입니다만아"); // 16 bytes
    EXPECT_EQ(columns.memoWidth, 40);
    EXPECT_EQ(columns.memoHeight, 3);

    SettingsBook none;
    none.settings->setCell(2, 7, text("  "));
    EXPECT_EQ(none.read().memoColumn, 0);
}

ColumnSetup sampleSetup() {
    ColumnSetup columns;
    columns.columnCount = 3;
    columns.firstDataRow = 2;
    const int sheetColumn[] = {1, 3, 4};
    const char* names[] = {"품명", "금액", "날짜"};
    const FieldType types[] = {FieldType::Text, FieldType::Number, FieldType::Date};
    const int sizes[] = {40, 20, 12};
    for (int k = 0; k < 3; ++k) {
        columns.sheetColumn[k] = sheetColumn[k];
        columns.title[k] = names[k];
        columns.type[k] = types[k];
        columns.size[k] = sizes[k];
    }
    columns.formula[1] = "B*2";
    columns.memoColumn = 5;
    return columns;
}

TEST(SettingsSheet, WrittenSetupReadsBack) {
    MemoryBook book;
    book.addSheet("Data");
    book.addSheet("Other");
    const ColumnSetup columns = sampleSetup();
    Sheet* settings = writeSettings(book, columns);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(book.sheetCount(), 3);
    EXPECT_EQ(settings->name(), "SetupQ");

    ColumnSetup back;
    readSettings(*settings, back);
    EXPECT_EQ(back.columnCount, 3);
    EXPECT_EQ(back.firstDataRow, 2);
    EXPECT_EQ(back.sheetColumn, columns.sheetColumn);
    EXPECT_EQ(back.title, columns.title);
    EXPECT_EQ(back.size[0], 40);
    EXPECT_EQ(back.formula[1], "B*2");
    EXPECT_EQ(back.memoColumn, 5);
    EXPECT_EQ(back.memoTitle, "메모");
    EXPECT_EQ(back.memoWidth, 50);
    EXPECT_EQ(back.memoHeight, 5);
    EXPECT_EQ(settings->readStr(0, 0), "컬럼");
    EXPECT_EQ(settings->readStr(0, 8), "<=시작라인");
    EXPECT_EQ(settings->readStr(29, 0).substr(0, 5), "* 컬");
}

TEST(SettingsSheet, WriterKeepsTheUsersLabelsAndMemoBoxValues) {
    SettingsBook b;
    b.settings->setCell(0, 1, text("제목")); // B1 changed by the user
    b.settings->setCell(1, 7, text("Memo")); // H2
    b.settings->setCell(2, 8, text("비고")); // I3
    b.settings->setCell(2, 9, number(70));   // J3
    writeSettings(b.book, sampleSetup());
    EXPECT_EQ(b.settings->readStr(0, 1), "제목");
    EXPECT_EQ(b.settings->readStr(1, 7), "Memo");
    EXPECT_EQ(b.settings->readStr(2, 8), "비고");
    EXPECT_EQ(b.settings->readNum(2, 9), 70);
    EXPECT_EQ(b.settings->readNum(2, 10), 5); // a memo in use gets the default it lacks
    EXPECT_EQ(b.settings->readStr(0, 0), ""); // labels go into new sheets only
}

TEST(SettingsSheet, MemoBoxIsWrittenWhenTheSetupDiffers) {
    const std::string title20 = "가나다라마바사아자차"; // 20 bytes; the reader takes 16
    struct Case {
        std::string memoTitle;
        int memoWidth, memoHeight;
        std::string i3;
        double j3, k3;
    };
    const Case cases[] = {
        {"가나다라마바사아", 300, 4, title20, 300, 4}, // as read: nothing changes
        {"비고", 300, 4, "비고", 300, 4},
        {"가나다라마바사아", 40, 8, title20, 40, 8},
        {"", 0, 0, title20, 300, 4}, // nothing of its own: the sheet keeps its values
    };
    for (const Case& c : cases) {
        SettingsBook b;
        b.settings->setCell(2, 7, text("E"));
        b.settings->setCell(2, 8, text(title20));
        b.settings->setCell(2, 9, number(300));
        b.settings->setCell(2, 10, number(4));
        ColumnSetup columns = sampleSetup();
        columns.memoTitle = c.memoTitle;
        columns.memoWidth = c.memoWidth;
        columns.memoHeight = c.memoHeight;
        writeSettings(b.book, columns);
        EXPECT_EQ(b.settings->readStr(2, 8), c.i3) << c.memoTitle;
        EXPECT_EQ(b.settings->readNum(2, 9), c.j3) << c.memoTitle;
        EXPECT_EQ(b.settings->readNum(2, 10), c.k3) << c.memoTitle;
    }
}

TEST(SettingsSheet, WriterErasesOnlyEntriesItReadAndNoLongerUses) {
    SettingsBook b;
    b.column(1, "A", "a", "S30");
    b.column(2, "B", "b", "S30");
    b.column(3, "?", "unusable", "S30"); // ends the columns the reader uses
    b.column(4, "D", "d", "N", "B*2");
    b.settings->setCell(2, 7, text("*")); // no memo the reader can take
    ColumnSetup columns = b.read();
    ASSERT_EQ(columns.shownColumns(), 2);
    columns.sheetColumn[1] = 0; // column B removed
    columns.memoColumn = 0;
    writeSettings(b.book, columns);
    EXPECT_EQ(b.settings->readStr(1, 0), "A");
    EXPECT_EQ(b.settings->cellType(2, 0), CellType::Empty); // read, no longer used
    EXPECT_EQ(b.settings->readStr(3, 0), "?");              // never read: kept
    EXPECT_EQ(b.settings->readStr(4, 1), "d");
    EXPECT_EQ(b.settings->readStr(4, 3), "B*2");
    EXPECT_EQ(b.settings->readStr(2, 7), "*");
}

TEST(SettingsSheet, TypeCellsReadTheSameAsTheSetupStayAsTheyAre) {
    struct Case {
        const char* cell;
        std::optional<FieldType> changeTo; // the setup's new type, if any
        const char* after;
    };
    const Case cases[] = {
        {"S45", std::nullopt, "S45"},
        {"N5", std::nullopt, "N5"},
        {"D99", std::nullopt, "D99"},
        {"X12", std::nullopt, "X12"}, // a letter naming no type is text, written as it was
        {"s", std::nullopt, "s"},
        {"X12", FieldType::Number, "N20"},
        {"S45", FieldType::Date, "D12"},
    };
    for (const Case& c : cases) {
        SettingsBook b;
        b.column(1, "A", "t", c.cell);
        ColumnSetup columns = b.read();
        if (c.changeTo) {
            columns.type[0] = *c.changeTo;
            columns.unknownType[0].reset();
            columns.size[0] = *c.changeTo == FieldType::Number ? 20 : 12;
        }
        writeSettings(b.book, columns);
        EXPECT_EQ(b.settings->readStr(1, 2), c.after) << c.cell;
    }
}

TEST(SettingsSheet, RemovedColumnsAndMemoDoNotComeBack) {
    SettingsBook b;
    writeSettings(b.book, sampleSetup());
    ColumnSetup fewer = sampleSetup();
    fewer.columnCount = 1;
    fewer.sheetColumn[1] = fewer.sheetColumn[2] = 0;
    fewer.memoColumn = 0;
    writeSettings(b.book, fewer);
    const ColumnSetup back = b.read();
    EXPECT_EQ(back.columnCount, 1);
    EXPECT_EQ(back.memoColumn, 0);
}

TEST(SettingsSheet, WriterFindsOrAddsTheSettingsSheet) {
    struct Case {
        std::vector<std::string> sheets;
        std::vector<std::string> after; // empty: refused
        int written;                    // index of the sheet written
    };
    const Case cases[] = {
        {{"Data"}, {"Data", "SetupQ"}, 1},
        {{"Data", "Spare"}, {"Data", "Spare", "SetupQ"}, 2}, // Spare reaches column IV
        {{"Data", "setupq"}, {"Data", "setupq"}, 1},
        {{"Data", "SETUPQ", "Other"}, {"Data", "SETUPQ", "Other"}, 1},
        {{"SetupQ"}, {}, -1}, // the one data sheet bears the name
        {{"setupq", "Other"}, {}, -1},
    };
    for (const Case& c : cases) {
        MemoryBook book;
        for (const std::string& name : c.sheets)
            static_cast<MemorySheet*>(book.addSheet(name))->forcedLastCol = 256;
        Sheet* written = writeSettings(book, sampleSetup());
        std::vector<std::string> after;
        for (int i = 0; i < book.sheetCount(); ++i)
            after.push_back(book.sheet(i)->name());
        const std::string label = c.sheets.front() + "," + std::to_string(c.sheets.size());
        if (c.after.empty()) {
            EXPECT_EQ(written, nullptr) << label;
            EXPECT_EQ(after, c.sheets) << label;
            EXPECT_EQ(settingsSheet(book), nullptr) << label; // nor read as settings
            continue;
        }
        EXPECT_EQ(after, c.after) << label;
        EXPECT_EQ(written, book.sheet(c.written)) << label;
        EXPECT_EQ(book.sheet(0)->readStr(1, 0), "") << label; // the data sheet untouched
    }
}

} // namespace
} // namespace rowbit
