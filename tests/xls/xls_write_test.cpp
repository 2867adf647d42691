// Writing binary workbooks: new workbooks, edits, whole-row moves, date formats, atomic saves,
// and what a save must keep (other sheets, macros).
#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xls/formula_tokens.h"
#include "workbook/xls/xls_model.h"
#include "xls/xls_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rowbit::xls {
namespace {

using rowbit::testing::realWorkbook;
using rowbit::testing::ScratchDir;
using rowbit::testing::testData;
namespace fs = std::filesystem;

std::unique_ptr<Book> reload(const std::string& path) {
    auto book = loadBook(path);
    EXPECT_TRUE(book) << path << ": " << (book ? "" : book.error().describe());
    return book ? std::move(*book) : nullptr;
}

std::string python(const std::string& script, const std::string& arg) {
    std::string out;
    testing::run("/usr/bin/python3 -c '" + script + "' '" + arg + "' 2>&1", out);
    return out;
}

TEST(XlsWrite, NewWorkbookReadsBackHereAndInXlrd) {
    ScratchDir dir;
    auto book = createBook(BookFormat::Xls);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->sheetCount(), 0);
    book->setDefaultFont("돋움", 11);
    Sheet* data = book->addSheet("Sheet1");
    ASSERT_TRUE(book->addSheet("SetupQ"));
    ASSERT_TRUE(data);
    const int date = book->dateFormat(0);
    EXPECT_TRUE(book->isDateFormat(date));
    EXPECT_FALSE(book->isDateFormat(0));
    EXPECT_TRUE(data->writeStr(0, 0, "품명"));
    EXPECT_TRUE(data->writeNum(1, 0, 5000));
    EXPECT_TRUE(data->writeNum(1, 1, 45352, date));
    EXPECT_TRUE(data->writeNum(1, 2, 0.1));
    EXPECT_TRUE(data->writeStr(65535, 255, "last"));
    EXPECT_FALSE(data->writeStr(65536, 0, "off the grid"));
    EXPECT_FALSE(data->writeNum(0, 256, 1));
    const std::string path = (dir / "new.xls").string();
    ASSERT_TRUE(book->save(path));

    auto again = reload(path);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->sheetCount(), 2);
    EXPECT_EQ(again->sheet(1)->name(), "SetupQ");
    const Sheet* s = again->sheet(0);
    EXPECT_EQ(s->readStr(0, 0), "품명");
    EXPECT_EQ(s->readNum(1, 0), 5000);
    EXPECT_TRUE(s->isDate(1, 1));
    EXPECT_FALSE(s->isDate(1, 0));
    EXPECT_EQ(s->readNum(1, 2), 0.1);
    EXPECT_EQ(s->lastRow(), 65536);
    EXPECT_EQ(s->lastCol(), 256);
    EXPECT_DOUBLE_EQ(s->colWidth(0), 8.43);

    const std::string out =
        python("import sys, xlrd\n"
               "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
               "s = b.sheet_by_index(0)\n"
               "print(b.sheet_names(), s.cell(0,0).value, s.cell(1,0).value, s.cell(1,1).ctype,\n"
               "      s.cell(65535,255).value, b.font_list[0].name, b.font_list[0].height)\n",
               path);
    EXPECT_EQ(out, "['Sheet1', 'SetupQ'] 품명 5000.0 3 last 돋움 220\n");
}

TEST(XlsWrite, EditsClearAndRenameSurviveASave) {
    ScratchDir dir;
    const std::string path = (dir / "t.xls").string();
    fs::copy_file(testData() / "xls" / "xlwt_types.xls", path);
    auto book = reload(path);
    ASSERT_TRUE(book);
    Sheet* s = book->sheet(0);
    s->writeStr(1, 1, "was a number");
    s->writeNum(0, 0, 7);
    s->clear(2, 2, 0, 3);
    s->clear(10, 49, 0, 1);
    book->sheet(1)->setName("둘째");
    ASSERT_TRUE(book->save(path));

    auto again = reload(path);
    ASSERT_TRUE(again);
    const Sheet* t = again->sheet(0);
    EXPECT_EQ(t->readStr(1, 1), "was a number");
    EXPECT_EQ(t->readNum(0, 0), 7);
    EXPECT_EQ(t->cellType(2, 0), CellType::Empty);
    EXPECT_EQ(t->cellType(2, 3), CellType::Empty);
    EXPECT_EQ(t->lastRow(), 5);
    EXPECT_EQ(again->sheet(1)->name(), "둘째");
    EXPECT_EQ(again->sheet(1)->readNum(1, 1), 42);
    EXPECT_TRUE(t->isDate(1, 2));
    EXPECT_DOUBLE_EQ(t->colWidth(0), 10.71);
}

