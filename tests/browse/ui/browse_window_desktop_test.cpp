// The browse window as a Linux desktop user meets it: the standard keys, the close question's
// 취소, a workbook dropped on the window, the "[*]" caption marker, and where the
// preferences file lives.
#include "app/app_state.h"
#include "app/preferences.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "browse/ui/browse_window.h"
#include "support/drop_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

using namespace rowbit;
using namespace rowbit::ui;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = rowbit::testing::sourceRoot() / "samples/sample.xls";

} // namespace

class BrowseWindowDesktopTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScratchDir> scratch_;
    std::unique_ptr<AppState> state_;
    std::unique_ptr<Document> doc_;
    std::unique_ptr<testing::ScriptedPrompts> prompts_;
    std::unique_ptr<Preferences> prefs_;
    std::unique_ptr<BrowseWindow> window_;
    BrowseSeams seams_;
    int abouts_ = 0;
    int prints_ = 0;
    std::string book_;

    BrowseWindow& start(const std::string& commandLine) {
        window_ = std::make_unique<BrowseWindow>(*state_, *doc_, *prompts_, *prefs_, seams_,
                                                 commandLine, "/opt/rowbit/rowbit");
        window_->open();
        QApplication::setActiveWindow(window_.get());
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window_.get());
        return *window_;
    }
    // A change: the list sorted by its second column.
    void makeAChange() {
        QHeaderView* header = window_->list()->header();
        const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        QVERIFY(doc_->modified);
    }
    void drop(const std::string& path) {
        const testing::DropAccepted accepted = testing::dropFile(*window_, path);
        QVERIFY(accepted.entered);
        QVERIFY(accepted.dropped);
        QTest::qWait(50); // the drop opens the workbook once its event is over
    }

private slots:
    void init() {
        scratch_ = std::make_unique<testing::ScratchDir>();
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        prompts_ = std::make_unique<testing::ScriptedPrompts>();
        prefs_ = std::make_unique<Preferences>(scratch_->path());
        seams_ = BrowseSeams{};
        abouts_ = prints_ = 0;
        seams_.about = [this](QWidget*) { ++abouts_; };
        seams_.print = [this](QWidget*, bool) {
            ++prints_;
            return report::ListPrintOutcome::Printed;
        };
        book_ = (scratch_->path() / "장부.xls").string();
        fs::copy_file(kSample, book_);
    }

    void cleanup() {
        if (window_) {
            window_->hide();
            window_.reset();
        }
        scratch_.reset();
    }

    void standardKeysReachTheirCommands() {
        struct Case {
            QKeySequence::StandardKey key;
            std::function<void()> prepare;
            std::function<bool()> done;
        };
        const Case cases[] = {
            {QKeySequence::HelpContents, [] {}, [this] { return abouts_ == 1; }},
            {QKeySequence::Print, [this] { prompts_->menuAnswers.push_back(1); },
             [this] { return prints_ == 1; }},
            {QKeySequence::Find, [this] { window_->list()->setFocus(); },
             [this] { return window_->searchField()->hasFocus(); }},
            {QKeySequence::Save, [this] { makeAChange(); }, [this] { return !doc_->modified; }},
            {QKeySequence::Open, [] {},
             [this] {
                 return !prompts_->processes.empty() &&
                        prompts_->processes.back().second == std::vector<std::string>{"/O"};
             }},
        };
        for (const Case& c : cases) {
            QVERIFY(!QKeySequence::keyBindings(c.key).isEmpty());
            start(book_);
            c.prepare();
            QTest::keySequence(window_.get(), QKeySequence(c.key));
            QVERIFY2(c.done(), qPrintable(QKeySequence(c.key).toString()));
            window_->hide();
            window_.reset();
        }
        // Quit: Ctrl+Q, also where the platform's key scheme binds nothing to it.
        start(book_);
        QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window_->isVisible());
        window_.reset();
        // The buttons' tips name the keys.
        start(book_);
        QCOMPARE(window_->button(kOpen)->toolTip(), QString("Open (Ctrl+O)"));
        QCOMPARE(window_->button(kClose)->toolTip(), QString("닫기 (Ctrl+Q)"));
        QCOMPARE(window_->button(kAbout)->toolTip(), QString("About (F1)"));
    }

    void cancelInTheCloseQuestionKeepsTheWindowAndItsChanges() {
        // 취소 (3), Esc or the close box (0): nothing happens; 아니오 (2) closes unsaved.
        for (const int answer : {3, 0}) {
            start(book_);
            makeAChange();
            prompts_->messageAnswers.push_back(answer);
            window_->close();
            QVERIFY(window_->isVisible());
            QVERIFY(doc_->modified);
            QCOMPARE(prompts_->messages.back().buttons, std::string("예|아니오|취소"));
            prompts_->messageAnswers.push_back(2);
            window_->close();
            QVERIFY(!window_->isVisible());
            window_.reset();
        }
    }

    void aDroppedWorkbookOpensAfterTheQuestion() {
        const std::string other = (scratch_->path() / "다른 장부.xls").string();
        fs::copy_file(kSample, other);
        start(book_);
        makeAChange();
        prompts_->messageAnswers.push_back(3); // 취소: the workbook stays
        drop(other);
        QCOMPARE(doc_->path, book_);
        QVERIFY(doc_->modified);
        prompts_->messageAnswers.push_back(2); // 아니오: the changes go, the drop opens
        drop(other);
        QCOMPARE(doc_->path, other);
        QVERIFY(!doc_->modified);
        QCOMPARE(window_->list()->model()->rowCount(), 24);
        QCOMPARE(window_->browseState().recent[0], other);
        // Anything but a workbook file is not taken.
        QMimeData text;
        text.setUrls({QUrl::fromLocalFile(QString::fromStdString(book_ + ".txt"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    void theCaptionMarksUnsavedChanges() {
        start(book_);
        QCOMPARE(window_->windowTitle(), QString::fromStdString(book_) + "[*]");
        QVERIFY(!window_->isWindowModified());
        makeAChange();
        QVERIFY(window_->isWindowModified());
        QTest::mouseClick(window_->button(kSave), Qt::LeftButton);
        QVERIFY(!window_->isWindowModified());
        QCOMPARE(window_->windowTitle(), QString::fromStdString(book_) + "[*]");
    }

    void preferencesLiveInTheConfigurationFolderUnlessBesideTheProgram() {
        const fs::path config = scratch_->path() / "config";
        const fs::path program = scratch_->path() / "bin";
        fs::create_directories(program);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
        const fs::path home =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
        QCOMPARE(QString::fromStdString(home.string()), QString::fromStdString(config.string()));

        // No Rowbit.INI beside the program: the user's folder, made on the first write.
        const Preferences user(preferencesFolder(program, home));
        QCOMPARE(QString::fromStdString(user.path().string()),
                 QString::fromStdString((config / "rowbit" / "Rowbit.INI").string()));
        QVERIFY(user.writeAtClose("/tmp", {}).ok());
        QVERIFY(fs::is_regular_file(config / "rowbit" / "Rowbit.INI"));

        // A portable install: the file beside the program wins.
        std::ofstream(program / "Rowbit.INI") << "[Date]\nDateFormat=mm/dd/yy\n";
        QCOMPARE(QString::fromStdString(preferencesFolder(program, home).string()),
                 QString::fromStdString(program.string()));
        qunsetenv("XDG_CONFIG_HOME");
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(rowbit);
    rowbit::ui::installFontSubstitutions();
    BrowseWindowDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "browse_window_desktop_test.moc"
