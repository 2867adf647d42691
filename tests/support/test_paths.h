#pragma once
// Where tests find their inputs, and a scratch folder per test.

#include <filesystem>
#include <string>

namespace rowbit::testing {

inline std::filesystem::path sharedTestData() {
    return ROWBIT_SHARED_TESTDATA;
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
