#include "about/ui/about_window.h"

#include "about/about_text.h"
#include "app/ui/dialog_units.h"

#include <QLabel>
#include <QPushButton>

namespace rowbit::ui {

namespace {
// Designed size, in dialog units.
constexpr int kWidth = 300;
constexpr int kHeight = 136;
} // namespace

AboutWindow::AboutWindow(const WebAddresses& addresses, QWidget* parent)
    : PictureDialog(QStringLiteral(":/pictures/about.svg"), parent), text_(new QLabel(this)),
      close_(new QPushButton(this)) {
    setWindowTitle(QString::fromUtf8(kAboutCaption));
    const DialogUnits du(font());

    text_->setObjectName(QStringLiteral("aboutText"));
    // The text's lines end in CR LF; a label breaks at the LF alone.
    text_->setText(
        QString::fromStdString(aboutText(ownVersion(), addresses)).remove(QLatin1Char('\r')));
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setGeometry(du.rect(66, 10, kWidth - 74, kHeight - 36));

    close_->setObjectName(QStringLiteral("closeButton"));
    close_->setText(QString::fromUtf8(kAboutClose));
    close_->setGeometry(du.rect(kWidth - 62, kHeight - 22, 50, 15));
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(du.x(kWidth), du.y(kHeight));
}

void AboutWindow::run(const WebAddresses& addresses, QWidget* parent) {
    AboutWindow window(addresses, parent);
    window.exec();
}

} // namespace rowbit::ui
