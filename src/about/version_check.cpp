#include "about/version_check.h"

namespace rowbit {

namespace {

// Blanks, tabs and line ends: an answer often ends in a line break.
std::string_view trimSpace(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

} // namespace

std::optional<std::string> latestInAnswer(std::string_view answer) {
    if (answer.size() < kAnswerMin || answer.size() > kAnswerMax)
        return std::nullopt;
    // The answer is taken as a C string: a NUL ends it.
    answer = answer.substr(0, answer.find('\0'));
    constexpr std::size_t kPrefix = 6;
    return std::string(answer.size() > kPrefix ? answer.substr(kPrefix) : std::string_view{});
}

std::string reduceVersion(std::string_view version) {
    const std::string_view text = trimSpace(version);
    std::string reduced;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= '0' && c <= '9') || c == '.' || (c == '-' && i == 0))
            reduced += c;
    }
    return reduced;
}

std::optional<UpdateNotice> decideUpdate(std::string_view answer, std::string_view own) {
    const auto latest = latestInAnswer(answer);
    if (!latest)
        return std::nullopt;
    if (trimSpace(own).empty())
        return std::nullopt;
    if (trimSpace(*latest) == trimSpace(own))
        return std::nullopt;
    // Compared as texts, character by character (so 1.10 counts as older than 1.9).
    if (reduceVersion(*latest) <= reduceVersion(own))
        return std::nullopt;
    return UpdateNotice{std::string(own), std::string(trimSpace(*latest))};
}

} // namespace rowbit
