// Saving XML workbooks as a patch: what changes, what must stay byte for byte, and what goes.
#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xlsx/formula_shift.h"
#include "workbook/xlsx/sheet.h"
#include "workbook/xlsx/xlsx_book.h"
#include "xlsx_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rowbit {
namespace {

using testing::PackageParts;
using testing::partBytes;
using testing::ScratchDir;

const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A workbook as a spreadsheet program leaves it: shared strings, a calculation chain, a shared
// formula, document properties listing the sheets, and a second sheet nobody touches.
PackageParts excelLike() {
    PackageParts p = PackageParts::workbook(
        R"(<row r="1" spans="1:3" ht="20" customHeight="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>10</v></c><c r="C1"><f>B1*2</f><v>20</v></c></row>)"
        R"(<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2"><v>20</v></c><c r="C2"><f t="shared" ref="C2:C4" si="0">B2+$B$1+SUM(B$1:B2)</f><v>50</v></c></row>)"
        R"(<row r="3"><c r="A3" t="s"><v>2</v></c><c r="B3"><v>30</v></c><c r="C3"><f t="shared" si="0"/><v>90</v></c></row>)"
        R"(<row r="4"><c r="A4" t="s"><v>0</v></c><c r="B4"><v>40</v></c><c r="C4"><f t="shared" si="0"/><v>150</v></c></row>)",
        "<si><t>사과</t></si><si><r><rPr><b/></rPr><t>배</t></r><r><t>추</t></r></si><si><t>무</"
        "t></si>");
    auto& sheet = p["xl/worksheets/sheet1.xml"];
    sheet.replace(sheet.find("<sheetData>"), 11,
                  "<dimension ref=\"A1:C4\"/><sheetViews><sheetView workbookViewId=\"0\"/></"
                  "sheetViews><sheetData>");
    sheet.replace(sheet.find("</worksheet>"), 12,
                  "<mergeCells count=\"1\"><mergeCell ref=\"E1:F1\"/></mergeCells></worksheet>");
    p["xl/worksheets/sheet2.xml"] = "<worksheet xmlns=\"" + std::string(testing::mainNs()) +
                                    "\"><sheetData><row r=\"1\"><c r=\"A1\" "
                                    "t=\"s\"><v>2</v></c></row></sheetData></worksheet>";
    p["xl/calcChain.xml"] = "<calcChain xmlns=\"" + std::string(testing::mainNs()) +
                            "\"><c r=\"C1\" i=\"1\"/><c r=\"C2\"/></calcChain>";
    p["docProps/app.xml"] =
        "<Properties "
        "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
        "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
        "<HeadingPairs><vt:vector size=\"2\" "
        "baseType=\"variant\"><vt:variant><vt:lpstr>Worksheets</"
        "vt:lpstr></vt:variant><vt:variant><vt:i4>2</vt:i4></vt:variant></vt:vector></HeadingPairs>"
        "<TitlesOfParts><vt:vector size=\"2\" baseType=\"lpstr\"><vt:lpstr>Sheet1</"
        "vt:lpstr><vt:lpstr>Other</vt:lpstr></vt:vector></TitlesOfParts></Properties>";
    p["_rels/.rels"] = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                       rel +
                       "/officeDocument\" Target=\"xl/workbook.xml\"/><Relationship Id=\"rId2\" "
                       "Type=\"" +
                       rel + "/extended-properties\" Target=\"docProps/app.xml\"/></Relationships>";
    auto& wb = p["xl/workbook.xml"];
    wb.replace(wb.find("</sheets>"), 9,
               "<sheet name=\"Other\" sheetId=\"2\" r:id=\"rId3\"/></sheets>");
    auto& rels = p["xl/_rels/workbook.xml.rels"];
    rels.replace(rels.find("</Relationships>"), 16,
                 "<Relationship Id=\"rId3\" Type=\"" + rel +
                     "/worksheet\" Target=\"worksheets/sheet2.xml\"/><Relationship Id=\"rId4\" "
                     "Type=\"" +
                     rel + "/calcChain\" Target=\"calcChain.xml\"/></Relationships>");
    auto& types = p["[Content_Types].xml"];
    types.replace(types.find("</Types>"), 8,
                  "<Override PartName=\"/xl/worksheets/sheet2.xml\" "
                  "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml."
                  "worksheet+xml\"/><Override PartName=\"/xl/calcChain.xml\" "
                  "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml."
                  "calcChain+xml\"/></Types>");
    return p;
}

