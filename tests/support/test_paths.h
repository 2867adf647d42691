#pragma once
// Where tests find their inputs, and a scratch folder per test.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit::testing {

// Workbooks written by other programs (tests/data/real), read-only.
inline std::filesystem::path realWorkbooks() {
    return ROWBIT_REAL_WORKBOOKS;
}
inline std::filesystem::path testData() {
    return ROWBIT_TEST_DATA;
}
// The project's checkout: samples/, fuzz/regressions/ and the tests' own scripts.
inline std::filesystem::path sourceRoot() {
    return ROWBIT_SOURCE_ROOT;
}
inline std::filesystem::path cliPath() {
    return ROWBIT_CLI;
}

// A test input that must be there: throws, naming the path, when it is not, so that the
// test fails instead of passing on nothing. realWorkbook("xls/poi-Simple.xls").
std::filesystem::path requireInput(const std::filesystem::path& path);
inline std::filesystem::path realWorkbook(const std::string& relative) {
    return requireInput(realWorkbooks() / relative);
}
// The files of an input folder whose extension (lower case, with its dot) is one of
// `extensions` (every file when none is given), sorted; throws, naming the folder, when it
// is missing or holds none.
std::vector<std::filesystem::path> inputFiles(const std::filesystem::path& folder,
                                              std::initializer_list<std::string_view> extensions);

// A fresh, empty folder under the system's temporary folder, removed by the destructor.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace rowbit::testing
