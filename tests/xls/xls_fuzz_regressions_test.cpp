// Inputs the fuzzer found (fuzz/regressions/xls_load_fuzz), replayed through exactly what the
// fuzz target does with them.
#include "fuzz_bodies.h"
#include "support/test_paths.h"
#include "xls/xls_test_support.h"

#include <gtest/gtest.h>

namespace rowbit::xls {
namespace {

TEST(XlsFuzzRegressions, ReplayWithoutCrashing) {
    const auto dir = rowbit::testing::sourceRoot() / "fuzz" / "regressions" / "xls_load_fuzz";
    for (const auto& file : rowbit::testing::inputFiles(dir, {})) {
        const auto bytes = testing::readBytes(file.string());
        EXPECT_EQ(fuzz::exerciseXls(bytes.data(), bytes.size()), "") << file;
    }
}

} // namespace
} // namespace rowbit::xls
