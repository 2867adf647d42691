#pragma once
// The modal record form that inserts, changes or deletes one record of the open workbook. It
// lays itself out from the column setup, binds its boxes to the form's model and carries the
// command out on OK.

#include "app/app_state.h"
#include "app/prompts.h"
#include "document/document.h"
#include "form/form_layout.h"
#include "form/record_form_model.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace rowbit::ui {

class QtEnterTab;

class RecordForm : public QDialog {
    Q_OBJECT
public:
    // Shows the lookup window over `parent` with these entries; the chosen entry or nullopt.
    using LookupChooser = std::function<std::optional<std::string>(
        const std::vector<std::string>& entries, QWidget* parent)>;

    // The form for `command` on the record at `record` (1-based position in the document's
    // records; not used for an insert). `today` is today's serial.
    RecordForm(Document& doc, const AppState& display, Prompts& prompts, RecordCommand command,
               std::size_t record, std::int32_t today, QWidget* parent = nullptr);
    ~RecordForm() override;

    // Runs the form modally. Done: the command was carried out on the records; Cancelled:
    // the records are as they were.
    form::FormOutcome run();
    // The browse window's seam: the form for `command` on the record at `record`, with
    // today's date.
    static form::FormOutcome run(Document& doc, const AppState& display, Prompts& prompts,
                                 RecordCommand command, std::size_t record, QWidget* parent);
    // The record the last OK worked on (for an insert, the new one's position); 0 before.
    std::size_t position() const { return position_; }

    void setLookupChooser(LookupChooser chooser) { chooser_ = std::move(chooser); }

    QLabel* titleLabel(int i) const { return labels_[i - 1]; }
    QLabel* memoLabel() const { return memoLabel_; }
    QLineEdit* field(int i) const { return fields_[i - 1]; }
    QPushButton* lookupButton(int i) const { return buttons_[i - 1]; }
    QPlainTextEdit* memoBox() const { return memo_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    const form::FormLayout& layout() const { return layout_; }
    const form::RecordFormModel& model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void acceptField(int i);
    void pressLookup(int i);
    void refresh();
    void confirm();

    Document& doc_;
    const AppState& display_;
    Prompts& prompts_;
    RecordCommand command_;
    std::size_t position_;
    form::FormLayout layout_;
    form::RecordFormModel model_;
    LookupChooser chooser_;
    std::array<QLabel*, kMaxColumns> labels_{};
    std::array<QLineEdit*, kMaxColumns> fields_{};
    std::array<QPushButton*, kMaxColumns> buttons_{};
    QLabel* memoLabel_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QtEnterTab* enterTab_ = nullptr;
    bool checking_ = false; // a check is showing a box or the lookup window
    form::FormOutcome outcome_ = form::FormOutcome::Cancelled;
};

} // namespace rowbit::ui
