#include "form/ui/record_form.h"

#include "app/cp949_text.h"
#include "app/picture.h"
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "form/number_field.h"
#include "form/ui/byte_limit.h"
#include "form/ui/lookup_window.h"
#include "winsupport/ui/qt_enter_tab.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace rowbit::ui {

namespace {

QString q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string s(const QString& text) {
    return text.toUtf8().toStdString();
}

void place(QWidget* widget, const DialogUnits& du, const form::DialogRect& r) {
    widget->setGeometry(du.rect(r.x, r.y, r.width, r.height));
    widget->setVisible(r.shown);
}

} // namespace

RecordForm::RecordForm(Document& doc, const AppState& display, Prompts& prompts,
                       RecordCommand command, std::size_t record, std::int32_t today,
                       QWidget* parent)
    : QDialog(parent), doc_(doc), display_(display), prompts_(prompts), command_(command),
      position_(command == RecordCommand::Insert ? 0 : record),
      layout_(form::layOutForm(doc.columns, display.fontSize, command)),
      model_(doc.columns, display.datePicture, display.fontSize, today,
             form::workbookLookup(doc.lastSheet())),
      chooser_(&LookupWindow::run) {
    model_.start(command, position_ >= 1 && position_ <= doc.records.count()
                              ? doc.records.at(position_)
                              : Record());
    build();
    refresh();
    memo_->setPlainText(q(model_.memo())); // no check touches the memo: it is read back on OK
}

RecordForm::~RecordForm() = default;

