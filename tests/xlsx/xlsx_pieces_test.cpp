// Big sheets are read in pieces on several threads. Whatever the pieces, the workbook must
// come out exactly as when it is read in one piece: the same cells, the same error, the same
// bytes when saved.
#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xlsx/package.h"
#include "workbook/xlsx/sheet.h"
#include "workbook/xlsx/xlsx_book.h"
#include "xlsx_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace rowbit {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

// Pieces of `bytes` (SIZE_MAX: one piece) while it lives.
class Pieces {
public:
    explicit Pieces(std::size_t bytes) { xlsx::setSheetPiecesForTesting(bytes); }
    ~Pieces() { xlsx::setSheetPiecesForTesting(0); }
};

// What a load gives: the error, or every cell and every part of the workbook saved again.
std::string outcome(const fs::path& file, std::size_t pieces, const fs::path& scratch) {
    Pieces set(pieces);
    auto book = loadBook(file.string());
    if (!book.ok())
        return "error: " + book.error().describe();
    std::string out = testing::dumpCells(**book);
    const fs::path saved = scratch / "saved.xlsx";
    auto r = (*book)->save(saved.string());
    if (!r.ok())
        return out + "save error: " + r.error().describe();
    auto package = xlsx::Package::open(saved.string());
    if (!package.ok())
        return out + "unreadable save";
    for (const auto& e : (*package)->entries())
        out += "part " + e.name + "\n" + testing::partBytes(saved, e.name) + "\n";
    return out;
}

TEST(XlsxPieces, EveryCollectedWorkbookReadsAlikeInPieces) {
    ScratchDir dir;
    int compared = 0;
    for (const fs::path& file : testing::xlsxCorpus()) {
        SCOPED_TRACE(file.filename().string());
        const std::string whole = outcome(file, SIZE_MAX, dir.path());
        // Odd sizes, so that cuts fall in every kind of place.
        for (std::size_t pieces : {61u, 997u})
            EXPECT_EQ(outcome(file, pieces, dir.path()), whole) << pieces << "-byte pieces";
        ++compared;
    }
    EXPECT_GT(compared, 200);
}

// Row ends that do not end a row of the sheet: in a comment, a CDATA section, an
// instruction, a foreign element, a cell; rows that take their number from the row before;
// repeated and unsorted rows with attributes; every kind of cell.
std::string trickyRows(int repeat) {
    std::string rows;
    int r = 1;
    for (int i = 0; i < repeat; ++i) {
        const std::string n = std::to_string(r);
        rows += "<row r=\"" + n + "\" spans=\"1:4\"><c r=\"A" + n +
                "\" t=\"inlineStr\"><is><t>첫 &amp; 행 " + n + "</t></is></c><c r=\"B" + n +
                "\" s=\"1\"><v>" + std::to_string(i * 1.5) + "</v></c><c r=\"C" + n +
                "\" t=\"s\"><v>" + std::to_string(i % 2) + "</v></c></row>";
        rows += "<!-- </row> <row r=\"9999\"><c><v>1</v></c></row> -->";
        rows += "<row r=\"" + std::to_string(r + 1) + "\"><c r=\"A" + std::to_string(r + 1) +
                "\" t=\"str\"><f>A1&amp;\"x\"</f><v><![CDATA[</row>]]></v></c><c t=\"b\"><v>1</v>"
                "</c><c t=\"e\"><v>#N/A</v></c></row>";
        rows += "<?keep </row>?>";
        rows += "<ext><row r=\"8888\"><c><v>2</v></c></row></ext>";
        rows += "<row><c><v>3</v></c></row><row><c r=\"B" + std::to_string(r + 3) +
                "\"><v>4</v></c></row>";
        rows += "<row r=\"" + std::to_string(r + 5) + "\" ht=\"20\" customHeight=\"1\"><c r=\"D" +
                std::to_string(r + 5) +
                "\" customAttr=\"1\"><v>5</v><extLst><row></row></extLst>"
                "</c></row>";
        rows += "<row r=\"" + std::to_string(r + 4) + "\"><c r=\"A" + std::to_string(r + 4) +
                "\"><v>6</v></c></row>";
        if (i % 7 == 3) // a row written again: its cells join the earlier one's
            rows += "<row r=\"" + n + "\" hidden=\"1\"><c r=\"D" + n + "\"><v>7</v></c></row>";
        r += 6;
    }
    return rows;
}

std::string strings() {
    return "<si><t>하나</t></si><si><r><t>둘</t></r><r><t>셋</t></r></si>";
}

TEST(XlsxPieces, RowEndsThatEndNoRowAreNeverCutAt) {
    ScratchDir dir;
    const fs::path file = dir / "tricky.xlsx";
    testing::PackageParts::workbook(trickyRows(60), strings()).write(file);
    const std::string whole = outcome(file, SIZE_MAX, dir.path());
    ASSERT_EQ(whole.find("error"), std::string::npos) << whole.substr(0, 300);
    for (std::size_t pieces = 16; pieces < 400; pieces += 23)
        EXPECT_EQ(outcome(file, pieces, dir.path()), whole) << pieces << "-byte pieces";
}

