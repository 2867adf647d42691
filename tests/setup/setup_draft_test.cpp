#include "setup/setup_draft.h"

#include "document/settings_sheet.h"
#include "support/memory_book.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <functional>

namespace rowbit {
namespace {

// The letter of the type button a slot has checked, "" for none.
std::string letterOf(const std::optional<FieldType>& type) {
    return type ? std::string(typeLetter(*type)) : std::string();
}

// Five used slots on B..F (text 25, date, number with a formula, text, text), memo in H.
ColumnSetup fiveColumns() {
    ColumnSetup columns;
    const char* types[] = {"S", "D", "N", "S", "S"};
    const int sizes[] = {25, 12, 20, 30, 8};
    for (int i = 0; i < kMaxColumns; ++i) {
        columns.type[i] = fieldTypeOfLetter(i < 5 ? types[i] : "S").value();
        columns.size[i] = i < 5 ? sizes[i] : 30;
        columns.justify[i] = i == 1   ? Justification::Center
                             : i == 2 ? Justification::Right
                                      : Justification::Left;
    }
    for (int i = 0; i < 5; ++i) {
        columns.sheetColumn[i] = i + 2;
        columns.title[i] = "제목" + std::to_string(i + 1);
        columns.formula[i] = "=" + std::to_string(i);
    }
    columns.columnCount = 5;
    columns.memoColumn = 8;
    columns.memoTitle = "비고";
    columns.memoWidth = 40;
    columns.memoHeight = 3;
    columns.firstDataRow = 2;
    return columns;
}

// The dialog opened on `columns`, its draft made consistent once.
struct Dialog {
    Document doc;
    testing::ScriptedPrompts prompts;
    SetupDraft draft;
    explicit Dialog(const ColumnSetup& columns) {
        doc.columns = columns;
        draft = openDraft(columns);
        settleDraft(draft);
    }
    SetupConfirmation ok(std::deque<int> answers = {}) {
        prompts.messageAnswers = std::move(answers);
        return confirmSetup(draft, doc, prompts);
    }
};

TEST(SetupDraft, OkUntouchedAsksNothingAndLeftAlignsDates) {
    Dialog d(fiveColumns());
    EXPECT_EQ(d.ok().outcome, SetupOutcome::Relayout);
    EXPECT_TRUE(d.prompts.asked.empty());
    EXPECT_FALSE(d.doc.modified);
    ColumnSetup expected = fiveColumns();
    expected.justify[1] = Justification::Left;
    EXPECT_EQ(d.doc.columns, expected);
}

TEST(SetupDraft, BlankingSlotThreeOfFiveAsksAndKeepsTheRestUnused) {
    Dialog no(fiveColumns());
    no.draft.sheetColumn[2].clear();
    EXPECT_EQ(no.ok({2}).outcome, SetupOutcome::Cancelled);
    EXPECT_EQ(no.prompts.messageTexts(),
              (std::vector<std::string>{kReloadQuestion, kSetupCancelled}));
    EXPECT_EQ(no.prompts.messages[0].defaultButton, 2);
    EXPECT_EQ(no.doc.columns, fiveColumns());

    Dialog yes(fiveColumns());
    yes.draft.sheetColumn[2].clear();
    settleDraft(yes.draft);
    EXPECT_EQ(yes.draft.title[2] + letterOf(yes.draft.type[2]) + std::to_string(yes.draft.size[2]),
              "0");
    EXPECT_EQ(yes.ok({1}).outcome, SetupOutcome::Reload);
    EXPECT_TRUE(yes.doc.modified);
    ColumnSetup expected = fiveColumns();
    expected.columnCount = 2;
    expected.sheetColumn[2] = 0;
    expected.justify.fill(Justification::Left);
    expected.type[2] = expected.type[3] = expected.type[4] = FieldType::Text;
    expected.size[1] = 12;
    expected.size[2] = expected.size[3] = expected.size[4] = 30;
    EXPECT_EQ(yes.doc.columns, expected);
    // The kept slots show again at the next opening, without being used.
    const SetupDraft again = openDraft(yes.doc.columns);
    EXPECT_EQ(again.sheetColumn[3] + again.title[4], "E제목5");
    EXPECT_FALSE(needsReload(again, yes.doc.columns));
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
        d.draft.type[0] = fieldTypeOfLetter(c.type);
        d.draft.size[0] = 7;
        ASSERT_TRUE(saveToFile(d.draft, d.doc.columns).ok());
        const ColumnSetup& columns = d.doc.columns;
        EXPECT_EQ(typeLetterOf(columns, 0) + std::string(justifyLetter(columns.justify[0])) +
                      std::to_string(columns.size[0]) + columns.formula[0],
                  c.storedType + c.justify + std::to_string(c.size) + "=0")
            << c.type;
    }
}

TEST(SetupDraft, NewAndReletteredSlots) {
    Dialog d(fiveColumns());
    // A slot empty at opening is String of 30 for as long as it has a letter.
    d.draft.sheetColumn[5] = "K";
    d.draft.type[5] = FieldType::Number;
    d.draft.size[5] = 4;
    d.draft.title[5] = "새칸";
    settleDraft(d.draft);
    EXPECT_EQ(letterOf(d.draft.type[5]) + std::to_string(d.draft.size[5]) + d.draft.title[5],
              "S30새칸");
    // A used slot blanked and lettered again stays empty, then needs a size.
    d.draft.sheetColumn[1].clear();
    settleDraft(d.draft);
    d.draft.sheetColumn[1] = "Q";
    settleDraft(d.draft);
    EXPECT_EQ(letterOf(d.draft.type[1]) + std::to_string(d.draft.size[1]), "0");
    const auto result = d.ok({1});
    EXPECT_FALSE(result.outcome);
    EXPECT_EQ(result.focus, "sizeField2");
    EXPECT_EQ(d.prompts.messageTexts().back(), kSizeMissing);
    EXPECT_EQ(d.doc.columns, fiveColumns());
}

TEST(SetupDraft, WhatAsksForAReRead) {
    using Edit = std::function<void(SetupDraft&)>;
    const std::pair<Edit, bool> cases[] = {
        {[](SetupDraft& d) { d.title[0] = "새 제목"; }, false},
        {[](SetupDraft& d) { d.formula[2] = "=A1*2"; }, false},
        {[](SetupDraft& d) { d.type[0] = FieldType::Number; }, false},
        {[](SetupDraft& d) { d.memoTitle = "메모"; }, false},
        {[](SetupDraft& d) { d.memoWidth = 80; }, false},
        {[](SetupDraft& d) { d.firstDataRow = 3; }, true},
        {[](SetupDraft& d) { d.sheetColumn[1] = "Z"; }, true},
        {[](SetupDraft& d) { d.memoColumn.clear(); }, true},
        {[](SetupDraft& d) { d.sheetColumn[4].clear(); }, true},
        {[](SetupDraft& d) { d.sheetColumn[5] = "A"; }, true},
    };
    int n = 0;
    for (const auto& [edit, reload] : cases) {
        Dialog d(fiveColumns());
        edit(d.draft);
        EXPECT_EQ(needsReload(d.draft, d.doc.columns), reload) << "case " << n++;
    }
}

TEST(SetupDraft, MemoDefaultsAndLowBits) {
    struct Case {
        std::string memoColumn, memoTitle;
        int width, height;
        std::string stored;
    };
    const Case cases[] = {{"C", "", 0, 0, "3 Memo 50 5"},
                          {"C", "비고", 60, 0, "3 비고 60 5"},
                          {"", "", 0, 0, "0  0 0"}};
    for (const Case& c : cases) {
        Dialog d(ColumnSetup{});
        ASSERT_TRUE(setMemo(d.draft, c.memoColumn, c.memoTitle, c.width, c.height).ok());
        ASSERT_TRUE(saveToFile(d.draft, d.doc.columns).ok());
        const ColumnSetup& columns = d.doc.columns;
        EXPECT_EQ(std::to_string(columns.memoColumn) + " " + columns.memoTitle + " " +
                      std::to_string(columns.memoWidth) + " " + std::to_string(columns.memoHeight),
                  c.stored);
    }
    ColumnSetup wide = fiveColumns();
    wide.memoWidth = 300;
    Dialog d(wide);
    EXPECT_EQ(d.draft.memoWidth, 44);
    EXPECT_EQ(d.ok().outcome, SetupOutcome::Relayout);
    EXPECT_EQ(d.doc.columns.memoWidth, 44);
}

TEST(SetupDraft, StartRowAbove32767IsRefusedAtItsField) {
    for (const long long firstDataRow : {32767LL, 32768LL}) {
        Dialog d(fiveColumns());
        d.draft.firstDataRow = firstDataRow;
        const auto result = d.ok({1});
        EXPECT_EQ(result.outcome.has_value(), firstDataRow == 32767);
        EXPECT_EQ(d.doc.columns.firstDataRow, firstDataRow == 32767 ? 32767 : 2);
        EXPECT_EQ(result.focus, firstDataRow == 32767 ? "" : "startRowField");
    }
}

TEST(SetupDraft, AReReadOffersTheLookupListsOfTheNewLetters) {
    Dialog d(fiveColumns());
    d.doc.columns.hasLookup[0] = 1;
    auto book = std::make_unique<testing::MemoryBook>();
    book->addSheet("Data");
    static_cast<testing::MemorySheet*>(book->addSheet("SetupQ"))
        ->setCell(30, 25, testing::text("가")); // Z31
    d.doc.book = std::move(book);
    d.draft.sheetColumn[0] = "Z";
    d.draft.sheetColumn[1] = "A";
    EXPECT_EQ(d.ok({1}).outcome, SetupOutcome::Reload);
    EXPECT_EQ(d.doc.columns.hasLookup[0] * 10 + d.doc.columns.hasLookup[1], 10);
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
