#include "setup/setup_draft.h"

#include "support/memory_book.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <functional>

namespace rowbit {
namespace {

using testing::ScriptedPrompts;

// Five used slots (B text 25, C date, D number with a formula, E and F text), a memo in H.
ColumnSetup fiveColumns() {
    ColumnSetup g1;
    const char* types[] = {"S", "D", "N", "S", "S"};
    const int sizes[] = {25, 12, 20, 30, 8};
    const char* justify[] = {"L", "C", "R", "L", "L"};
    for (int i = 0; i < kMaxColumns; ++i) {
        g1.type[i] = "S";
        g1.justify[i] = "L";
        g1.size[i] = 30;
    }
    for (int i = 0; i < 5; ++i) {
        g1.cno[i] = i + 2;
        g1.cname[i] = "제목" + std::to_string(i + 1);
        g1.type[i] = types[i];
        g1.size[i] = sizes[i];
        g1.justify[i] = justify[i];
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

struct Dialog {
    AppState state;
    ScriptedPrompts prompts;
    SetupDraft draft;
    explicit Dialog(const ColumnSetup& g1) {
        state.g1 = g1;
        state.action = kActionChange;
        draft = openDraft(state.g1);
        calcFields(draft);
    }
    SetupConfirmation ok() { return confirmSetup(draft, state, prompts); }
};

TEST(SetupDraft, OkUntouchedAsksNothingAndRewritesTheSetup) {
    Dialog d(fiveColumns());
    const auto result = d.ok();
    EXPECT_EQ(result.outcome, SetupOutcome::Relayout);
    EXPECT_TRUE(d.prompts.asked.empty());
    EXPECT_EQ(d.state.action, kActionDone);
    EXPECT_EQ(d.state.changed, 0);

    ColumnSetup expected = fiveColumns();
    expected.justify[1] = "L"; // dates are left-aligned until the workbook is read again
    EXPECT_EQ(d.state.g1, expected);
}

TEST(SetupDraft, BlankingSlotThreeOfFive) {
    for (const int answer : {1, 2}) {
        Dialog d(fiveColumns());
        d.draft.cno[2].clear();
        calcFields(d.draft);
        EXPECT_EQ(d.draft.cname[2], "");
        EXPECT_EQ(d.draft.type[2], "");
        EXPECT_EQ(d.draft.size[2], 0);
        d.prompts.messageAnswers = {answer};
        const auto result = d.ok();
        ASSERT_EQ(d.prompts.messages.size(), 2u - (answer == 1));
        const MessageSpec& question = d.prompts.messages[0];
        EXPECT_EQ(question.text, kReloadQuestion);
        EXPECT_EQ(question.caption, "경고");
        EXPECT_EQ(question.buttons, "예(Yes)|아니오(No)");
        EXPECT_EQ(question.defaultButton, 2);
        if (answer == 2) {
            EXPECT_EQ(result.outcome, SetupOutcome::Cancelled);
            EXPECT_EQ(d.prompts.messageTexts()[1], kSetupCancelled);
            EXPECT_EQ(d.state.g1, fiveColumns());
            EXPECT_EQ(d.state.action, kActionChange);
            EXPECT_EQ(d.state.changed, 0);
            continue;
        }
        EXPECT_EQ(result.outcome, SetupOutcome::Reload);
        EXPECT_EQ(d.state.action, kActionReload);
        EXPECT_EQ(d.state.changed, 1);
        const ColumnSetup& g1 = d.state.g1;
        EXPECT_EQ(g1.ccount, 2);
        EXPECT_EQ(g1.cno[2], 0);
        EXPECT_EQ(g1.usedColumns(), 2);
        // Slots 4 and 5 are kept unused, as text of size 30, and show again at the next opening.
        for (int i : {3, 4}) {
            EXPECT_EQ(g1.cno[i], i + 2);
            EXPECT_EQ(g1.cname[i], "제목" + std::to_string(i + 1));
            EXPECT_EQ(g1.formula[i], "=" + std::to_string(i));
            EXPECT_EQ(g1.type[i], "S");
            EXPECT_EQ(g1.size[i], 30);
        }
        SetupDraft again = openDraft(g1);
        calcFields(again);
        EXPECT_EQ(again.cno[3], "E");
        EXPECT_EQ(again.cname[4], "제목5");
        EXPECT_FALSE(needsReload(again, g1));
    }
}

TEST(SetupDraft, StoredTypeSizeAndAlignment) {
    struct Case {
        std::string type;
        int sizeField;
        std::string type_, justify;
        int size;
    };
    const Case cases[] = {
        {"N", 7, "N", "R", 20}, {"D", 7, "D", "L", 12}, {"S", 7, "S", "L", 7},
        {"", 7, "S", "L", 7},   {"X", 7, "S", "L", 7},
    };
    for (const Case& c : cases) {
        Dialog d(fiveColumns());
        d.draft.type[0] = c.type;
        d.draft.size[0] = c.sizeField;
        ASSERT_TRUE(saveToFile(d.draft, d.state.g1).ok()) << c.type;
        EXPECT_EQ(d.state.g1.type[0], c.type_) << c.type;
        EXPECT_EQ(d.state.g1.justify[0], c.justify) << c.type;
        EXPECT_EQ(d.state.g1.size[0], c.size) << c.type;
        EXPECT_EQ(d.state.g1.formula[0], "=0") << "formulas are kept for every type";
    }
}

TEST(SetupDraft, ANewSlotIsStringOfThirtyUntilReopened) {
    Dialog d(fiveColumns());
    d.draft.cno[5] = "K";
    calcFields(d.draft);
    EXPECT_EQ(d.draft.type[5], "S");
    EXPECT_EQ(d.draft.size[5], 30);
    d.draft.type[5] = "N";
    d.draft.size[5] = 4;
    d.draft.cname[5] = "새칸";
    calcFields(d.draft);
    EXPECT_EQ(d.draft.type[5], "S");
    EXPECT_EQ(d.draft.size[5], 30);
    EXPECT_EQ(d.draft.cname[5], "새칸");

    // A used slot blanked and lettered again stays empty and then needs a size.
    d.draft.cno[1].clear();
    calcFields(d.draft);
    d.draft.cno[1] = "Q";
    calcFields(d.draft);
    EXPECT_EQ(d.draft.type[1], "");
    EXPECT_EQ(d.draft.size[1], 0);
    d.prompts.messageAnswers = {1};
    const auto result = d.ok();
    EXPECT_FALSE(result.outcome);
    EXPECT_EQ(result.focus, "?LOC:SIZE_2");
    EXPECT_EQ(d.prompts.messageTexts().back(), kSizeMissing);
    EXPECT_EQ(d.state.g1, fiveColumns());
    EXPECT_EQ(d.state.action, kActionChange);
}

TEST(SetupDraft, WhatAsksForAReRead) {
    struct Case {
        const char* what;
        std::function<void(SetupDraft&)> edit;
        bool reload;
    };
    const Case cases[] = {
        {"title", [](SetupDraft& d) { d.cname[0] = "새 제목"; }, false},
        {"formula", [](SetupDraft& d) { d.formula[2] = "=A1*2"; }, false},
        {"type", [](SetupDraft& d) { d.type[0] = "N"; }, false},
        {"size", [](SetupDraft& d) { d.size[0] = 9; }, false},
        {"memo title", [](SetupDraft& d) { d.mname = "메모"; }, false},
        {"memo size", [](SetupDraft& d) { d.mwsize = 80; }, false},
        {"start row", [](SetupDraft& d) { d.startline = 3; }, true},
        {"letter", [](SetupDraft& d) { d.cno[1] = "Z"; }, true},
        {"memo letter", [](SetupDraft& d) { d.mno = "I"; }, true},
        {"no memo", [](SetupDraft& d) { d.mno.clear(); }, true},
        {"last slot blanked", [](SetupDraft& d) { d.cno[4].clear(); }, true},
        {"slot added", [](SetupDraft& d) { d.cno[5] = "A"; }, true},
    };
    for (const Case& c : cases) {
        Dialog d(fiveColumns());
        c.edit(d.draft);
        calcFields(d.draft);
        EXPECT_EQ(needsReload(d.draft, d.state.g1), c.reload) << c.what;
    }
    // A setup whose count disagrees with its letters is read again whatever was edited.
    ColumnSetup odd = fiveColumns();
    odd.ccount = 6;
    EXPECT_TRUE(needsReload(openDraft(odd), odd));
}

TEST(SetupDraft, MemoDefaultsAndLowBits) {
    struct Case {
        std::string mno, mname;
        int width, height;
        int storedMno;
        std::string storedName;
        int storedWidth, storedHeight;
    };
    const Case cases[] = {
        {"C", "", 0, 0, 3, "Memo", 50, 5},
        {"C", "  ", 0, 7, 3, "Memo", 50, 7},
        {"C", "비고", 60, 0, 3, "비고", 60, 5},
        {"", "", 0, 0, 0, "", 0, 0}, // no memo column: nothing is filled in
    };
    for (const Case& c : cases) {
        Dialog d(ColumnSetup{});
        d.draft.mno = c.mno;
        d.draft.mname = c.mname;
        d.draft.mwsize = c.width;
        d.draft.mhsize = c.height;
        ASSERT_TRUE(saveToFile(d.draft, d.state.g1).ok());
        EXPECT_EQ(d.state.g1.mno, c.storedMno);
        EXPECT_EQ(d.state.g1.mname, c.storedName);
        EXPECT_EQ(d.state.g1.mwsize, c.storedWidth);
        EXPECT_EQ(d.state.g1.mhsize, c.storedHeight);
    }

    ColumnSetup wide = fiveColumns();
    wide.mwsize = 300;
    Dialog d(wide);
    EXPECT_EQ(d.draft.mwsize, 44);
    EXPECT_EQ(d.ok().outcome, SetupOutcome::Relayout);
    EXPECT_EQ(d.state.g1.mwsize, 44);
}

TEST(SetupDraft, StartRowLimit) {
    struct Case {
        long long startline;
        bool stored;
    };
    for (const Case& c : {Case{32767, true}, Case{32768, false}, Case{9999999999LL, false}}) {
        Dialog d(fiveColumns());
        d.draft.startline = c.startline;
        d.prompts.messageAnswers = {1};
        const auto result = d.ok();
        EXPECT_EQ(result.outcome.has_value(), c.stored) << c.startline;
        if (c.stored) {
            EXPECT_EQ(d.state.g1.startline, 32767);
            continue;
        }
        EXPECT_EQ(result.focus, "?LOC:STARTLINE");
        EXPECT_EQ(d.prompts.messageTexts().back(), kStartLineTooLarge);
        EXPECT_EQ(d.state.g1, fiveColumns());
    }
}

TEST(SetupDraft, AReReadOffersTheLookupListsOfTheNewLetters) {
    Dialog d(fiveColumns());
    d.state.g1.btn[0] = 1; // column B had a list
    auto book = std::make_unique<testing::MemoryBook>();
    book->addSheet("Data");
    auto* settings = static_cast<testing::MemorySheet*>(book->addSheet("SetupQ"));
    settings->setCell(30, 25, testing::text("가")); // a list for column Z
    d.state.book = std::move(book);
    d.draft.cno[0] = "Z";
    d.prompts.messageAnswers = {1};
    EXPECT_EQ(d.ok().outcome, SetupOutcome::Reload);
    EXPECT_EQ(d.state.g1.btn[0], 1);
    EXPECT_EQ(d.state.g1.btn[1], 0);
}

TEST(SetupDraft, EditsFromOutsideTheDialogKeepItsLimits) {
    struct Case {
        SlotInput input;
        bool ok;
    };
    const Case cases[] = {
        {{"A", "가나다라마바사아", "S", 30, std::string(30, 'x')}, true},
        {{"", "", "", 0, ""}, true},
        {{"a", "", "S", 30, ""}, false},
        {{"AA", "", "S", 30, ""}, false},
        {{"A", "가나다라마바사아자", "S", 30, ""}, false}, // 18 bytes
        {{"A", "", "S", 30, std::string(31, 'x')}, false},
        {{"A", "", "SN", 30, ""}, false},
        {{"A", "", "S", 10000, ""}, false},
    };
    for (const Case& c : cases) {
        SetupDraft draft;
        EXPECT_EQ(setSlot(draft, 0, c.input).ok(), c.ok) << c.input.letter << c.input.title;
    }
    SetupDraft draft;
    EXPECT_FALSE(setSlot(draft, 10, {}).ok());
    EXPECT_TRUE(setMemo(draft, "H", "메모", 255, 0).ok());
    EXPECT_FALSE(setMemo(draft, "H", "메모", 256, 0).ok());
    EXPECT_FALSE(setStartLine(draft, -1).ok());
}

} // namespace
} // namespace rowbit