struct Saved {
    ScratchDir dir;
    std::filesystem::path original;
    std::filesystem::path saved;
    std::unique_ptr<Book> book;
};

std::unique_ptr<Saved> open(const PackageParts& parts) {
    auto s = std::make_unique<Saved>();
    s->original = s->dir / "in.xlsx";
    s->saved = s->dir / "out.xlsx";
    parts.write(s->original);
    auto book = loadBook(s->original.string());
    EXPECT_TRUE(book.ok()) << (book.ok() ? "" : book.error().describe());
    if (book.ok())
        s->book = std::move(*book);
    return s;
}

std::unique_ptr<Book> reload(const std::filesystem::path& path) {
    auto book = loadBook(path.string());
    EXPECT_TRUE(book.ok()) << (book.ok() ? "" : book.error().describe());
    return book.ok() ? std::move(*book) : nullptr;
}

std::string formulaOf(const Sheet* sheet, int row, int col) {
    return static_cast<const xlsx::XlsxSheet*>(sheet)->formula(row, col);
}

TEST(XlsxSave, WithoutEditsEveryPartIsCopiedAsItWas) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    auto original = xlsx::Package::open(s->original.string());
    ASSERT_TRUE(original.ok());
    for (const auto& e : (*original)->entries()) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(partBytes(s->saved, e.name), partBytes(s->original, e.name));
        // Still compressed as before: nothing was inflated and deflated again.
        EXPECT_EQ(testing::storedSize(s->saved, e.name), static_cast<long long>(e.compressedSize));
    }
}

TEST(XlsxSave, WrittenCellsReadBackAndStringsOnlyGrow) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    Sheet* sheet = s->book->sheet(0);
    ASSERT_TRUE(sheet->writeStr(1, 1, "새 글"));   // over a number
    ASSERT_TRUE(sheet->writeStr(5, 0, "사과"));    // an existing shared string
    ASSERT_TRUE(sheet->writeNum(0, 0, 3.25));      // over a text
    ASSERT_TRUE(sheet->writeStr(9, 4, "<&>\t탭")); // a new row far below
    ASSERT_TRUE(sheet->writeStr(2, 1, "a_x0041_\x01"));
    EXPECT_FALSE(sheet->writeNum(xlsx::maxRows, 0, 1));
    EXPECT_FALSE(sheet->writeStr(0, xlsx::maxCols, "x"));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());

    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    const Sheet* r = book->sheet(0);
    EXPECT_EQ(r->readStr(1, 1), "새 글");
    EXPECT_EQ(r->readStr(5, 0), "사과");
    EXPECT_DOUBLE_EQ(r->readNum(0, 0), 3.25);
    EXPECT_EQ(r->readStr(9, 4), "<&>\t탭");
    EXPECT_EQ(r->readStr(2, 1), "a_x0041_\x01");
    EXPECT_EQ(r->readStr(1, 0), "배추"); // untouched cells as they were
    EXPECT_DOUBLE_EQ(r->readNum(3, 1), 40);
    EXPECT_EQ(r->lastRow(), 10);
    EXPECT_EQ(book->sheet(1)->readStr(0, 0), "무");

    // The table only grew: the old items are there byte for byte, in their places.
    const std::string before = partBytes(s->original, "xl/sharedStrings.xml");
    const std::string after = partBytes(s->saved, "xl/sharedStrings.xml");
    const std::string items =
        before.substr(before.find("<si>"), before.find("</sst>") - before.find("<si>"));
    EXPECT_NE(after.find(items), std::string::npos);
    // The sheet kept what lies around its cells; the other sheet was not touched at all.
    const std::string part = partBytes(s->saved, "xl/worksheets/sheet1.xml");
    EXPECT_NE(part.find("<dimension ref=\"A1:E10\"/>"), std::string::npos);
    EXPECT_NE(part.find("<mergeCell ref=\"E1:F1\"/>"), std::string::npos);
    EXPECT_NE(part.find("<row r=\"1\" ht=\"20\" customHeight=\"1\">"), std::string::npos);
    EXPECT_EQ(partBytes(s->saved, "xl/worksheets/sheet2.xml"),
              partBytes(s->original, "xl/worksheets/sheet2.xml"));
    // No formula changed: the calculation chain stays.
    EXPECT_NE(partBytes(s->saved, "xl/calcChain.xml"), "<missing>");
}

