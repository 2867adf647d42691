// The store of kept versions in a scratch data folder: which versions stay after each save,
// and why a version cannot be kept.
#include "app/preferences.h"
#include "app/version_store.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace rowbit {
namespace {

using testing::ScratchDir;

// Writes `size` bytes starting "save N" at `path`, last written `n` minutes after a fixed day.
void writeSave(const std::filesystem::path& path, int n, std::size_t size) {
    std::string text = "save " + std::to_string(n) + "\n";
    text.resize(std::max(size, text.size()), '.');
    std::ofstream(path, std::ios::binary) << text;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1'780'000'000 + n * 60, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

int saveNumberOf(const std::filesystem::path& version) {
    std::ifstream in(version, std::ios::binary);
    std::string word;
    int n = -1;
    in >> word >> n;
    return n;
}

TEST(VersionStore, KeepsTheNewestOfEachWorkbookWithinTheSizeCap) {
    struct Case {
        const char* what;
        VersionLimits limits;
        std::vector<std::pair<int, std::size_t>> saves; // (workbook 0 or 1, size), in order
        std::vector<int> kept[2];                       // save numbers listed, newest first
    };
    const Case cases[] = {
        {"the sixth save rotates the first out",
         {5, 1 << 20},
         {{0, 10}, {0, 10}, {0, 10}, {0, 10}, {0, 10}, {0, 10}},
         {{5, 4, 3, 2, 1}, {}}},
        {"a workbook of the same name in another folder keeps its own five",
         {5, 1 << 20},
         {{0, 10},
          {1, 10},
          {0, 10},
          {1, 10},
          {0, 10},
          {1, 10},
          {0, 10},
          {1, 10},
          {0, 10},
          {1, 10},
          {0, 10},
          {1, 10},
          {1, 10}},
         {{10, 8, 6, 4, 2}, {12, 11, 9, 7, 5}}},
        {"past the size cap the oldest of any workbook go first",
         {5, 100},
         {{0, 40}, {1, 40}, {0, 40}, {1, 10}},
         {{2}, {3, 1}}},
        {"the version just kept stays even when it alone fills the cap",
         {5, 100},
         {{0, 40}, {1, 100}},
         {{}, {1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const VersionStore store(dir / "data" / "versions", c.limits);
        const std::filesystem::path books[2] = {dir / "a" / "Sales.xls", dir / "b" / "Sales.xls"};
        for (const auto& book : books)
            std::filesystem::create_directories(book.parent_path());
        for (std::size_t n = 0; n < c.saves.size(); ++n) {
            const auto& book = books[c.saves[n].first];
            writeSave(book, static_cast<int>(n), c.saves[n].second);
            const KeepOutcome kept =
                store.keep(book.string(), book.string(), *identityOf(book.string()));
            ASSERT_FALSE(kept.error) << kept.error->describe();
            store.rotate(book.string(), kept.kept);
            std::filesystem::remove(book); // as the save's rename does to the old name
        }
        for (int b = 0; b < 2; ++b) {
            std::vector<int> listed;
            for (const KeptVersion& version : store.list(books[b].string())) {
                listed.push_back(saveNumberOf(version.path));
                EXPECT_TRUE(version.path.filename().string().starts_with("Sales_"));
                EXPECT_EQ(version.path.extension(), ".xls");
            }
            EXPECT_EQ(listed, c.kept[b]) << "workbook " << b;
        }
    }
}

// A folder on the workbook's file system gets a hard link, another (a memory file system where
// there is one) a copy: either way the version holds the replaced content and its time. Where
// no version can be kept, the outcome says why.
TEST(VersionStore, KeepsTheContentByLinkOrCopyOrSaysWhyNot) {
    const std::filesystem::path shm = "/dev/shm";
    const bool shmThere = std::filesystem::is_directory(shm) && ::access(shm.c_str(), W_OK) == 0;
    struct Case {
        const char* what;
        bool otherFileSystem;
        bool folderIsAFile;
        std::uint64_t totalBytes;
        VersionProblem problem;
    };
    const Case cases[] = {
        {"the same file system", false, false, 1 << 20, VersionProblem::None},
        {"another file system", true, false, 1 << 20, VersionProblem::None},
        {"a data folder that is a file", false, true, 1 << 20, VersionProblem::NotWritable},
        {"a file larger than all versions may be", false, false, 10, VersionProblem::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::filesystem::path data = c.otherFileSystem && shmThere
                                               ? shm / ("rowbit-test-" + std::to_string(::getpid()))
                                               : dir / "data";
        if (c.folderIsAFile)
            std::ofstream(data) << "not a folder";
        const VersionStore store(data / "versions", {5, c.totalBytes});
        const auto book = dir / "Sales.xlsx";
        writeSave(book, 7, 40);
        const FileIdentity was = *identityOf(book);
        const KeepOutcome kept = store.keep(book.string(), book.string(), was);
        EXPECT_EQ(kept.problem, c.problem);
        EXPECT_EQ(kept.error.has_value(), c.problem != VersionProblem::None);
        if (c.problem == VersionProblem::None) {
            const FileIdentity version = *identityOf(kept.kept);
            EXPECT_EQ(saveNumberOf(kept.kept), 7);
            EXPECT_EQ(version.mtimeSeconds, was.mtimeSeconds);
            EXPECT_EQ(version.inode == was.inode, version.device == was.device);
        }
        std::filesystem::remove_all(data);
    }
}

TEST(VersionStore, OnlyKeepVersionsZeroTurnsKeepingOff) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"[Rowbit]\nKeepVersions=0\n", false},
        {"[Rowbit]\nKeepVersions = 0 \n", false},
        {"[Rowbit]\nKeepVersions=1\n", true},
        {"[Other]\nKeepVersions=0\n", true},
    };
    for (const auto& [ini, keeps] : cases) {
        SCOPED_TRACE(ini);
        ScratchDir dir;
        std::ofstream(dir / kPreferencesFile) << ini;
        EXPECT_EQ(Preferences(dir.path()).readKeepVersions(), keeps);
    }
}

} // namespace
} // namespace rowbit