void RecordForm::build() {
    const QString face = q(display_.fontFace);
    const QFont fieldFont = preferredFont(face, layout_.fieldPoints);
    const QFont labelFont = preferredFont(face, layout_.labelPoints);
    setFont(labelFont);
    setWindowTitle(q(layout_.caption));
    const DialogUnits du(fieldFont);

    // Created in the window's control order, which is also the tab order.
    for (int k = 0; k < kMaxColumns; ++k) {
        labels_[k] = new QLabel(q(layout_.titles[k]), this);
        labels_[k]->setFont(labelFont);
        labels_[k]->setObjectName(QStringLiteral("fieldLabel%1").arg(k + 1));
        place(labels_[k], du, layout_.labels[k]);
    }
    memoLabel_ = new QLabel(q(layout_.memoTitle), this);
    memoLabel_->setFont(fieldFont);
    memoLabel_->setObjectName(QStringLiteral("memoLabel"));
    place(memoLabel_, du, layout_.memoLabel);
    for (int k = 0; k < kMaxColumns; ++k) {
        auto* field = new QLineEdit(this);
        field->setFont(fieldFont);
        field->setObjectName(QStringLiteral("recordField%1").arg(k + 1));
        field->setValidator(new Cp949Limit(kFieldBytes, field));
        if (doc_.columns.type[k] == FieldType::Number)
            field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(field, du, layout_.fields[k]);
        field->installEventFilter(this);
        connect(field, &QLineEdit::editingFinished, this, [this, k] {
            if (fields_[k]->isModified())
                acceptField(k + 1);
        });
        fields_[k] = field;

        auto* button = new QPushButton(QStringLiteral("..."), this);
        button->setFont(fieldFont);
        button->setObjectName(QStringLiteral("lookupButton%1").arg(k + 1));
        place(button, du, layout_.buttons[k]);
        connect(button, &QPushButton::clicked, this, [this, k] { pressLookup(k + 1); });
        buttons_[k] = button;
    }
    memo_ = new QPlainTextEdit(this);
    memo_->setFont(fieldFont);
    memo_->setObjectName(QStringLiteral("memoField"));
    memo_->setTabChangesFocus(true);
    limitBytes(memo_, kMemoBytes);
    place(memo_, du, layout_.memo);

    ok_ = new QPushButton(QString::fromUtf8(form::kOkText), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setFont(labelFont);
    place(ok_, du, layout_.ok);
    cancel_ = new QPushButton(QString::fromUtf8(form::kCancelText), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setFont(labelFont);
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    place(cancel_, du, layout_.cancel);
    // Enter presses the button that has the focus; in a field it moves on (Enter-as-Tab).
    connect(ok_, &QPushButton::clicked, this, &RecordForm::confirm);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    enterTab_ = new QtEnterTab(this);
    enterTab_->excludeControl(ok_, 1000);
    enterTab_->excludeControl(cancel_, 1001);
    std::vector<std::pair<QWidget*, winsupport::FieldKind>> controls;
    for (int k = 0; k < kMaxColumns; ++k) {
        controls.emplace_back(fields_[k], winsupport::FieldKind::SingleLineText);
        controls.emplace_back(buttons_[k], winsupport::FieldKind::Button);
    }
    controls.emplace_back(memo_, winsupport::FieldKind::MultiLineText);
    enterTab_->init(controls);

    if (layout_.readOnly) {
        for (QWidget* child : findChildren<QWidget*>())
            child->setEnabled(child == ok_ || child == cancel_);
        ok_->setFocus();
    } else {
        fields_[0]->setFocus();
    }
    setFixedSize(du.x(layout_.width), du.y(layout_.height));
}

void RecordForm::refresh() {
    for (int k = 0; k < kMaxColumns; ++k) {
        // A box the user is still editing keeps what is typed until it is accepted.
        if (fields_[k]->isModified())
            continue;
        fields_[k]->setText(q(model_.shown(k + 1)));
        // A number the picture cannot show is still kept: the tip shows it whole.
        const std::string& text = model_.field(k + 1);
        const bool hidden = doc_.columns.type[k] == FieldType::Number &&
                            form::numberHidden(text, display_.fontSize);
        fields_[k]->setToolTip(hidden ? q(std::string(cp949::trim(text))) : QString());
    }
}

void RecordForm::acceptField(int i) {
    if (checking_)
        return;
    checking_ = true;
    QLineEdit* box = fields_[i - 1];
    box->setModified(false);
    model_.setField(i, s(box->text()));
    form::CheckResult result = model_.accept(i);
    refresh();
    if (result.status == form::CheckStatus::LookupNeeded) {
        model_.chooseLookup(i, chooser_(result.offered, this));
        refresh();
    } else if (const int focus = result.focus(); focus != 0) {
        // A refusal, or a formula that divided by zero or overflowed: told, and the user
        // is sent to the field it names.
        prompts_.tell(model_.message(result));
        activateWindow();
        fields_[focus - 1]->setFocus();
    }
    checking_ = false;
}

void RecordForm::pressLookup(int i) {
    if (checking_ || layout_.readOnly)
        return;
    checking_ = true;
    fields_[i - 1]->setModified(false);
    model_.setField(i, {});
    const std::vector<std::string> entries = model_.openLookup(i);
    refresh();
    const std::optional<std::string> chosen = chooser_(entries, this);
    model_.chooseLookup(i, chosen);
    refresh();
    activateWindow();
    if (chosen) {
        if (QWidget* next = neighbourInTabChain(buttons_[i - 1], true))
            next->setFocus(Qt::TabFocusReason);
    }
    checking_ = false;
}

void RecordForm::confirm() {
    // What the boxes hold now is stored; nothing is checked again.
    for (int k = 0; k < kMaxColumns; ++k) {
        if (fields_[k]->isModified())
            model_.setField(k + 1, s(fields_[k]->text()));
    }
    model_.setMemo(s(memo_->toPlainText()));
    position_ = form::applyForm(doc_.records, command_, position_, model_);
    outcome_ = form::FormOutcome::Done;
    accept();
}

bool RecordForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (int k = 0; k < kMaxColumns; ++k) {
            if (watched != fields_[k])
                continue;
            if (key->key() == Qt::Key_F12) {
                pressLookup(k + 1); // whether its button shows or not
                return true;
            }
            if (key->key() == Qt::Key_Plus && (key->modifiers() & Qt::KeypadModifier) &&
                layout_.keypadPlus[k]) {
                fields_[k]->insert(QStringLiteral("000"));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

form::FormOutcome RecordForm::run() {
    outcome_ = form::FormOutcome::Cancelled;
    exec();
    return outcome_;
}

form::FormOutcome RecordForm::run(Document& doc, const AppState& display, Prompts& prompts,
                                  RecordCommand command, std::size_t record, QWidget* parent) {
    RecordForm form(doc, display, prompts, command, record, picture::today(), parent);
    return form.run();
}

} // namespace rowbit::ui
