#include "fuzz_bodies.h"

#include "workbook/book.h"
#include "workbook/xlsx/sheet.h"
#include "workbook/xlsx/xlsx_book.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::pair<std::string, std::string>> partsFrom(std::string_view input) {
    std::vector<std::string> pieces;
    while (pieces.size() < 2) {
        const auto cut = input.find("\n--\n");
        if (cut == std::string_view::npos)
            break;
        pieces.emplace_back(input.substr(0, cut));
        input.remove_prefix(cut + 4);
    }
    pieces.emplace_back(input);
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    std::vector<std::pair<std::string, std::string>> parts;
    parts.emplace_back("[Content_Types].xml",
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "content-types\"><Default Extension=\"xml\" "
                       "ContentType=\"application/xml\"/></Types>");
    parts.emplace_back("_rels/.rels", "<Relationships><Relationship Id=\"r\" Type=\"" + rel +
                                          "/officeDocument\" Target=\"xl/workbook.xml\"/></"
                                          "Relationships>");
    parts.emplace_back("xl/workbook.xml",
                       "<workbook xmlns=\"" + ns + "\" xmlns:r=\"" + rel +
                           "\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"a\"/></sheets></"
                           "workbook>");
    std::string rels = "<Relationships><Relationship Id=\"a\" Type=\"" + rel +
                       "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    parts.emplace_back("xl/worksheets/sheet1.xml", pieces[0]);
    if (pieces.size() > 1) {
        rels += "<Relationship Id=\"b\" Type=\"" + rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.emplace_back("xl/sharedStrings.xml", pieces[1]);
    }
    if (pieces.size() > 2) {
        rels += "<Relationship Id=\"c\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>";
        parts.emplace_back("xl/styles.xml", pieces[2]);
    }
    parts.emplace_back("xl/_rels/workbook.xml.rels", rels + "</Relationships>");
    return parts;
}

std::string cells(const rowbit::Book& book) {
    std::string out;
    for (int i = 0; i < book.sheetCount(); ++i) {
        const rowbit::Sheet* s = book.sheet(i);
        out += s->name() + '\n';
        for (int r = 0; r < s->lastRow() && r < 2000; ++r) {
            for (int c = 0; c < s->lastCol() && c < 64; ++c) {
                out += std::to_string(static_cast<int>(s->cellType(r, c))) + s->readStr(r, c) +
                       std::to_string(s->readNum(r, c)) + s->readError(r, c) +
                       std::to_string(s->cellFormat(r, c)) + (s->isFormula(r, c) ? "f" : "") + '\n';
            }
        }
    }
    return out;
}

// Reads the parts again in pieces of 16 to 79 bytes; says how they differ, if they do.
std::string compareInPieces(const std::vector<std::pair<std::string, std::string>>& parts,
                            rowbit::Result<std::unique_ptr<rowbit::Book>>& whole) {
    rowbit::xlsx::setSheetPiecesForTesting(16 + parts[3].second.size() % 64);
    auto pieces = rowbit::xlsx::loadXlsxBookFromParts(parts);
    rowbit::xlsx::setSheetPiecesForTesting(0);
    const std::string a = whole.ok() ? cells(**whole) : whole.error().describe();
    const std::string b = pieces.ok() ? cells(**pieces) : pieces.error().describe();
    if (a != b)
        return "read in pieces:\n" + b + "\nin one piece:\n" + a;
    return "";
}

std::string exercise(rowbit::Book& book) {
    volatile double sink = 0;
    for (int i = 0; i < book.sheetCount(); ++i) {
        rowbit::Sheet* s = book.sheet(i);
        const int rows = s->lastRow();
        const int cols = s->lastCol();
        for (int r = 0; r < rows && r < 2000; ++r) {
            for (int c = 0; c < cols && c < 64; ++c) {
                sink = sink + static_cast<int>(s->cellType(r, c)) + s->readNum(r, c) +
                       static_cast<double>(s->readStr(r, c).size()) + s->isDate(r, c) +
                       s->cellFormat(r, c) + static_cast<double>(s->readError(r, c).size());
            }
        }
        for (int c = 0; c < 8; ++c)
            sink = sink + s->colWidth(c);
    }
    if (book.sheetCount() == 0)
        return "";
    rowbit::Sheet* first = book.sheet(0);
    first->writeStr(0, 0, "fuzz");
    first->writeNum(1, 1, 2.5, book.dateFormat(first->cellFormat(1, 1)));
    const rowbit::RowMove moves[] = {{0, 2}, {2, 0}};
    (void)first->moveRows(moves);
    book.addSheet("SetupQ");
    static const std::string path = "/tmp/xlsx_load_fuzz." + std::to_string(getpid()) + ".xlsx";
    std::string fault;
    if (book.save(path).ok()) {
        auto again = rowbit::loadBook(path);
        if (!again.ok())
            fault = "a saved workbook does not load again: " + again.error().describe();
    }
    std::remove(path.c_str());
    return fault;
}

} // namespace

namespace rowbit::fuzz {

std::string exerciseXlsx(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.rfind("PK", 0) == 0) {
        auto book = xlsx::loadXlsxBookFromMemory(input);
        return book.ok() ? exercise(**book) : "";
    }
    const auto parts = partsFrom(input);
    xlsx::setSheetPiecesForTesting(SIZE_MAX);
    auto book = xlsx::loadXlsxBookFromParts(parts);
    xlsx::setSheetPiecesForTesting(0);
    if (std::string fault = compareInPieces(parts, book); !fault.empty())
        return fault;
    return book.ok() ? exercise(**book) : "";
}

} // namespace rowbit::fuzz
