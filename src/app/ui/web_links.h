#pragma once
// The program's pages on the web, opened by the banner buttons of the browse window.

namespace rowbit::ui {

inline constexpr const char* kHomePage = "https://rowbit.example.org/";
inline constexpr const char* kCommunityPage = "https://rowbit.example.org/community/";

} // namespace rowbit::ui
