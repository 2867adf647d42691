#include "setup/ui/setup_dialog.h"

#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "setup/ui/entry_validators.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <vector>

namespace rowbit::ui {

namespace {

// Designed places in dialog units: five columns of slot controls under their headings, one
// row a slot, then the rule, the memo row and the start row.
constexpr int kWidth = 374;
constexpr int kHeight = 210;
constexpr int kLetterX = 8, kLetterW = 30;
constexpr int kTitleX = 44, kTitleW = 72;
constexpr int kTypeX = 122, kTypeW = 40, kTypeGap = 42;
constexpr int kSizeX = 250, kSizeW = 24;
constexpr int kFormulaX = 280, kFormulaW = 88; // 20 characters of 4 units, and the frame
constexpr int kHeadingY = 6;
constexpr int kFirstSlotY = 18, kSlotPitch = 14, kRowH = 12;
constexpr int kRuleY = kFirstSlotY + kMaxColumns * kSlotPitch + 2;
constexpr int kMemoY = kRuleY + 8;
constexpr int kStartY = kMemoY + 18;

// The three type buttons of a slot, in their order, with the name each button's object
// name starts with.
struct TypeButton {
    FieldType type;
    const char* name;
    const char* text;
};
constexpr TypeButton kTypeButtons[3] = {{FieldType::Text, "textButton", "String"},
                                        {FieldType::Number, "numberButton", "Number"},
                                        {FieldType::Date, "dateButton", "Date"}};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QString slotName(const char* name, int slot) {
    return q(slotControlName(name, slot));
}

QComboBox* letterList(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->addItems(q(kLetterEntries).split(QLatin1Char('|')));
    combo->setMaxVisibleItems(14);
    return combo;
}

int letterIndex(const std::string& letter) {
    return letter.size() == 1 ? columnNumber(letter) : 0;
}

std::string letterAt(int index) {
    return index >= 1 && index <= 26 ? columnLetters(index) : std::string();
}

// Shows `text` unless the field shows it already; a field being typed in keeps what was
// typed while it means the same value, so the cursor stays where the user left it.
void showText(QLineEdit* edit, const QString& text, bool sameValue) {
    if (edit->text() == text || (edit->hasFocus() && sameValue))
        return;
    edit->setText(text);
}

QString sizeText(long long value) {
    return value == 0 ? QString() : QString::number(value); // "N4B": blank when 0
}

} // namespace

SetupDialog::SetupDialog(Document& doc, Prompts& prompts, const QFont& font, QWidget* parent)
    : QDialog(parent), doc_(doc), prompts_(prompts), draft_(openDraft(doc.columns)) {
    setFont(font);
    setWindowTitle(q(kSetupCaption));
    buildControls(font);
    connectControls();
    orderTabs();
    // The dialog's first event already makes the draft consistent: slots not in use open empty.
    settleDraft(draft_);
    showDraft();
    slots_[0].letter->setFocus();
}

void SetupDialog::buildControls(const QFont& font) {
    const DialogUnits du(font);
    struct Heading {
        const char* text;
        int x, w;
    };
    const Heading headings[] = {{"컬럼", kLetterX, kLetterW},
                                {"제목명", kTitleX, kTitleW},
                                {"형식", kTypeX, 3 * kTypeGap},
                                {"크기", kSizeX, kSizeW + 4},
                                {"수식(숫자 컬럼만 적용)", kFormulaX, kFormulaW}};
    for (const Heading& h : headings) {
        auto* label = new QLabel(QString::fromUtf8(h.text), this);
        label->setGeometry(du.rect(h.x, kHeadingY, h.w, 10));
    }

    for (int i = 0; i < kMaxColumns; ++i) {
        Slot& slot = slots_[i];
        const int y = kFirstSlotY + i * kSlotPitch;
        slot.letter = letterList(this);
        slot.letter->setObjectName(slotName("letterList", i));
        slot.letter->setGeometry(du.rect(kLetterX, y, kLetterW, kRowH));

        slot.title = new QLineEdit(this);
        slot.title->setObjectName(slotName("titleField", i));
        slot.title->setValidator(new ByteLimitValidator(kTitleBytes, slot.title));
        slot.title->setGeometry(du.rect(kTitleX, y, kTitleW, kRowH));

        slot.group = new QButtonGroup(this);
        for (int t = 0; t < 3; ++t) {
            auto* button = new QRadioButton(QString::fromUtf8(kTypeButtons[t].text), this);
            button->setObjectName(slotName(kTypeButtons[t].name, i));
            button->setGeometry(du.rect(kTypeX + t * kTypeGap, y, kTypeW, kRowH));
            slot.group->addButton(button, t);
            slot.types[t] = button;
        }

        slot.size = new QLineEdit(this);
        slot.size->setObjectName(slotName("sizeField", i));
        slot.size->setValidator(new DigitsValidator(4, kMaxSlotSize, slot.size));
        slot.size->setAlignment(Qt::AlignRight);
        slot.size->setGeometry(du.rect(kSizeX, y, kSizeW, kRowH));

        slot.formula = new QLineEdit(this);
        slot.formula->setObjectName(slotName("formulaField", i));
        slot.formula->setValidator(new ByteLimitValidator(kFormulaBytes, slot.formula));
        slot.formula->setGeometry(du.rect(kFormulaX, y, kFormulaW, kRowH));
    }

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(du.rect(kLetterX, kRuleY, kWidth - 2 * kLetterX, 2));

    auto label = [&](const char* text, int x, int y, int w) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setGeometry(du.rect(x, y, w, kRowH));
        return l;
    };
    auto number = [&](const char* name, int digits, long long largest, Qt::Alignment align) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromUtf8(name));
        edit->setValidator(new DigitsValidator(digits, largest, edit));
        edit->setAlignment(align);
        return edit;
    };
    label("메모컬럼:", kLetterX, kMemoY, 40);
    memoLetter_ = letterList(this);
    memoLetter_->setObjectName(QStringLiteral("memoLetterList"));
    memoLetter_->setGeometry(du.rect(50, kMemoY, kLetterW, kRowH));
    memoTitle_ = new QLineEdit(this);
    memoTitle_->setObjectName(QStringLiteral("memoTitleField"));
    memoTitle_->setValidator(new ByteLimitValidator(kTitleBytes, memoTitle_));
    memoTitle_->setGeometry(du.rect(84, kMemoY, kTitleW, kRowH));
    label("가로폭:", 166, kMemoY, 30);
    // The memo box's sizes are bytes: the fields take 0 to 255.
    memoWidth_ = number("memoWidthField", 3, kMaxMemoSize, Qt::AlignRight);
    memoWidth_->setGeometry(du.rect(198, kMemoY, kSizeW, kRowH));
    label("세로폭:", 232, kMemoY, 30);
    memoHeight_ = number("memoHeightField", 3, kMaxMemoSize, Qt::AlignRight);
    memoHeight_->setGeometry(du.rect(264, kMemoY, kSizeW, kRowH));

    label("자료 시작줄", kLetterX, kStartY, 44);
    // Ten digits, as the field shows them; more than the start row holds is refused on OK.
    startLine_ = number("startRowField", 10, 9999999999LL, Qt::AlignRight);
    startLine_->setGeometry(du.rect(54, kStartY, 48, kRowH));

    ok_ = new QPushButton(QString::fromUtf8("확 인"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setGeometry(du.rect(kWidth - 116, kStartY - 2, 50, 16));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QString::fromUtf8("취 소"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setGeometry(du.rect(kWidth - 60, kStartY - 2, 50, 16));

    setFixedSize(du.x(kWidth), du.y(kHeight));
}

void SetupDialog::connectControls() {
    for (int i = 0; i < kMaxColumns; ++i) {
        Slot& slot = slots_[i];
        connect(slot.letter, &QComboBox::activated, this, [this, i](int index) {
            draft_.sheetColumn[i] = letterAt(index);
            edited();
        });
        connect(slot.title, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            draft_.title[i] = text.toStdString();
            edited();
        });
        connect(slot.group, &QButtonGroup::idClicked, this, [this, i](int t) {
            draft_.type[i] = kTypeButtons[t].type;
            edited();
        });
        connect(slot.size, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            draft_.size[i] = text.toInt();
            edited();
        });
        connect(slot.formula, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            draft_.formula[i] = text.toStdString();
            edited();
        });
        connect(slot.size, &QLineEdit::editingFinished, this, &SetupDialog::showDraft);
    }
    connect(memoLetter_, &QComboBox::activated, this, [this](int index) {
        draft_.memoColumn = letterAt(index);
        edited();
    });
    connect(memoTitle_, &QLineEdit::textEdited, this, [this](const QString& text) {
        draft_.memoTitle = text.toStdString();
        edited();
    });
    connect(memoWidth_, &QLineEdit::textEdited, this, [this](const QString& text) {
        draft_.memoWidth = text.toInt();
        edited();
    });
    connect(memoHeight_, &QLineEdit::textEdited, this, [this](const QString& text) {
        draft_.memoHeight = text.toInt();
        edited();
    });
    connect(startLine_, &QLineEdit::textEdited, this, [this](const QString& text) {
        draft_.firstDataRow = text.toLongLong();
        edited();
    });
    for (QLineEdit* edit : {memoWidth_, memoHeight_, startLine_})
        connect(edit, &QLineEdit::editingFinished, this, &SetupDialog::showDraft);
    connect(ok_, &QPushButton::clicked, this, &SetupDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void SetupDialog::orderTabs() {
    // Kind by kind, as the window was designed: the ten letters, the ten titles, the ten
    // type groups, the ten sizes, the ten formulas, then the memo row, the start row, OK.
    std::vector<QWidget*> order;
    for (const Slot& slot : slots_)
        order.push_back(slot.letter);
    for (const Slot& slot : slots_)
        order.push_back(slot.title);
    for (const Slot& slot : slots_)
        order.insert(order.end(), slot.types.begin(), slot.types.end());
    for (const Slot& slot : slots_)
        order.push_back(slot.size);
    for (const Slot& slot : slots_)
        order.push_back(slot.formula);
    order.insert(order.end(),
                 {memoLetter_, memoTitle_, memoWidth_, memoHeight_, startLine_, ok_, cancel_});
    for (std::size_t k = 1; k < order.size(); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
}

void SetupDialog::edited() {
    settleDraft(draft_);
    showDraft();
}

void SetupDialog::showDraft() {
    for (int i = 0; i < kMaxColumns; ++i) {
        Slot& slot = slots_[i];
        const QSignalBlocker letterBlock(slot.letter);
        slot.letter->setCurrentIndex(letterIndex(draft_.sheetColumn[i]));
        showText(slot.title, q(draft_.title[i]), false);
        showText(slot.formula, q(draft_.formula[i]), false);
        showText(slot.size, sizeText(draft_.size[i]), slot.size->text().toInt() == draft_.size[i]);

        // A slot without a type shows no button checked; Tab enters a group at its checked
        // button (the first when none is), the arrows move within it.
        int checked = -1;
        for (int t = 0; t < 3; ++t) {
            if (draft_.type[i] == kTypeButtons[t].type)
                checked = t;
        }
        slot.group->setExclusive(false);
        for (int t = 0; t < 3; ++t) {
            slot.types[t]->setChecked(t == checked);
            slot.types[t]->setFocusPolicy(t == std::max(checked, 0) ? Qt::StrongFocus
                                                                    : Qt::ClickFocus);
        }
        slot.group->setExclusive(true);
    }
    {
        const QSignalBlocker block(memoLetter_);
        memoLetter_->setCurrentIndex(letterIndex(draft_.memoColumn));
    }
    showText(memoTitle_, q(draft_.memoTitle), false);
    showText(memoWidth_, sizeText(draft_.memoWidth),
             memoWidth_->text().toInt() == draft_.memoWidth);
    showText(memoHeight_, sizeText(draft_.memoHeight),
             memoHeight_->text().toInt() == draft_.memoHeight);
    // "n10": 0 shows as 0.
    showText(startLine_, QString::number(draft_.firstDataRow),
             startLine_->text().toLongLong() == draft_.firstDataRow);
}

void SetupDialog::confirm() {
    const SetupConfirmation result = confirmSetup(draft_, doc_, prompts_);
    if (result.outcome) {
        outcome_ = *result.outcome;
        if (outcome_ == SetupOutcome::Cancelled)
            reject();
        else
            accept();
        return;
    }
    if (auto* field = findChild<QWidget*>(q(result.focus))) {
        activateWindow();
        field->setFocus();
    }
}

SetupOutcome SetupDialog::run(Document& doc, Prompts& prompts, QWidget* parent) {
    SetupDialog dialog(doc, prompts, preferredFont(QStringLiteral("굴림"), 9), parent);
    dialog.exec();
    return dialog.outcome();
}

} // namespace rowbit::ui
