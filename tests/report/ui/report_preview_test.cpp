// The report preview on a one-page and a twelve-page report: paging, the two-page view, jump,
// zoom, keys, and the verdict each way out gives.
#include "report/list_report.h"
#include "report/ui/paint/page_painter.h"
#include "report/ui/progress_window.h"
#include "report/ui/report_output.h"
#include "report/ui/report_preview.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <optional>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

ColumnSetup twoColumns() {
    ColumnSetup columns;
    columns.columnCount = 2;
    columns.sheetColumn = {1, 2};
    columns.type[0] = FieldType::Text;
    columns.type[1] = FieldType::Number;
    columns.title = {"이름", "금액"};
    columns.listWidth = {60, 60};
    return columns;
}

RecordList recordsOf(int count) {
    RecordList records;
    for (int n = 1; n <= count; ++n) {
        records.buffer.col[0] = "사람 " + std::to_string(n);
        records.buffer.col[1] = std::to_string(n * 100);
        records.add();
    }
    return records;
}

std::vector<report::Page> pagesOf(int count) {
    const ColumnSetup columns = twoColumns();
    const RecordList records = recordsOf(count);
    report::ListReport report(columns, records, "/tmp/a.xls", false, {});
    while (!report.layOutNextBatch()) {
    }
    return report.takePages();
}

// The page numbers the two images show; 0 for a hidden frame.
std::pair<int, int> shown(const ReportPreview& p) {
    auto number = [&](int n) {
        return p.frame(n)->isVisible() && p.image(n)->page() ? p.image(n)->page()->number : 0;
    };
    return {number(0), number(1)};
}

} // namespace

class ReportPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void onePageStaysOnItsPageAndShowsItAloneInTwoPageSize() {
        const auto pages = pagesOf(10);
        QCOMPARE(pages.size(), std::size_t(1));
        ReportPreview p(pages);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(p.windowTitle(), QString("보고서 미리보기"));
        QCOMPARE(p.pageInfo(), QString("1/1"));
        QVERIFY(p.fitted());
        p.next();
        QCOMPARE(p.pageInfo(), QString("1/1"));
        const QSize fitted = p.frame(0)->size();
        p.twoPage();
        QVERIFY(!p.twoPageView());
        QCOMPARE(shown(p), std::make_pair(1, 0));
        QVERIFY(p.frame(0)->width() <= fitted.width());
        QVERIFY(!p.button("pdfButton")->isVisibleTo(&p)); // no PDF work given
    }

    void twelvePagesPageJumpAndTwoPageView() {
        const auto pages = pagesOf(500);
        QCOMPARE(pages.size(), std::size_t(12));
        std::vector<int> asked;
        int answer = 12;
        ReportPreview p(
            pages, nullptr, [] { return std::string(); },
            [&](int current, int count) {
                asked.push_back(current);
                asked.push_back(count);
                return answer;
            });
        p.resize(1000, 800);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        for (int n = 0; n < 15; ++n)
            QTest::mouseClick(p.button("nextButton"), Qt::LeftButton);
        QCOMPARE(p.pageInfo(), QString("12/12"));
        QTest::keyClick(&p, Qt::Key_PageUp);
        QCOMPARE(shown(p), std::make_pair(11, 0));
        QTest::mouseClick(p.button("twoPageButton"), Qt::LeftButton);
        QVERIFY(p.twoPageView());
        QCOMPARE(shown(p), std::make_pair(11, 12));
        QTest::keyClick(&p, Qt::Key_PageDown);
        QCOMPARE(shown(p), std::make_pair(12, 0));
        QTest::keyClick(&p, Qt::Key_PageUp);
        QCOMPARE(shown(p), std::make_pair(10, 11));

        // Jump in two-page view: the last page alone on the left; then page 5 beside 6.
        QTest::mouseClick(p.button("jumpButton"), Qt::LeftButton);
        QCOMPARE(asked, (std::vector<int>{10, 12}));
        QCOMPARE(shown(p), std::make_pair(12, 0));
        QCOMPARE(p.pageInfo(), QString("12/12"));
        answer = 5;
        QTest::mouseClick(p.button("jumpButton"), Qt::LeftButton);
        QCOMPARE(shown(p), std::make_pair(5, 6));

        // A click on the second page brings it to the first image and zooms to natural size.
        QTest::mouseClick(p.image(1), Qt::LeftButton);
        QVERIFY(!p.twoPageView());
        QVERIFY(!p.fitted());
        QCOMPARE(shown(p), std::make_pair(6, 0));
        QCOMPARE(p.image(0)->width(), pages[0].width * p.logicalDpiX() / 1000);
        QTest::mouseClick(p.button("zoomButton"), Qt::LeftButton);
        QVERIFY(p.fitted());
        QTest::keyClick(&p, Qt::Key_Return);
        QCOMPARE(p.pageInfo(), QString("7/12"));
        // Resizing keeps the two-page view on, with the new sizes.
        p.twoPage();
        const int before = p.frame(0)->width();
        p.resize(700, 600);
        QTRY_VERIFY(p.frame(0)->width() < before);
        QVERIFY(p.twoPageView());
        QCOMPARE(shown(p), std::make_pair(7, 8));
        QCOMPARE(p.frame(1)->x(), p.frame(0)->width() + 10);
    }

    void progressWindowRunsToTheEndOrStopsAtCancel() {
        const ColumnSetup columns = twoColumns();
        const RecordList records = recordsOf(1000);
        report::ListReport whole(columns, records, "a.xls", false, {});
        QVERIFY(ProgressWindow::run(whole, nullptr));
        QVERIFY(whole.done());

        report::ListReport cancelled(columns, records, "a.xls", false, {});
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<ProgressWindow*>(QApplication::activeModalWidget());
            QVERIFY(w);
            caption = w->windowTitle();
            w->cancelButton()->click();
        });
        QVERIFY(!ProgressWindow::run(cancelled, nullptr));
        QCOMPARE(caption, QString("인쇄 중..."));
    }

    // The layout cuts cells counting one CP949 byte as half an em of the body face.
    void painterDrawsInTheFacesTheLayoutCountsOn() {
        const QFont body = report::reportFont(report::FontRole::Body);
        QCOMPARE(QFontInfo(body).family(), QString("NanumGothicCoding"));
        QCOMPARE(qRound(QFontMetricsF(body).horizontalAdvance("가나다abc")),
                 qRound(9 * report::kBodyByteWidth));
        QCOMPARE(QFontInfo(report::reportFont(report::FontRole::Title)).family(),
                 QString("NanumGothic"));

        const auto pages = pagesOf(3);
        QImage image(827, 1169, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        report::paintPage(painter, pages[0]);
        painter.end();
        // The title box's left edge, at 4 + 396 thousandths of an inch, is drawn.
        const int x = (4 + 396) * 827 / 8268;
        const int y = (452 + 1125 + 150) * 1169 / 11693;
        QCOMPARE(QColor(image.pixel(x, y)).lightness() < 128, true);
    }

    // The paging keys act whatever holds the focus: the page frame, which scrolls a page at
    // its natural size, must not keep them.
    void pageKeysPageWhereverTheFocusIs_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("Page Down") << 1 << int(Qt::Key_PageDown) << 2;
        QTest::newRow("Page Up") << 3 << int(Qt::Key_PageUp) << 2;
        QTest::newRow("Enter") << 1 << int(Qt::Key_Return) << 2;
        QTest::newRow("End") << 1 << int(Qt::Key_End) << 12;
        QTest::newRow("Home") << 5 << int(Qt::Key_Home) << 1;
    }

    void pageKeysPageWhereverTheFocusIs() {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, to);
        static const auto pages = pagesOf(500);
        ReportPreview p(pages, nullptr, {}, [&](int, int) { return from; });
        p.show();
        p.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p));
        p.jump();
        for (const bool natural : {false, true}) {
            if (natural) {
                p.zoomToggle(); // natural size: the frame has scroll bars to spend keys on
                p.jump();
            }
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            QTest::keyClick(focus, Qt::Key(key));
            QCOMPARE(p.pageInfo(), QStringLiteral("%1/12").arg(to));
        }
    }

    // "PDF 저장" says what it did: the file written, or why it was not.
    void savingAPdfSaysWhatItDid() {
        const auto pages = pagesOf(10);
        testing::ScratchDir dir;
        const std::string written = (dir / "보고서.pdf").string();
        const std::string nowhere = (dir / "없는 폴더" / "보고서.pdf").string();
        struct Case {
            std::optional<std::string> chosen;
            QString status;
            std::size_t messages;
        };
        const Case cases[] = {
            {written, QString::fromStdString(kPdfSaved + written), 0},
            {nowhere, QString::fromUtf8(kPdfSaveFailed), 1},
            {std::nullopt, QString(), 0},
        };
        for (const Case& c : cases) {
            testing::ScriptedPrompts prompts;
            prompts.saveAnswers.push_back(c.chosen);
            ReportPreview p(pages, nullptr, [&] { return savePdfAs(prompts, pages, "a.pdf"); });
            p.show();
            QTest::mouseClick(p.button("pdfButton"), Qt::LeftButton);
            QCOMPARE(p.status(), c.status);
            QCOMPARE(prompts.messages.size(), c.messages);
            if (c.messages) {
                // The box says which file and why.
                QVERIFY(prompts.messages[0].text.find(nowhere) != std::string::npos);
                QVERIFY(prompts.messages[0].text.size() >
                        std::string(kPdfSaveFailed).size() + nowhere.size() + 2);
            }
        }
        QVERIFY(std::filesystem::file_size(written) > 0);
    }

    void verdictOfEachWayOut() {
        const auto pages = pagesOf(10);
        struct Way {
            const char* what;
            int verdict;
        };
        for (const Way& way : {Way{"closeButton", 2}, Way{"close", 2}, Way{"printButton", 1}}) {
            ReportPreview p(pages);
            p.show();
            QVERIFY(QTest::qWaitForWindowExposed(&p));
            if (QString(way.what) == "close")
                p.close();
            else
                QTest::mouseClick(p.button(way.what), Qt::LeftButton);
            QCOMPARE(p.verdict(), way.verdict);
            QVERIFY(!p.isVisible());
        }
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(rowbit);
    ReportPreviewTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "report_preview_test.moc"
