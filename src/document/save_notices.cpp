#include "document/save_notices.h"

namespace rowbit {

std::string saveNoticesMessage(const std::vector<SaveNotice>& notices) {
    struct Sentence {
        SaveNotice::Kind kind;
        const char* text;
    };
    static constexpr Sentence sentences[] = {
        {SaveNotice::Kind::MergeKept,
         "여러 줄에 걸친 셀 병합은 레코드를 따라 옮길 수 없어 제자리에 두었습니다: "},
        {SaveNotice::Kind::MergeUndone,
         "여러 줄에 걸친 셀 병합이 옮긴 레코드의 값을 가리게 되어 병합을 풀었습니다: "},
        {SaveNotice::Kind::ArrayToValues,
         "여러 줄에 걸친 배열 수식은 레코드를 따라 옮길 수 없어 값으로 바꾸었습니다: "},
        {SaveNotice::Kind::RefDeleted, "삭제한 레코드의 셀을 가리키던 수식은 #REF!가 되었습니다: "},
        {SaveNotice::Kind::FormulaKept,
         "레코드를 옮기면 범위가 나뉘는 수식은 그대로 두고 계산된 값을 남겼습니다: "},
    };
    // A sort of a long list may touch a formula in every record: the message names the first
    // few places and counts the rest.
    constexpr std::size_t kPlacesNamed = 10;
    std::string message;
    for (const Sentence& s : sentences) {
        std::string ranges;
        std::size_t count = 0;
        for (const SaveNotice& n : notices) {
            if (n.kind != s.kind)
                continue;
            if (++count > kPlacesNamed)
                continue;
            if (!ranges.empty())
                ranges += ", ";
            ranges += n.sheet + "!" + n.range;
        }
        if (count == 0)
            continue;
        if (count > kPlacesNamed)
            ranges += " 외 " + std::to_string(count - kPlacesNamed) + "곳";
        if (!message.empty())
            message += "|";
        message += s.text + ranges;
    }
    return message;
}

} // namespace rowbit
