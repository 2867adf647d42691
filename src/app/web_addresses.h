#pragma once
// Every address the program may reach or show: the version endpoint, the download page, the
// product page and the community page. Packagers set them when they build (the CMake cache
// variables ROWBIT_VERSION_URL, ROWBIT_DOWNLOAD_URL, ROWBIT_HOME_URL and
// ROWBIT_COMMUNITY_URL); the preferences may replace each one. All are empty by default: the
// program then asks no server anything and opens no page.

#include <string>

namespace rowbit {

struct WebAddresses {
    std::string version;   // HTTP; its answer's 7th character on is the latest version
    std::string download;  // where a newer version can be had
    std::string product;   // the product page (the first banner)
    std::string community; // the users' community page (the second banner)
    bool operator==(const WebAddresses&) const = default;
};

// The addresses this program was built with.
WebAddresses builtInAddresses();

// Told when a button or link has no address to open.
inline constexpr const char* kNoAddressMessage = "연결할 웹 주소가 설정되어 있지 않습니다.";

} // namespace rowbit
