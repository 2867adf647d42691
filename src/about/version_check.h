#pragma once
// The version check's decisions: what of the endpoint's answer is the latest version, how two
// version texts compare, and whether the update notice is shown. The fetching and the notice
// itself live in ui/.

#include <optional>
#include <string>
#include <string_view>

namespace rowbit {

// The addresses asked and opened come from app/web_addresses.h: with no version address there
// is no check at all.

// Answers shorter or longer than these are not a version text (an error page, nothing).
inline constexpr std::size_t kAnswerMin = 2;
inline constexpr std::size_t kAnswerMax = 20;

// The update notice's texts.
inline constexpr const char* kNoticeCaption = "Confirm";
inline constexpr const char* kNoticeLine1 = "※ 현재 사용중인 버전 보다 최신버전이 있습니다.";
inline constexpr const char* kNoticeLine2 = "아래 주소에서 다운 받을 수 있습니다.";
inline constexpr const char* kNoticeCurrent = "현재 버전 :";
inline constexpr const char* kNoticeLatest = "최신 버전 :";
inline constexpr const char* kNoticeOk = "확 인";
inline constexpr const char* kNoticeCancel = "취 소";

// The latest version in an answer: the text from its 7th character on (up to a NUL), or
// nullopt when the answer's length is outside kAnswerMin..kAnswerMax.
std::optional<std::string> latestInAnswer(std::string_view answer);

// A version text reduced to its digits and points, keeping a minus sign that leads it.
std::string reduceVersion(std::string_view version);

// What the notice shows: the program's own version and the latest one as received (the blanks
// and line ends around it aside).
struct UpdateNotice {
    std::string current;
    std::string latest;
    bool operator==(const UpdateNotice&) const = default;
};

// Whether `answer` from the endpoint calls for the notice, given the own version `own`.
// Nothing when the answer is not a version text, when both versions are the same (blanks and
// line ends around them aside), when the latest is not greater compared as reduced texts, or
// when the own version is blank (unknown: nothing can be said to be newer than it).
std::optional<UpdateNotice> decideUpdate(std::string_view answer, std::string_view own);

} // namespace rowbit
