// Every workbook of the shared collection: it loads or is refused, never crashes; what loads
// saves back with its parts intact, unchanged or edited, as Rowbit and openpyxl both read it.
#include "fuzz_bodies.h"
#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xlsx/package.h"
#include "xlsx_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

namespace rowbit {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

TEST(XlsxCorpus, EveryWorkbookLoadsOrIsRefusedAndSavesBackIntact) {
    ScratchDir dir;
    std::ofstream manifest(dir / "manifest.txt");
    int loaded = 0, refused = 0, n = 0;
    for (const fs::path& file : testing::xlsxCorpus()) {
        SCOPED_TRACE(file.filename().string());
        auto book = loadBook(file.string());
        if (!book.ok()) {
            ++refused;
            EXPECT_FALSE(book.error().message.empty());
            continue;
        }
        ++loaded;
        const std::string before = testing::dumpCells(**book);
        const fs::path same = dir / ("same" + std::to_string(n) + ".xlsx");
        const fs::path edited = dir / ("edited" + std::to_string(n) + ".xlsx");
        ++n;

        // Unchanged: every part byte for byte, and the same cells.
        auto saved = (*book)->save(same.string());
        ASSERT_TRUE(saved.ok()) << saved.error().describe();
        auto original = xlsx::Package::open(file.string());
        ASSERT_TRUE(original.ok());
        for (const auto& e : (*original)->entries()) {
            if (!e.directory) {
                EXPECT_EQ(testing::partBytes(same, e.name), testing::partBytes(file, e.name))
                    << e.name;
            }
        }
        auto again = loadBook(same.string());
        ASSERT_TRUE(again.ok()) << again.error().describe();
        EXPECT_EQ(testing::dumpCells(**again), before);
        manifest << file.string() << '\t' << same.string() << "\t{}\n";

        // Edited: a text below the last row and a number right of the last column.
        Sheet* first = (*book)->sheet(0);
        if (!first || !first->writeStr(first->lastRow(), 0, "추가 행"))
            continue;
        const int row = first->lastRow() - 1;
        const int col = std::max(first->lastCol(), 1);
        ASSERT_TRUE(first->writeNum(0, col, 12.5));
        Sheet* added = (*book)->addSheet("SetupQ");
        ASSERT_TRUE(added && added->writeStr(0, 0, "SetupQ"));
        saved = (*book)->save(edited.string());
        ASSERT_TRUE(saved.ok()) << saved.error().describe();
        auto changed = loadBook(edited.string());
        ASSERT_TRUE(changed.ok()) << changed.error().describe();
        EXPECT_EQ((*changed)->sheet(0)->readStr(row, 0), "추가 행");
        EXPECT_DOUBLE_EQ((*changed)->sheet(0)->readNum(0, col), 12.5);
        ASSERT_EQ((*changed)->sheetCount(), (*again)->sheetCount() + 1);
        EXPECT_EQ((*changed)->sheet((*again)->sheetCount())->readStr(0, 0), "SetupQ");
        std::string unchanged = testing::dumpCells(**changed, 0, row, col);
        unchanged.erase(unchanged.rfind("sheet SetupQ\n"));
        EXPECT_EQ(unchanged, testing::dumpCells(**again, 0, row, col));
        manifest << file.string() << '\t' << edited.string() << "\t{\"cells\": [[0," << row
                 << ",0,\"추가 행\"],[0,0," << col << ",12.5]], \"added\": [\"SetupQ\"]}\n";
    }
    manifest.close();
    EXPECT_GT(loaded, 200);
    std::printf("loaded %d, refused %d\n", loaded, refused);

    const fs::path script = testing::sourceRoot() / "tests/xlsx/openpyxl_roundtrip.py";
    const std::string command =
        "/usr/bin/python3 '" + script.string() + "' '" + (dir / "manifest.txt").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << "openpyxl disagrees; see its output above";
}

// The inputs that once broke the fuzz target, replayed through exactly what it does with them.
TEST(XlsxCorpus, FuzzerFindsAreHarmless) {
    const fs::path dir = testing::sourceRoot() / "fuzz/regressions/xlsx_load_fuzz";
    for (const fs::path& file : testing::inputFiles(dir, {})) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(
            fuzz::exerciseXlsx(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
            "")
            << file;
    }
}

} // namespace
} // namespace rowbit