TEST(XlsxSave, OverwrittenFormulaDropsTheCalculationChain) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->sheet(0)->writeNum(0, 2, 5));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    EXPECT_EQ(partBytes(s->saved, "xl/calcChain.xml"), "<missing>");
    EXPECT_EQ(partBytes(s->saved, "xl/_rels/workbook.xml.rels").find("calcChain"),
              std::string::npos);
    EXPECT_EQ(partBytes(s->saved, "[Content_Types].xml").find("calcChain"), std::string::npos);
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    EXPECT_FALSE(book->sheet(0)->isFormula(0, 2));
    EXPECT_EQ(formulaOf(book->sheet(0), 1, 2), "B2+$B$1+SUM(B$1:B2)");
    EXPECT_TRUE(book->sheet(0)->isFormula(2, 2));
}

TEST(XlsxSave, OverwritingASharedFormulaMasterKeepsTheOthersFormulas) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->sheet(0)->writeStr(1, 2, "gone"));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    EXPECT_EQ(formulaOf(book->sheet(0), 2, 2), "B3+$B$1+SUM(B$1:B3)");
    EXPECT_EQ(formulaOf(book->sheet(0), 3, 2), "B4+$B$1+SUM(B$1:B4)");
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(3, 2), 150); // the cached result stays
}

TEST(XlsxSave, ClearedCellsAreGone) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    s->book->sheet(0)->clear(1, 2, 0, 1);
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    for (int r : {1, 2}) {
        for (int c : {0, 1})
            EXPECT_EQ(book->sheet(0)->cellType(r, c), CellType::Empty);
    }
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(3, 1), 40);
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(1, 2), 50);
}

TEST(XlsxSave, MoveRowsCarriesFormulasAndUnsharesThem) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    Sheet* sheet = s->book->sheet(0);
    // Rows 2 and 4 swap; row 3 goes to row 7 (row 3 is emptied).
    const RowMove moves[] = {{3, 1}, {1, 3}, {6, 2}};
    ASSERT_TRUE(sheet->moveRows(moves).ok());
    EXPECT_EQ(sheet->readStr(3, 0), "배추");
    EXPECT_DOUBLE_EQ(sheet->readNum(1, 1), 40);
    EXPECT_EQ(sheet->cellType(2, 0), CellType::Empty);
    EXPECT_EQ(sheet->readStr(6, 0), "무");
    // Each running total's range would now be split (its rows went apart), so every moved
    // formula keeps its text and cached value, and the save says so.
    EXPECT_EQ(formulaOf(sheet, 3, 2), "B2+$B$1+SUM(B$1:B2)");
    EXPECT_EQ(formulaOf(sheet, 1, 2), "B4+$B$1+SUM(B$1:B4)");
    EXPECT_EQ(formulaOf(sheet, 6, 2), "B3+$B$1+SUM(B$1:B3)");
    EXPECT_EQ(formulaOf(sheet, 0, 2), "B1*2"); // not moved
    using K = SaveNotice::Kind;
    EXPECT_EQ(s->book->takeNotices(), (std::vector<SaveNotice>{{K::FormulaKept, "Sheet1", "C2"},
                                                               {K::FormulaKept, "Sheet1", "C4"},
                                                               {K::FormulaKept, "Sheet1", "C7"}}));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    const std::string part = partBytes(s->saved, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(part.find("t=\"shared\""), std::string::npos);
    EXPECT_EQ(partBytes(s->saved, "xl/calcChain.xml"), "<missing>");
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    EXPECT_EQ(formulaOf(book->sheet(0), 6, 2), "B3+$B$1+SUM(B$1:B3)");
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(6, 1), 30);
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(6, 2), 90); // the cached result stays
}

TEST(XlsxSave, MoveRowsRefusesRepeatsAndOffGridRows) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    Sheet* sheet = s->book->sheet(0);
    const RowMove repeatedTarget[] = {{5, 1}, {5, 2}};
    const RowMove repeatedSource[] = {{5, 1}, {6, 1}};
    const RowMove offGrid[] = {{xlsx::maxRows, 1}};
    const RowMove negative[] = {{0, -1}};
    for (auto moves :
         {std::span<const RowMove>(repeatedTarget), std::span<const RowMove>(repeatedSource),
          std::span<const RowMove>(offGrid), std::span<const RowMove>(negative)}) {
        EXPECT_FALSE(sheet->moveRows(moves).ok());
    }
    EXPECT_EQ(sheet->readStr(1, 0), "배추"); // nothing moved
    EXPECT_DOUBLE_EQ(sheet->readNum(2, 1), 30);
}

