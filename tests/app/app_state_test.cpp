#include "app/app_state.h"
#include "document/document.h"
#include "workbook/book.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

TEST(Document, StartsBlankWithNoColumnsAndNoWorkbook) {
    Document s;
    EXPECT_EQ(s.records.count(), 0u);
    EXPECT_EQ(s.records.position(), 0u);
    for (std::string_view c : s.records.buffer.col) {
        EXPECT_EQ(c, "");
    }
    EXPECT_EQ(s.records.buffer.row, 0);
    EXPECT_EQ(s.records.buffer.num, 0);
    EXPECT_EQ(s.columns.columnCount, 0);
    EXPECT_EQ(s.columns.usedColumns(), 0);
    for (int i = 0; i < kMaxColumns; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(s.columns.sheetColumn[k], 0);
        EXPECT_EQ(s.columns.title[k], "");
        EXPECT_EQ(s.columns.justify[k], Justification::Left);
        EXPECT_EQ(s.columns.type[k], FieldType::Text);
        EXPECT_FALSE(s.columns.unknownType[k]);
        EXPECT_EQ(s.columns.formula[k], "");
        EXPECT_EQ(s.columns.size[k], 0);
    }
    EXPECT_EQ(s.columns.memoColumn, 0);
    EXPECT_EQ(s.columns.memoTitle, "");
    EXPECT_EQ(s.columns.firstDataRow, 0);
    EXPECT_EQ(s.book, nullptr);
    EXPECT_EQ(s.sheet(), nullptr);
    EXPECT_EQ(s.lastSheet(), nullptr);
    EXPECT_EQ(s.path, "");
    EXPECT_FALSE(s.modified);
}

TEST(AppState, StartsBlank) {
    AppState s;
    EXPECT_EQ(s.fontFace, "");
    EXPECT_EQ(s.fontSize, 0);
    EXPECT_EQ(s.datePicture, "");
    EXPECT_EQ(s.workingFolder, "");
}

TEST(AppState, UnnamedWorkbookLivesInTheStartFolder) {
    AppState s;
    s.workingFolder = "/home/user/books";
    EXPECT_EQ(s.unnamedPath(), "/home/user/books/Noname.xls");
    s.workingFolder = "/home/user/books   "; // a padded field is trimmed first
    EXPECT_EQ(s.unnamedPath(), "/home/user/books/Noname.xls");
    s.workingFolder = "/";
    EXPECT_EQ(s.unnamedPath(), "/Noname.xls");

    s.workingFolder = "/work";
    EXPECT_FALSE(s.isUnnamed(""));
    EXPECT_TRUE(s.isUnnamed(s.unnamedPath()));
    EXPECT_FALSE(s.isUnnamed("/work/Noname.xlsx"));
}

TEST(Document, SheetIsTheFirstAndLastSheetTheLast) {
    Document s;
    s.book = createBook(BookFormat::Xls);
    ASSERT_NE(s.book, nullptr);
    EXPECT_EQ(s.sheet(), nullptr); // no sheets yet
    Sheet* data = s.book->addSheet("Sheet1");
    EXPECT_EQ(s.sheet(), data);
    EXPECT_EQ(s.lastSheet(), data);
    Sheet* setup = s.book->addSheet("SetupQ");
    EXPECT_EQ(s.sheet(), data);
    EXPECT_EQ(s.lastSheet(), setup);
}

} // namespace
} // namespace rowbit
