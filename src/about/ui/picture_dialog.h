#pragma once
// A modal window drawn on a background picture, in the font Gulim: the base of the update
// notice and the About window.

#include <QDialog>
#include <QString>

class QSvgRenderer;

namespace rowbit::ui {

class PictureDialog : public QDialog {
    Q_OBJECT
public:
    // `picture`: a resource path of an SVG drawn to fill the window.
    PictureDialog(const QString& picture, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QSvgRenderer* picture_;
};

} // namespace rowbit::ui
