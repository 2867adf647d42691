#include "support/test_paths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace rowbit::testing {

std::filesystem::path requireInput(const std::filesystem::path& path) {
    if (!std::filesystem::exists(path))
        throw std::runtime_error("missing test input: " + path.string());
    return path;
}

std::vector<std::filesystem::path> inputFiles(const std::filesystem::path& folder,
                                              std::initializer_list<std::string_view> extensions) {
    if (!std::filesystem::is_directory(folder))
        throw std::runtime_error("missing test input folder: " + folder.string());
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        if (!e.is_regular_file())
            continue;
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extensions.size() == 0 ||
            std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
            files.push_back(e.path());
    }
    if (files.empty())
        throw std::runtime_error("no test inputs in " + folder.string());
    std::sort(files.begin(), files.end());
    return files;
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rowbit-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data()))
        path_ = made;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

} // namespace rowbit::testing
