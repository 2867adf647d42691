// Window placement on a Qt window: what is written for each window state, and what a stored
// section does to a window at the next start.
#include "winsupport/ui/qt_window_placement.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

using namespace rowbit;
using namespace rowbit::ui;

class QtWindowPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void aNormalWindowIsWrittenWithPositionAndSize() {
        QWidget w;
        w.move(30, 40);
        w.resize(500, 300);
        winsupport::MemoryIni ini;
        saveWindowPlacement(w, ini, "Window");
        QCOMPARE(ini.read("Window", "Maximize"), std::optional<std::string>("No"));
        QCOMPARE(ini.read("Window", "XPos"), std::optional<std::string>("30"));
        QCOMPARE(ini.read("Window", "Width"), std::optional<std::string>("500"));
        QCOMPARE(ini.read("Window", "Height"), std::optional<std::string>("300"));
    }

    void aMaximizedWindowIsWrittenWithoutNumbersAndRestoredMaximized() {
        QWidget w;
        w.resize(400, 300);
        w.showMaximized();
        QVERIFY(w.isMaximized());
        winsupport::MemoryIni ini;
        saveWindowPlacement(w, ini, "Window");
        QCOMPARE(ini.read("Window", "Maximize"), std::optional<std::string>("Yes"));
        QCOMPARE(ini.read("Window", "XPos"), std::optional<std::string>(""));

        QWidget next;
        next.resize(400, 300);
        restoreWindowPlacement(next, ini, "Window");
        next.show();
        QVERIFY(next.isMaximized());
    }

    void aFixedSizeWindowKeepsItsSize() {
        winsupport::MemoryIni ini;
        ini.sections["Window"] = {{"Maximize", "No"}, {"Minimize", "No"}, {"XPos", "10"},
                                  {"YPos", "20"},     {"Width", "900"},   {"Height", "700"}};
        QWidget w;
        w.setFixedSize(320, 200);
        restoreWindowPlacement(w, ini, "Window");
        QCOMPARE(w.pos(), QPoint(10, 20));
        QCOMPARE(w.size(), QSize(320, 200));
    }

    void anUnknownMaximizeValueLeavesTheWindowAsDesigned() {
        winsupport::MemoryIni ini;
        ini.sections["Window"] = {{"Maximize", "yes"}, {"XPos", "10"}, {"Width", "900"}};
        QWidget w;
        w.move(5, 6);
        w.resize(320, 200);
        restoreWindowPlacement(w, ini, "Window");
        QCOMPARE(w.pos(), QPoint(5, 6));
        QCOMPARE(w.size(), QSize(320, 200));
        QVERIFY(!w.isMaximized());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtWindowPlacementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "qt_window_placement_test.moc"
