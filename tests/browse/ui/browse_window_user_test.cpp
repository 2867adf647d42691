// The browse window as a user meets it: what stays put after a save, what one key press does,
// and what the window says about itself while a workbook opens.
#include "app/app_state.h"
#include "app/preferences.h"
#include "app/ui/fonts.h"
#include "app/ui/qt_prompts.h"
#include "app/ui/record_list_view.h"
#include "browse/ui/browse_window.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "workbook/book.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace rowbit;
using namespace rowbit::ui;
namespace fs = std::filesystem;

namespace {

// Scripted answers, and a look at the window whenever the user is asked something.
class WatchingPrompts : public testing::ScriptedPrompts {
public:
    std::function<void()> onAsk;
    int message(const MessageRequest& request) override {
        if (onAsk)
            onAsk();
        return ScriptedPrompts::message(request);
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        if (onAsk)
            onAsk();
        return ScriptedPrompts::openFile(request);
    }
};

} // namespace

class BrowseWindowUserTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScratchDir> scratch_;
    QString oldCwd_;
    std::unique_ptr<AppState> state_;
    std::unique_ptr<Document> doc_;
    std::unique_ptr<WatchingPrompts> prompts_;
    std::unique_ptr<Preferences> prefs_;
    std::unique_ptr<BrowseWindow> window_;
    BrowseSeams seams_;
    std::string book_;
    QtPrompts realPrompts_; // for the window that must meet real message boxes

    void start(const std::string& commandLine, Prompts* prompts = nullptr) {
        window_ =
            std::make_unique<BrowseWindow>(*state_, *doc_, prompts ? *prompts : *prompts_, *prefs_,
                                           seams_, commandLine, "/opt/rowbit/rowbit");
        window_->open();
    }
    RecordListView* list() { return window_->list(); }
    QPushButton* button(BrowseControl c) { return window_->button(c); }

    // Opens `commandLine` and notes the caption and the Save button at every question.
    std::vector<std::pair<QString, bool>> seen_;
    std::vector<std::pair<QString, bool>> watchOpening(const std::string& commandLine) {
        seen_.clear();
        prompts_->onAsk = [this] {
            seen_.emplace_back(window_->windowTitle(), button(kSave)->isEnabled());
        };
        seams_.preview = [this](const std::vector<PreviewRow>&, int pre) {
            prompts_->onAsk();
            return std::optional<int>(pre);
        };
        start(commandLine);
        return seen_;
    }
    // Workbooks that ask something while they open: one with no settings sheet and an
    // overlong text (the preview, then the overflow report), one that cannot be read.
    static void openingCases() {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("questions");
        QTest::newRow("preview, overflow") << true << 2;
        QTest::newRow("load error") << false << 1;
    }
    std::string openingWorkbook(bool readable) {
        const fs::path path = scratch_->path() / (readable ? "긴글.xls" : "깨진.xls");
        if (!readable) {
            std::ofstream(path) << "not a workbook";
            return path.string();
        }
        auto book = createBook(BookFormat::Xls);
        Sheet* sheet = book->addSheet("Sheet1");
        sheet->writeStr(0, 0, "이름");
        sheet->writeStr(1, 0, std::string(120, 'x'));
        if (!book->save(path.string()).ok())
            return {};
        return path.string();
    }

private slots:
    void init() {
        scratch_ = std::make_unique<testing::ScratchDir>();
        oldCwd_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(scratch_->path().string()));
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        prompts_ = std::make_unique<WatchingPrompts>();
        prefs_ = std::make_unique<Preferences>(scratch_->path());
        seams_ = BrowseSeams{};
        book_ = (scratch_->path() / "장부.xls").string();
        fs::copy_file(testing::sourceRoot() / "samples/sample.xls", book_);
    }

    void cleanup() {
        if (window_) {
            doc_->modified = false;
            window_->hide();
            window_.reset();
        }
        QDir::setCurrent(oldCwd_);
        scratch_.reset();
    }

    void savingKeepsTheSelectionAndTheResults() {
        start(book_);
        list()->selectLine(5);
        doc_->modified = true;
        window_->save();
        QVERIFY(!doc_->modified);
        QCOMPARE(list()->selectedLine(), std::size_t(5));

        window_->searchField()->setText("푸른농장");
        QTest::keyClick(window_->searchField(), Qt::Key_Return);
        list()->selectLine(4);
        doc_->modified = true;
        window_->save();
        QCOMPARE(window_->browseState().shownList, ShownList::SearchResults);
        QCOMPARE(list()->model()->rowCount(), 6);
        QCOMPARE(list()->selectedLine(), std::size_t(4));
        QVERIFY(prompts_->messages.empty());
    }

    void deleteInTheSearchFieldDeletesThereAndTellsOnce() {
        start(book_, &realPrompts_);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        list()->selectLine(0);
        QLineEdit* field = window_->searchField();
        field->setFocus();
        QTest::keyClicks(field, "abc");
        QTest::keyClick(field, Qt::Key_Home);
        QStringList told;
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told << box->text();
                box->buttons().first()->click();
            }
        });
        answer.start();
        QTest::keyClick(field, Qt::Key_Delete);
        // Whatever the closed box set off has happened once the posted events are through.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        answer.stop();
        QCOMPARE(told, QStringList{QString::fromUtf8("먼저 삭제할 자료를 선택하세요")});
        QCOMPARE(field->text(), QString("bc"));
        field->clear(); // nothing left to search for when the window goes
    }

    void theCaptionNamesTheWorkbookWhileItOpens_data() { openingCases(); }
    void theCaptionNamesTheWorkbookWhileItOpens() {
        QFETCH(bool, readable);
        QFETCH(int, questions);
        const QString path = QString::fromStdString(openingWorkbook(readable));
        const auto seen = watchOpening(path.toStdString());
        QCOMPARE(int(seen.size()), questions);
        for (const auto& look : seen)
            QCOMPARE(look.first, path + "[*]"); // "[*]": the unsaved-changes marker
        // Nothing open yet: the program's name stands beside the open dialog.
        window_.reset();
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        prompts_->openAnswers.push_back(std::nullopt);
        const auto first = watchOpening("/O");
        QCOMPARE(int(first.size()), 1);
        QCOMPARE(first[0].first, QString("Rowbit"));
    }

    void saveIsDisabledWhileTheWorkbookOpens_data() { openingCases(); }
    void saveIsDisabledWhileTheWorkbookOpens() {
        QFETCH(bool, readable);
        prompts_->openAnswers.push_back(openingWorkbook(readable));
        const auto seen = watchOpening("/O"); // the open dialog, then the workbook's questions
        QVERIFY(seen.size() >= 2);
        for (const auto& look : seen)
            QVERIFY(!look.second);
    }

    void theSortedColumnShowsTheIndicator() {
        start(book_);
        QHeaderView* header = list()->header();
        QVERIFY(!header->isSortIndicatorShown());
        window_->sortByColumn(3);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        window_->sortByColumn(header->count()); // the memo column keeps the order
        QCOMPARE(header->sortIndicatorSection(), 2);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(rowbit);
    rowbit::ui::installFontSubstitutions();
    BrowseWindowUserTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "browse_window_user_test.moc"
