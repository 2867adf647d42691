#include "report/ui/totals_window.h"

#include "app/list_format.h"
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"

#include <QIcon>
#include <QPushButton>

namespace rowbit::ui {

namespace {
// Designed size and places in dialog units; the width follows the number columns.
constexpr int kDesignedWidth = 363;
constexpr int kHeight = 194;
constexpr int kColumnWidth = 50;
constexpr int kCloseY = 160, kCloseW = 40, kCloseH = 16;
constexpr int kListX = 10, kListY = 20, kListH = 130;
constexpr int kRowHeight = 16;
} // namespace

TotalsWindow::TotalsWindow(const ColumnSetup& setup, Totals totals, const QFont& font,
                           QWidget* parent)
    : QDialog(parent), totals_(std::move(totals)), list_(new RecordListView(this)),
      close_(new QPushButton(QIcon(QStringLiteral(":/icons/close.svg")), QStringLiteral("Close"),
                             this)) {
    setFont(font);
    setWindowTitle(QString::fromUtf8(kTotalsCaption));
    const DialogUnits du(font);
    resize(du.x(kDesignedWidth), du.y(kHeight));

    list_->setObjectName(QStringLiteral("totalsList"));
    list_->setFont(font);
    list_->setUnits(du);
    // The values come as totalsText gives them, "@N-25B" already applied and without the
    // field's leading blanks: a 25-character field would not fit a column of 50 units.
    std::vector<browse::ListColumn> listColumns = totalsColumns(setup);
    for (browse::ListColumn& column : listColumns)
        column.picture.clear();
    list_->setColumns(std::move(listColumns));
    list_->setSource(LineSource{[this] { return totals_.lines.size(); },
                                [this](std::size_t line, int field) -> std::string {
                                    const TotalsLine& l = totals_.lines[line];
                                    if (field == 1)
                                        return l.subj;
                                    const auto k = static_cast<std::size_t>(field - 2);
                                    return k < l.value.size() ? totalsText(l.value[k]) : "";
                                }});
    list_->setRowHeightUnits(kRowHeight);
    close_->setObjectName(QStringLiteral("closeButton"));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    // One column of 50 for the labels and one per number column.
    const int width = totalsWindowWidth(setup);
    const int columns = (width - 40) / kColumnWidth;
    close_->setGeometry(du.rect(width / 2 - 7, kCloseY, kCloseW, kCloseH));
    list_->setGeometry(du.rect(kListX, kListY, columns * kColumnWidth + 20, kListH));
    setFixedSize(du.x(width), du.y(kHeight));
    close_->setDefault(true);
}

void TotalsWindow::run(const Document& doc, Prompts& prompts, QWidget* parent) {
    std::optional<Totals> totals = sumNumberColumns(doc.columns, doc.records);
    if (!totals) {
        prompts.tell(kNoNumberColumns);
        return;
    }
    TotalsWindow window(doc.columns, std::move(*totals), preferredFont(QStringLiteral("굴림"), 9),
                        parent);
    window.exec();
}

} // namespace rowbit::ui