TEST(XlsWrite, ManyLongTextsSplitOverContinueRecords) {
    ScratchDir dir;
    auto book = createBook(BookFormat::Xls);
    Sheet* s = book->addSheet("S");
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
        std::string t;
        for (int k = 0; k < 50 + i * 7; ++k)
            t += (k + i) % 3 ? "한" : "a";
        texts.push_back(t + std::to_string(i));
        s->writeStr(i, 0, texts.back());
        s->writeStr(i, 1, std::string(static_cast<std::size_t>(i) * 30, 'x'));
    }
    const std::string path = (dir / "long.xls").string();
    ASSERT_TRUE(book->save(path));
    auto again = reload(path);
    ASSERT_TRUE(again);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(again->sheet(0)->readStr(i, 0), texts[i]) << i;
        ASSERT_EQ(again->sheet(0)->readStr(i, 1).size(), static_cast<std::size_t>(i) * 30) << i;
    }
    const std::string out = python("import sys, xlrd\n"
                                   "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                   "print(sum(len(s.cell(r, 0).value) for r in range(s.nrows)))\n",
                                   path);
    std::size_t chars = 0;
    for (const auto& t : texts)
        chars += utf16FromUtf8(t).size();
    EXPECT_EQ(out, std::to_string(chars) + "\n");
}

TEST(XlsWrite, DateFormatKeepsTheLookOfItsModel) {
    auto book = loadBook((testData() / "xls" / "xlwt_types.xls").string());
    ASSERT_TRUE(book);
    Book& b = **book;
    const Sheet* s = b.sheet(0);
    const int money = s->cellFormat(1, 1);
    const int date = s->cellFormat(1, 2);
    EXPECT_EQ(b.dateFormat(date), date); // already a date
    const int made = b.dateFormat(money);
    EXPECT_NE(made, money);
    EXPECT_TRUE(b.isDateFormat(made));
    EXPECT_EQ(b.dateFormat(money), made); // asked again: the same handle
    EXPECT_NE(b.dateFormat(0), made);
}

TEST(XlsWrite, FailedSaveLeavesTheTargetAlone) {
    ScratchDir dir;
    auto book = createBook(BookFormat::Xls);
    book->addSheet("S")->writeStr(0, 0, "x");
    auto missing = book->save((dir / "no" / "such" / "folder.xls").string());
    EXPECT_FALSE(missing);
    // A folder in the way: the rename fails and the folder stays.
    fs::create_directory(dir / "taken.xls");
    fs::path inside = dir / "taken.xls" / "keep.txt";
    std::ofstream(inside) << "keep";
    EXPECT_FALSE(book->save((dir / "taken.xls").string()));
    EXPECT_TRUE(fs::exists(inside));
    std::size_t left = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        left += e.path().filename() != "taken.xls" ? 1 : 0;
    EXPECT_EQ(left, 0u) << "a temporary file was left behind";
}

TEST(XlsWrite, MacrosAndOtherStreamsAreKept) {
    ScratchDir dir;
    const fs::path source = realWorkbook("xls/poi-SimpleMacro.xls");
    auto book = reload(source.string());
    ASSERT_TRUE(book);
    book->sheet(0)->writeStr(0, 0, "changed");
    const std::string path = (dir / "m.xls").string();
    ASSERT_TRUE(book->save(path));
    const auto before = testing::readCompound(source.string());
    const auto after = testing::readCompound(path);
    auto find = [](const CompoundEntry& root, const std::string& name) -> const CompoundEntry* {
        for (const auto& e : root.children) {
            if (e.name == name)
                return &e;
        }
        return nullptr;
    };
    const CompoundEntry* vba = find(before.root, "_VBA_PROJECT_CUR");
    ASSERT_NE(vba, nullptr);
    const CompoundEntry* kept = find(after.root, "_VBA_PROJECT_CUR");
    ASSERT_NE(kept, nullptr);
    std::function<void(const CompoundEntry&, const CompoundEntry&)> same =
        [&](const CompoundEntry& a, const CompoundEntry& b) {
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.storage, b.storage);
            EXPECT_EQ(a.data, b.data) << a.name;
            ASSERT_EQ(a.children.size(), b.children.size()) << a.name;
            for (std::size_t i = 0; i < a.children.size(); ++i)
                same(a.children[i], b.children[i]);
        };
    same(*vba, *kept);
    ASSERT_EQ(before.root.children.size(), after.root.children.size());
}

// ------------------------------------------------------------------ moving rows

XlsSheet& xlsSheet(Sheet* s) {
    return *dynamic_cast<XlsSheet*>(s);
}

// The tokens of the formula in a cell.
std::vector<uint8_t> tokens(const XlsSheet& s, int row, int col) {
    const Cell* c = s.find(row, col);
    if (!c || c->kind != Kind::Formula)
        return {};
    const auto& body = s.formulas_[c->ref].body;
    return {body.begin() + 22, body.begin() + 22 + rd16(&body[20])};
}

