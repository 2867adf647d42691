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
        ColumnSetup g1;
        readSettings(*settings, g1);
        return g1;
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
    const ColumnSetup g1 = b.read();
    EXPECT_EQ(g1.ccount, 3);
    EXPECT_EQ(g1.cno[3], 0);
    EXPECT_EQ(g1.cname[0], "품명");
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
        const ColumnSetup g1 = b.read();
        EXPECT_EQ(g1.type[0], c.type) << c.cell;
        EXPECT_EQ(g1.justify[0], c.justify) << c.cell;
        EXPECT_EQ(g1.size[0], c.size) << c.cell;
    }
}

TEST(SettingsSheet, LetterMustBeOneCapitalLetter) {
    struct Case {
        const char* letter;
        int cno;
    };
    const Case cases[] = {{"A", 1}, {"Z", 26}, {"C  ", 3}, {"a", 0}, {"AA", 0}, {"1", 0}};
    for (const Case& c : cases) {
        SettingsBook b;
        b.column(1, c.letter, "t", "S");
        b.settings->setCell(30, 0, text("lookup")); // a lookup list in column A
        const ColumnSetup g1 = b.read();
        EXPECT_EQ(g1.ccount, 1) << c.letter;
        EXPECT_EQ(g1.cno[0], c.cno) << c.letter;
        EXPECT_EQ(g1.btn[0], c.cno == 1 ? 1 : 0) << c.letter;
    }
}

TEST(SettingsSheet, StartLineFromH1) {
    struct Case {
        std::optional<double> h1;
        int startline;
    };
    const Case cases[] = {{std::nullopt, 1}, {0.0, 1}, {3.9, 3}, {12, 12}, {-4, 1}};
    for (const Case& c : cases) {
        SettingsBook b;
        if (c.h1)
            b.settings->setCell(0, 7, number(*c.h1));
        EXPECT_EQ(b.read().startline, c.startline);
    }
}

TEST(SettingsSheet, FormulaReadOnlyForNumberColumns) {
    SettingsBook b;
    b.column(1, "A", "a", "S", "A*2");
    b.column(2, "B", "b", "N", "A*2+1");
    const ColumnSetup g1 = b.read();
    EXPECT_EQ(g1.formula[0], "");
    EXPECT_EQ(g1.formula[1], "A*2+1");
}

TEST(SettingsSheet, LookupListNoticedAtRow31Only) {
    SettingsBook b;
    b.column(1, "B", "b", "S");
    b.column(2, "C", "c", "S");
    b.settings->setCell(30, 1, text("사과"));
    b.settings->setCell(31, 1, text("배"));
    b.settings->setCell(33, 1, text("after a gap"));
    b.settings->setCell(31, 2, text("row 32 only"));
    const ColumnSetup g1 = b.read();
    EXPECT_EQ(g1.btn[0], 1);
    EXPECT_EQ(g1.btn[1], 0);
    EXPECT_EQ(lookupList(*b.settings, 2), (std::vector<std::string>{"사과", "배"}));
    EXPECT_TRUE(lookupList(*b.settings, 3).empty());
}

TEST(SettingsSheet, MemoFromH3) {
    SettingsBook b;
    b.settings->setCell(2, 7, text("E"));
    b.settings->setCell(2, 8, text("비고란입니다만아주긴제목"));
    b.settings->setCell(2, 9, number(40.7));
    b.settings->setCell(2, 10, number(3));
    const ColumnSetup g1 = b.read();
    EXPECT_EQ(g1.mno, 5);
    EXPECT_EQ(g1.mname, "비고란입니다만아"); // 16 bytes
    EXPECT_EQ(g1.mwsize, 40);
    EXPECT_EQ(g1.mhsize, 3);

    SettingsBook none;
    none.settings->setCell(2, 7, text("  "));
    EXPECT_EQ(none.read().mno, 0);
}

ColumnSetup sampleSetup() {
    ColumnSetup g1;
    g1.ccount = 3;
    g1.startline = 2;
    const int cno[] = {1, 3, 4};
    const char* names[] = {"품명", "금액", "날짜"};
    const char* types[] = {"S", "N", "D"};
    const int sizes[] = {40, 20, 12};
    for (int k = 0; k < 3; ++k) {
        g1.cno[k] = cno[k];
        g1.cname[k] = names[k];
        g1.type[k] = types[k];
        g1.size[k] = sizes[k];
    }
    g1.formula[1] = "B*2";
    g1.mno = 5;
    return g1;
}

TEST(SettingsSheet, WrittenSetupReadsBack) {
    MemoryBook book;
    book.addSheet("Data");
    book.addSheet("Other");
    const ColumnSetup g1 = sampleSetup();
    Sheet* settings = writeSettings(book, g1);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(book.sheetCount(), 3);
    EXPECT_EQ(settings->name(), "SetupQ");

    ColumnSetup back;
    readSettings(*settings, back);
    EXPECT_EQ(back.ccount, 3);
    EXPECT_EQ(back.startline, 2);
    EXPECT_EQ(back.cno, g1.cno);
    EXPECT_EQ(back.cname, g1.cname);
    EXPECT_EQ(back.size[0], 40);
    EXPECT_EQ(back.formula[1], "B*2");
    EXPECT_EQ(back.mno, 5);
    EXPECT_EQ(back.mname, "메모");
    EXPECT_EQ(back.mwsize, 50);
    EXPECT_EQ(back.mhsize, 5);
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
        std::string mname;
        int mwsize, mhsize;
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
        ColumnSetup g1 = sampleSetup();
        g1.mname = c.mname;
        g1.mwsize = c.mwsize;
        g1.mhsize = c.mhsize;
        writeSettings(b.book, g1);
        EXPECT_EQ(b.settings->readStr(2, 8), c.i3) << c.mname;
        EXPECT_EQ(b.settings->readNum(2, 9), c.j3) << c.mname;
        EXPECT_EQ(b.settings->readNum(2, 10), c.k3) << c.mname;
    }
}

TEST(SettingsSheet, WriterErasesOnlyEntriesItReadAndNoLongerUses) {
    SettingsBook b;
    b.column(1, "A", "a", "S30");
    b.column(2, "B", "b", "S30");
    b.column(3, "?", "unusable", "S30"); // ends the columns the reader uses
    b.column(4, "D", "d", "N", "B*2");
    b.settings->setCell(2, 7, text("*")); // no memo the reader can take
    ColumnSetup g1 = b.read();
    ASSERT_EQ(g1.shownColumns(), 2);
    g1.cno[1] = 0; // column B removed
    g1.mno = 0;
    writeSettings(b.book, g1);
    EXPECT_EQ(b.settings->readStr(1, 0), "A");
    EXPECT_EQ(b.settings->cellType(2, 0), CellType::Empty); // read, no longer used
    EXPECT_EQ(b.settings->readStr(3, 0), "?");              // never read: kept
    EXPECT_EQ(b.settings->readStr(4, 1), "d");
    EXPECT_EQ(b.settings->readStr(4, 3), "B*2");
    EXPECT_EQ(b.settings->readStr(2, 7), "*");
}

TEST(SettingsSheet, RemovedColumnsAndMemoDoNotComeBack) {
    SettingsBook b;
    writeSettings(b.book, sampleSetup());
    ColumnSetup fewer = sampleSetup();
    fewer.ccount = 1;
    fewer.cno[1] = fewer.cno[2] = 0;
    fewer.mno = 0;
    writeSettings(b.book, fewer);
    const ColumnSetup back = b.read();
    EXPECT_EQ(back.ccount, 1);
    EXPECT_EQ(back.mno, 0);
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