TEST(XlsxSave, AddedSheetIsWiredIntoThePackage) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    Sheet* added = s->book->addSheet("SetupQ");
    ASSERT_TRUE(added);
    ASSERT_TRUE(added->writeStr(0, 0, "설정"));
    ASSERT_TRUE(added->writeNum(1, 1, 42));
    s->book->sheet(1)->setName("Renamed");
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheetCount(), 3);
    EXPECT_EQ(book->sheet(1)->name(), "Renamed");
    EXPECT_EQ(book->sheet(2)->name(), "SetupQ");
    EXPECT_EQ(book->sheet(2)->readStr(0, 0), "설정");
    EXPECT_DOUBLE_EQ(book->sheet(2)->readNum(1, 1), 42);
    EXPECT_NE(partBytes(s->saved, "[Content_Types].xml").find("/xl/worksheets/sheet3.xml"),
              std::string::npos);
    const std::string app = partBytes(s->saved, "docProps/app.xml");
    EXPECT_NE(app.find("<vt:i4>3</vt:i4>"), std::string::npos) << app;
    EXPECT_NE(
        app.find(
            "<vt:lpstr>Sheet1</vt:lpstr><vt:lpstr>Renamed</vt:lpstr><vt:lpstr>SetupQ</vt:lpstr>"),
        std::string::npos)
        << app;
    EXPECT_NE(app.find("size=\"3\""), std::string::npos);
}

TEST(XlsxSave, DateFormatIsFoundOrAdded) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    const int date = s->book->dateFormat(0);
    EXPECT_GT(date, 0);
    EXPECT_TRUE(s->book->isDateFormat(date));
    EXPECT_EQ(s->book->dateFormat(date), date); // already a date
    EXPECT_EQ(s->book->dateFormat(0), date);    // found again, not added twice
    ASSERT_TRUE(s->book->sheet(0)->writeNum(0, 1, 45352, date));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    EXPECT_TRUE(book->sheet(0)->isDate(0, 1));
    EXPECT_FALSE(book->sheet(0)->isDate(1, 1));
}

TEST(XlsxSave, NewWorkbookRoundTrips) {
    ScratchDir dir;
    auto book = createBook(BookFormat::Xlsx);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->sheetCount(), 0);
    book->setDefaultFont("돋움", 11);
    Sheet* data = book->addSheet("Sheet1");
    Sheet* setup = book->addSheet("SetupQ");
    ASSERT_TRUE(data && setup);
    ASSERT_TRUE(data->writeStr(0, 0, "이름"));
    ASSERT_TRUE(data->writeNum(1, 0, 1.5, book->dateFormat(0)));
    ASSERT_TRUE(setup->writeStr(0, 0, "설정"));
    const auto path = dir / "new.xlsx";
    ASSERT_TRUE(book->save(path.string()).ok());
    auto again = reload(path);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->sheetCount(), 2);
    EXPECT_EQ(again->sheet(0)->readStr(0, 0), "이름");
    EXPECT_TRUE(again->sheet(0)->isDate(1, 0));
    EXPECT_EQ(again->sheet(1)->name(), "SetupQ");
    EXPECT_NE(partBytes(path, "xl/styles.xml").find("돋움"), std::string::npos);
    EXPECT_DOUBLE_EQ(again->sheet(0)->colWidth(0), 8.43);
}

TEST(XlsxSave, MacroPartAndContentTypeAreKept) {
    PackageParts p = excelLike();
    auto& types = p["[Content_Types].xml"];
    types.replace(types.find("spreadsheetml.sheet.main+xml"), 28, "sheet.macroEnabled.main+xml");
    types.replace(types.find("officedocument."), 0, "");
    p["xl/vbaProject.bin"] = std::string("\xD0\xCF\x11\xE0 macro bytes \x00\x01", 20);
    auto s = open(p);
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->sheet(0)->writeStr(0, 0, "x"));
    s->book->addSheet("SetupQ");
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    EXPECT_EQ(partBytes(s->saved, "xl/vbaProject.bin"), p["xl/vbaProject.bin"]);
    EXPECT_NE(partBytes(s->saved, "[Content_Types].xml").find("sheet.macroEnabled.main+xml"),
              std::string::npos);
}

