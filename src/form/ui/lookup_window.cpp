#include "form/ui/lookup_window.h"

#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "form/lookup.h"

#include <QPushButton>

namespace rowbit::ui {

namespace {
// Designed size and places, in dialog units.
constexpr int kWidth = 160;
constexpr int kHeight = 130;
} // namespace

LookupWindow::LookupWindow(std::vector<std::string> entries, QWidget* parent)
    : QDialog(parent), entries_(std::move(entries)), list_(new RecordListView(this)),
      select_(new QPushButton(QString::fromUtf8(form::kSelectText), this)),
      close_(new QPushButton(QString::fromUtf8(form::kCloseText), this)) {
    const QFont font = preferredFont(QStringLiteral("굴림"), 9);
    setFont(font);
    setWindowTitle(QString::fromUtf8(form::kLookupCaption));
    const DialogUnits du(font);

    list_->setObjectName(QStringLiteral("entryList"));
    list_->setFont(font);
    list_->setUnits(du);
    list_->setColumns({form::lookupColumn()});
    list_->setSource(LineSource{[this] { return entries_.size(); },
                                [this](std::size_t line, int) { return entries_[line]; }});
    list_->setHeaderHidden(true); // the list has no header
    list_->setRowHeightUnits(14);
    list_->setGeometry(du.rect(4, 4, 104, kHeight - 8));

    select_->setObjectName(QStringLiteral("selectButton"));
    close_->setObjectName(QStringLiteral("closeButton"));
    select_->setGeometry(du.rect(112, 4, 44, 14));
    close_->setGeometry(du.rect(112, 22, 44, 14));
    select_->setDefault(true);
    connect(select_, &QPushButton::clicked, this, &LookupWindow::select);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &RecordListView::lineActivated, this, &LookupWindow::select);
    connect(list_, &RecordListView::enterPressed, this, &LookupWindow::select);

    setFixedSize(du.x(kWidth), du.y(kHeight));
    if (!entries_.empty())
        list_->selectLine(1);
    list_->setFocus();
}

void LookupWindow::select() {
    // An empty list has nothing to fetch: Select then closes as Close does.
    const std::size_t line = list_->selectedLine();
    if (line >= 1 && line <= entries_.size()) {
        chosen_ = entries_[line - 1];
        accept();
        return;
    }
    reject();
}

std::optional<std::string> LookupWindow::run(const std::vector<std::string>& entries,
                                             QWidget* parent) {
    LookupWindow window(entries, parent);
    window.exec();
    return window.chosen();
}

} // namespace rowbit::ui
