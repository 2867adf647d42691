// Reading XML workbooks: what openpyxl wrote, and hand-made packages for the corners that
// writers reach in different ways.
#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xlsx/xlsx_book.h"
#include "xlsx_fixture.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using testing::PackageParts;
using testing::ScratchDir;

std::unique_ptr<Book> loadOk(const std::filesystem::path& path) {
    auto book = loadBook(path.string());
    EXPECT_TRUE(book.ok()) << (book.ok() ? "" : book.error().describe());
    return book.ok() ? std::move(*book) : nullptr;
}

Result<std::unique_ptr<Book>> loadParts(const PackageParts& parts) {
    ScratchDir dir;
    return xlsx::loadXlsxBookFromMemory(parts.bytes(dir / "p.xlsx"));
}

TEST(XlsxOpenpyxlFixture, ValuesTypesAndDates) {
    auto book = loadOk(testing::testData() / "xlsx" / "values.xlsx");
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheetCount(), 2);
    EXPECT_FALSE(book->date1904());
    const Sheet* s = book->sheet(0);
    EXPECT_EQ(s->name(), "데이터");
    EXPECT_EQ(book->sheet(1)->name(), "Second");
    EXPECT_EQ(s->lastRow(), 7);
    EXPECT_EQ(s->lastCol(), 5);

    struct Case {
        int row, col;
        CellType type;
        bool date;
        double number;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, CellType::Text, false, 0, "이름"},
        {1, 1, CellType::Number, false, 1234.5, ""},
        {1, 2, CellType::Number, true, 45352, ""},         // yyyy-mm-dd
        {1, 3, CellType::Text, false, 0, "  앞뒤 공백  "}, // spaces kept
        {2, 0, CellType::Text, false, 0, "배추 & <무>"},
        {2, 1, CellType::Number, false, -7, ""},
        {2, 2, CellType::Number, true, 1.5, ""}, // 1900-01-01 12:00
        {2, 3, CellType::Text, false, 0, "줄\n바꿈"},
        {3, 0, CellType::Boolean, false, 0, ""},
        {3, 2, CellType::Number, true, 0.7708333333333334, ""}, // h:mm
        {3, 3, CellType::Number, true, 12.5, ""},               // [h]:mm counts as time
        {3, 4, CellType::Number, false, 3, ""},                 // "d"0 is no date
        {4, 0, CellType::Blank, false, 0, ""},                  // formula without a cached value
        {4, 1, CellType::Error, false, 0, ""},
        {5, 0, CellType::Empty, false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << " col " << c.col);
        EXPECT_EQ(s->cellType(c.row, c.col), c.type);
        EXPECT_EQ(s->isDate(c.row, c.col), c.date);
        EXPECT_DOUBLE_EQ(s->readNum(c.row, c.col), c.number);
        EXPECT_EQ(s->readStr(c.row, c.col), c.text);
    }
    EXPECT_TRUE(s->readBool(3, 0));
    EXPECT_FALSE(s->readBool(3, 1));
    EXPECT_EQ(s->readError(4, 1), "#N/A");
    EXPECT_TRUE(s->isFormula(4, 0));
    EXPECT_FALSE(s->isFormula(1, 1));
    EXPECT_EQ(s->readStr(6, 0), std::string(300, 'x'));
    EXPECT_TRUE(book->isDateFormat(s->cellFormat(1, 2)));
    EXPECT_FALSE(book->isDateFormat(s->cellFormat(1, 1)));
}

TEST(XlsxLibreOfficeFixture, SameValuesWithSharedStringsAndACachedFormula) {
    auto lo = loadOk(testing::testData() / "xlsx" / "values-lo.xlsx");
    auto py = loadOk(testing::testData() / "xlsx" / "values.xlsx");
    ASSERT_TRUE(lo && py);
    const Sheet* a = lo->sheet(0);
    const Sheet* b = py->sheet(0);
    EXPECT_EQ(a->name(), "데이터");
    for (int r = 0; r < 7; ++r) {
        for (int c = 0; c < 5; ++c) {
            if (r == 4 && c == 0)
                continue; // the formula: LibreOffice caches its result, openpyxl cannot
            SCOPED_TRACE(::testing::Message() << "row " << r << " col " << c);
            EXPECT_EQ(a->cellType(r, c), b->cellType(r, c));
            EXPECT_EQ(a->isDate(r, c), b->isDate(r, c));
            EXPECT_NEAR(a->readNum(r, c), b->readNum(r, c), 1e-12);
            EXPECT_EQ(a->readStr(r, c), b->readStr(r, c));
        }
    }
    EXPECT_TRUE(a->isFormula(4, 0));
    EXPECT_DOUBLE_EQ(a->readNum(4, 0), 2469);
    EXPECT_NEAR(a->colWidth(0), 10.71, 0.01);
}

