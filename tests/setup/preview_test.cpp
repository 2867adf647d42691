#include "app/picture.h"
#include "document/preview.h"
#include "support/list_notation.h"
#include "support/memory_book.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using testing::MemoryBook;
using testing::MemorySheet;
using testing::number;
using testing::text;

struct PreviewBook {
    MemoryBook book;
    MemorySheet* sheet;
    int dateFormat;
    PreviewBook() {
        sheet = static_cast<MemorySheet*>(book.addSheet("Data"));
        dateFormat = book.addFormat(true);
    }
    ColumnSetup propose(int titleRow) const {
        ColumnSetup columns;
        makeSetup(*sheet, titleRow, columns);
        return columns;
    }
};

TEST(Preview, ProposalTakesTypesFromTheRowBelowTheTitles) {
    PreviewBook p;
    p.sheet->setCell(0, 0, text("날짜"));
    p.sheet->setCell(0, 1, text("품명"));
    p.sheet->setCell(0, 2, text("금액"));
    p.sheet->setCell(1, 0, number(picture::serialFromCivil({2015, 10, 31}), p.dateFormat));
    p.sheet->setCell(1, 1, text("사과"));
    p.sheet->setCell(1, 2, number(1500));
    p.sheet->setColWidth(1, 12.7);

    const auto rows = previewRows(p.book, "@D9-");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[1].row, 2);
    EXPECT_EQ(rows[1].col[0], "15-10-31");
    EXPECT_EQ(rows[1].col[2], "1,500");
    EXPECT_EQ(preselectedRow(rows), 1);

    const ColumnSetup columns = p.propose(1);
    EXPECT_EQ(columns.columnCount, 3);
    EXPECT_EQ(columns.firstDataRow, 2);
    EXPECT_EQ((std::array<FieldType, 3>{columns.type[0], columns.type[1], columns.type[2]}),
              (std::array<FieldType, 3>{FieldType::Date, FieldType::Text, FieldType::Number}));
    EXPECT_EQ(
        (std::array<Justification, 3>{columns.justify[0], columns.justify[1], columns.justify[2]}),
        (std::array<Justification, 3>{Justification::Center, Justification::Left,
                                      Justification::Right}));
    EXPECT_EQ(columns.size[0], 12);
    EXPECT_EQ(columns.size[1], 24); // twice the whole width of column B
    EXPECT_EQ(columns.size[2], 20);
    EXPECT_EQ(columns.sheetColumn[3], 0);
    EXPECT_EQ(columns.memoColumn, 0);
}

TEST(Preview, TitlesSkipGapsAndStopAtJ) {
    PreviewBook p;
    p.sheet->setCell(2, 0, text("a"));
    p.sheet->setCell(2, 1, text("   "));
    p.sheet->setCell(2, 2, text("c"));
    p.sheet->setCell(2, 3, text("d"));
    p.sheet->setCell(2, 10, text("k")); // column K: never proposed
    EXPECT_EQ(preselectedRow(previewRows(p.book, "@D9-")), 3);
    const ColumnSetup columns = p.propose(3);
    EXPECT_EQ(columns.columnCount, 3);
    EXPECT_EQ(columns.sheetColumn[0], 1);
    EXPECT_EQ(columns.sheetColumn[1], 3);
    EXPECT_EQ(columns.sheetColumn[2], 4);
    EXPECT_EQ(columns.firstDataRow, 4);
}

TEST(Preview, NumberAndDateTitlesAndLongTitles) {
    PreviewBook p;
    p.sheet->setCell(0, 0, number(2015));
    p.sheet->setCell(0, 1, number(42308, p.dateFormat));
    p.sheet->setCell(0, 2, text("아주아주긴제목입니다요")); // 22 bytes
    p.sheet->setColWidth(2, 0.5);
    const ColumnSetup columns = p.propose(1);
    EXPECT_EQ(columns.title[0], "2015");
    EXPECT_EQ(columns.title[1], "42308");
    EXPECT_EQ(columns.title[2], "아주아주긴제목입");
    // Narrower than a character: one character, a size the setup stores (it was 0, which
    // the dialog and rowbit-cli configure refuse).
    EXPECT_EQ(columns.size[2], 2);
}

TEST(Preview, ListShowsTheRowNumberThenColumnsAToJ) {
    const auto columns = previewColumns();
    EXPECT_EQ(testing::listNotation(columns),
              "18C(2)|_M@N3@65L(2)|_M~A~C(3)@S16@65L(2)|_M~B~C(0)@s16@65L(2)|_M~C~C(0)@s16@"
              "65L(2)|_M~D~C(0)@s16@65L(2)|_M~E~C(0)@s16@65L(2)|_M~F~C(0)@s16@"
              "65L(2)|_M~G~C(0)@s16@65L(2)|_M~H~C(0)@s16@65L(2)|_M~I~C(0)@s16@"
              "65L(2)|_M~J~C(0)@s16@");
    ASSERT_EQ(columns.size(), 11u);
    EXPECT_FALSE(columns[0].hasHeader);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(columns[static_cast<std::size_t>(i)].field, i + 1);
}

TEST(Preview, TitleRowTenAndEmptySheets) {
    PreviewBook p;
    p.sheet->setCell(9, 0, text("t"));
    p.sheet->setCell(10, 0, number(5));
    const ColumnSetup columns = p.propose(10);
    EXPECT_EQ(columns.firstDataRow, 11);
    EXPECT_EQ(columns.type[0], FieldType::Number);

    PreviewBook empty;
    EXPECT_EQ(preselectedRow(previewRows(empty.book, "@D9-")), 0);
    EXPECT_EQ(empty.propose(1).columnCount, 0);

    MemoryBook noSheets;
    EXPECT_TRUE(previewRows(noSheets, "@D9-").empty());
}

} // namespace
} // namespace rowbit
