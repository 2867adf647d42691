#include "setup/setup_draft.h"

#include "app/cp949_text.h"
#include "document/settings_sheet.h"
#include "workbook/book.h"

#include <cstdint>

namespace rowbit {

std::string slotControlName(const char* control, int slot) {
    return control + std::to_string(slot + 1);
}

namespace {

Error fault(const std::string& message, const std::string& control) {
    return makeError(ErrorCode::Invalid, message, control);
}

bool isLetter(const std::string& letter) {
    return letter.empty() || (letter.size() == 1 && columnNumber(letter) != 0);
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
void refreshLookupButtons(const Book* book, ColumnSetup& columns) {
    const Sheet* settings = book ? settingsSheet(*book) : nullptr;
    for (int i = 0; i < kMaxColumns; ++i) {
        const int sheetColumn = columns.sheetColumn[i];
        columns.hasLookup[i] = settings && i < columns.columnCount && sheetColumn != 0 &&
                                       !settings->readStr(kLookupFirstRow, sheetColumn - 1).empty()
                                   ? 1
                                   : 0;
    }
}

} // namespace

SetupDraft openDraft(const ColumnSetup& columns) {
    SetupDraft draft;
    draft.firstDataRow = columns.firstDataRow;
    for (int i = 0; i < kMaxColumns; ++i) {
        if (!columns.unknownType[i])
            draft.type[i] = columns.type[i];
        draft.title[i] = columns.title[i];
        draft.size[i] = columns.size[i];
        draft.sheetColumn[i] = columnLetters(columns.sheetColumn[i]);
        draft.savedCno[i] = draft.sheetColumn[i];
        draft.formula[i] = columns.formula[i];
    }
    draft.memoColumn = columnLetters(columns.memoColumn);
    draft.savedMno = draft.memoColumn;
    draft.memoTitle = columns.memoTitle;
    draft.memoWidth = static_cast<std::uint8_t>(columns.memoWidth);
    draft.memoHeight = static_cast<std::uint8_t>(columns.memoHeight);
    return draft;
}

void settleDraft(SetupDraft& draft) {
    for (int i = 0; i < kMaxColumns; ++i) {
        if (draft.sheetColumn[i].empty()) {
            draft.title[i].clear();
            draft.type[i].reset();
            draft.size[i] = 0;
        }
        if (draft.savedCno[i].empty() && !draft.sheetColumn[i].empty()) {
            draft.type[i] = FieldType::Text;
            draft.size[i] = 30;
        }
    }
}

int leadingSlots(const SetupDraft& draft) {
    int n = 0;
    while (n < kMaxColumns && !draft.sheetColumn[n].empty())
        ++n;
    return n;
}

bool needsReload(const SetupDraft& draft, const ColumnSetup& columns) {
    if (leadingSlots(draft) != columns.columnCount)
        return true;
    for (int i = 0; i < kMaxColumns; ++i) {
        if (draft.sheetColumn[i] != draft.savedCno[i])
            return true;
    }
    return draft.firstDataRow != columns.firstDataRow || draft.memoColumn != draft.savedMno;
}

Result<void> saveToFile(const SetupDraft& draft, ColumnSetup& columns) {
    const int used = leadingSlots(draft);
    for (int i = 0; i < used; ++i) {
        if (draft.size[i] == 0)
            return fault(kSizeMissing, slotControlName("sizeField", i));
    }
    if (draft.firstDataRow > kMaxStartLine || draft.firstDataRow < 0)
        return fault(kStartLineTooLarge, "startRowField");

    for (int i = 0; i < kMaxColumns; ++i) {
        columns.type[i] = FieldType::Text;
        columns.unknownType[i].reset();
        columns.justify[i] = Justification::Left;
        columns.size[i] = 30;
    }
    columns.firstDataRow = static_cast<int>(draft.firstDataRow);
    for (int i = 0; i < used; ++i) {
        columns.title[i] = draft.title[i];
        const std::optional<FieldType> type = draft.type[i];
        if (type == FieldType::Number) {
            columns.type[i] = FieldType::Number;
            columns.size[i] = 20;
            columns.justify[i] = Justification::Right;
        } else if (type == FieldType::Date) {
            columns.type[i] = FieldType::Date;
            columns.size[i] = 12;
        } else {
            // Text, and anything the type buttons do not name, is text of the typed size.
            columns.size[i] = draft.size[i];
        }
        columns.sheetColumn[i] = columnNumber(draft.sheetColumn[i]);
        columns.formula[i] = draft.formula[i];
    }
    columns.columnCount = used;
    // The slots after the first empty one keep what the setup held: loops over the shown columns
    // end at this 0.
    if (used < kMaxColumns)
        columns.sheetColumn[used] = 0;

    columns.memoColumn = columnNumber(draft.memoColumn);
    columns.memoTitle = draft.memoTitle;
    columns.memoWidth = draft.memoWidth;
    columns.memoHeight = draft.memoHeight;
    if (columns.memoColumn != 0) {
        if (cp949::trim(columns.memoTitle).empty())
            columns.memoTitle = "Memo";
        if (columns.memoWidth == 0)
            columns.memoWidth = 50;
        if (columns.memoHeight == 0)
            columns.memoHeight = 5;
    }
    return {};
}

SetupConfirmation confirmSetup(const SetupDraft& draft, Document& doc, Prompts& prompts) {
    const bool reload = needsReload(draft, doc.columns);
    if (reload) {
        const MessageRequest question{kReloadQuestion, kReloadCaption, kReloadButtons,
                                      PromptIcon::Information, 2};
        if (prompts.message(question) != 1) {
            prompts.tell(kSetupCancelled);
            return {SetupOutcome::Cancelled, {}};
        }
    }
    if (auto stored = saveToFile(draft, doc.columns); !stored) {
        prompts.tell(stored.error().message);
        return {std::nullopt, stored.error().where};
    }
    if (!reload)
        return {SetupOutcome::Relayout, {}};
    refreshLookupButtons(doc.book.get(), doc.columns);
    doc.modified = true;
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
    draft.sheetColumn[slot] = input.letter;
    draft.title[slot] = input.title;
    draft.type[slot] = fieldTypeOfLetter(input.type);
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
    draft.memoColumn = letter;
    draft.memoTitle = title;
    draft.memoWidth = width;
    draft.memoHeight = height;
    return {};
}

Result<void> setStartLine(SetupDraft& draft, long long firstDataRow) {
    if (firstDataRow < 0 || firstDataRow > 9999999999LL)
        return makeError(ErrorCode::Invalid, "the start row must be a whole number from 0",
                         "startline");
    draft.firstDataRow = firstDataRow;
    return {};
}

} // namespace rowbit
