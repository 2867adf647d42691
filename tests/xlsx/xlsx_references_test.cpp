// References that follow the cells they name when rows of the data sheet are deleted or moved,
// in every kind of formula, read back from the saved workbook.
#include "workbook/book.h"
#include "workbook/xlsx/formula_shift.h"
#include "workbook/xlsx/sheet.h"
#include "xlsx_fixture.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using testing::PackageParts;
using testing::partBytes;
using testing::ScratchDir;

const std::string rel = testing::relationshipsNs();

std::string sheetPart(const std::string& rows) {
    return "<worksheet xmlns=\"" + std::string(testing::mainNs()) + "\"><sheetData>" + rows +
           "</sheetData></worksheet>";
}

// "Data" holds 100..800 in B1:B8 and formulas of its own; "Other sheet" and "Third" refer to it;
// two defined names do too.
PackageParts referencesBook() {
    std::string data;
    for (int r = 1; r <= 8; ++r) {
        data += "<row r=\"" + std::to_string(r) + "\"><c r=\"B" + std::to_string(r) + "\"><v>" +
                std::to_string(r * 100) + "</v></c>";
        if (r == 3)
            data += R"(<c r="D3"><f>B3*2</f><v>600</v></c>)"
                    R"(<c r="E3"><f t="array" ref="E3:F3">B3*{1,2}</f><v>300</v></c>)";
        if (r == 7)
            data += R"(<c r="D7"><f>B1+B7</f><v>800</v></c>)";
        data += "</row>";
    }
    data += R"(<row r="10"><c r="D10"><f>B6-B2</f><v>400</v></c>)"
            R"(<c r="E10"><f>'Other sheet'!B6+B6+[1]Data!B6</f><v>600</v></c></row>)";
    PackageParts p = PackageParts::workbook(data);
    p["xl/worksheets/sheet2.xml"] = sheetPart(
        R"(<row r="1"><c r="A1"><f>Data!B6+Data!B2</f><v>800</v></c><c r="B1"><f>Data!$B$6+Data!$B$3</f><v>900</v></c>)"
        R"(<c r="C1"><f t="shared" ref="C1:C3" si="0">Data!B4</f><v>400</v></c>)"
        R"(<c r="D1"><f t="array" ref="D1">SUM(Data!B2:B8*1)</f><v>3500</v></c></row>)"
        R"(<row r="2"><c r="A2"><f>SUM(Data!B2:B3)</f><v>500</v></c><c r="B2"><f>SUM(Data!B5:B6)</f><v>1100</v></c>)"
        R"(<c r="C2"><f t="shared" si="0"/><v>500</v></c><c r="D2"><f>SUM(Data!B2:B5)</f><v>1400</v></c></row>)"
        R"(<row r="3"><c r="A3"><f>SUM('Data'!$6:$8)</f><v>2100</v></c><c r="B3"><f>Data!B5</f><v>500</v></c>)"
        R"(<c r="C3"><f t="shared" si="0"/><v>600</v></c><c r="D3"><f>SUM(Data!B:B)</f><v>3600</v></c></row>)"
        R"(<row r="4"><c r="A4"><f>SUM(Data:Third!B6)</f><v>600</v></c><c r="B4"><f>B1+A1</f><v>1700</v></c></row>)");
    p["xl/worksheets/sheet3.xml"] = sheetPart("");
    auto& wb = p["xl/workbook.xml"];
    wb.replace(wb.find("Sheet1"), 6, "Data");
    wb.replace(wb.find("</sheets>"), 9,
               "<sheet name=\"Other sheet\" sheetId=\"2\" r:id=\"rId3\"/><sheet name=\"Third\" "
               "sheetId=\"3\" r:id=\"rId4\"/></sheets><definedNames><definedName "
               "name=\"Pick\">Data!$B$5</definedName><definedName "
               "name=\"Total\">Data!$B$2:$B$8</definedName></definedNames>");
    auto& rels = p["xl/_rels/workbook.xml.rels"];
    rels.replace(rels.find("</Relationships>"), 16,
                 "<Relationship Id=\"rId3\" Type=\"" + rel +
                     "/worksheet\" Target=\"worksheets/sheet2.xml\"/><Relationship Id=\"rId4\" "
                     "Type=\"" +
                     rel + "/worksheet\" Target=\"worksheets/sheet3.xml\"/></Relationships>");
    auto& types = p["[Content_Types].xml"];
    const std::string worksheet =
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"";
    types.replace(types.find("</Types>"), 8,
                  "<Override PartName=\"/xl/worksheets/sheet2.xml\" " + worksheet +
                      "/><Override PartName=\"/xl/worksheets/sheet3.xml\" " + worksheet +
                      "/></Types>");
    return p;
}

// The record in row 5 is deleted: rows 6 to 8 move up one, row 8 is left empty.
const RowMove deleteMoves[] = {{4, 5}, {5, 6}, {6, 7}};
const int deleted[] = {4};
// A sort: rows 2 and 5 swap, so do rows 3 and 4.
const RowMove sortMoves[] = {{4, 1}, {1, 4}, {3, 2}, {2, 3}};

struct RefCase {
    const char* sheet; // "" for a defined name
    const char* where; // the cell (before the rows move) or the name
    const char* afterDelete;
    const char* afterSort;
    const char* deleteCell = nullptr; // where the formula stands after the delete, when it moved
    const char* sortCell = nullptr;
};