TEST(XlsxSave, SheetWithoutSheetDataGetsOneBeforeItsEnd) {
    PackageParts p = excelLike();
    p["xl/worksheets/sheet2.xml"] = "<x:worksheet xmlns:x=\"" + std::string(testing::mainNs()) +
                                    "\"><x:sheetViews/><!-- </x:worksheet> --></x:worksheet>";
    auto s = open(p);
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->sheet(1)->writeNum(2, 2, 7));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    EXPECT_EQ(partBytes(s->saved, "xl/worksheets/sheet2.xml"),
              "<x:worksheet xmlns:x=\"" + std::string(testing::mainNs()) +
                  "\"><x:sheetViews/><!-- </x:worksheet> --><x:sheetData><x:row r=\"3\"><x:c "
                  "r=\"C3\"><x:v>7</x:v></x:c></x:row></x:sheetData></x:worksheet>");
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    EXPECT_DOUBLE_EQ(book->sheet(1)->readNum(2, 2), 7);
}

TEST(XlsxSave, EmptyRootSheetTakesCells) {
    PackageParts p = excelLike();
    p["xl/worksheets/sheet2.xml"] = "<worksheet xmlns=\"" + std::string(testing::mainNs()) + "\"/>";
    auto s = open(p);
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->sheet(1)->writeStr(0, 0, "a"));
    ASSERT_TRUE(s->book->save(s->saved.string()).ok());
    auto book = reload(s->saved);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->sheet(1)->readStr(0, 0), "a");
}

TEST(XlsxSave, FailedSaveLeavesTheTargetAlone) {
    auto s = open(excelLike());
    ASSERT_TRUE(s->book);
    ASSERT_TRUE(s->book->sheet(0)->writeStr(0, 0, "x"));
    const auto bad = s->dir / "no-such-folder" / "out.xlsx";
    auto r = s->book->save(bad.string());
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(std::filesystem::exists(bad));
    // Saving over the file it was loaded from works, and twice in a row.
    ASSERT_TRUE(s->book->save(s->original.string()).ok());
    ASSERT_TRUE(s->book->sheet(0)->writeStr(0, 1, "y"));
    ASSERT_TRUE(s->book->save(s->original.string()).ok());
    auto book = reload(s->original);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->sheet(0)->readStr(0, 0), "x");
    EXPECT_EQ(book->sheet(0)->readStr(0, 1), "y");
    EXPECT_EQ(book->sheet(0)->readStr(1, 0), "배추");
}

// Formula text moved by rows and columns, as a spreadsheet program moves it.
struct ShiftCase {
    const char* before;
    int dRow, dCol;
    const char* after;
};

class XlsxFormulaShift : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(XlsxFormulaShift, Shifts) {
    EXPECT_EQ(xlsx::shiftFormula(GetParam().before, GetParam().dRow, GetParam().dCol),
              GetParam().after);
}

const ShiftCase shiftCases[] = {
    {"A1+B2", 2, 0, "A3+B4"},
    {"$A$1+A$1+$A1", 3, 1, "$A$1+B$1+$A4"},
    {"SUM(A1:B10)", 1, 0, "SUM(A2:B11)"},
    {"SUM(1:3)", 2, 0, "SUM(3:5)"},
    {"SUM($1:3)", 2, 0, "SUM($1:5)"},
    {"SUM(A:C)", 5, 1, "SUM(B:D)"},
    {"Sheet2!A1*'My Sheet'!B$2", 1, 0, "Sheet2!A2*'My Sheet'!B$2"},
    {"\"A1\"&A1", 1, 0, "\"A1\"&A2"},                       // text is not a reference
    {"LOG10(A1)+ATAN2(1,2)", 1, 0, "LOG10(A2)+ATAN2(1,2)"}, // functions are not references
    {"A1-1", -1, 0, "#REF!-1"},                             // pushed off the grid
    {"Table1[[#This Row],[A1]]+A1", 1, 0, "Table1[[#This Row],[A1]]+A2"},
    {"1E+5+A1", 1, 0, "1E+5+A2"},
    {"TRUE+XFD1048576", 0, 0, "TRUE+XFD1048576"},
    {"XFD1+1", 0, 1, "#REF!+1"},
    {"MyName+A1", 1, 0, "MyName+A2"},
    {"#REF!+A1", 1, 0, "#REF!+A2"},
    {"'It''s'!A1", 1, 0, "'It''s'!A2"},
};

INSTANTIATE_TEST_SUITE_P(Formulas, XlsxFormulaShift, ::testing::ValuesIn(shiftCases));

} // namespace
} // namespace rowbit
