// The workbook preview: its rows and columns, the preselected title row, and what OK, a
// double click and Cancel give back.
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "browse/ui/preview_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

std::vector<PreviewRow> sampleRows() {
    std::vector<PreviewRow> rows(kPreviewRows);
    for (int r = 0; r < kPreviewRows; ++r)
        rows[static_cast<std::size_t>(r)].row = r + 1;
    rows[2].col = {"날짜", "이름", "점수"};
    rows[3].col = {"15-10-31", "김하나", "95"};
    rows[4].col = {"15-11-01", "아주 긴 이름이 들어간 칸입니다", "1,200"};
    return rows;
}

QString shown(const PreviewWindow& w, int line, int column) {
    return w.list()->model()->index(line - 1, column).data().toString();
}

} // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTenRowsUnderLettersWithTheTitleRowSelected() {
        PreviewWindow w(sampleRows(), 3, preferredFont("Arial", 9));
        QCOMPARE(w.windowTitle(), QString("엑셀파일 미리보기"));
        QCOMPARE(w.findChild<QLabel*>("noteLabel1")->text(),
                 QString("* 아래 미리보기에서 제목줄을 선택하고 [확인]을 선택하세요"));
        QCOMPARE(w.okButton()->text(), QString("&OK"));
        QCOMPARE(w.cancelButton()->text(), QString("&Cancel"));

        QAbstractItemModel* model = w.list()->model();
        QCOMPARE(model->rowCount(), 10);
        QCOMPARE(model->columnCount(), 11);
        QVERIFY(model->headerData(0, Qt::Horizontal).toString().isEmpty());
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("A"));
        QCOMPARE(model->headerData(10, Qt::Horizontal).toString(), QString("J"));
        QCOMPARE(shown(w, 1, 0), QString("  1"));
        QCOMPARE(shown(w, 10, 0), QString(" 10"));
        QCOMPARE(shown(w, 3, 2), QString("이름"));
        // Each lettered column shows 16 bytes as the workbook's users count them: a Hangul
        // syllable is two, and none is split.
        QCOMPARE(shown(w, 5, 2), QString("아주 긴 이름이 "));
        QCOMPARE(w.list()->selectedLine(), std::size_t(3));
        // Widths follow the format: 18 units, then 65 each.
        QCOMPARE(w.list()->header()->sectionSize(0), w.list()->units().x(18));
        QCOMPARE(w.list()->header()->sectionSize(4), w.list()->units().x(65));
    }

    void okGivesTheSelectedSheetRowCancelGivesNothing() {
        PreviewWindow ok(sampleRows(), 3, preferredFont("Arial", 9));
        ok.list()->selectLine(4);
        QTest::mouseClick(ok.okButton(), Qt::LeftButton);
        QCOMPARE(ok.chosenRow(), std::optional<int>(4));
        QCOMPARE(ok.result(), int(QDialog::Accepted));

        PreviewWindow cancel(sampleRows(), 3, preferredFont("Arial", 9));
        QTest::mouseClick(cancel.cancelButton(), Qt::LeftButton);
        QVERIFY(!cancel.chosenRow().has_value());

        // A double click only selects; Enter is OK.
        PreviewWindow keys(sampleRows(), 3, preferredFont("Arial", 9));
        const QRect line = keys.list()->visualRect(keys.list()->model()->index(6, 1));
        QTest::mouseDClick(keys.list()->viewport(), Qt::LeftButton, {}, line.center());
        QVERIFY(!keys.chosenRow().has_value());
        QCOMPARE(keys.list()->selectedLine(), std::size_t(7));
        QTest::keyClick(keys.list(), Qt::Key_Return);
        QCOMPARE(keys.chosenRow(), std::optional<int>(7));
    }

    void withNothingSelectedOkProposesNothing() {
        PreviewWindow w(std::vector<PreviewRow>(kPreviewRows), 0, preferredFont("Arial", 9));
        QCOMPARE(w.list()->selectedLine(), std::size_t(0));
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        QVERIFY(!w.chosenRow().has_value());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rowbit::ui::installFontSubstitutions();
    PreviewWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "preview_window_test.moc"