const RefCase refCases[] = {
    // single cells, relative and absolute
    {"Other sheet", "A1", "Data!B5+Data!B2", "Data!B6+Data!B5"},
    {"Other sheet", "B1", "Data!$B$5+Data!$B$3", "Data!$B$6+Data!$B$4"},
    // ranges: one that loses a row shrinks, one whose rows are only permuted among themselves
    // stays, one whose rows all went elsewhere together follows them
    {"Other sheet", "A2", "SUM(Data!B2:B3)", "SUM(Data!B4:B5)"},
    {"Other sheet", "B2", "SUM(Data!B5:B5)", "SUM(Data!B5:B6)"}, // the sort splits it: kept
    {"Other sheet", "D2", "SUM(Data!B2:B4)", "SUM(Data!B2:B5)"},
    {"Other sheet", "A3", "SUM('Data'!$5:$7)", "SUM('Data'!$6:$8)"},
    {"Other sheet", "D3", "SUM(Data!B:B)", "SUM(Data!B:B)"},
    {"Other sheet", "B3", "#REF!", "Data!B2"}, // the deleted cell itself
    // shared: each member follows its own cells
    {"Other sheet", "C1", "Data!B4", "Data!B3"},
    {"Other sheet", "C2", "#REF!", "Data!B2"},
    {"Other sheet", "C3", "Data!B5", "Data!B6"},
    // array, 3-D (the other sheets' rows did not move: kept), same-sheet references
    {"Other sheet", "D1", "SUM(Data!B2:B7*1)", "SUM(Data!B2:B8*1)"},
    {"Other sheet", "A4", "SUM(Data:Third!B6)", "SUM(Data:Third!B6)"},
    {"Other sheet", "B4", "B1+A1", "B1+A1"},
    // the data sheet's own formulas: unqualified references are its own, other sheets stay
    {"Data", "D10", "B5-B2", "B6-B5"},
    {"Data", "E10", "'Other sheet'!B6+B5+[1]Data!B6", "'Other sheet'!B6+B6+[1]Data!B6"},
    // formulas in rows that move are cut and pasted, not copied
    {"Data", "D3", "B3*2", "B4*2", "D3", "D4"},
    {"Data", "E3", "B3*{1,2}", "B4*{1,2}", "E3", "E4"},
    {"Data", "D7", "B1+B6", "B1+B7", "D6", "D7"},
    // defined names
    {"", "Pick", "#REF!", "Data!$B$2"},
    {"", "Total", "Data!$B$2:$B$7", "Data!$B$2:$B$8"},
};

struct Notice {
    SaveNotice::Kind kind;
    const char* sheet;
    const char* range;
};

bool cellOf(const std::string& ref, int& row, int& col) {
    return xlsx::parseCellRef(ref, row, col);
}

void checkOperation(bool deleting, std::initializer_list<Notice> notices) {
    ScratchDir dir;
    referencesBook().write(dir / "in.xlsx");
    auto book = loadBook((dir / "in.xlsx").string());
    ASSERT_TRUE(book.ok());
    Sheet* data = (*book)->sheet(0);
    const auto moved = deleting ? data->moveRows(deleteMoves, deleted) : data->moveRows(sortMoves);
    ASSERT_TRUE(moved.ok());
    std::vector<SaveNotice> told = (*book)->takeNotices();
    ASSERT_TRUE((*book)->save((dir / "out.xlsx").string()).ok());
    auto saved = loadBook((dir / "out.xlsx").string());
    ASSERT_TRUE(saved.ok());
    const std::string workbook = partBytes(dir / "out.xlsx", "xl/workbook.xml");
    for (const RefCase& c : refCases) {
        const std::string expected = deleting ? c.afterDelete : c.afterSort;
        SCOPED_TRACE(std::string(c.sheet) + "!" + c.where + " = " + expected);
        if (*c.sheet == 0) {
            EXPECT_NE(workbook.find("name=\"" + std::string(c.where) + "\">" + expected + "<"),
                      std::string::npos)
                << workbook;
            continue;
        }
        const char* at = deleting ? c.deleteCell : c.sortCell;
        int row = 0, col = 0;
        ASSERT_TRUE(cellOf(at ? at : c.where, row, col));
        const Sheet* sheet = (*saved)->sheet(std::string_view(c.sheet) == "Data" ? 0 : 1);
        EXPECT_EQ(static_cast<const xlsx::XlsxSheet*>(sheet)->formula(row, col), expected);
    }
    std::vector<SaveNotice> want;
    for (const Notice& n : notices)
        want.push_back({n.kind, n.sheet, n.range});
    EXPECT_EQ(told, want);
    // Cached values stay, and spreadsheet programs recalculate on opening.
    EXPECT_DOUBLE_EQ((*saved)->sheet(1)->readNum(1, 1), 1100);
    EXPECT_NE(workbook.find("fullCalcOnLoad=\"1\""), std::string::npos);
    EXPECT_EQ(partBytes(dir / "out.xlsx", "xl/worksheets/sheet2.xml").find("t=\"shared\""),
              std::string::npos);
    // An array formula within one row keeps its range on the row it went to.
    EXPECT_NE(partBytes(dir / "out.xlsx", "xl/worksheets/sheet1.xml")
                  .find(deleting ? "ref=\"E3:F3\"" : "ref=\"E4:F4\""),
              std::string::npos);
}

TEST(XlsxReferences, DeletedRowTakesItsCellsAndReferencesFollowTheRest) {
    using K = SaveNotice::Kind;
    checkOperation(true, {{K::RefDeleted, "Other sheet", "C2"},
                          {K::RefDeleted, "Other sheet", "B3"},
                          {K::FormulaKept, "Other sheet", "A4"},
                          {K::RefDeleted, "Data", "Pick"}});
}

TEST(XlsxReferences, SortedRowsTakeTheirReferencesAlong) {
    using K = SaveNotice::Kind;
    checkOperation(false, {{K::FormulaKept, "Other sheet", "B2"}});
}

} // namespace
} // namespace rowbit
