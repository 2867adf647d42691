#include "about/ui/picture_dialog.h"

#include "app/ui/fonts.h"

#include <QPainter>
#include <QSvgRenderer>

namespace rowbit::ui {

PictureDialog::PictureDialog(const QString& picture, QWidget* parent)
    : QDialog(parent), picture_(new QSvgRenderer(picture, this)) {
    setFont(preferredFont(QStringLiteral("굴림"), 9));
}

void PictureDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_->render(&painter, rect());
}

void PictureDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Before the main window there is no active window to take the keys from.
    activateWindow();
}

} // namespace rowbit::ui