TEST(XlsxOpenpyxlFixture, ColumnWidthsAsShown) {
    auto book = loadOk(testing::testData() / "xlsx" / "values.xlsx");
    ASSERT_TRUE(book);
    EXPECT_DOUBLE_EQ(book->sheet(0)->colWidth(0), 10.71); // stored 11.43
    EXPECT_DOUBLE_EQ(book->sheet(0)->colWidth(1), 8.43);  // the default of baseColWidth 8
    EXPECT_DOUBLE_EQ(book->sheet(0)->colWidth(2), 19.29); // stored 20
    auto mac = loadOk(testing::testData() / "xlsx" / "epoch1904.xlsx");
    ASSERT_TRUE(mac);
    EXPECT_DOUBLE_EQ(mac->sheet(0)->colWidth(3), 15.0); // defaultColWidth 15.71
}

TEST(XlsxOpenpyxlFixture, Date1904) {
    auto book = loadOk(testing::testData() / "xlsx" / "epoch1904.xlsx");
    ASSERT_TRUE(book);
    EXPECT_TRUE(book->date1904());
    EXPECT_TRUE(book->sheet(0)->isDate(0, 0));
    EXPECT_DOUBLE_EQ(book->sheet(0)->readNum(0, 0), 35064); // 2000-01-01 counted from 1904
}

// One cell's XML and what it reads as.
struct CellCase {
    const char* name;
    const char* rows;
    const char* strings;
    int row, col;
    CellType type;
    const char* text;
    double number;
};

class XlsxCellForms : public ::testing::TestWithParam<CellCase> {};

TEST_P(XlsxCellForms, ReadsAsExpected) {
    const CellCase& c = GetParam();
    auto book = loadParts(PackageParts::workbook(c.rows, c.strings));
    ASSERT_TRUE(book.ok()) << book.error().describe();
    const Sheet* s = (*book)->sheet(0);
    EXPECT_EQ(s->cellType(c.row, c.col), c.type);
    if (c.type == CellType::Text) {
        EXPECT_EQ(s->readStr(c.row, c.col), c.text);
    } else if (c.type == CellType::Error) {
        EXPECT_EQ(s->readError(c.row, c.col), c.text);
    } else if (c.type == CellType::Number) {
        EXPECT_DOUBLE_EQ(s->readNum(c.row, c.col), c.number);
    } else if (c.type == CellType::Boolean) {
        EXPECT_EQ(s->readBool(c.row, c.col), c.number != 0);
    }
}