TEST(XlsMoveRows, RowsSwapWithTheirFormulasFollowing) {
    auto loaded = loadBook((testData() / "xls" / "xlwt_types.xls").string());
    ASSERT_TRUE(loaded);
    Sheet* s = (*loaded)->sheet(0);
    // Row 3 holds =B2*2; B2 (row 1) moves to row 2, and the formula's reference follows it.
    ASSERT_EQ(tokens(xlsSheet(s), 3, 2).size(), 9u);
    const RowMove moves[] = {{1, 2}, {2, 1}, {7, 3}};
    ASSERT_TRUE(s->moveRows(moves));
    EXPECT_EQ(s->readStr(1, 0), "배추");
    EXPECT_EQ(s->readStr(2, 0), "사과");
    EXPECT_TRUE(s->isDate(2, 2));
    EXPECT_EQ(s->cellType(3, 0), CellType::Empty); // a source nobody took
    EXPECT_TRUE(s->readBool(7, 0));
    const auto moved = tokens(xlsSheet(s), 7, 2);
    ASSERT_EQ(moved.size(), 9u);
    EXPECT_EQ(rd16(&moved[1]), 2);              // B2 (row index 1) now B3 (row index 2)
    EXPECT_EQ(s->readNum(4, 0), 123456789.125); // not moved
}

TEST(XlsMoveRows, RepeatedOrOffGridMovesChangeNothing) {
    auto loaded = loadBook((testData() / "xls" / "xlwt_types.xls").string());
    ASSERT_TRUE(loaded);
    Sheet* s = (*loaded)->sheet(0);
    const std::vector<std::vector<RowMove>> bad = {
        {{1, 2}, {1, 3}}, {{1, 2}, {3, 2}}, {{65536, 1}}, {{1, -1}}};
    for (const auto& moves : bad) {
        EXPECT_FALSE(s->moveRows(moves));
        EXPECT_EQ(s->readStr(1, 0), "사과");
        EXPECT_EQ(s->readStr(2, 0), "배추");
    }
}

TEST(XlsMoveRows, SharedFormulasOfMovedRowsBecomePlain) {
    ScratchDir dir;
    auto loaded = loadBook(realWorkbook("xls/poi-SharedFormulaTest.xls").string());
    ASSERT_TRUE(loaded);
    Sheet* s = (*loaded)->sheet(0);
    XlsSheet& x = xlsSheet(s);
    std::vector<RowMove> moves;
    const int rows = s->lastRow();
    for (int r = 0; r < rows; ++r)
        moves.push_back({rows - 1 - r, r}); // reverse the sheet
    std::vector<std::string> before;
    for (int r = 0; r < rows; ++r) {
        std::string line;
        for (int c = 0; c < s->lastCol(); ++c)
            line += std::to_string(s->readNum(r, c)) + s->readStr(r, c) + "|";
        before.push_back(line);
    }
    ASSERT_TRUE(s->moveRows(moves));
    for (int r = 0; r < rows; ++r) {
        std::string line;
        for (int c = 0; c < s->lastCol(); ++c) {
            line += std::to_string(s->readNum(r, c)) + s->readStr(r, c) + "|";
            const auto t = tokens(x, r, c);
            if (!t.empty()) {
                EXPECT_NE(t[0], 0x01) << "row " << r << " col " << c << " still shared";
            }
        }
        EXPECT_EQ(line, before[rows - 1 - r]);
    }
    const std::string path = (dir / "moved.xls").string();
    ASSERT_TRUE((*loaded)->save(path));
    const std::string out =
        python("import sys, xlrd\nb = xlrd.open_workbook(sys.argv[1])\nprint(b.nsheets)\n", path);
    EXPECT_EQ(out.substr(out.size() - 2), "1\n") << out;
}

// ------------------------------------------------------------------ formula tokens

TEST(XlsFormulaTokens, SharedTokensBecomePlainAtTheirCell) {
    // =A(row-1) + B(row) with a relative column offset of +1 for the second.
    const std::vector<uint8_t> shared = {0x2C, 0xFF, 0xFF, 0x00, 0xC0, 0x2C,
                                         0x00, 0x00, 0x01, 0xC0, 0x03};
    const auto plain = sharedToPlain(shared, 10, 3);
    ASSERT_TRUE(plain);
    const std::vector<uint8_t> want = {0x24, 9, 0, 3, 0xC0, 0x24, 10, 0, 4, 0xC0, 0x03};
    EXPECT_EQ(*plain, want);
    EXPECT_FALSE(sharedToPlain(std::vector<uint8_t>{0x2D, 1}, 0, 0));
}

} // namespace
} // namespace rowbit::xls

