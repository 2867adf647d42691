#pragma once
// The column setup dialog. Ten slot rows (letter, title, type, size, formula) under
// five headings, the memo row and the start row below a rule, OK and Cancel. The controls only
// edit the draft; what the slots show after each edit, the re-read question and the storing
// into the column setup are the draft's routines.

#include "app/prompts.h"
#include "document/document.h"
#include "setup/setup_draft.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rowbit::ui {

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    SetupDialog(Document& doc, Prompts& prompts, const QFont& font, QWidget* parent = nullptr);

    // Runs the dialog modally: the setup seam of the browse window. The outcome says whether
    // the setup was stored, and whether the rows must be read again.
    static SetupOutcome run(Document& doc, Prompts& prompts, QWidget* parent);

    SetupOutcome outcome() const { return outcome_; }
    const SetupDraft& draft() const { return draft_; }
    QComboBox* letter(int slot) const { return slots_[slot].letter; }
    QLineEdit* title(int slot) const { return slots_[slot].title; }
    QRadioButton* typeButton(int slot, int which) const { return slots_[slot].types[which]; }
    QLineEdit* size(int slot) const { return slots_[slot].size; }
    QLineEdit* formula(int slot) const { return slots_[slot].formula; }
    QComboBox* memoLetter() const { return memoLetter_; }
    QLineEdit* memoTitle() const { return memoTitle_; }
    QLineEdit* memoWidth() const { return memoWidth_; }
    QLineEdit* memoHeight() const { return memoHeight_; }
    QLineEdit* startLine() const { return startLine_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    struct Slot {
        QComboBox* letter = nullptr;
        QLineEdit* title = nullptr;
        QButtonGroup* group = nullptr;
        std::array<QRadioButton*, 3> types{};
        QLineEdit* size = nullptr;
        QLineEdit* formula = nullptr;
    };

    void buildControls(const QFont& font);
    void connectControls();
    void orderTabs();
    // The draft made consistent after an edit, then every control shows the draft again.
    void edited();
    void showDraft();
    void confirm();

    Document& doc_;
    Prompts& prompts_;
    SetupDraft draft_;
    SetupOutcome outcome_ = SetupOutcome::Cancelled;
    std::array<Slot, kMaxColumns> slots_;
    QComboBox* memoLetter_ = nullptr;
    QLineEdit* memoTitle_ = nullptr;
    QLineEdit* memoWidth_ = nullptr;
    QLineEdit* memoHeight_ = nullptr;
    QLineEdit* startLine_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace rowbit::ui