const CellCase cellCases[] = {
    {"SharedPlain", R"(<row r="1"><c r="A1" t="s"><v>1</v></c></row>)",
     "<si><t>zero</t></si><si><t>one</t></si>", 0, 0, CellType::Text, "one", 0},
    {"SharedRichRunsJoined", R"(<row r="1"><c r="B1" t="s"><v>0</v></c></row>)",
     "<si><r><rPr><b/></rPr><t>굵</t></r><r><t xml:space=\"preserve\"> 보통</t></r></si>", 0, 1,
     CellType::Text, "굵 보통", 0},
    {"SharedPhoneticLeftOut", R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)",
     "<si><t>東京</t><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t></rPh><phoneticPr fontId=\"1\"/></si>",
     0, 0, CellType::Text, "東京", 0},
    {"SharedEscapes", R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)",
     "<si><t>a_x000D__x000A_b_x005F_x0041_</t></si>", 0, 0, CellType::Text, "a\r\nb_x0041_", 0},
    {"InlineRich",
     R"(<row r="2"><c r="A2" t="inlineStr"><is><r><t>in</t></r><r><t>line</t></r></is></c></row>)",
     "", 1, 0, CellType::Text, "inline", 0},
    {"FormulaString", R"(<row r="1"><c r="A1" t="str"><f>"a"&amp;"b"</f><v>ab</v></c></row>)", "",
     0, 0, CellType::Text, "ab", 0},
    {"FormulaNumber", R"(<row r="1"><c r="A1"><f>1+1</f><v>2</v></c></row>)", "", 0, 0,
     CellType::Number, "", 2},
    {"Boolean", R"(<row r="1"><c r="C1" t="b"><v>1</v></c></row>)", "", 0, 2, CellType::Boolean, "",
     1},
    {"Error", R"(<row r="1"><c r="A1" t="e"><v>#DIV/0!</v></c></row>)", "", 0, 0, CellType::Error,
     "#DIV/0!", 0},
    {"IsoDate", R"(<row r="1"><c r="A1" t="d"><v>2024-03-01T12:00:00Z</v></c></row>)", "", 0, 0,
     CellType::Number, "", 45352.5},
    {"IsoDateBeforeMarch1900", R"(<row r="1"><c r="A1" t="d"><v>1900-01-01</v></c></row>)", "", 0,
     0, CellType::Number, "", 1},
    {"CellsWithoutRef", R"(<row r="3"><c><v>1</v></c><c><v>2</v></c><c t="b"><v>0</v></c></row>)",
     "", 2, 1, CellType::Number, "", 2},
    {"RowsWithoutRef", R"(<row><c><v>1</v></c></row><row><c><v>5</v></c></row>)", "", 1, 0,
     CellType::Number, "", 5},
    {"RowNumberFromItsCell", R"(<row><c r="D9"><v>4</v></c></row>)", "", 8, 3, CellType::Number, "",
     4},
    {"EntitiesAndCharRefs",
     R"(<row r="1"><c r="A1" t="inlineStr"><is><t>&lt;&#xAC00;&#44032;&amp;&quot;</t></is></c></row>)",
     "", 0, 0, CellType::Text, "<가가&\"", 0},
    {"LineEndsAndLongPlainRuns",
     "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>0123456789abcdef\r\nline&#44032;\r"
     "end&amp;0123456789&#x1F600;</t></is></c></row>",
     "", 0, 0, CellType::Text, "0123456789abcdef\nline\xEA\xB0\x80\nend&0123456789\xF0\x9F\x98\x80",
     0},
    {"CharRefsOutOfRangeBecomeReplacement",
     R"(<row r="1"><c r="A1" t="inlineStr"><is><t>&#0;a&#x110000;b&#xD800;&#1114112;&#55296;</t></is></c></row>)",
     "", 0, 0, CellType::Text,
     "\xEF\xBF\xBD"
     "a"
     "\xEF\xBF\xBD"
     "b"
     "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
     0},
    {"CData", R"(<row r="1"><c r="A1" t="inlineStr"><is><t><![CDATA[<raw>]]></t></is></c></row>)",
     "", 0, 0, CellType::Text, "<raw>", 0},
    {"StyledBlank", R"(<row r="1"><c r="A1" s="0"/></row>)", "", 0, 0, CellType::Blank, "", 0},
    {"UnsortedCellsLastWins",
     R"(<row r="1"><c r="B1"><v>2</v></c><c r="A1"><v>1</v></c><c r="B1"><v>3</v></c></row>)", "",
     0, 1, CellType::Number, "", 3},
    {"UnsortedRows",
     R"(<row r="5"><c r="A5"><v>5</v></c></row><row r="2"><c r="A2"><v>2</v></c></row>)", "", 1, 0,
     CellType::Number, "", 2},
    {"ExponentNumber", R"(<row r="1"><c r="A1"><v>1.5E-3</v></c></row>)", "", 0, 0,
     CellType::Number, "", 0.0015},
};

