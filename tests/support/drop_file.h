#pragma once
// A file dropped on a window as the window system delivers it: the drag entering, then the drop.

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <string>

namespace rowbit::testing {

struct DropAccepted {
    bool entered = false; // the window took the drag
    bool dropped = false; // and the drop
};

inline DropAccepted dropFile(QWidget& window, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    return {enter.isAccepted(), dropped.isAccepted()};
}

} // namespace rowbit::testing
