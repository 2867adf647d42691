#include "browse/close_policy.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

TEST(ClosePolicy, StepsFromWhatIsKnown) {
    struct Case {
        bool modified;
        std::optional<int> answer;
        std::optional<bool> saved;
        CloseStep step;
    };
    const Case cases[] = {
        {false, std::nullopt, std::nullopt, CloseStep::Close}, // nothing to ask about
        {true, std::nullopt, std::nullopt, CloseStep::Ask},
        {true, 1, std::nullopt, CloseStep::Save},  // 예
        {true, 1, true, CloseStep::Close},         // saved
        {true, 1, false, CloseStep::Stay},         // save cancelled or failed
        {true, 2, std::nullopt, CloseStep::Close}, // 아니오
        {true, 3, std::nullopt, CloseStep::Stay},  // 취소
        {true, 0, std::nullopt, CloseStep::Stay},  // Esc or the close box
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nextCloseStep(c.modified, c.answer, c.saved), c.step)
            << c.modified << " " << c.answer.value_or(-1) << " " << c.saved.value_or(-1);
    }
    const MessageRequest asked = closeQuestion();
    EXPECT_EQ(asked.text, "변경내용이 있습니다. 저장할까요?");
    EXPECT_EQ(asked.caption, "확인");
    EXPECT_EQ(asked.buttons, "예|아니오|취소");
    EXPECT_EQ(asked.icon, PromptIcon::Information);
    EXPECT_EQ(asked.defaultButton, 1);
}

} // namespace
} // namespace rowbit