INSTANTIATE_TEST_SUITE_P(Forms, XlsxCellForms, ::testing::ValuesIn(cellCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(XlsxPackage, PrefixedElementsAndBomAreRead) {
    PackageParts p = PackageParts::workbook("");
    p["xl/worksheets/sheet1.xml"] =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?><x:worksheet xmlns:x=\"" +
        std::string(testing::mainNs()) +
        "\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>7</x:v></x:c></x:row></x:sheetData></"
        "x:worksheet>";
    auto book = loadParts(p);
    ASSERT_TRUE(book.ok()) << book.error().describe();
    EXPECT_DOUBLE_EQ((*book)->sheet(0)->readNum(0, 0), 7);
}

TEST(XlsxPackage, WorkbookFoundThroughRootRelationshipAndAbsoluteTargets) {
    PackageParts p = PackageParts::workbook("");
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    p.parts.erase("xl/workbook.xml");
    p.parts.erase("xl/_rels/workbook.xml.rels");
    p.parts.erase("xl/worksheets/sheet1.xml");
    p["_rels/.rels"] = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\"><Relationship Id=\"a\" Type=\"" +
                       rel + "/officeDocument\" Target=\"/book/main.xml\"/></Relationships>";
    p["book/main.xml"] =
        "<workbook xmlns=\"" + std::string(testing::mainNs()) + "\" xmlns:r=\"" + rel +
        "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"x\"/></sheets></workbook>";
    p["book/_rels/main.xml.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"x\" Type=\"" +
        rel + "/worksheet\" Target=\"/data/Sheet%20One.xml\"/></Relationships>";
    p["data/Sheet One.xml"] =
        "<worksheet xmlns=\"" + std::string(testing::mainNs()) +
        "\"><sheetData><row r=\"2\"><c r=\"B2\"><v>9</v></c></row></sheetData></worksheet>";
    auto book = loadParts(p);
    ASSERT_TRUE(book.ok()) << book.error().describe();
    EXPECT_EQ((*book)->sheet(0)->name(), "S");
    EXPECT_DOUBLE_EQ((*book)->sheet(0)->readNum(1, 1), 9);
}

TEST(XlsxPackage, StrictNamespacesAreRead) {
    PackageParts p = PackageParts::workbook(R"(<row r="1"><c r="A1"><v>3</v></c></row>)");
    for (auto& [name, bytes] : p.parts) {
        for (auto [from, to] :
             {std::pair<std::string, std::string>{
                  "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
                  "http://purl.oclc.org/ooxml/spreadsheetml/main"},
              {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
               "http://purl.oclc.org/ooxml/officeDocument/relationships"}}) {
            for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from))
                bytes.replace(at, from.size(), to);
        }
    }
    auto book = loadParts(p);
    ASSERT_TRUE(book.ok()) << book.error().describe();
    EXPECT_DOUBLE_EQ((*book)->sheet(0)->readNum(0, 0), 3);
}

// Packages that must be refused, and what the error says.
struct RefusedCase {
    const char* name;
    void (*spoil)(PackageParts&);
    ErrorCode code;
};

class XlsxRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(XlsxRefused, WithAnError) {
    PackageParts p = PackageParts::workbook(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)",
                                            "<si><t>a</t></si>");
    GetParam().spoil(p);
    auto book = loadParts(p);
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().code, GetParam().code) << book.error().describe();
    EXPECT_FALSE(book.error().message.empty());
}

