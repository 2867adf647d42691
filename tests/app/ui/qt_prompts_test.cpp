// The Qt prompts: texts and buttons as given, answers as numbers, dialogs with their titles
// and filters, and processes started without a shell.
#include "app/ui/qt_prompts.h"
#include "support/test_paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace rowbit;
using namespace rowbit::ui;

namespace {

// Acts on the next modal window (or pop-up menu) once it is up.
void whenShown(std::function<bool()> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (act()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

QAbstractButton* buttonNamed(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

} // namespace

class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void splitsItemsTextsAndFilters() {
        QCOMPARE(splitItems("세로|가로"), QStringList({"세로", "가로"}));
        // The recent-files menu ends each entry with "|".
        QCOMPARE(splitItems("/a.xls|/b c.xls|"), QStringList({"/a.xls", "/b c.xls"}));
        QVERIFY(splitItems("").isEmpty());
        QCOMPARE(messageText("Below Cells are too big to fetch || C41"),
                 QString("Below Cells are too big to fetch \n\n C41"));
        // Both cases, and the longer extensions a three-letter pattern showed.
        QCOMPARE(qtFilter("Excel File|*.XLS"), QString("Excel File (*.XLS *.XLS? *.xls *.xls?)"));
        QCOMPARE(qtFilter("엑셀파일(*.xls)|*.xls"),
                 QString("엑셀파일(*.xls) (*.xls *.xls? *.XLS *.XLS?)"));
        QCOMPARE(qtFilter("Books|*.xlsx|All|*"), QString("Books (*.xlsx *.XLSX);;All (*)"));
    }

    void theCommandTailIsOneText() {
        QCOMPARE(commandTail({"/usr/bin/rowbit"}), std::string());
        QCOMPARE(commandTail({"rowbit", "/O"}), std::string("/O"));
        // A path given as one argument stays as it is; one split by a shell is joined again.
        QCOMPARE(commandTail({"rowbit", "/home/u/내 장부  2015.xls"}),
                 std::string("/home/u/내 장부  2015.xls"));
        QCOMPARE(commandTail({"rowbit", "/home/u/내", "장부.xls"}),
                 std::string("/home/u/내 장부.xls"));
    }

    // An argument that starts with "-" is an option, never a workbook; "--" ends the options.
    void optionsAreNeverWorkbooks() {
        struct Case {
            QStringList arguments;
            QString option;
            std::string tail;
        };
        const Case cases[] = {
            {{"rowbit", "--help"}, "--help", "--help"},
            {{"rowbit", "-x", "a.xls"}, "-x", "-x a.xls"},
            {{"rowbit", "--", "-a.xls"}, "", "-a.xls"},
            {{"rowbit", "/O"}, "", "/O"},
            {{"rowbit"}, "", ""},
        };
        for (const Case& c : cases) {
            QCOMPARE(commandOption(c.arguments), c.option);
            QCOMPARE(commandTail(c.arguments), c.tail);
        }
    }

    void messageBoxShowsLinesButtonsAndReturnsTheChoice() {
        QtPrompts prompts;
        QString seenText, seenTitle;
        QStringList seenButtons;
        whenShown([&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return false;
            seenText = box->text();
            seenTitle = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                seenButtons << b->text();
            buttonNamed(box, "아니오")->click();
            return true;
        });
        const int answer = prompts.message(
            {"변경내용이 있습니다.|저장할까요?", "확인", "예|아니오", PromptIcon::Information, 1});
        QCOMPARE(answer, 2);
        QCOMPARE(seenText, QString("변경내용이 있습니다.\n저장할까요?"));
        QCOMPARE(seenTitle, QString("확인"));
        QVERIFY(seenButtons.contains("예") && seenButtons.contains("아니오"));
    }

    void escapeMeansNoButtonUnlessThereIsOnlyOne() {
        QtPrompts prompts;
        auto pressEscape = [] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return false;
            QTest::keyClick(box, Qt::Key_Escape);
            return true;
        };
        whenShown(pressEscape);
        QCOMPARE(prompts.message({"질문", "확인", "예|아니오", PromptIcon::Question, 1}), 0);
        whenShown(pressEscape);
        QCOMPARE(prompts.message({"알림", "", "확인", PromptIcon::None, 1}), 1);
    }

    void popupMenuNumbersItemsFromOne() {
        QtPrompts prompts;
        QCOMPARE(prompts.popupMenu(""), 0); // nothing to offer, nothing shown
        QStringList seen;
        whenShown([&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return false;
            for (QAction* a : menu->actions())
                seen << a->text();
            menu->setActiveAction(menu->actions().at(1));
            QTest::keyClick(menu, Qt::Key_Return);
            return true;
        });
        QCOMPARE(prompts.popupMenu("자료 추가|자료 수정|자료 삭제"), 2);
        QCOMPARE(seen, QStringList({"자료 추가", "자료 수정", "자료 삭제"}));

        whenShown([&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return false;
            menu->close();
            return true;
        });
        QCOMPARE(prompts.popupMenu("세로|가로"), 0);
    }

    void openDialogHasTitleAndFilterAndLeavesItsFolderCurrent() {
        testing::ScratchDir scratch;
        const std::filesystem::path folder = scratch / "장부 폴더";
        std::filesystem::create_directory(folder);
        std::ofstream(folder / "book.xls") << "x";
        const QString oldCwd = QDir::currentPath();

        QtPrompts prompts;
        QString title, startedIn;
        QStringList filters;
        bool namesOnly = false;
        whenShown([&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return false;
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            namesOnly = dialog->testOption(QFileDialog::HideNameFilterDetails);
            startedIn = dialog->directory().absolutePath();
            dialog->selectFile(QString::fromStdString((folder / "book.xls").string()));
            static_cast<QDialog*>(dialog)->accept();
            return true;
        });
        // The unnamed workbook's path is offered in the folder the last dialog left.
        auto chosen = prompts.openFile({"File Open", "Excel File|*.XLS",
                                        oldCwd.toStdString() + "/Noname.xls", folder.string()});
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, (folder / "book.xls").string());
        QCOMPARE(title, QString("File Open"));
        QCOMPARE(startedIn.toStdString(), folder.string());
        QCOMPARE(filters, QStringList({"Excel File (*.XLS *.XLS? *.xls *.xls?)"}));
        QVERIFY(namesOnly); // the user reads "Excel File", as the filter names it
        QCOMPARE(QDir::currentPath().toStdString(), folder.string());

        whenShown([&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return false;
            dialog->reject();
            return true;
        });
        QVERIFY(!prompts.saveFile({"New File", "엑셀파일(*.xls)|*.xls", "", ""}).has_value());
        QDir::setCurrent(oldCwd);
    }

    void processesGetTheirArgumentsWithoutAShell() {
        testing::ScratchDir scratch;
        // A path a shell would take apart: blanks, a semicolon, a substitution, quotes.
        const std::filesystem::path odd = scratch / "a b; touch pwned $(id) 'q'.xls";
        QtPrompts prompts;
        QVERIFY(prompts.startProcess("/usr/bin/touch", {odd.string()}));
        // The program runs on its own: however long a busy machine makes it take, it comes.
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(odd), 45000);
        QVERIFY(!std::filesystem::exists(scratch / "pwned"));
        QVERIFY(!prompts.startProcess("/nonexistent/rowbit", {}));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtPromptsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "qt_prompts_test.moc"
