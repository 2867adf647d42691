#include "support/test_paths.h"
#include "workbook/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace rowbit {
namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

Result<void> writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return out ? Result<void>{} : makeError(ErrorCode::Io, "write failed", path);
}

std::size_t filesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

TEST(AtomicSave, ReplacesTheTargetAndKeepsItsPermissions) {
    testing::ScratchDir dir;
    const auto target = dir / "book.xls";
    ASSERT_TRUE(writeText(target.string(), "old").ok());
    ::chmod(target.c_str(), 0640);

    auto saved = saveAtomically(target.string(),
                                [](const std::string& temp) { return writeText(temp, "new"); });
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_EQ(slurp(target), "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(filesIn(dir.path()), 1u); // no temporary file left behind
}

TEST(AtomicSave, AFailingWriterLeavesTheOriginalAndNoLeftovers) {
    testing::ScratchDir dir;
    const auto target = dir / "book.xls";
    ASSERT_TRUE(writeText(target.string(), "original").ok());

    auto saved = saveAtomically(target.string(), [](const std::string& temp) -> Result<void> {
        (void)writeText(temp, "half");
        return makeError(ErrorCode::Io, "disk full", temp);
    });
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().message, "disk full");
    EXPECT_EQ(slurp(target), "original");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(AtomicSave, AMissingFolderIsAnErrorNotACrash) {
    testing::ScratchDir dir;
    const auto target = dir / "no-such-folder" / "book.xls";
    auto saved = saveAtomically(target.string(),
                                [](const std::string& temp) { return writeText(temp, "x"); });
    EXPECT_FALSE(saved.ok());
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(AtomicSave, SavingThroughASymlinkReplacesTheLinkedFile) {
    testing::ScratchDir dir;
    const auto real = dir / "real.xls";
    const auto link = dir / "link.xls";
    ASSERT_TRUE(writeText(real.string(), "old").ok());
    std::filesystem::create_symlink(real, link);

    ASSERT_TRUE(saveAtomically(link.string(), [](const std::string& temp) {
                    return writeText(temp, "new");
                }).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(slurp(real), "new");
}

} // namespace
} // namespace rowbit
