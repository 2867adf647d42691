#include "document/save_notices.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

using Kind = SaveNotice::Kind;

TEST(SaveNotices, OneSentencePerKindNamingAFewPlacesAndCountingTheRest) {
    std::vector<SaveNotice> many;
    for (int i = 1; i <= 13; ++i)
        many.push_back({Kind::FormulaKept, "Data", "C" + std::to_string(i)});
    struct Case {
        std::vector<SaveNotice> notices;
        std::string wanted;
    } cases[] = {
        {{}, ""},
        {{{Kind::RefDeleted, "Totals", "A3"},
          {Kind::MergeKept, "Data", "B2:C4"},
          {Kind::RefDeleted, "Data", "D7"}},
         "여러 줄에 걸친 셀 병합은 레코드를 따라 옮길 수 없어 제자리에 두었습니다: Data!B2:C4|"
         "삭제한 레코드의 셀을 가리키던 수식은 #REF!가 되었습니다: Totals!A3, Data!D7"},
        {many, "레코드를 옮기면 범위가 나뉘는 수식은 그대로 두고 계산된 값을 남겼습니다: "
               "Data!C1, Data!C2, Data!C3, Data!C4, Data!C5, Data!C6, Data!C7, Data!C8, "
               "Data!C9, Data!C10 외 3곳"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(saveNoticesMessage(c.notices), c.wanted);
}

} // namespace
} // namespace rowbit
