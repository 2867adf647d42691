#pragma once
// The column setup dialog without its screen: a working copy of the column setup (the draft)
// and the routines on it. Opening copies the setup into the draft; settleDraft keeps its slots
// consistent after every edit; needsReload says whether the confirmed draft asks for the rows
// to be read again; saveToFile checks the draft and writes it back into the setup.
// confirmSetup is the OK button: the question, the store and the outcome the browse window
// acts on. The dialog and rowbit-cli configure both go through these.

#include "app/app_state.h"
#include "app/prompts.h"
#include "app/records.h"
#include "app/result.h"
#include "document/document.h"
#include "workbook/column_letter.h"

#include <array>
#include <optional>
#include <string>

namespace rowbit {

inline constexpr const char* kSetupCaption = "Setting Rowbit";
inline constexpr const char* kReloadQuestion =
    " 변경된 내용은 엑셀파일을 다시 읽어야 합니다. 오픈후 수정한 내용은 취소됩니다. || "
    "다시 읽을까요? ";
inline constexpr const char* kReloadCaption = "경고";
inline constexpr const char* kReloadButtons = "예(Yes)|아니오(No)";
inline constexpr const char* kSetupCancelled =
    "설정작업을 취소합니다. || 작업한 내용을 저장한 뒤 다시 시도해 주세요";
inline constexpr const char* kSizeMissing = "몇글자 까지 입력받을지 넣어주세요";
inline constexpr const char* kStartLineTooLarge = "자료 시작줄은 32767 이하로 넣어주세요";
// The entries of the eleven letter drop-down lists: a blank, then A to Z.
inline constexpr const char* kLetterEntries =
    " |A|B|C|D|E|F|G|H|I|J|K|L|M|N|O|P|Q|R|S|T|U|V|W|X|Y|Z";

// The first data row is kept in 16 bits; the start-row entry holds ten digits.
inline constexpr long long kMaxStartLine = 32767;
// The memo box's width and height fields hold one byte each.
inline constexpr int kMaxMemoSize = 255;

// The dialog's working copy. Slot i (0-based) is shown column i + 1 of the setup; column letters
// are held as texts, "" for a slot or memo not in use.
struct SetupDraft {
    std::array<std::string, kMaxColumns> sheetColumn; // "A".."Z"
    std::array<std::string, kMaxColumns> savedCno;    // the letters at opening
    std::array<std::string, kMaxColumns> title;       // 16 bytes
    // The type button checked; none for a slot not in use or a type letter naming no type.
    std::array<std::optional<FieldType>, kMaxColumns> type;
    std::array<int, kMaxColumns> size{};          // characters, 0 shown blank
    std::array<std::string, kMaxColumns> formula; // 30 bytes
    std::string memoColumn;                       // the memo letter
    std::string savedMno;                         // the memo letter at opening
    std::string memoTitle;                        // 16 bytes
    int memoWidth = 0;                            // 0..255
    int memoHeight = 0;                           // 0..255
    long long firstDataRow = 0;                   // as typed: up to ten digits

    bool operator==(const SetupDraft&) const = default;
};

// The draft as the dialog opens on `columns`. Memo sizes keep their low 8 bits.
SetupDraft openDraft(const ColumnSetup& columns);
// After every edit: a slot without a letter has no title, type or size; a slot that was empty at
// opening and has a letter now is String of size 30, whatever was chosen for it.
void settleDraft(SetupDraft& draft);
// Slots with a letter, counted from the first up to the first without one.
int leadingSlots(const SetupDraft& draft);
// Whether confirming the draft asks for the rows to be read again (a different
// set of sheet cells is wanted).
bool needsReload(const SetupDraft& draft, const ColumnSetup& columns);

// Checks the draft and writes it into `columns`. On a fault nothing is written and the
// error carries the text the user is shown (message) and the name of the control that gets
// the focus (where), "sizeField3" for the size of slot 3.
Result<void> saveToFile(const SetupDraft& draft, ColumnSetup& columns);
// The object name of a slot's control: the control's name and the slot counted from 1,
// "sizeField3" for the size of slot 3.
std::string slotControlName(const char* control, int slot);

// What the dialog ended with, and what the browse window does next.
enum class SetupOutcome {
    Cancelled, // nothing stored
    Relayout,  // stored; the list needs new columns only
    Reload,    // stored; the rows must be read again (the workbook is modified)
};

// The OK button. Asks the re-read question when needed ("No" tells the cancel message and
// ends the dialog), then stores the draft into the document's column setup; a setup that
// wants other cells marks the document modified. nullopt: the check failed, the user was
// told, and the dialog stays open with the focus on `focus`.
struct SetupConfirmation {
    std::optional<SetupOutcome> outcome;
    std::string focus; // control name, set when outcome is nullopt
};
SetupConfirmation confirmSetup(const SetupDraft& draft, Document& doc, Prompts& prompts);

// Edits a setup from outside the dialog can carry, checked as the dialog's controls would
// hold them: a letter "" or "A".."Z", titles of 16 and formulas of 30 CP949 bytes, a type of
// at most one character, sizes of four digits, memo sizes of one byte, a start row of ten
// digits. `slot` is 0-based.
struct SlotInput {
    std::string letter;
    std::string title;
    std::string type; // "S", "N" or "D"; another single character checks no type button
    int size = 0;
    std::string formula;
};
Result<void> setSlot(SetupDraft& draft, int slot, const SlotInput& input);
Result<void> setMemo(SetupDraft& draft, const std::string& letter, const std::string& title,
                     int width, int height);
Result<void> setStartLine(SetupDraft& draft, long long firstDataRow);

} // namespace rowbit
