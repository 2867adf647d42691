#pragma once
// The record form's model: the ten field buffers and the memo, loaded from the record by the
// request, and what accepting a field does to them (the entry check with the number grouping,
// the formulas, the date table and the lookup's single-match rule). The window and rowbit-cli both
// drive it; neither decides anything of its own.

#include "app/app_state.h"
#include "app/records.h"
#include "form/entry_check.h"
#include "form/formula.h"
#include "form/lookup.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rowbit::form {

enum class FormOutcome { Cancelled, Done };

// The entries of a lookup list by zero-based sheet column.
using LookupSource = std::function<std::vector<std::string>(int sheetColumn)>;

// What accepting a field came to.
struct CheckResult {
    CheckStatus status = CheckStatus::Accepted;
    int field = 0;  // 1-based
    int offset = 0; // where in the field's text the check failed, 1-based; 0 when it did not
    std::vector<std::string> offered;  // LookupNeeded: the entries the window offers
    std::vector<FormulaNote> formulas; // formula steps that divided by zero or overflowed
    // The field the user is sent back to: the refused one, else the first formula field with
    // a note; 0 when there is nothing to tell.
    int focus() const;
    friend bool operator==(const CheckResult&, const CheckResult&) = default;
};

class RecordFormModel {
public:
    RecordFormModel(const ColumnSetup& columns, std::string datePicture, int fontSize,
                    std::int32_t today, LookupSource lookup);

    // Loads the fields for the command: insert starts blank with today's date in date fields;
    // change and delete take `record`'s texts, numbers grouped as the field shows them.
    void start(RecordCommand command, const Record& record);

    // The entry check of field `field` (1-based) after the user changed it. A blank field is not
    // checked. A refusal blanks the field. A number keeps every digit typed, also when it is
    // wider than its picture; only one longer than the field holds is refused.
    CheckResult accept(int field);
    // The "..." button (or F12): the field is emptied and the whole list is offered.
    std::vector<std::string> openLookup(int field);
    // The lookup window closed: the chosen entry, or nothing (the field stays blank).
    void chooseLookup(int field, const std::optional<std::string>& entry);

    // Sets a field as typed, cut to its byte limit.
    void setField(int field, std::string_view text);
    void setMemo(std::string_view text);
    const std::string& field(int field) const { return fields_[field - 1]; }
    // What the field's box shows: a number without its padding, or "#" over the picture's
    // width when the picture cannot show the number the field keeps.
    std::string shown(int field) const;
    const FormFields& fields() const { return fields_; }
    const std::string& memo() const { return memo_; }
    const ColumnSetup& setup() const { return setup_; }
    const std::string& datePicture() const { return gdate_; }
    std::string message(CheckStatus status) const { return checkMessage(status, gdate_); }
    // What the form tells after a check: the refusal's message, or one line per formula note
    // (lines split by "|"), each naming its field; empty when all went well.
    std::string message(const CheckResult& result) const;
    // A field's name in a message: its title, or its number when the title is blank.
    std::string fieldName(int field) const;

    // OK: the fields into `record` (number fields without their leading blanks, as the list
    // shows numbers read from the workbook).
    void store(Record& record) const;

private:
    ColumnSetup setup_;
    std::string gdate_;
    int gsize_;
    std::int32_t today_;
    LookupSource lookup_;
    FormFields fields_;
    std::string memo_;
};

// The whole command on the records, as OK carries it out: insert appends the form's record,
// change writes it over the record at `position`, delete removes the record at `position`.
// Returns the position of the record the command worked on (for an insert, the new one's);
// 0 when there is no record at `position`.
std::size_t applyForm(RecordList& records, RecordCommand command, std::size_t position,
                      const RecordFormModel& model);

// The lookup lists of the open workbook: its last sheet, `lists` (nullptr: none).
LookupSource workbookLookup(const Sheet* lists);

} // namespace rowbit::form
