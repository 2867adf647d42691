// Inputs the fuzzer found (fuzz/regressions/xls_load_fuzz), replayed through everything the
// fuzz target does: load, read, write, move rows and build the stream again.
#include "support/test_paths.h"
#include "workbook/xls/xls_book.h"
#include "workbook/xls/xls_model.h"
#include "xls/xls_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rowbit::xls {
namespace {

namespace fs = std::filesystem;

TEST(XlsFuzzRegressions, ReplayWithoutCrashing) {
    const fs::path dir = rowbit::testing::testData().parent_path().parent_path() / "fuzz" /
                         "regressions" / "xls_load_fuzz";
    ASSERT_TRUE(fs::exists(dir)) << dir;
    int replayed = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        const auto bytes = testing::readBytes(e.path().string());
        auto book = loadXlsBookFromMemory(bytes.data(), bytes.size(), e.path().string());
        ++replayed;
        if (!book) {
            EXPECT_FALSE(book.error().message.empty());
            continue;
        }
        auto* xls = dynamic_cast<XlsBook*>(book->get());
        for (int i = 0; i < xls->sheetCount(); ++i) {
            Sheet* s = xls->sheet(i);
            for (int r = 0; r < std::min(s->lastRow(), 2000); ++r) {
                for (int c = 0; c < s->lastCol(); ++c)
                    (void)s->readStr(r, c);
            }
        }
        if (xls->sheetCount() > 0) {
            xls->sheet(0)->writeStr(0, 0, "x");
            const RowMove moves[] = {{0, 1}, {1, 0}};
            EXPECT_TRUE(xls->sheet(0)->moveRows(moves));
        }
        auto stream = xls->buildStream();
        EXPECT_TRUE(stream) << e.path();
    }
    EXPECT_GT(replayed, 0);
}

} // namespace
} // namespace rowbit::xls
