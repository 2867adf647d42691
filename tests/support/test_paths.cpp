#include "support/test_paths.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace rowbit::testing {

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
