// The list view of records: the columns it is given, and a model that asks only for the
// lines on screen, so a million records cost what a screenful does.
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

using browse::ruledColumn;

// Item and price, then the memo (field 11).
std::vector<browse::ListColumn> itemPriceMemo() {
    return {ruledColumn(50, Justification::Left, "품명", Justification::Center, "s128", 1),
            ruledColumn(60, Justification::Right, "금액", Justification::Center, "s128", 2),
            ruledColumn(150, Justification::Left, "메모", Justification::Left, "s128", 11)};
}

struct CountingSource {
    std::size_t lines = 0;
    mutable std::size_t asked = 0;

    LineSource source() {
        return LineSource{[this] { return lines; },
                          [this](std::size_t line, int field) {
                              ++asked;
                              if (field == 11)
                                  return std::string("memo ") + std::to_string(line + 1);
                              return std::to_string(line + 1) + ":" + std::to_string(field);
                          }};
    }
};

} // namespace

class RecordListViewTest : public QObject {
    Q_OBJECT

private slots:
    void columnsAreShownAsGiven() {
        RecordListView view;
        view.setUnits(DialogUnits(8, 16)); // 2 pixels a unit across
        CountingSource src;
        src.lines = 3;
        view.setSource(src.source());
        view.setColumns(itemPriceMemo());
        QAbstractItemModel* model = view.model();
        QCOMPARE(model->columnCount(), 3);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("품명"));
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QString("메모"));
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                     Qt::AlignHorizontal_Mask,
                 int(Qt::AlignHCenter));
        QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                     Qt::AlignHorizontal_Mask,
                 int(Qt::AlignLeft));
        QCOMPARE(view.header()->sectionSize(0), 100);
        QCOMPARE(view.header()->sectionSize(1), 120);
        QCOMPARE(view.header()->sectionSize(2), 300);
        QCOMPARE(view.columnWidthUnits(2), 150);
        // Fields in order; the memo column names field 11.
        QCOMPARE(model->index(1, 0).data().toString(), QString("2:1"));
        QCOMPARE(model->index(1, 1).data().toString(), QString("2:2"));
        QCOMPARE(model->index(1, 2).data().toString(), QString("memo 2"));
        QCOMPARE(model->index(1, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignRight));
    }

    void aMillionLinesAreAskedForOnlyWhatIsShown() {
        RecordListView view;
        CountingSource src;
        src.lines = 1'000'000;
        view.setSource(src.source());
        view.setColumns(itemPriceMemo());
        view.setRowHeightUnits(12);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.model()->rowCount(), 1'000'000);

        src.asked = 0;
        view.grab();
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        view.grab();
        view.selectLine(500'000);
        view.grab();
        QVERIFY2(src.asked < 2000, qPrintable(QString::number(src.asked)));
        QCOMPARE(view.selectedLine(), std::size_t(500'000));
        QVERIFY(view.visualRect(view.model()->index(499'999, 0)).isValid());
    }

    void clicksBecomeCommands() {
        RecordListView view;
        CountingSource src;
        src.lines = 5;
        view.setSource(src.source());
        view.setColumns(itemPriceMemo());
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy header(&view, &RecordListView::headerClicked);
        QSignalSpy activated(&view, &RecordListView::lineActivated);
        QSignalSpy context(&view, &RecordListView::contextRequested);
        QSignalSpy enter(&view, &RecordListView::enterPressed);

        QHeaderView* h = view.header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(header.size(), 1);
        QCOMPARE(header.at(0).at(0).toInt(), 2); // 1-based

        const QPoint third = view.visualRect(view.model()->index(2, 0)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, third);
        QCOMPARE(view.selectedLine(), std::size_t(3));
        QCOMPARE(activated.size(), 0); // a click only selects
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(enter.size(), 1);
        const QPoint fourth = view.visualRect(view.model()->index(3, 0)).center();
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, fourth);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(view.selectedLine(), std::size_t(4));

        QTest::mouseClick(view.viewport(), Qt::RightButton, {},
                          view.visualRect(view.model()->index(1, 0)).center());
        QCOMPARE(context.size(), 1);
        QCOMPARE(view.selectedLine(), std::size_t(2));
    }

    void paintsHangulTextWithoutBoxes() {
        // NanumGothic stands in for the designed faces; a Hangul line must paint with it.
        RecordListView view;
        view.setFont(preferredFont("굴림", 9));
        QFontInfo info(view.font());
        QVERIFY2(info.family().contains("Nanum") || info.family().contains("CJK"),
                 qPrintable(info.family()));
        QVERIFY(QFontMetrics(view.font()).inFont(QChar(0xAC00)));
        QFont fixed("굴림체");
        QVERIFY2(QFontInfo(fixed).family().contains("NanumGothicCoding"),
                 qPrintable(QFontInfo(fixed).family()));
    }

    // A row is one line: a text of several lines shows its first, marked where more follows.
    void aTextOfSeveralLinesShowsItsFirstLineAndAMark() {
        const std::pair<std::string, QString> cases[] = {
            {"one line", "one line"}, {"first\nsecond", "first…"}, {"first\r\nsecond", "first…"},
            {"only\r\n", "only"},     {"\nafter a break", "…"},
        };
        for (const auto& [memo, shown] : cases) {
            RecordListView view;
            view.setSource(LineSource{[] { return std::size_t(1); },
                                      [&memo = memo](std::size_t, int) { return memo; }});
            view.setColumns(
                {ruledColumn(150, Justification::Left, "메모", Justification::Left, "s128", 11)});
            QCOMPARE(view.model()->index(0, 0).data().toString(), shown);
        }
    }

    void dialogUnitsRoundTrip() {
        const DialogUnits du(preferredFont("굴림", 9));
        QVERIFY(du.charWidth() > 3 && du.charHeight() > 8);
        for (int units : {0, 1, 12, 100, 480, 580})
            QCOMPARE(du.unitsX(du.x(units)), units);
        for (int units : {0, 1, 12, 250, 290})
            QCOMPARE(du.unitsY(du.y(units)), units);
        const QRect r = du.rect(4, 8, 40, 16);
        QCOMPARE(r.left(), du.x(4));
        QCOMPARE(r.right() + 1, du.x(44));
        QCOMPARE(r.bottom() + 1, du.y(24));
        // A larger font grows the layout.
        QVERIFY(DialogUnits(preferredFont("굴림", 14)).x(100) > du.x(100));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rowbit::ui::installFontSubstitutions();
    RecordListViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "record_list_view_test.moc"
