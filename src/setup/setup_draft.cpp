#include "setup/setup_draft.h"

#include "app/cp949_text.h"
#include "document/settings_sheet.h"
#include "workbook/book.h"

#include <cstdint>

namespace rowbit {

namespace {

std::string slotControl(const char* name, int slot) {
    return std::string("?LOC:") + name + "_" + std::to_string(slot + 1);
}

Error fault(const std::string& message, const std::string& control) {
    return makeError(ErrorCode::Invalid, message, control);
}

bool isLetter(const std::string& letter) {
    return letter.empty() || (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z');
}

// One UTF-8 character at most.
bool isOneCharacter(const std::string& text) {
    int characters = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    }
    return characters <= 1;
}

// A lookup list is offered for a shown column when the settings sheet holds one for its
// letter; after the letters changed, the old flags would offer another column's list.
void refreshLookupButtons(const Book* book, ColumnSetup& g1) {
    const Sheet* settings = book ? settingsSheet(*book) : nullptr;
    for (int i = 0; i < kMaxColumns; ++i) {
        const int cno = g1.cno[i];
        g1.btn[i] = settings && i < g1.ccount && cno != 0 &&
                            !settings->readStr(kLookupFirstRow, cno - 1).empty()
                        ? 1
                        : 0;
    }
}

} // namespace

std::string columnLetter(int number) {
    if (number <= 0)
        return {};
    return std::string(1, static_cast<char>(64 + number));
}

int columnNumber(const std::string& letter) {
    if (letter.empty() || letter == " ")
        return 0;
    return static_cast<unsigned char>(letter[0]) - 64;
}

SetupDraft openDraft(const ColumnSetup& g1) {
    SetupDraft draft;
    draft.startline = g1.startline;
    for (int i = 0; i < kMaxColumns; ++i) {
        draft.type[i] = g1.type[i];
        draft.cname[i] = g1.cname[i];
        draft.size[i] = g1.size[i];
        draft.cno[i] = columnLetter(g1.cno[i]);
        draft.savedCno[i] = draft.cno[i];
        draft.formula[i] = g1.formula[i];
    }
    draft.mno = columnLetter(g1.mno);
    draft.savedMno = draft.mno;
    draft.mname = g1.mname;
    draft.mwsize = static_cast<std::uint8_t>(g1.mwsize);
    draft.mhsize = static_cast<std::uint8_t>(g1.mhsize);
    return draft;
}

void calcFields(SetupDraft& draft) {
    for (int i = 0; i < kMaxColumns; ++i) {
        if (draft.cno[i].empty()) {
            draft.cname[i].clear();
            draft.type[i].clear();
            draft.size[i] = 0;
        }
        if (draft.savedCno[i].empty() && !draft.cno[i].empty()) {
            draft.type[i] = "S";
            draft.size[i] = 30;
        }
    }
}

int leadingSlots(const SetupDraft& draft) {
    int n = 0;
    while (n < kMaxColumns && !draft.cno[n].empty())
        ++n;
    return n;
}

bool needsReload(const SetupDraft& draft, const ColumnSetup& g1) {
    if (leadingSlots(draft) != g1.ccount)
        return true;
    for (int i = 0; i < kMaxColumns; ++i) {
        if (draft.cno[i] != draft.savedCno[i])
            return true;
    }
    return draft.startline != g1.startline || draft.mno != draft.savedMno;
}

Result<void> saveToFile(const SetupDraft& draft, ColumnSetup& g1) {
    const int used = leadingSlots(draft);
    for (int i = 0; i < used; ++i) {
        if (draft.size[i] == 0)
            return fault(kSizeMissing, slotControl("SIZE", i));
    }
    if (draft.startline > kMaxStartLine || draft.startline < 0)
        return fault(kStartLineTooLarge, "?LOC:STARTLINE");

    for (int i = 0; i < kMaxColumns; ++i) {
        g1.type[i] = "S";
        g1.justify[i] = "L";
        g1.size[i] = 30;
    }
    g1.startline = static_cast<int>(draft.startline);
    for (int i = 0; i < used; ++i) {
        g1.cname[i] = draft.cname[i];
        const std::string& type = draft.type[i];
        if (type == "N") {
            g1.type[i] = "N";
            g1.size[i] = 20;
            g1.justify[i] = "R";
        } else if (type == "D") {
            g1.type[i] = "D";
            g1.size[i] = 12;
        } else {
            // Text, and anything the type buttons do not name, is text of the typed size.
            g1.size[i] = draft.size[i];
        }
        g1.cno[i] = columnNumber(draft.cno[i]);
        g1.formula[i] = draft.formula[i];
    }
    g1.ccount = used;
    // The slots after the first empty one keep what G1 held: loops over the shown columns
    // end at this 0.
    if (used < kMaxColumns)
        g1.cno[used] = 0;

    g1.mno = columnNumber(draft.mno);
    g1.mname = draft.mname;
    g1.mwsize = draft.mwsize;
    g1.mhsize = draft.mhsize;
    if (g1.mno != 0) {
        if (cp949::trim(g1.mname).empty())
            g1.mname = "Memo";
        if (g1.mwsize == 0)
            g1.mwsize = 50;
        if (g1.mhsize == 0)
            g1.mhsize = 5;
    }
    return {};
}

SetupConfirmation confirmSetup(const SetupDraft& draft, AppState& state, Prompts& prompts) {
    const bool reload = needsReload(draft, state.g1);
    if (reload) {
        const MessageRequest question{kReloadQuestion, kReloadCaption, kReloadButtons,
                                      PromptIcon::Information, 2};
        if (prompts.message(question) != 1) {
            prompts.tell(kSetupCancelled);
            return {SetupOutcome::Cancelled, {}};
        }
    }
    if (auto stored = saveToFile(draft, state.g1); !stored) {
        prompts.tell(stored.error().message);
        return {std::nullopt, stored.error().where};
    }
    if (!reload) {
        state.action = kActionDone;
        return {SetupOutcome::Relayout, {}};
    }
    refreshLookupButtons(state.book.get(), state.g1);
    state.action = kActionReload;
    state.changed = 1;
    return {SetupOutcome::Reload, {}};
}

Result<void> setSlot(SetupDraft& draft, int slot, const SlotInput& input) {
    const std::string where = "column " + std::to_string(slot + 1);
    if (slot < 0 || slot >= kMaxColumns)
        return makeError(ErrorCode::Invalid, "at most 10 columns", where);
    if (!isLetter(input.letter))
        return makeError(ErrorCode::Invalid, "the column letter must be one of A to Z", where);
    if (cp949::byteLength(input.title) > kTitleBytes)
        return makeError(ErrorCode::Invalid, "the title is longer than 16 bytes", where);
    if (cp949::byteLength(input.formula) > kFormulaBytes)
        return makeError(ErrorCode::Invalid, "the formula is longer than 30 bytes", where);
    if (!isOneCharacter(input.type))
        return makeError(ErrorCode::Invalid, "the type must be S, N or D", where);
    if (input.size < 0 || input.size > kMaxSlotSize)
        return makeError(ErrorCode::Invalid, "the size must be a number from 0 to 9999", where);
    draft.cno[slot] = input.letter;
    draft.cname[slot] = input.title;
    draft.type[slot] = input.type;
    draft.size[slot] = input.size;
    draft.formula[slot] = input.formula;
    return {};
}

Result<void> setMemo(SetupDraft& draft, const std::string& letter, const std::string& title,
                     int width, int height) {
    if (!isLetter(letter))
        return makeError(ErrorCode::Invalid, "the memo letter must be one of A to Z", "memo");
    if (cp949::byteLength(title) > kTitleBytes)
        return makeError(ErrorCode::Invalid, "the memo title is longer than 16 bytes", "memo");
    if (width < 0 || width > kMaxMemoSize || height < 0 || height > kMaxMemoSize)
        return makeError(ErrorCode::Invalid,
                         "the memo width and height must be numbers from 0 to 255", "memo");
    draft.mno = letter;
    draft.mname = title;
    draft.mwsize = width;
    draft.mhsize = height;
    return {};
}

Result<void> setStartLine(SetupDraft& draft, long long startline) {
    if (startline < 0 || startline > 9999999999LL)
        return makeError(ErrorCode::Invalid, "the start row must be a whole number from 0",
                         "startline");
    draft.startline = startline;
    return {};
}

} // namespace rowbit
