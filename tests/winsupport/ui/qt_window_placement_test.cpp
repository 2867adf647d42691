// Window placement on a Qt window: what is written for each window state, and what a stored
// section does to a window at the next start.
#include "winsupport/ui/qt_window_placement.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <string>

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

    // Saved geometry in, the same geometry out, whether or not the window existed on the
    // screen before it was placed (a dialog opened with it as parent makes it exist); a
    // geometry off the screen comes back on it.
    void aRestoredWindowIsWhereItWasSaved_data() {
        QTest::addColumn<bool>("existedBefore");
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<bool>("exactly");
        QTest::newRow("new window") << false << QRect(40, 30, 500, 300) << true;
        QTest::newRow("existing window") << true << QRect(40, 30, 500, 300) << true;
        QTest::newRow("off the screen") << false << QRect(3000, 2000, 500, 300) << false;
        QTest::newRow("larger than the screen") << true << QRect(100, 80, 4000, 3000) << false;
    }

    void aRestoredWindowIsWhereItWasSaved() {
        QFETCH(bool, existedBefore);
        QFETCH(QRect, saved);
        QFETCH(bool, exactly);
        winsupport::MemoryIni ini;
        ini.sections["Window"] = {{"Maximize", "No"},
                                  {"Minimize", "No"},
                                  {"XPos", std::to_string(saved.x())},
                                  {"YPos", std::to_string(saved.y())},
                                  {"Width", std::to_string(saved.width())},
                                  {"Height", std::to_string(saved.height())}};
        QWidget w;
        w.setMinimumSize(320, 200);
        w.resize(320, 200);
        if (existedBefore)
            (void)w.winId();
        restoreWindowPlacement(w, ini, "Window");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        winsupport::MemoryIni out;
        saveWindowPlacement(w, out, "Window");
        const QRect back(
            std::stoi(*out.read("Window", "XPos")), std::stoi(*out.read("Window", "YPos")),
            std::stoi(*out.read("Window", "Width")), std::stoi(*out.read("Window", "Height")));
        if (exactly) {
            QCOMPARE(back, saved);
        } else {
            const QRect screen = w.screen()->availableGeometry();
            QVERIFY2(screen.contains(w.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                   .arg(back.x())
                                                                   .arg(back.y())
                                                                   .arg(back.width())
                                                                   .arg(back.height())));
        }
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
