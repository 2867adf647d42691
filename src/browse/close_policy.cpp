#include "browse/close_policy.h"

namespace rowbit {

namespace {
constexpr int kYes = 1;
constexpr int kNo = 2;
} // namespace

MessageRequest closeQuestion() {
    return MessageRequest{"변경내용이 있습니다. 저장할까요?", "확인", "예|아니오|취소",
                          PromptIcon::Information, kYes};
}

CloseStep nextCloseStep(bool modified, std::optional<int> answer, std::optional<bool> saved) {
    if (!modified)
        return CloseStep::Close;
    if (!answer)
        return CloseStep::Ask;
    if (*answer == kNo)
        return CloseStep::Close;
    if (*answer != kYes)
        return CloseStep::Stay;
    if (!saved)
        return CloseStep::Save;
    // A save the user cancelled (no name, or a file changed on the disk kept) or one that
    // failed (the user was told why) leaves nothing lost by staying.
    return *saved ? CloseStep::Close : CloseStep::Stay;
}

} // namespace rowbit
