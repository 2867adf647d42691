#include "about/about_text.h"

#include <vector>

namespace rowbit {

namespace {

std::vector<std::string_view> splitPoints(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto point = text.find('.', start);
        parts.push_back(text.substr(start, point - start));
        if (point == std::string_view::npos)
            return parts;
        start = point + 1;
    }
}

} // namespace

std::string fourPartVersion(std::string_view version) {
    if (version.empty())
        return {};
    std::vector<std::string_view> parts = splitPoints(version);
    parts.resize(4);
    std::string four;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            four += '.';
        four += parts[i].empty() ? std::string_view("0") : parts[i];
    }
    return four;
}

std::string ownVersion() {
    return fourPartVersion(ROWBIT_VERSION);
}

std::string aboutText(std::string_view version, const WebAddresses& addresses) {
    const auto parts = splitPoints(version);
    std::string shortVersion(parts[0]);
    if (parts.size() > 1)
        shortVersion += "." + std::string(parts[1]);
    std::vector<std::string> lines = {
        "",
        "Ver " + shortVersion,
        "",
        "본 프로그램은 개인.회사.기관 모두 무료로 사용할 수 있습니다.",
        "같은 통합문서를 명령줄에서 다루는 rowbit-cli 도 함께 써 보세요.",
        "목록, 검색, 합계, 보고서를 스크립트에서 그대로 얻을 수 있습니다.",
        "",
        "만든 곳 : Rowbit 개발팀",
    };
    const std::pair<const char*, const std::string*> places[] = {
        {"홈페이지 : ", &addresses.product},
        {"사용자 모임 : ", &addresses.community},
        {"내려받기 : ", &addresses.download},
    };
    for (const auto& [label, address] : places) {
        if (!address->empty())
            lines.push_back(label + *address);
    }
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

} // namespace rowbit
