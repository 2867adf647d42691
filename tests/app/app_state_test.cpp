#include "app/app_state.h"

#include "workbook/book.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

TEST(AppState, StartsBlankWithNoColumnsAndNoWorkbook) {
    AppState s;
    EXPECT_EQ(s.q1.count(), 0u);
    EXPECT_EQ(s.q1.position(), 0u);
    for (std::string_view c : s.q1.buffer.col) {
        EXPECT_EQ(c, "");
    }
    EXPECT_EQ(s.q1.buffer.row, 0);
    EXPECT_EQ(s.q1.buffer.num, 0);
    EXPECT_EQ(s.g1.ccount, 0);
    EXPECT_EQ(s.g1.usedColumns(), 0);
    for (int i = 0; i < kMaxColumns; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(s.g1.cno[k], 0);
        EXPECT_EQ(s.g1.cname[k], "");
        EXPECT_EQ(s.g1.justify[k], "");
        EXPECT_EQ(s.g1.type[k], "");
        EXPECT_EQ(s.g1.formula[k], "");
        EXPECT_EQ(s.g1.size[k], 0);
    }
    EXPECT_EQ(s.g1.mno, 0);
    EXPECT_EQ(s.g1.mname, "");
    EXPECT_EQ(s.g1.startline, 0);
    EXPECT_EQ(s.book, nullptr);
    EXPECT_EQ(s.sheet(), nullptr);
    EXPECT_EQ(s.lastSheet(), nullptr);
    EXPECT_EQ(s.filename, "");
    EXPECT_EQ(s.changed, 0);
    EXPECT_EQ(s.action, kActionDone);
    EXPECT_EQ(s.gfont, "");
    EXPECT_EQ(s.gsize, 0);
    EXPECT_EQ(s.gcharset, 0);
    EXPECT_EQ(s.gdate, "");
    EXPECT_EQ(s.startpath, "");
    EXPECT_EQ(s.sourceDir, "");
    EXPECT_EQ(s.globalResponse, 0);
}

TEST(AppState, UnnamedWorkbookLivesInTheStartFolder) {
    AppState s;
    s.startpath = "/home/user/books";
    EXPECT_EQ(s.unnamedPath(), "/home/user/books/Noname.xls");
    s.startpath = "/home/user/books   "; // a padded field is trimmed first
    EXPECT_EQ(s.unnamedPath(), "/home/user/books/Noname.xls");
    s.startpath = "/";
    EXPECT_EQ(s.unnamedPath(), "/Noname.xls");

    s.startpath = "/work";
    EXPECT_FALSE(s.isUnnamed());
    s.filename = s.unnamedPath();
    EXPECT_TRUE(s.isUnnamed());
    s.filename = "/work/Noname.xlsx";
    EXPECT_FALSE(s.isUnnamed());
}

TEST(AppState, SheetIsTheFirstAndLastSheetTheLast) {
    AppState s;
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
