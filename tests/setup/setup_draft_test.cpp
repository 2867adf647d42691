#include "setup/setup_draft.h"

#include "support/memory_book.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <functional>

namespace rowbit {
namespace {

// Five used slots on B..F (text 25, date, number with a formula, text, text), memo in H.
ColumnSetup fiveColumns() {
    ColumnSetup g1;
    const char* types[] = {"S", "D", "N", "S", "S"};
    const int sizes[] = {25, 12, 20, 30, 8};
    for (int i = 0; i < kMaxColumns; ++i) {
        g1.type[i] = i < 5 ? types[i] : "S";
        g1.size[i] = i < 5 ? sizes[i] : 30;
        g1.justify[i] = i == 1 ? "C" : i == 2 ? "R" : "L";
    }
    for (int i = 0; i < 5; ++i) {
        g1.cno[i] = i + 2;
        g1.cname[i] = "제목" + std::to_string(i + 1);
        g1.formula[i] = "=" + std::to_string(i);
    }
    g1.ccount = 5;
    g1.mno = 8;
    g1.mname = "비고";
    g1.mwsize = 40;
    g1.mhsize = 3;
    g1.startline = 2;
    return g1;
}

// The dialog opened on `g1` with ACTION 2, its first Calc_Fields run.
struct Dialog {
    AppState state;
    testing::ScriptedPrompts prompts;
    SetupDraft draft;
    explicit Dialog(const ColumnSetup& g1) {
        state.g1 = g1;
        state.action = kActionChange;
        draft = openDraft(g1);
        calcFields(draft);
    }
    SetupConfirmation ok(std::deque<int> answers = {}) {
        prompts.messageAnswers = std::move(answers);
        return confirmSetup(draft, state, prompts);
    }
};

TEST(SetupDraft, OkUntouchedAsksNothingAndLeftAlignsDates) {
    Dialog d(fiveColumns());
    EXPECT_EQ(d.ok().outcome, SetupOutcome::Relayout);
    EXPECT_TRUE(d.prompts.asked.empty());
    EXPECT_EQ(d.state.action, kActionDone);
    EXPECT_EQ(d.state.changed, 0);
    ColumnSetup expected = fiveColumns();
    expected.justify[1] = "L";
    EXPECT_EQ(d.state.g1, expected);
}

TEST(SetupDraft, BlankingSlotThreeOfFiveAsksAndKeepsTheRestUnused) {
    Dialog no(fiveColumns());
    no.draft.cno[2].clear();
    EXPECT_EQ(no.ok({2}).outcome, SetupOutcome::Cancelled);
    EXPECT_EQ(no.prompts.messageTexts(),
              (std::vector<std::string>{kReloadQuestion, kSetupCancelled}));
    EXPECT_EQ(no.prompts.messages[0].defaultButton, 2);
    EXPECT_EQ(no.state.g1, fiveColumns());
    EXPECT_EQ(no.state.action, kActionChange);

    Dialog yes(fiveColumns());
    yes.draft.cno[2].clear();
    calcFields(yes.draft);
    EXPECT_EQ(yes.draft.cname[2] + yes.draft.type[2] + std::to_string(yes.draft.size[2]), "0");
    EXPECT_EQ(yes.ok({1}).outcome, SetupOutcome::Reload);
    EXPECT_EQ(yes.state.action, kActionReload);
    EXPECT_EQ(yes.state.changed, 1);
    ColumnSetup expected = fiveColumns();
    expected.ccount = 2;
    expected.cno[2] = 0;
    expected.justify.fill("L");
    expected.type[2] = expected.type[3] = expected.type[4] = "S";
    expected.size[1] = 12;
    expected.size[2] = expected.size[3] = expected.size[4] = 30;
    EXPECT_EQ(yes.state.g1, expected);
    // The kept slots show again at the next opening, without being used.
    const SetupDraft again = openDraft(yes.state.g1);
    EXPECT_EQ(again.cno[3] + again.cname[4], "E제목5");
    EXPECT_FALSE(needsReload(again, yes.state.g1));
}

TEST(SetupDraft, StoredTypeSizeAndAlignment) {
    struct Case {
        std::string type, storedType, justify;
        int size;
    };
    const Case cases[] = {{"N", "N", "R", 20},
                          {"D", "D", "L", 12},
                          {"S", "S", "L", 7},
                          {"", "S", "L", 7},
                          {"X", "S", "L", 7}};
    for (const Case& c : cases) {
        Dialog d(fiveColumns());
        d.draft.type[0] = c.type;
        d.draft.size[0] = 7;
        ASSERT_TRUE(saveToFile(d.draft, d.state.g1).ok());
        const ColumnSetup& g1 = d.state.g1;
        EXPECT_EQ(g1.type[0] + g1.justify[0] + std::to_string(g1.size[0]) + g1.formula[0],
                  c.storedType + c.justify + std::to_string(c.size) + "=0")
            << c.type;
    }
}

TEST(SetupDraft, NewAndReletteredSlots) {
    Dialog d(fiveColumns());
    // A slot empty at opening is String of 30 for as long as it has a letter.
    d.draft.cno[5] = "K";
    d.draft.type[5] = "N";
    d.draft.size[5] = 4;
    d.draft.cname[5] = "새칸";
    calcFields(d.draft);
    EXPECT_EQ(d.draft.type[5] + std::to_string(d.draft.size[5]) + d.draft.cname[5], "S30새칸");
    // A used slot blanked and lettered again stays empty, then needs a size.
    d.draft.cno[1].clear();
    calcFields(d.draft);
    d.draft.cno[1] = "Q";
    calcFields(d.draft);
    EXPECT_EQ(d.draft.type[1] + std::to_string(d.draft.size[1]), "0");
    const auto result = d.ok({1});
    EXPECT_FALSE(result.outcome);
    EXPECT_EQ(result.focus, "?LOC:SIZE_2");
    EXPECT_EQ(d.prompts.messageTexts().back(), kSizeMissing);
    EXPECT_EQ(d.state.g1, fiveColumns());
    EXPECT_EQ(d.state.action, kActionChange);
}

TEST(SetupDraft, WhatAsksForAReRead) {
    using Edit = std::function<void(SetupDraft&)>;
    const std::pair<Edit, bool> cases[] = {
        {[](SetupDraft& d) { d.cname[0] = "새 제목"; }, false},
        {[](SetupDraft& d) { d.formula[2] = "=A1*2"; }, false},
        {[](SetupDraft& d) { d.type[0] = "N"; }, false},
        {[](SetupDraft& d) { d.mname = "메모"; }, false},
        {[](SetupDraft& d) { d.mwsize = 80; }, false},
        {[](SetupDraft& d) { d.startline = 3; }, true},
        {[](SetupDraft& d) { d.cno[1] = "Z"; }, true},
        {[](SetupDraft& d) { d.mno.clear(); }, true},
        {[](SetupDraft& d) { d.cno[4].clear(); }, true},
        {[](SetupDraft& d) { d.cno[5] = "A"; }, true},
    };
    int n = 0;
    for (const auto& [edit, reload] : cases) {
        Dialog d(fiveColumns());
        edit(d.draft);
        EXPECT_EQ(needsReload(d.draft, d.state.g1), reload) << "case " << n++;
    }
}

TEST(SetupDraft, MemoDefaultsAndLowBits) {
    struct Case {
        std::string mno, mname;
        int width, height;
        std::string stored;
    };
    const Case cases[] = {{"C", "", 0, 0, "3 Memo 50 5"},
                          {"C", "비고", 60, 0, "3 비고 60 5"},
                          {"", "", 0, 0, "0  0 0"}};
    for (const Case& c : cases) {
        Dialog d(ColumnSetup{});
        ASSERT_TRUE(setMemo(d.draft, c.mno, c.mname, c.width, c.height).ok());
        ASSERT_TRUE(saveToFile(d.draft, d.state.g1).ok());
        const ColumnSetup& g1 = d.state.g1;
        EXPECT_EQ(std::to_string(g1.mno) + " " + g1.mname + " " + std::to_string(g1.mwsize) + " " +
                      std::to_string(g1.mhsize),
                  c.stored);
    }
    ColumnSetup wide = fiveColumns();
    wide.mwsize = 300;
    Dialog d(wide);
    EXPECT_EQ(d.draft.mwsize, 44);
    EXPECT_EQ(d.ok().outcome, SetupOutcome::Relayout);
    EXPECT_EQ(d.state.g1.mwsize, 44);
}

TEST(SetupDraft, StartRowAbove32767IsRefusedAtItsField) {
    for (const long long startline : {32767LL, 32768LL}) {
        Dialog d(fiveColumns());
        d.draft.startline = startline;
        const auto result = d.ok({1});
        EXPECT_EQ(result.outcome.has_value(), startline == 32767);
        EXPECT_EQ(d.state.g1.startline, startline == 32767 ? 32767 : 2);
        EXPECT_EQ(result.focus, startline == 32767 ? "" : "?LOC:STARTLINE");
    }
}

TEST(SetupDraft, AReReadOffersTheLookupListsOfTheNewLetters) {
    Dialog d(fiveColumns());
    d.state.g1.btn[0] = 1;
    auto book = std::make_unique<testing::MemoryBook>();
    book->addSheet("Data");
    static_cast<testing::MemorySheet*>(book->addSheet("SetupQ"))
        ->setCell(30, 25, testing::text("가")); // Z31
    d.state.book = std::move(book);
    d.draft.cno[0] = "Z";
    d.draft.cno[1] = "A";
    EXPECT_EQ(d.ok({1}).outcome, SetupOutcome::Reload);
    EXPECT_EQ(d.state.g1.btn[0] * 10 + d.state.g1.btn[1], 10);
}

TEST(SetupDraft, EditsFromOutsideTheDialogKeepItsLimits) {
    const std::pair<SlotInput, bool> cases[] = {
        {{"A", "가나다라마바사아", "S", 9999, std::string(30, 'x')}, true},
        {{"a", "", "S", 30, ""}, false},
        {{"AA", "", "S", 30, ""}, false},
        {{"A", "가나다라마바사아자", "S", 30, ""}, false},
        {{"A", "", "S", 30, std::string(31, 'x')}, false},
        {{"A", "", "SN", 30, ""}, false},
        {{"A", "", "S", 10000, ""}, false},
    };
    for (const auto& [input, ok] : cases) {
        SetupDraft draft;
        EXPECT_EQ(setSlot(draft, 0, input).ok(), ok) << input.letter << input.title;
    }
    SetupDraft draft;
    EXPECT_FALSE(setMemo(draft, "H", "메모", 256, 0).ok());
    EXPECT_FALSE(setStartLine(draft, -1).ok());
}

} // namespace
} // namespace rowbit
