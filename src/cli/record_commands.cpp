// add, change, delete: the record form driven from a shell. The values go through the same
// model the window uses, field by field, as if typed and accepted in that order.
#include "app/app_state.h"
#include "app/cp949_text.h"
#include "app/picture.h"
#include "cli/commands.h"
#include "document/document.h"
#include "form/record_form_model.h"

#include <cstdio>

namespace rowbit::cli {

std::optional<std::int32_t> parseToday(const std::string& text) {
    int y = 0;
    int m = 0;
    int d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return std::nullopt;
    const picture::CivilDate date{y, m, d};
    if (!picture::isValidDate(date))
        return std::nullopt;
    return picture::serialFromCivil(date);
}

int editRecord(Document& doc, const AppState& display, const RecordEdit& edit) {
    RecordList& records = doc.records;
    const bool insert = edit.command == RecordCommand::Insert;
    if (!insert && (edit.number < 1 || edit.number > records.count()))
        return kEditUsage;
    form::RecordFormModel model(doc.columns, display.datePicture, display.fontSize, edit.today,
                                form::workbookLookup(doc.lastSheet()));
    model.start(edit.command, insert ? Record() : records.at(edit.number));
    if (edit.command != RecordCommand::Delete) {
        // The formula notes of the last number accepted: a later value may mend what an
        // earlier one left, as a user in the form goes on after the message.
        form::CheckResult last;
        if (edit.values.size() > static_cast<std::size_t>(kMaxColumns))
            return kEditUsage;
        for (std::size_t i = 0; i < edit.values.size(); ++i) {
            const int field = static_cast<int>(i) + 1;
            if (edit.values[i].empty())
                continue; // left as the form starts it
            model.setField(field, edit.values[i]);
            const form::CheckResult checked = model.accept(field);
            if (checked.status == form::CheckStatus::LookupNeeded) {
                std::string names;
                for (const std::string& entry : checked.offered)
                    names += (names.empty() ? "" : ", ") + std::string(cp949::trimRight(entry));
                std::fprintf(stderr,
                             "rowbit-cli: field %d: \"%s\" picks no single entry of its "
                             "list; the list offers: %s\n",
                             field, edit.values[i].c_str(), names.c_str());
                return kEditRefused;
            }
            if (checked.status != form::CheckStatus::Accepted) {
                std::fprintf(stderr, "%s\n", model.message(checked).c_str());
                return kEditRefused;
            }
            if (doc.columns.type[i] == FieldType::Number &&
                !cp949::trimRight(edit.values[i]).empty())
                last = checked; // the formulas ran
        }
        if (!last.formulas.empty()) {
            std::string lines = model.message(last);
            for (char& c : lines) {
                if (c == '|')
                    c = '\n';
            }
            std::fprintf(stderr, "%s\n", lines.c_str());
            return kEditRefused;
        }
        if (edit.memo)
            model.setMemo(*edit.memo);
    }
    form::applyForm(records, edit.command, edit.number, model);
    doc.modified = true;
    return 0;
}

} // namespace rowbit::cli
