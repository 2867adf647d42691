// Every shared binary workbook, loaded, saved unchanged and saved after edits: the copies
// load again with the same cells, untouched sheets keep their bytes, and python3-xlrd reads
// the same values from the copies as from the originals.
#include "support/test_paths.h"
#include "workbook/book.h"
#include "xls/xls_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace rowbit::xls {
namespace {

using rowbit::testing::ScratchDir;
namespace fs = std::filesystem;

std::vector<fs::path> sharedXlsFiles() {
    return rowbit::testing::inputFiles(rowbit::testing::realWorkbooks() / "xls", {".xls"});
}

// All cells of a sheet as text, for comparing two loads of the same content.
std::string dump(const Sheet& s) {
    std::ostringstream out;
    for (int r = 0; r < s.lastRow(); ++r) {
        for (int c = 0; c < s.lastCol(); ++c) {
            const CellType t = s.cellType(r, c);
            if (t == CellType::Empty)
                continue;
            out << r << ',' << c << ':' << static_cast<int>(t) << (s.isDate(r, c) ? "d" : "")
                << (s.isFormula(r, c) ? "f" : "") << '=';
            switch (t) {
            case CellType::Number:
                out << s.readNum(r, c);
                break;
            case CellType::Text:
                out << s.readStr(r, c);
                break;
            case CellType::Boolean:
                out << s.readBool(r, c);
                break;
            case CellType::Error:
                out << s.readError(r, c);
                break;
            default:
                break;
            }
            out << ';' << s.cellFormat(r, c) << '\n';
        }
    }
    return out.str();
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        if (ch == '"' || ch == '\\')
            out += '\\';
        out += ch;
    }
    return out + '"';
}

TEST(XlsSharedFiles, LoadOrRefuseWithoutCrashing) {
    int loaded = 0, refused = 0;
    for (const auto& path : sharedXlsFiles()) {
        auto book = loadBook(path.string());
        if (!book) {
            ++refused;
            EXPECT_FALSE(book.error().message.empty()) << path;
            continue;
        }
        ++loaded;
        for (int i = 0; i < (*book)->sheetCount(); ++i) {
            const Sheet* s = (*book)->sheet(i);
            ASSERT_NE(s, nullptr);
            dump(*s);
            for (int c = 0; c < s->lastCol(); ++c)
                EXPECT_GE(s->colWidth(c), 0.0);
        }
    }
    EXPECT_GT(loaded, 150);
    std::printf("shared .xls files: %d loaded, %d refused\n", loaded, refused);
}

TEST(XlsSharedFiles, RoundTripKeepsCellsAndUntouchedSheets) {
    ScratchDir scratch;
    std::string manifest = "[";
    int saved = 0;
    for (const auto& path : sharedXlsFiles()) {
        auto book = loadBook(path.string());
        if (!book)
            continue;
        const std::string name = path.stem().string();
        const int sheets = (*book)->sheetCount();
        std::vector<std::string> before;
        for (int i = 0; i < sheets; ++i)
            before.push_back(dump(*(*book)->sheet(i)));
        const auto originalSubs =
            testing::substreams(testing::readCompound(path.string()).workbook);

        // Unchanged: every sheet byte for byte, every cell the same.
        const std::string same = (scratch / (name + ".same.xls")).string();
        auto r = (*book)->save(same);
        ASSERT_TRUE(r) << path << ": " << r.error().describe();
        {
            auto again = loadBook(same);
            ASSERT_TRUE(again) << same << ": " << again.error().describe();
            ASSERT_EQ((*again)->sheetCount(), sheets) << path;
            for (int i = 0; i < sheets; ++i)
                EXPECT_EQ(dump(*(*again)->sheet(i)), before[i]) << path << " sheet " << i;
            const auto copy = testing::readCompound(same);
            EXPECT_EQ(testing::substreams(copy.workbook), originalSubs) << path;
            const auto original = testing::readCompound(path.string());
            EXPECT_EQ(copy.root.children.size(), original.root.children.size()) << path;
        }
        manifest += std::string(saved++ ? "," : "") + "{\"original\":" + jsonString(path.string()) +
                    ",\"saved\":" + jsonString(same) + ",\"edits\":[]}";
        if (sheets == 0)
            continue;

        // Edited: the first sheet gets a text below its last row and a number over its
        // first cell; the other sheets stay byte for byte.
        Sheet* first = (*book)->sheet(0);
        const int below = std::min(first->lastRow(), kMaxRows - 1);
        ASSERT_TRUE(first->writeStr(below, 0, "편집 ✓ \"done\""));
        ASSERT_TRUE(first->writeNum(0, 0, 12.5));
        const std::string edited = (scratch / (name + ".edited.xls")).string();
        r = (*book)->save(edited);
        ASSERT_TRUE(r) << path << ": " << r.error().describe();
        auto again = loadBook(edited);
        ASSERT_TRUE(again) << edited << ": " << again.error().describe();
        EXPECT_EQ(dump(*(*again)->sheet(0)), dump(*first)) << path;
        for (int i = 1; i < sheets; ++i)
            EXPECT_EQ(dump(*(*again)->sheet(i)), before[i]) << path << " sheet " << i;
        const auto editedSubs = testing::substreams(testing::readCompound(edited).workbook);
        ASSERT_EQ(editedSubs.size(), originalSubs.size()) << path;
        // Which substream is the first worksheet is not known here; count the changed ones.
        int changed = 0;
        for (std::size_t i = 0; i < editedSubs.size(); ++i)
            changed += editedSubs[i] != originalSubs[i] ? 1 : 0;
        EXPECT_EQ(changed, 1) << path;
        manifest += ",{\"original\":" + jsonString(path.string()) +
                    ",\"saved\":" + jsonString(edited) + ",\"edits\":[[0," + std::to_string(below) +
                    ",0,\"text\",\"편집 ✓ \\\"done\\\"\"],[0,0,0,\"number\",12.5]]}";
    }
    manifest += "]";
    ASSERT_GT(saved, 150);

    const std::string manifestPath = (scratch / "manifest.json").string();
    std::ofstream(manifestPath) << manifest;
    std::string output;
    const int status = testing::run(
        "/usr/bin/python3 " +
            (rowbit::testing::testData().parent_path() / "xls" / "xlrd_same.py").string() + " " +
            manifestPath + " 2>&1",
        output);
    EXPECT_EQ(status, 0) << output;
    std::printf("%s", output.substr(0, 400).c_str());
}

} // namespace
} // namespace rowbit::xls
