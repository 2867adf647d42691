#include "form/record_form_model.h"

#include "app/cp949_text.h"
#include "app/picture.h"
#include "form/number_field.h"
#include "workbook/book.h"

namespace rowbit::form {

RecordFormModel::RecordFormModel(const ColumnSetup& columns, std::string datePicture, int fontSize,
                                 std::int32_t today, LookupSource lookup)
    : setup_(columns), gdate_(datePicture.empty() ? std::string("@D9-") : std::move(datePicture)),
      gsize_(fontSize), today_(today), lookup_(std::move(lookup)) {}

void RecordFormModel::start(RecordCommand command, const Record& record) {
    if (command == RecordCommand::Insert) {
        for (int k = 0; k < kMaxColumns; ++k)
            fields_[k] = setup_.type[k] == FieldType::Date ? picture::formatDate(today_, gdate_)
                                                           : std::string();
        memo_.clear();
        return;
    }
    for (int k = 0; k < kMaxColumns; ++k) {
        fields_[k] = cp949::cut(record.col[k], kFieldBytes);
        if (setup_.type[k] != FieldType::Number)
            continue;
        // A number whose grouped text the field cannot hold keeps its own text.
        std::string formatted = formatNumberField(fields_[k], gsize_);
        if (formatted.size() <= kFieldBytes)
            fields_[k] = std::move(formatted);
    }
    memo_ = cp949::cut(record.memo, kMemoBytes);
}

void RecordFormModel::setField(int field, std::string_view text) {
    fields_[field - 1] = cp949::cut(text, kFieldBytes);
}

void RecordFormModel::setMemo(std::string_view text) {
    memo_ = cp949::cut(text, kMemoBytes);
}

CheckResult RecordFormModel::accept(int field) {
    const int k = field - 1;
    std::string& text = fields_[k];
    CheckResult result;
    result.field = field;
    if (cp949::trimRight(text).empty())
        return result;
    const FieldType type = setup_.type[k];
    if (type == FieldType::Number) {
        if (!isNumberEntry(text)) {
            result.status = CheckStatus::NotANumber;
            result.offset = firstNonNumeric(text);
            text.clear();
            return result;
        }
        std::string formatted = formatNumberField(text, gsize_);
        if (formatted.size() > kFieldBytes) {
            result.status = CheckStatus::NumberTooLarge;
            text.clear();
            return result;
        }
        text = std::move(formatted);
        result.formulas = calcFormula(fields_, setup_, gsize_);
    } else if (type == FieldType::Date) {
        DateEntry date = checkDate(text, gdate_, today_);
        result.status = date.status;
        result.offset = date.offset;
        text = std::move(date.text);
    } else if (setup_.offersLookup(k)) {
        LookupOffer offer = offerLookup(
            lookup_ ? lookup_(setup_.sheetColumn[k] - 1) : std::vector<std::string>{}, text);
        if (offer.single) {
            text = *offer.single;
        } else {
            result.status = CheckStatus::LookupNeeded;
            result.offered = std::move(offer.entries);
        }
    }
    return result;
}

int CheckResult::focus() const {
    if (status != CheckStatus::Accepted && status != CheckStatus::LookupNeeded)
        return field;
    return formulas.empty() ? 0 : formulas.front().field;
}

std::string RecordFormModel::shown(int field) const {
    const std::string& text = fields_[field - 1];
    return setup_.type[field - 1] == FieldType::Number ? shownNumber(text, gsize_) : text;
}

std::string RecordFormModel::fieldName(int field) const {
    const std::string_view title = cp949::trim(setup_.title[field - 1]);
    return title.empty() ? std::to_string(field) + "번" : std::string(title);
}

std::string RecordFormModel::message(const CheckResult& result) const {
    if (result.status == CheckStatus::NumberTooLarge)
        return fieldName(result.field) + kNumberTooLarge;
    if (result.status != CheckStatus::Accepted)
        return message(result.status);
    std::string lines;
    for (const FormulaNote& note : result.formulas) {
        if (!lines.empty())
            lines += '|';
        lines += fieldName(note.field) +
                 (note.status == FormulaStatus::Overflow ? kFormulaOverflow : kDivisionByZero);
    }
    return lines;
}

std::vector<std::string> RecordFormModel::openLookup(int field) {
    fields_[field - 1].clear();
    const int k = field - 1;
    return lookup_ ? lookup_(setup_.sheetColumn[k] - 1) : std::vector<std::string>{};
}

void RecordFormModel::chooseLookup(int field, const std::optional<std::string>& entry) {
    fields_[field - 1] = entry ? cp949::cut(*entry, kFieldBytes) : std::string();
}

void RecordFormModel::store(Record& record) const {
    for (int k = 0; k < kMaxColumns; ++k) {
        const std::string_view text = cp949::trimRight(fields_[k]);
        record.col[k] = std::string(setup_.type[k] == FieldType::Number ? cp949::trim(text) : text);
    }
    record.memo = std::string(cp949::trimRight(memo_));
}

std::size_t applyForm(RecordList& records, RecordCommand command, std::size_t position,
                      const RecordFormModel& model) {
    if (command == RecordCommand::Insert) {
        records.buffer.clear();
        model.store(records.buffer);
        return records.add();
    }
    if (!records.get(position))
        return 0;
    if (command == RecordCommand::Change) {
        model.store(records.buffer);
        records.put();
    } else {
        records.remove();
    }
    return position;
}

LookupSource workbookLookup(const Sheet* lists) {
    return [lists](int col) { return lookupEntries(lists, col); };
}

} // namespace rowbit::form