TEST(XlsxPieces, OrdinaryRowsAreReadInPiecesAlike) {
    // What real sheets hold, which must not send the reading back to one piece: rows with
    // and without numbers, repeated and unsorted rows, row attributes, formulas, rich and
    // plain inline texts, CDATA, comments, every value type.
    ScratchDir dir;
    std::string rows;
    for (int r = 1; r <= 3000; ++r) {
        const std::string n = std::to_string(r);
        const std::string style = r % 3 ? "" : " ht=\"" + std::to_string(10 + r % 4) + "\"";
        rows += "<row r=\"" + n + "\"" + style + "><c r=\"A" + n +
                "\" t=\"inlineStr\"><is><t>이름 " + n + "</t></is></c><c r=\"B" + n + "\"><v>" + n +
                ".25</v></c><c r=\"C" + n + "\" t=\"s\"><v>" + std::to_string(r % 2) + "</v></c>";
        if (r % 5 == 0)
            rows += "<c t=\"str\"><f>B" + n +
                    "*2</f><v><![CDATA[a<b]]></v></c>"
                    "<c t=\"inlineStr\"><is><r><t>x</t></r><r><t>y</t></r></is></c>"
                    "<c t=\"e\"><v>#DIV/0!</v></c><c t=\"b\"><v>0</v></c>";
        rows += "</row>";
        if (r % 50 == 0)
            rows += "<!-- a note --><row><c><v>1</v></c></row>";
        if (r % 300 == 0)
            rows += "<row r=\"" + std::to_string(r - 100) + "\"><c r=\"E" +
                    std::to_string(r - 100) + "\"><v>9</v></c></row>";
    }
    const fs::path file = dir / "plain.xlsx";
    testing::PackageParts::workbook(rows, strings()).write(file);
    const std::string whole = outcome(file, SIZE_MAX, dir.path());
    ASSERT_EQ(whole.find("error"), std::string::npos) << whole.substr(0, 300);
    for (std::size_t pieces : {16u, 100u, 4096u, 65536u}) {
        const std::size_t before = xlsx::piecesMergedForTesting();
        EXPECT_EQ(outcome(file, pieces, dir.path()), whole) << pieces << "-byte pieces";
        EXPECT_GE(xlsx::piecesMergedForTesting() - before, 2u) << pieces << "-byte pieces";
    }
}

TEST(XlsxPieces, PrefixedElementsAreCutAtTheirOwnRowEnds) {
    ScratchDir dir;
    std::string rows;
    for (int r = 1; r <= 500; ++r) {
        const std::string n = std::to_string(r);
        rows += "<x:row r=\"" + n + "\"><x:c r=\"A" + n + "\"><x:v>" + n + "</x:v></x:c></x:row>";
    }
    auto parts = testing::PackageParts::workbook("");
    parts["xl/worksheets/sheet1.xml"] = std::string("<x:worksheet xmlns:x=\"") + testing::mainNs() +
                                        "\"><x:sheetData>" + rows + "</x:sheetData></x:worksheet>";
    const fs::path file = dir / "prefixed.xlsx";
    parts.write(file);
    const std::string whole = outcome(file, SIZE_MAX, dir.path());
    ASSERT_NE(whole.find("499,0 1"), std::string::npos) << whole.substr(0, 300);
    const std::size_t before = xlsx::piecesMergedForTesting();
    EXPECT_EQ(outcome(file, 300, dir.path()), whole);
    EXPECT_GE(xlsx::piecesMergedForTesting() - before, 10u);
}

TEST(XlsxPieces, DamageAnywhereGivesTheSameErrorAsOnePiece) {
    ScratchDir dir;
    const std::string rows = trickyRows(20);
    // A bad cell early, in the middle and last; a row cut short; the data never closed.
    const std::vector<std::string> damaged = {
        "<row r=\"1\"><c r=\"A1\" t=\"zz\"><v>1</v></c></row>" + rows,
        rows.substr(0, rows.find("<row r=\"61\" ")) +
            "<row r=\"900\"><c r=\"A1\"><v>1</v></c></row>" +
            rows.substr(rows.find("<row r=\"61\" ")),
        rows + "<row r=\"901\"><c r=\"A901\"><v>x</v></c></row>",
        rows + "<row r=\"902\"><c r=\"A902\"><v>1</v>",
        rows + "<row r=\"903\"><c r=\"A903\" t=\"s\"><v>99</v></c></row>",
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        const fs::path file = dir / ("damaged" + std::to_string(i) + ".xlsx");
        testing::PackageParts::workbook(damaged[i], strings()).write(file);
        const std::string whole = outcome(file, SIZE_MAX, dir.path());
        EXPECT_EQ(whole.rfind("error: ", 0), 0u) << whole.substr(0, 200);
        for (std::size_t pieces : {16u, 211u, 5000u})
            EXPECT_EQ(outcome(file, pieces, dir.path()), whole) << pieces << "-byte pieces";
    }
}

TEST(XlsxPieces, ProgressRisesToTheEnd) {
    ScratchDir dir;
    std::string rows;
    for (int r = 1; r <= 100000; ++r)
        rows +=
            "<row r=\"" + std::to_string(r) + "\"><c><v>" + std::to_string(r) + "</v></c></row>";
    const fs::path file = dir / "long.xlsx";
    testing::PackageParts::workbook(rows, strings()).write(file);
    for (std::size_t pieces : {std::size_t{SIZE_MAX}, std::size_t{4096}}) {
        Pieces set(pieces);
        std::vector<double> seen;
        auto book = loadBook(file.string(), [&](double f) { seen.push_back(f); });
        ASSERT_TRUE(book.ok());
        ASSERT_GE(seen.size(), 3u);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_LE(seen.size(), 101u);
        EXPECT_EQ(seen.back(), 1.0);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1.0), 1);
    }
}

} // namespace
} // namespace rowbit
