// The totals window: its lines and columns, its width by the number of number columns, the
// Close button's place, and the message when there is nothing to add up.
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "report/ui/totals_window.h"
#include "support/scripted_prompts.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

// `numbers` number columns after one text column, and one record per row of `rows`.
void fill(Document& doc, int numbers, const std::vector<std::vector<std::string>>& rows) {
    doc.columns.sheetColumn[0] = 1;
    doc.columns.type[0] = FieldType::Text;
    for (int k = 1; k <= numbers; ++k) {
        doc.columns.sheetColumn[k] = k + 1;
        doc.columns.type[k] = FieldType::Number;
        doc.columns.justify[k] = Justification::Right;
        doc.columns.title[k] = "금액" + std::to_string(k);
    }
    doc.columns.columnCount = std::min(numbers + 1, kMaxColumns);
    for (const auto& row : rows) {
        doc.records.buffer.clear();
        for (std::size_t k = 0; k < row.size(); ++k)
            doc.records.buffer.col[k + 1] = row[k];
        doc.records.add();
    }
}

QStringList column(const TotalsWindow& w, int c) {
    QStringList texts;
    for (int line = 0; line < w.list()->model()->rowCount(); ++line)
        texts << w.list()->model()->index(line, c).data().toString();
    return texts;
}

} // namespace

class TotalsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void oneAndTenNumberColumns() {
        Document one;
        fill(one, 1, {{"10"}, {"0"}, {"4"}});
        TotalsWindow w(one.columns, *sumNumberColumns(one.columns, one.records),
                       preferredFont("굴림", 9));
        const DialogUnits du(w.font());
        QCOMPARE(w.windowTitle(), QString("Total SumUp"));
        QCOMPARE(w.width(), du.x(140));
        QCOMPARE(w.closeButton()->pos(), QPoint(du.x(63), du.y(160)));
        QCOMPARE(w.list()->geometry(), du.rect(10, 20, 120, 130));
        QCOMPARE(w.list()->model()->headerData(1, Qt::Horizontal).toString(), QString("금액1"));
        QCOMPARE(column(w, 0),
                 QStringList({"합 계", "건 수", "평 균", "", "건수(0제외)", "평균(0제외)"}));
        QCOMPARE(column(w, 1), QStringList({"14", "3", "5", "", "2", "7"}));

        // Ten number columns, the widest window, over no records.
        Document ten;
        for (int k = 0; k < kMaxColumns; ++k) {
            ten.columns.sheetColumn[k] = k + 1;
            ten.columns.type[k] = FieldType::Number;
            ten.columns.justify[k] = Justification::Right;
        }
        ten.columns.columnCount = kMaxColumns;
        TotalsWindow wide(ten.columns, *sumNumberColumns(ten.columns, ten.records),
                          preferredFont("굴림", 9));
        QCOMPARE(wide.width(), du.x(590));
        // No count, and the averages have no value: empty cells, and the window opens.
        QCOMPARE(column(wide, 10), QStringList({"", "", "", "", "", ""}));
    }

    void withoutNumberColumnsOnlyTheMessage() {
        Document doc;
        fill(doc, 0, {{"x"}});
        testing::ScriptedPrompts prompts;
        bool windowShown = false;
        QObject scope; // the check ends with this test, whether or not it ran
        QTimer::singleShot(0, &scope, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                windowShown = true;
                w->close();
            }
        });
        TotalsWindow::run(doc, prompts, nullptr);
        QCOMPARE(prompts.messageTexts(), std::vector<std::string>{kNoNumberColumns});
        QVERIFY(!windowShown);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rowbit::ui::installFontSubstitutions();
    TotalsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "totals_window_test.moc"