namespace rowbit::xls {
namespace {

// The position of the first formula whose ARRAY record covers only itself.
bool findSingleArray(const XlsSheet& s, int& row, int& col) {
    for (std::size_t r = 0; r < s.rows_.size(); ++r) {
        for (const auto& c : s.rows_[r].cells) {
            if (c.kind != Kind::Formula)
                continue;
            const auto& extra = s.formulas_[c.ref].extra;
            if (extra.size() >= 10 && rd16(&extra[0]) == rec::Array && rd16(&extra[4]) == r &&
                rd16(&extra[6]) == r && extra[8] == c.col && extra[9] == c.col) {
                row = static_cast<int>(r);
                col = c.col;
                return true;
            }
        }
    }
    return false;
}

TEST(XlsMoveRows, ArrayFormulasMoveWholeOrKeepTheirValues) {
    ScratchDir dir;
    {
        auto loaded = loadBook(realWorkbook("xls/poi-TestValueAsArrayFunction.xls").string());
        ASSERT_TRUE(loaded);
        Sheet* s = (*loaded)->sheet(0);
        int row = 0, col = 0;
        ASSERT_TRUE(findSingleArray(xlsSheet(s), row, col));
        const double value = s->readNum(row, col);
        const std::string text = s->readStr(row, col);
        const int target = s->lastRow() + 3;
        const RowMove moves[] = {{target, row}};
        ASSERT_TRUE(s->moveRows(moves));
        EXPECT_TRUE(s->isFormula(target, col));
        int now = 0, nowCol = 0;
        ASSERT_TRUE(findSingleArray(xlsSheet(s), now, nowCol));
        EXPECT_EQ(now, target);
        const auto t = tokens(xlsSheet(s), target, col);
        ASSERT_EQ(t.size(), 5u);
        EXPECT_EQ(rd16(&t[1]), target); // the formula points at its own, moved ARRAY
        const std::string path = (dir / "array.xls").string();
        ASSERT_TRUE((*loaded)->save(path));
        auto again = reload(path);
        ASSERT_TRUE(again);
        EXPECT_TRUE(again->sheet(0)->isFormula(target, col));
        EXPECT_EQ(again->sheet(0)->readNum(target, col), value);
        EXPECT_EQ(again->sheet(0)->readStr(target, col), text);
    }
    {
        auto loaded = loadBook(realWorkbook("xls/poi-MatrixFormulaEvalTestData.xls").string());
        ASSERT_TRUE(loaded);
        Sheet* s = (*loaded)->sheet(0);
        const int rows = s->lastRow();
        std::vector<RowMove> moves;
        std::vector<std::string> before;
        for (int r = 0; r < rows; ++r) {
            moves.push_back({rows - 1 - r, r});
            std::string line;
            for (int c = 0; c < s->lastCol(); ++c)
                line += std::to_string(s->readNum(r, c)) + s->readStr(r, c) + "|";
            before.push_back(line);
        }
        ASSERT_TRUE(s->moveRows(moves));
        for (int r = 0; r < rows; ++r) {
            std::string line;
            for (int c = 0; c < s->lastCol(); ++c)
                line += std::to_string(s->readNum(r, c)) + s->readStr(r, c) + "|";
            EXPECT_EQ(line, before[rows - 1 - r]) << "row " << r;
        }
        const std::string path = (dir / "matrix.xls").string();
        ASSERT_TRUE((*loaded)->save(path));
        EXPECT_TRUE(reload(path));
    }
}

} // namespace
} // namespace rowbit::xls

namespace rowbit::xls {
namespace {

// A formula's text result longer than one record goes on in CONTINUE records, split between
// characters (an odd split once made the writer loop for ever).
TEST(XlsWrite, LongFormulaTextResultSurvivesASave) {
    ScratchDir dir;
    auto loaded = loadBook((testData() / "xls" / "xlwt_types.xls").string());
    ASSERT_TRUE(loaded);
    XlsSheet& s = xlsSheet((*loaded)->sheet(0));
    for (const std::size_t length : {4110u, 4111u, 4112u, 9000u, 20001u}) {
        Cell& c = s.place(3, 2);
        ASSERT_EQ(c.kind, Kind::Formula);
        c.cached = Cached::Text;
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += i % 2 ? "가" : "b";
        s.formulas_[c.ref].text = text;
        s.touched_ = true;
        const std::string path = (dir / "long-result.xls").string();
        ASSERT_TRUE((*loaded)->save(path)) << length;
        auto again = reload(path);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->sheet(0)->readStr(3, 2), text) << length;
        EXPECT_EQ(again->sheet(0)->readStr(1, 0), "사과") << length;
    }
}

} // namespace
} // namespace rowbit::xls
