#pragma once
// The program's own version and the About window's text.

#include "app/web_addresses.h"

#include <string>
#include <string_view>

namespace rowbit {

inline constexpr const char* kAboutCaption = "About Rowbit";
inline constexpr const char* kAboutClose = "닫 기";

// A dotted version padded or cut to four numbers: "1.2" and "1.2.0" give "1.2.0.0". Blank
// stays blank.
std::string fourPartVersion(std::string_view version);

// The version this program was built as, in four numbers (1.2.0.0).
std::string ownVersion();

// The About text for `version` (four numbers): lines joined by CR LF, starting with an empty
// line, then "Ver" with the first two numbers, the free-use line, and where to find us: the
// addresses of `addresses` that are set (the version endpoint is no place for a reader).
std::string aboutText(std::string_view version, const WebAddresses& addresses);

} // namespace rowbit
