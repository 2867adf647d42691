#pragma once
// Hand-made packages for the XML workbook tests: a minimal workbook whose parts a test can
// replace or add to, written with the engine's own zip writer.

#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xlsx/package.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace rowbit::testing {

struct PackageParts {
    std::map<std::string, std::string> parts;

    // One sheet "Sheet1" whose <sheetData> holds `rows`, and a shared string table of `strings`
    // (none when empty).
    static PackageParts workbook(const std::string& rows, const std::string& strings = {});

    std::string& operator[](const std::string& name) { return parts[name]; }
    void write(const std::filesystem::path& path) const;
    std::string bytes(const std::filesystem::path& scratch) const;
};

inline const char* mainNs() {
    return "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
}

inline std::string relationshipsNs() {
    return "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
}

// The XML workbooks of the shared collection and of our own test data, sorted.
inline std::vector<std::filesystem::path> xlsxCorpus() {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& dir : {realWorkbooks() / "xlsx", testData() / "xlsx"}) {
        for (auto& file : inputFiles(dir, {".xlsx", ".xlsm"}))
            files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Every sheet's cells as text, for comparing two loads; one sheet's row and column can be
// left out.
inline std::string dumpCells(const Book& book, int skipSheet = -1, int skipRow = -1,
                             int skipCol = -1) {
    std::string out;
    for (int i = 0; i < book.sheetCount(); ++i) {
        const Sheet* s = book.sheet(i);
        out += "sheet " + s->name() + "\n";
        for (int r = 0; r < s->lastRow(); ++r) {
            for (int c = 0; c < s->lastCol(); ++c) {
                if (i == skipSheet && (r == skipRow || c == skipCol))
                    continue;
                const CellType t = s->cellType(r, c);
                if (t == CellType::Empty)
                    continue;
                out += std::to_string(r) + ',' + std::to_string(c) + ' ' +
                       std::to_string(static_cast<int>(t)) + ' ' + s->readStr(r, c) + ' ' +
                       std::to_string(s->readNum(r, c)) + ' ' + s->readError(r, c) + ' ' +
                       std::to_string(s->cellFormat(r, c)) + (s->isFormula(r, c) ? " f" : "") +
                       '\n';
            }
        }
    }
    return out;
}

// The inflated bytes of one part of a package file, or "<missing>".
std::string partBytes(const std::filesystem::path& file, const std::string& part);
// Compressed size of a part as stored, or -1.
long long storedSize(const std::filesystem::path& file, const std::string& part);

inline PackageParts PackageParts::workbook(const std::string& rows, const std::string& strings) {
    const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::string rel = relationshipsNs();
    PackageParts p;
    p["[Content_Types].xml"] =
        decl + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"rels\" "
               "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
               "<Override PartName=\"/xl/workbook.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
               "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
               "</Types>";
    p["_rels/.rels"] = decl +
                       "<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"" +
                       rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    p["xl/workbook.xml"] = decl + "<workbook xmlns=\"" + mainNs() + "\" xmlns:r=\"" + rel +
                           "\"><sheets><sheet name=\"Sheet1\" sheetId=\"1\" "
                           "r:id=\"rId1\"/></sheets></workbook>";
    std::string rels = decl +
                       "<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"" +
                       rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (!strings.empty()) {
        rels += "<Relationship Id=\"rId2\" Type=\"" + rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        p["xl/sharedStrings.xml"] = decl + "<sst xmlns=\"" + mainNs() + "\">" + strings + "</sst>";
    }
    p["xl/_rels/workbook.xml.rels"] = rels + "</Relationships>";
    p["xl/worksheets/sheet1.xml"] = decl + "<worksheet xmlns=\"" + mainNs() + "\"><sheetData>" +
                                    rows + "</sheetData></worksheet>";
    return p;
}

inline void PackageParts::write(const std::filesystem::path& path) const {
    std::vector<std::pair<std::string, std::string>> list(parts.begin(), parts.end());
    // The content types part comes first, as packagers write it.
    std::stable_partition(list.begin(), list.end(),
                          [](const auto& p) { return p.first == "[Content_Types].xml"; });
    auto package = xlsx::Package::fromParts(list);
    std::vector<xlsx::Package::OutPart> out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        xlsx::Package::OutPart part;
        part.name = list[i].first;
        part.copyOf = static_cast<int>(i);
        out.push_back(std::move(part));
    }
    auto r = package->write(path.string(), out);
    if (!r)
        throw std::runtime_error(r.error().describe());
}

inline std::string PackageParts::bytes(const std::filesystem::path& scratch) const {
    write(scratch);
    std::ifstream in(scratch, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string partBytes(const std::filesystem::path& file, const std::string& part) {
    auto package = xlsx::Package::open(file.string());
    if (!package)
        return "<missing>";
    const int index = (*package)->find(part);
    if (index < 0)
        return "<missing>";
    auto bytes = (*package)->read(index);
    return bytes ? *bytes : "<unreadable>";
}

inline long long storedSize(const std::filesystem::path& file, const std::string& part) {
    auto package = xlsx::Package::open(file.string());
    if (!package)
        return -1;
    const int index = (*package)->find(part);
    if (index < 0)
        return -1;
    return static_cast<long long>(
        (*package)->entries()[static_cast<std::size_t>(index)].compressedSize);
}

} // namespace rowbit::testing