const RefusedCase refusedCases[] = {
    {"DocumentTypeDeclaration",
     [](PackageParts& p) {
         p["xl/sharedStrings.xml"] = "<?xml version=\"1.0\"?><!DOCTYPE sst [<!ENTITY e SYSTEM "
                                     "\"file:///etc/passwd\">]><sst><si><t>&e;</t></si></sst>";
     },
     ErrorCode::Damaged},
    {"UnknownEntity",
     [](PackageParts& p) { p["xl/sharedStrings.xml"] = "<sst><si><t>&e;</t></si></sst>"; },
     ErrorCode::Damaged},
    {"DtdInWorkbookPart",
     [](PackageParts& p) {
         p["xl/workbook.xml"].insert(p["xl/workbook.xml"].find("<workbook"),
                                     "<!DOCTYPE workbook [<!ENTITY x \"y\">]>");
     },
     ErrorCode::Unsupported},
    {"NoContentTypes", [](PackageParts& p) { p.parts.erase("[Content_Types].xml"); },
     ErrorCode::Unsupported},
    {"NoMainDocument",
     [](PackageParts& p) {
         p["_rels/.rels"] = "<Relationships "
                            "xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                            "relationships\"/>";
     },
     ErrorCode::Unsupported},
    {"TextDocument",
     [](PackageParts& p) {
         auto& t = p["[Content_Types].xml"];
         t.replace(t.find("spreadsheetml.sheet.main"), 24, "wordprocessingml.document.main");
     },
     ErrorCode::Unsupported},
    {"SharedStringOutOfRange",
     [](PackageParts& p) {
         p["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
                                         "t=\"s\"><v>5</v></c></row></sheetData></worksheet>";
     },
     ErrorCode::Damaged},
    {"RowBeyondGrid",
     [](PackageParts& p) {
         p["xl/worksheets/sheet1.xml"] =
             "<worksheet><sheetData><row r=\"1048577\"/></sheetData></worksheet>";
     },
     ErrorCode::Damaged},
    {"ColumnBeyondGrid",
     [](PackageParts& p) {
         p["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row r=\"1\"><c "
                                         "r=\"XFE1\"><v>1</v></c></row></sheetData></worksheet>";
     },
     ErrorCode::Damaged},
    {"CutShortSheet",
     [](PackageParts& p) {
         p["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1";
     },
     ErrorCode::Damaged},
    {"NumberCellWithText",
     [](PackageParts& p) {
         p["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row r=\"1\"><c "
                                         "r=\"A1\"><v>abc</v></c></row></sheetData></worksheet>";
     },
     ErrorCode::Damaged},
    {"MissingSheetPart", [](PackageParts& p) { p.parts.erase("xl/worksheets/sheet1.xml"); },
     ErrorCode::Damaged},
    {"UnknownNamespace",
     [](PackageParts& p) {
         auto& w = p["xl/workbook.xml"];
         w.replace(w.find(testing::mainNs()), std::string(testing::mainNs()).size(),
                   "http://schemas.microsoft.com/office/excel/2006/2");
     },
     ErrorCode::Unsupported},
};

INSTANTIATE_TEST_SUITE_P(Packages, XlsxRefused, ::testing::ValuesIn(refusedCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(XlsxPackage, DuplicatePartNamesAreRefused) {
    // Two zip entries of one name: which one a program reads would be a matter of chance.
    auto book = loadBook(testing::realWorkbook("xlsx/poi-duplicate-filename.xlsx").string());
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().code, ErrorCode::Damaged);
}

TEST(XlsxPackage, ZipBombIsRefusedBeforeItInflates) {
    // 80 MB of line feeds deflate to under 100 kB: no sheet inflates that far.
    PackageParts p = PackageParts::workbook("");
    p["xl/worksheets/sheet1.xml"].insert(0, std::string(80u << 20, '\n'));
    auto book = loadParts(p);
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().code, ErrorCode::Limit) << book.error().describe();
}

TEST(XlsxPackage, HugeDeclaredSizeIsRefused) {
    ScratchDir dir;
    std::string zip = PackageParts::workbook("").bytes(dir / "p.xlsx");
    // The central directory entry of the sheet claims almost 4 GB once inflated.
    const std::string name = "xl/worksheets/sheet1.xml";
    for (std::size_t at = zip.find("PK\1\2"); at != std::string::npos;
         at = zip.find("PK\1\2", at + 4)) {
        if (zip.compare(at + 46, name.size(), name) == 0)
            zip.replace(at + 24, 4, "\xF0\xFF\xFF\xFF", 4);
    }
    auto book = xlsx::loadXlsxBookFromMemory(zip);
    ASSERT_FALSE(book.ok());
    EXPECT_TRUE(book.error().code == ErrorCode::Limit || book.error().code == ErrorCode::Damaged)
        << book.error().describe();
}

// Big parts are deflated in pieces, on other threads when the producer allows: whatever the
// way, the part must come back whole and in order, through libzip's inflating and through ours.
TEST(XlsxPackage, PartsDeflatedInPiecesArriveWholeAndInOrder) {
    // Runs of letters and of noise, so that pieces hold every kind of deflate block.
    const std::size_t total = (5u << 20) + 123;
    std::string expected(total, '\0');
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < total; ++i) {
        noise = noise * 1103515245u + 12345u;
        expected[i] =
            (i >> 16) % 3 == 0 ? static_cast<char>(noise >> 24) : static_cast<char>('a' + i % 26);
    }
    for (const bool ahead : {true, false}) {
        SCOPED_TRACE(ahead ? "ahead" : "on the caller's thread");
        ScratchDir dir;
        auto package = xlsx::Package::fromParts({{"a.txt", "first"}});
        std::vector<xlsx::Package::OutPart> parts(2);
        parts[0].name = "a.txt";
        parts[0].copyOf = 0;
        parts[1].name = "big.txt";
        parts[1].fast = true;
        parts[1].ahead = ahead;
        std::size_t made = 0;
        parts[1].producer = [&](char* buffer, std::size_t size) -> Result<std::size_t> {
            const std::size_t n = std::min<std::size_t>({size, total - made, 7777});
            std::copy_n(expected.data() + made, n, buffer);
            made += n;
            return n;
        };
        ASSERT_TRUE(package->write((dir / "out.zip").string(), parts).ok());
        EXPECT_TRUE(testing::partBytes(dir / "out.zip", "big.txt") == expected);
        EXPECT_EQ(testing::partBytes(dir / "out.zip", "a.txt"), "first");
        auto saved = xlsx::Package::open((dir / "out.zip").string());
        ASSERT_TRUE(saved.ok());
        std::string streamed;
        auto r = (*saved)->stream((*saved)->find("big.txt"), [&](const char* d, std::size_t n) {
            streamed.append(d, n);
            return Result<void>{};
        });
        ASSERT_TRUE(r.ok()) << r.error().describe();
        EXPECT_TRUE(streamed == expected);

        // A producer that fails makes the whole write fail.
        parts[1].producer = [](char*, std::size_t) -> Result<std::size_t> {
            return makeError(ErrorCode::Io, "disk on fire");
        };
        auto bad = package->write((dir / "bad.zip").string(), parts);
        ASSERT_FALSE(bad.ok());
        EXPECT_NE(bad.error().message.find("disk on fire"), std::string::npos);
    }
}

// A sheet whose deflated bytes are spoiled is refused with the reason, never read as garbage.
TEST(XlsxPackage, DamagedDeflateStreamsAreRefused) {
    std::string rows;
    for (int r = 1; r <= 2000; ++r)
        rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" +
                std::to_string(r * 7) + "</v></c></row>";
    ScratchDir dir;
    const std::string good = PackageParts::workbook(rows).bytes(dir / "p.xlsx");
    const std::string name = "xl/worksheets/sheet1.xml";
    auto central = [&](const std::string& zip) {
        for (std::size_t at = zip.find("PK\1\2"); at != std::string::npos;
             at = zip.find("PK\1\2", at + 4)) {
            if (zip.compare(at + 46, name.size(), name) == 0)
                return at;
        }
        return std::string::npos;
    };
    auto dataStart = [&](const std::string& zip) {
        for (std::size_t at = zip.find("PK\3\4"); at != std::string::npos;
             at = zip.find("PK\3\4", at + 4)) {
            if (zip.compare(at + 30, name.size(), name) == 0)
                return at + 30 + name.size() + static_cast<unsigned char>(zip[at + 28]) +
                       256u * static_cast<unsigned char>(zip[at + 29]);
        }
        return std::string::npos;
    };
    struct Case {
        const char* what;
        void (*spoil)(std::string& zip, std::size_t central, std::size_t data);
        const char* says;
    };
    const Case cases[] = {
        // A block of the reserved type 3.
        {"reserved block type", [](std::string& z, std::size_t, std::size_t d) { z[d] = 7; },
         "corrupt"},
        {"wrong CRC", [](std::string& z, std::size_t c, std::size_t) { z[c + 16] ^= 0x55; }, "CRC"},
        // The directory claims fewer compressed bytes than the stream needs.
        {"cut short",
         [](std::string& z, std::size_t c, std::size_t) {
             z[c + 20] = 9;
             z[c + 21] = z[c + 22] = z[c + 23] = 0;
         },
         "too early"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string zip = good;
        ASSERT_NE(central(zip), std::string::npos);
        ASSERT_NE(dataStart(zip), std::string::npos);
        c.spoil(zip, central(zip), dataStart(zip));
        auto book = xlsx::loadXlsxBookFromMemory(zip);
        ASSERT_FALSE(book.ok());
        EXPECT_EQ(book.error().code, ErrorCode::Damaged);
        EXPECT_NE(book.error().message.find(c.says), std::string::npos) << book.error().describe();
    }
}

TEST(XlsxPackage, NotAZipIsRefused) {
    auto book = xlsx::loadXlsxBookFromMemory("PK\3\4 this is no zip at all");
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().code, ErrorCode::Damaged);
}

} // namespace
} // namespace rowbit
