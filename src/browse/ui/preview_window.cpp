#include "browse/ui/preview_window.h"

#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace rowbit::ui {

namespace {
// Designed size and places, in dialog units.
constexpr int kWidth = 700;
constexpr int kHeight = 196;
} // namespace

PreviewWindow::PreviewWindow(const std::vector<PreviewRow>& rows, int preselected,
                             const QFont& font, QWidget* parent)
    : QDialog(parent), rows_(rows), list_(new RecordListView(this)),
      ok_(new QPushButton(QStringLiteral("&OK"), this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setFont(font);
    setWindowTitle(QString::fromUtf8(kPreviewCaption));
    const DialogUnits du(font);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("notePanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::AlternateBase);
    panel->setGeometry(du.rect(4, 4, kWidth - 8, 26));

    auto* msg1 = new QLabel(QString::fromUtf8(kPreviewNote1), this);
    msg1->setObjectName(QStringLiteral("noteLabel1"));
    msg1->setGeometry(du.rect(10, 6, kWidth - 20, 10));
    auto* msg2 = new QLabel(QString::fromUtf8(kPreviewNote2), this);
    msg2->setObjectName(QStringLiteral("noteLabel2"));
    msg2->setGeometry(du.rect(10, 17, kWidth - 20, 10));

    list_->setObjectName(QStringLiteral("rowList"));
    list_->setFont(font);
    list_->setUnits(du);
    list_->setColumns(previewColumns());
    // The preview's lines: the row number first, then the texts of columns A to J.
    list_->setSource(LineSource{[this] { return rows_.size(); },
                                [this](std::size_t line, int field) -> std::string {
                                    const PreviewRow& row = rows_[line];
                                    if (field == 1)
                                        return std::to_string(row.row);
                                    if (field >= 2 && field <= kMaxColumns + 1)
                                        return row.col[static_cast<std::size_t>(field - 2)];
                                    return {};
                                }});
    list_->setRowHeightUnits(12);
    list_->setGeometry(du.rect(4, 34, kWidth - 8, kHeight - 60));

    ok_->setObjectName(QStringLiteral("okButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    ok_->setGeometry(du.rect(kWidth - 110, kHeight - 20, 50, 15));
    cancel_->setGeometry(du.rect(kWidth - 56, kHeight - 20, 50, 15));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] {
        takeSelection();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    // Enter takes the selected row as the default button would; a double click only selects.
    connect(list_, &RecordListView::enterPressed, ok_, &QPushButton::click);

    setFixedSize(du.x(kWidth), du.y(kHeight));
    if (preselected > 0)
        list_->selectLine(static_cast<std::size_t>(preselected));
    list_->setFocus();
}

void PreviewWindow::takeSelection() {
    const std::size_t line = list_->selectedLine();
    if (line >= 1 && line <= rows_.size())
        chosen_ = rows_[line - 1].row;
}

std::optional<int> PreviewWindow::run(const std::vector<PreviewRow>& rows, int preselected,
                                      QWidget* parent) {
    PreviewWindow window(rows, preselected, preferredFont(QStringLiteral("Arial"), 9), parent);
    window.exec();
    return window.chosenRow();
}

} // namespace rowbit::ui
