// The browse window driven as a user would, with scripted answers to every question.
#include "app/app_state.h"
#include "app/preferences.h"
#include "app/ui/fonts.h"
#include "app/ui/qt_prompts.h"
#include "app/ui/record_list_view.h"
#include "browse/ui/browse_window.h"
#include "support/drop_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "winsupport/ui/qt_resize_manager.h"
#include "workbook/book.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include <unistd.h>

using namespace rowbit;
using namespace rowbit::ui;
namespace fs = std::filesystem;

namespace {

const fs::path kSample = rowbit::testing::sourceRoot() / "samples/sample.xls";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A workbook without a settings sheet: an empty first row, titles in row 2, data below.
void writePlainWorkbook(const fs::path& path) {
    auto book = createBook(BookFormat::Xls);
    Sheet* sheet = book->addSheet("Sheet1");
    sheet->writeStr(1, 0, "날짜");
    sheet->writeStr(1, 1, "이름");
    sheet->writeStr(1, 2, "점수");
    const int date = book->dateFormat();
    sheet->writeNum(2, 0, 42308, date); // 2015-10-31
    sheet->writeStr(2, 1, "김하나");
    sheet->writeNum(2, 2, 95);
    sheet->writeNum(3, 0, 42309, date);
    sheet->writeStr(3, 1, "이두리");
    sheet->writeNum(3, 2, 1200);
    QVERIFY(book->save(path.string()).ok());
}

// A workbook without a settings sheet: titles in row 1, `rows` customers below.
void writeCustomers(const fs::path& path, int rows) {
    auto book = createBook(BookFormat::Xls);
    Sheet* sheet = book->addSheet("Sheet1");
    sheet->writeStr(0, 0, "손님");
    sheet->writeStr(0, 1, "번호");
    for (int row = 1; row <= rows; ++row) {
        sheet->writeStr(row, 0, "손님 " + std::to_string(row));
        sheet->writeNum(row, 1, row);
    }
    QVERIFY(book->save(path.string()).ok());
}

// Holds the window's reading threads until the test opens it.
class Gate {
public:
    void wait() {
        std::unique_lock<std::mutex> hold(lock_);
        opened_.wait(hold, [this] { return open_; });
    }
    void open() {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            open_ = true;
        }
        opened_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable opened_;
    bool open_ = false;
};

} // namespace

class BrowseWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScratchDir> scratch_;
    QString oldCwd_;
    std::unique_ptr<AppState> state_;
    std::unique_ptr<Document> doc_;
    std::unique_ptr<testing::ScriptedPrompts> prompts_;
    std::unique_ptr<Preferences> prefs_;
    std::unique_ptr<BrowseWindow> window_;
    BrowseSeams seams_;
    std::vector<RecordCommand> formActions_;
    bool formConfirms_ = false; // whether the form double carries out changes and deletes
    std::string book_;          // the sample's copy in the scratch folder
    OpeningOptions opening_;
    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();

    BrowseWindow& start(const std::string& commandLine) {
        window_ = std::make_unique<BrowseWindow>(*state_, *doc_, *prompts_, *prefs_, seams_,
                                                 commandLine, "/opt/rowbit/rowbit");
        window_->setOpening(opening_);
        window_->open();
        return *window_;
    }
    QPushButton* button(BrowseControl c) { return window_->button(c); }
    RecordListView* list() { return window_->list(); }
    std::string cell(std::size_t line, int column) {
        return list()
            ->model()
            ->index(static_cast<int>(line - 1), column)
            .data()
            .toString()
            .toStdString();
    }
    void clickHeader(int column) {
        QHeaderView* header = list()->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    }
    // Every line of the list shown, its fields joined.
    std::vector<std::string> lines() {
        std::vector<std::string> all;
        const QAbstractItemModel* model = list()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            std::string line;
            for (int c = 0; c < model->columnCount(); ++c)
                line += model->index(r, c).data().toString().toStdString() + "|";
            all.push_back(line);
        }
        return all;
    }
    // Workbooks open with the first six sheet rows; the rest is read once the gate opens.
    void holdTheFill() {
        opening_ = {.firstScreenRows = 6, .beforeWholeRead = [gate = gate_] { gate->wait(); }};
        seams_.preview = [](const std::vector<PreviewRow>&, int pre) {
            return std::optional<int>(pre);
        };
    }
    void drop(const std::string& path) { QVERIFY(testing::dropFile(*window_, path).dropped); }
    void search(const QString& text) {
        window_->searchField()->setText(text);
        QTest::keyClick(window_->searchField(), Qt::Key_Return);
    }

private slots:
    void init() {
        scratch_ = std::make_unique<testing::ScratchDir>();
        oldCwd_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(scratch_->path().string()));
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        prompts_ = std::make_unique<testing::ScriptedPrompts>();
        prefs_ = std::make_unique<Preferences>(scratch_->path());
        seams_ = BrowseSeams{};
        formActions_.clear();
        formConfirms_ = false;
        opening_ = {};
        gate_ = std::make_shared<Gate>();
        // The record form double: records what it was asked and carries out inserts.
        seams_.recordForm = [this](QWidget*, RecordCommand command, std::size_t record) {
            formActions_.push_back(command);
            RecordList& records = doc_->records;
            if (command == RecordCommand::Insert) {
                records.buffer.clear();
                records.buffer.col[1] = "새손님";
                records.buffer.col[3] = "2";
                records.add();
                return form::FormOutcome::Done;
            }
            if (formConfirms_ && command == RecordCommand::Change && records.get(record)) {
                records.buffer.col[2] = "바뀐품목";
                records.put();
                return form::FormOutcome::Done;
            }
            if (formConfirms_ && command == RecordCommand::Delete && records.get(record)) {
                records.remove();
                return form::FormOutcome::Done;
            }
            return form::FormOutcome::Cancelled;
        };
        book_ = (scratch_->path() / "장부.xls").string();
        fs::copy_file(kSample, book_);
    }

    void cleanup() {
        gate_->open();
        if (window_) {
            window_->hide();
            window_.reset();
        }
        QDir::setCurrent(oldCwd_);
        scratch_.reset();
    }

    void opensTheWorkbookOfTheCommandLine() {
        BrowseWindow& w = start(book_);
        QCOMPARE(w.windowTitle().toStdString(), book_ + "[*]");
        QCOMPARE(list()->model()->rowCount(), 24);
        QCOMPARE(list()->model()->columnCount(), 6); // five columns and the memo
        QCOMPARE(list()->model()->headerData(0, Qt::Horizontal).toString(), QString("일자"));
        QCOMPARE(list()->model()->headerData(5, Qt::Horizontal).toString(), QString("메모"));
        QCOMPARE(cell(1, 0), std::string("15-10-01"));
        QCOMPARE(cell(2, 4), std::string("416,000"));
        // Numbers stand right, dates in the middle.
        QCOMPARE(list()->model()->index(0, 4).data(Qt::TextAlignmentRole).toInt() &
                     Qt::AlignHorizontal_Mask,
                 int(Qt::AlignRight));
        QCOMPARE(list()->model()->index(0, 0).data(Qt::TextAlignmentRole).toInt() &
                     Qt::AlignHorizontal_Mask,
                 int(Qt::AlignHCenter));
        QVERIFY(!button(kSave)->isEnabled());
        QCOMPARE(w.browseState().recent[0], book_);
        QVERIFY(prompts_->dialogs.empty());
        // Texts set at start.
        QCOMPARE(button(kSetting)->text(), QString("설정"));
        QCOMPARE(button(kClose)->text(), QString("닫 기"));
        QCOMPARE(button(kBack)->toolTip(), QString("검색결과를 초기화 합니다."));
        QCOMPARE(button(kInsert)->toolTip(), QString("Insert New Record"));
        QVERIFY(button(kBack)->isHidden());
    }

    void slashOShowsTheOpenDialogAndCancelGivesTheNewWorkbook() {
        start("/O");
        QCOMPARE(prompts_->dialogs.size(), std::size_t(1));
        QCOMPARE(prompts_->dialogs[0].title, std::string("File Open"));
        QCOMPARE(prompts_->dialogs[0].filter, std::string("Excel File|*.XLS"));
        QVERIFY(state_->isUnnamed(doc_->path));
        QCOMPARE(window_->windowTitle().toStdString(), state_->unnamedPath() + "[*]");
        QCOMPARE(list()->model()->rowCount(), 0);
        QCOMPARE(list()->model()->headerData(6, Qt::Horizontal).toString(), QString("G"));
        QVERIFY(window_->untitledAndEmpty());
    }

    void slashOOpensTheChosenFile() {
        prompts_->openAnswers.push_back(book_);
        start("/O");
        QCOMPARE(doc_->path, book_);
        QCOMPARE(list()->model()->rowCount(), 24);
        QCOMPARE(window_->browseState().recent[0], book_);
    }

    void pickWithoutRecentFilesDoesNothing() {
        start("");
        prompts_->asked.clear();
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QCOMPARE(prompts_->asked.size(), std::size_t(1));
        QCOMPARE(prompts_->asked[0].kind, std::string("menu"));
        QCOMPARE(prompts_->asked[0].text, std::string(""));
        QVERIFY(prompts_->processes.empty());
        QVERIFY(prompts_->messages.empty());
    }

    void pickTellsOfAMissingFileAndOfTheOpenFile() {
        const std::string moved = (scratch_->path() / "moved.xls").string();
        {
            std::ofstream ini(scratch_->path() / "Rowbit.INI");
            ini << "[RecentFiles]\nFile1=" << moved << "\nFile2=" << book_ << "\n";
        }
        start(book_);
        QCOMPARE(window_->browseState().recent[0], book_);
        QCOMPARE(window_->browseState().recent[1], moved);

        prompts_->menuAnswers.push_back(2); // the moved file
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QCOMPARE(prompts_->asked.back().kind, std::string("message"));
        QCOMPARE(prompts_->messages.back().text,
                 std::string("선택한 파일이 해당 폴더에 없습니다. 삭제 또는 이동했는지 확인해 "
                             "보세용"));
        QCOMPARE(window_->browseState().recent[1], moved); // the entry stays

        prompts_->menuAnswers.push_back(1); // the open workbook
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QCOMPARE(prompts_->messages.back().text, std::string("현재 사용중인 파일입니다."));
        QVERIFY(prompts_->processes.empty());
        QCOMPARE(prompts_->asked[prompts_->asked.size() - 2].text, book_ + "|" + moved + "|");
    }

    void aBarInARecentPathKeepsTheMenuInStep() {
        const std::string barred = (scratch_->path() / "a|b.xls").string();
        fs::copy_file(kSample, barred);
        {
            std::ofstream ini(scratch_->path() / "Rowbit.INI");
            ini << "[RecentFiles]\nFile1=" << barred << "\nFile2=" << book_ << "\n";
        }
        start("");
        prompts_->menuAnswers.push_back(2);
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QCOMPARE(doc_->path, book_);
        const auto menu =
            std::find_if(prompts_->asked.begin(), prompts_->asked.end(), [](const auto& a) {
                return a.kind == "menu";
            })->text;
        QCOMPARE(std::count(menu.begin(), menu.end(), '|'), std::ptrdiff_t(2));
    }

    void pickOpensHereWhenUntitledAndEmptyElseInASecondCopy() {
        const std::string other = (scratch_->path() / "other file.xls").string();
        fs::copy_file(kSample, other);
        {
            std::ofstream ini(scratch_->path() / "Rowbit.INI");
            ini << "[RecentFiles]\nFile1=" << other << "\n";
        }
        start(""); // the unnamed workbook: the open dialog, cancelled
        QVERIFY(window_->untitledAndEmpty());
        prompts_->menuAnswers.push_back(1);
        prompts_->openAnswers.push_back(std::nullopt);
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QVERIFY(prompts_->processes.empty());
        QCOMPARE(doc_->path, other);
        QCOMPARE(list()->model()->rowCount(), 24);

        // Now named: the next pick starts a copy with the path as one argument.
        window_->browseState().recent[1] = book_;
        prompts_->menuAnswers.push_back(2);
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QCOMPARE(prompts_->processes.size(), std::size_t(1));
        QCOMPARE(prompts_->processes[0].first, std::string("/opt/rowbit/rowbit"));
        QCOMPARE(prompts_->processes[0].second, std::vector<std::string>{book_});
        QCOMPARE(doc_->path, other);
    }

    void openAndNewStartCopiesWithArgumentLists() {
        start(book_);
        QTest::mouseClick(button(kOpen), Qt::LeftButton);
        QTest::mouseClick(button(kNew), Qt::LeftButton);
        QCOMPARE(prompts_->processes.size(), std::size_t(2));
        QCOMPARE(prompts_->processes[0].second, std::vector<std::string>{"/O"});
        QVERIFY(prompts_->processes[1].second.empty());
        QVERIFY(prompts_->dialogs.empty());
    }

    void searchAndBackKeepTheChosenRecordSelected() {
        start(book_);
        search("푸른농장");
        QCOMPARE(window_->searchField()->text(), QString("6 Records Found"));
        QVERIFY(!window_->searchField()->isEnabled());
        QVERIFY(!button(kBack)->isHidden());
        QCOMPARE(list()->model()->rowCount(), 6);
        QCOMPARE(list()->selectedLine(), std::size_t(1));
        QCOMPARE(cell(3, 1), std::string("푸른농장"));

        list()->selectLine(3);
        const std::string date = cell(3, 0);
        const std::string amount = cell(3, 4);
        QTest::mouseClick(button(kBack), Qt::LeftButton);
        QVERIFY(window_->searchField()->isEnabled());
        QVERIFY(window_->searchField()->text().isEmpty());
        QVERIFY(button(kBack)->isHidden());
        QCOMPARE(list()->model()->rowCount(), 24);
        const std::size_t line = list()->selectedLine();
        QCOMPARE(line, std::size_t(10)); // every fourth record is this customer's
        QCOMPARE(cell(line, 0), date);
        QCOMPARE(cell(line, 4), amount);
    }

    void searchWithoutHitsTellsAndKeepsTheFullList() {
        start(book_);
        search("없는말");
        QCOMPARE(prompts_->messageTexts().back(),
                 std::string("없는말 를 포함한 데이터가 없습니다 "));
        QVERIFY(window_->searchField()->text().isEmpty());
        QVERIFY(window_->searchField()->isEnabled());
        QCOMPARE(list()->model()->rowCount(), 24);
        // A number finds its grouped form.
        search("416000");
        QCOMPARE(list()->model()->rowCount(), 1);
        QCOMPARE(cell(1, 4), std::string("416,000"));
    }

    void aSearchWithoutHitsAsksOnceThoughTheBoxTakesTheFocus() {
        QtPrompts real;
        window_ = std::make_unique<BrowseWindow>(*state_, *doc_, real, *prefs_, seams_, book_,
                                                 "/opt/rowbit/rowbit");
        window_->open();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        window_->searchField()->setFocus();
        window_->searchField()->setText("없는말");
        int boxes = 0;
        QTimer timer;
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++boxes;
                box->buttons().first()->click();
            }
        });
        timer.start();
        QTest::keyClick(window_->searchField(), Qt::Key_Return);
        QTest::qWait(100);
        timer.stop();
        QCOMPARE(boxes, 1);
        QVERIFY(window_->searchField()->text().isEmpty());
        doc_->modified = false;
    }

    void headerClickSortsAndMarksChangedAndSaveWritesTheOrder() {
        start(book_);
        list()->selectLine(18); // 624,000, the largest amount
        clickHeader(4);
        QVERIFY(doc_->modified);
        QVERIFY(button(kSave)->isEnabled());
        QCOMPARE(cell(1, 4), std::string("3,200"));
        QCOMPARE(cell(24, 4), std::string("624,000"));
        QCOMPARE(list()->selectedLine(), std::size_t(24)); // the record kept its selection

        QTest::mouseClick(button(kSave), Qt::LeftButton);
        QVERIFY(!doc_->modified);
        QVERIFY(!button(kSave)->isEnabled());
        QVERIFY(prompts_->dialogs.empty()); // a named workbook is saved without asking

        // Opened again, the rows come in the sorted order.
        window_->close();
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        start(book_);
        QCOMPARE(cell(1, 4), std::string("3,200"));
        QCOMPARE(cell(24, 4), std::string("624,000"));
    }

    void saveButtonFollowsChangedAfterEachCommand() {
        writePlainWorkbook(scratch_->path() / "plain.xls");
        seams_.preview = [](const std::vector<PreviewRow>&, int preselected) {
            return std::optional<int>(preselected);
        };
        start((scratch_->path() / "plain.xls").string());
        // A workbook that got a new setup is changed, yet Save starts disabled...
        QVERIFY(doc_->modified);
        QVERIFY(!button(kSave)->isEnabled());
        // ...and follows the modified flag after the next command.
        QTest::mouseClick(button(kTotals), Qt::LeftButton);
        QVERIFY(button(kSave)->isEnabled());
    }

    void insertSelectsTheNewRecordInTheListAndInResults() {
        start(book_);
        QTest::mouseClick(button(kInsert), Qt::LeftButton);
        QCOMPARE(formActions_, std::vector<RecordCommand>{RecordCommand::Insert});
        QCOMPARE(list()->model()->rowCount(), 25);
        QCOMPARE(list()->selectedLine(), std::size_t(25));
        QVERIFY(button(kSave)->isEnabled());

        search("한빛상사");
        const int results = list()->model()->rowCount();
        QTest::mouseClick(button(kInsert), Qt::LeftButton);
        QCOMPARE(list()->model()->rowCount(), results + 1);
        QCOMPARE(list()->selectedLine(), std::size_t(results + 1));
        QCOMPARE(cell(std::size_t(results + 1), 1), std::string("새손님"));
        QCOMPARE(doc_->records.count(), std::size_t(26));
    }

    void recordCommandsNeedASelectedLine() {
        start(book_);
        list()->selectLine(0);
        QTest::mouseClick(button(kChange), Qt::LeftButton);
        QCOMPARE(prompts_->messageTexts().back(), std::string("먼저 수정할 자료를 선택하세요"));
        QTest::mouseClick(button(kDelete), Qt::LeftButton);
        QCOMPARE(prompts_->messageTexts().back(), std::string("먼저 삭제할 자료를 선택하세요"));
        QVERIFY(formActions_.empty());

        // A cancelled form changes nothing.
        list()->selectLine(4);
        QTest::mouseClick(button(kChange), Qt::LeftButton);
        QCOMPARE(formActions_, std::vector<RecordCommand>{RecordCommand::Change});
        QVERIFY(!doc_->modified);
        QVERIFY(!button(kSave)->isEnabled());
    }

    void changeAndDeleteKeepTheListAndTheResultsInStep() {
        formConfirms_ = true;
        start(book_);
        list()->selectLine(3);
        QTest::mouseClick(button(kChange), Qt::LeftButton);
        QCOMPARE(cell(3, 2), std::string("바뀐품목"));
        QCOMPARE(list()->selectedLine(), std::size_t(3));
        QVERIFY(doc_->modified);

        list()->selectLine(24);
        QTest::mouseClick(button(kDelete), Qt::LeftButton);
        QCOMPARE(list()->model()->rowCount(), 23);
        QCOMPARE(list()->selectedLine(), std::size_t(23)); // the line now at its place

        search("다온마트");
        const int results = list()->model()->rowCount();
        list()->selectLine(2);
        QTest::mouseClick(button(kChange), Qt::LeftButton);
        QCOMPARE(cell(2, 2), std::string("바뀐품목"));
        QCOMPARE(cell(2, 1), std::string("다온마트"));
        list()->selectLine(1);
        QTest::mouseClick(button(kDelete), Qt::LeftButton);
        QCOMPARE(list()->model()->rowCount(), results - 1);
        QCOMPARE(list()->selectedLine(), std::size_t(1));
        QCOMPARE(cell(1, 2), std::string("바뀐품목")); // the changed one moved up
        QCOMPARE(doc_->records.count(), std::size_t(22));
        // Back finds the changed record in the full list.
        QTest::mouseClick(button(kBack), Qt::LeftButton);
        QCOMPARE(cell(list()->selectedLine(), 2), std::string("바뀐품목"));
    }

    void undoAndRedoKeysFollowEveryRecordCommand_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("line");                  // selected for the command
        QTest::addColumn<int>("undoneLine");            // selected once it is undone
        QTest::newRow("insert") << "insert" << 3 << 24; // the line where the new one was
        QTest::newRow("change") << "change" << 3 << 3;
        QTest::newRow("delete") << "delete" << 5 << 5;
        QTest::newRow("sort") << "sort" << 18 << 18; // the selected record in its old place
    }

    void undoAndRedoKeysFollowEveryRecordCommand() {
        QFETCH(QString, command);
        QFETCH(int, line);
        QFETCH(int, undoneLine);
        formConfirms_ = true;
        seams_.setup = [](QWidget*) { return SetupOutcome::Reload; };
        start(book_);
        const std::vector<std::string> opened = lines();
        list()->selectLine(std::size_t(line));
        if (command == "sort")
            clickHeader(4);
        else
            QTest::mouseClick(button(command == "insert"   ? kInsert
                                     : command == "change" ? kChange
                                                           : kDelete),
                              Qt::LeftButton);
        const std::vector<std::string> done = lines();
        QVERIFY(done != opened);
        QVERIFY(doc_->modified);

        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(lines(), opened);
        QCOMPARE(list()->selectedLine(), std::size_t(undoneLine));
        QVERIFY(!doc_->modified); // back to what the file holds
        QVERIFY(!button(kSave)->isEnabled());
        QVERIFY(!window_->isWindowModified());
        QTest::keyClick(list(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(lines(), done);
        QVERIFY(doc_->modified);

        // A save keeps the history: undone after it, the workbook is modified again, and
        // redone back to what was saved it is not.
        QTest::mouseClick(button(kSave), Qt::LeftButton);
        QVERIFY(!doc_->modified);
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(lines(), opened);
        QVERIFY(doc_->modified);
        QVERIFY(button(kSave)->isEnabled());
        QVERIFY(window_->isWindowModified());
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(lines(), done);
        QVERIFY(!doc_->modified);
        // A setup that reads the rows again starts a new history.
        window_->setting();
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(lines(), done);
    }

    void settingReloadsAndClosesResultsOrOnlyRelaysTheList() {
        SetupOutcome reloadAs = SetupOutcome::Relayout;
        seams_.setup = [&](QWidget*) {
            doc_->columns.title[0] = "날짜";
            return reloadAs;
        };
        start(book_);
        QTest::mouseClick(button(kSetting), Qt::LeftButton);
        QCOMPARE(list()->model()->headerData(0, Qt::Horizontal).toString(), QString("날짜"));

        search("사과");
        QVERIFY(!button(kBack)->isHidden());
        reloadAs = SetupOutcome::Reload;
        doc_->columns.sheetColumn[1] = 3; // the second column now shows the items
        bool barShown = false; // the rows are read again under the opening's progress bar
        prompts_->onProgress = [&](ProgressStage, double) {
            barShown = barShown || window_->findChild<QProgressBar*>() != nullptr;
        };
        QTest::mouseClick(button(kSetting), Qt::LeftButton);
        QVERIFY(barShown);
        QVERIFY(button(kBack)->isHidden());
        QVERIFY(window_->searchField()->isEnabled());
        QVERIFY(window_->searchField()->text().isEmpty());
        QCOMPARE(list()->model()->rowCount(), 24);
        QCOMPARE(cell(1, 1), std::string("사과"));
    }

    void thePreferredFontSizesTheWindow() {
        {
            std::ofstream ini(scratch_->path() / "Rowbit.INI");
            ini << "[Fonts]\nFontName=돋움\nFontSize=14\n";
        }
        start(book_);
        QCOMPARE(state_->fontSize, 14);
        QCOMPARE(window_->font().pointSize(), 14);
        QCOMPARE(list()->font().pointSize(), 14);
        const DialogUnits small(preferredFont("굴림", 9));
        QVERIFY(window_->width() > small.x(kBrowseWidth));
        QCOMPARE(window_->width(), window_->resizeManager()->units().x(kBrowseWidth));
    }

    void hotKeysActWhereverTheFocusIs() {
        start(book_);
        window_->searchField()->setFocus();
        QTest::keyClick(window_->searchField(), Qt::Key_Insert);
        QCOMPARE(formActions_, std::vector<RecordCommand>{RecordCommand::Insert});

        list()->selectLine(0);
        QTest::keyClick(window_->searchField(), Qt::Key_Delete);
        QCOMPARE(prompts_->messageTexts().back(), std::string("먼저 삭제할 자료를 선택하세요"));

        // Enter in the list is the Change command; a right click offers the row menu.
        list()->selectLine(3);
        QTest::keyClick(list(), Qt::Key_Return);
        QCOMPARE(formActions_.back(), RecordCommand::Change);
        prompts_->menuAnswers.push_back(3);
        const QRect line = list()->visualRect(list()->model()->index(1, 1));
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, line.center());
        QCOMPARE(prompts_->asked.back().kind, std::string("menu"));
        QCOMPARE(prompts_->asked.back().text,
                 std::string("자료 추가|자료 수정|자료 삭제|합계|인쇄"));
        QCOMPARE(formActions_.back(), RecordCommand::Delete);
        QCOMPARE(list()->selectedLine(), std::size_t(2));

        QTest::keyClick(list(), Qt::Key_Escape);
        QVERIFY(!window_->isVisible());
    }

    void printStoresTheListWidthsAndBannersOpenOurPages() {
        bool landscape = false;
        int printed = 0;
        seams_.print = [&](QWidget*, bool wide) {
            landscape = wide;
            ++printed;
            return report::ListPrintOutcome::Printed;
        };
        start(book_);
        list()->header()->resizeSection(1, list()->units().x(90));
        prompts_->menuAnswers.push_back(0);
        QTest::mouseClick(button(kPrint), Qt::LeftButton);
        QCOMPARE(printed, 0);
        prompts_->menuAnswers.push_back(2);
        QTest::mouseClick(button(kPrint), Qt::LeftButton);
        QCOMPARE(prompts_->asked.back().text, std::string("세로|가로"));
        QCOMPARE(printed, 1);
        QVERIFY(landscape);
        QCOMPARE(doc_->columns.listWidth[1], 90);
        QCOMPARE(doc_->columns.listWidth[0], list()->columnWidthUnits(0));
    }

    // A banner opens the address set for it, or says that none is set: never a made-up page.
    void bannersOpenTheirAddressOrSayNoneIsSet_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QStringList>("asked"); // kind:text for the product, then the community
        const QString none = QString::fromUtf8(kNoAddressMessage);
        QTest::newRow("none set") << QString() << QStringList{"message:" + none, "message:" + none};
        QTest::newRow("both set")
            << "HomeURL=https://rowbit.test/\nCommunityURL=https://rowbit.test/talk\n"
            << QStringList{"url:https://rowbit.test/", "url:https://rowbit.test/talk"};
        QTest::newRow("one set") << "CommunityURL=https://rowbit.test/talk\n"
                                 << QStringList{"message:" + none, "url:https://rowbit.test/talk"};
    }

    void bannersOpenTheirAddressOrSayNoneIsSet() {
        QFETCH(QString, ini);
        QFETCH(QStringList, asked);
        std::ofstream(scratch_->path() / "Rowbit.INI") << "[Rowbit]\n" << ini.toStdString();
        start(book_);
        QCOMPARE(button(kProductPage)->objectName(), QString("productButton"));
        QCOMPARE(button(kCommunityPage)->objectName(), QString("communityButton"));
        prompts_->asked.clear();
        QTest::mouseClick(button(kProductPage), Qt::LeftButton);
        QTest::mouseClick(button(kCommunityPage), Qt::LeftButton);
        QStringList seen;
        for (const auto& a : prompts_->asked)
            seen << QString::fromStdString(a.kind + ":" + a.text);
        QCOMPARE(seen, asked);
    }

    // After the record form and after the setup's re-read the user goes on in the list, on the
    // selected line, whatever had the focus before (at start the first button).
    void theListHasTheFocusAfterTheFormAndTheReread_data() {
        QTest::addColumn<int>("command"); // the button that opens the window
        QTest::addColumn<bool>("done");   // whether the window carried its command out
        QTest::newRow("form, inserted") << int(kInsert) << true;
        QTest::newRow("form, cancelled") << int(kChange) << false;
        QTest::newRow("setup, read again") << int(kSetting) << true;
    }

    void theListHasTheFocusAfterTheFormAndTheReread() {
        QFETCH(int, command);
        QFETCH(bool, done);
        // A modal window with a focused box of its own, as the form and the setup dialog are.
        auto modal = [&](QWidget* parent) {
            QDialog dialog(parent);
            auto* box = new QLineEdit(&dialog);
            QTimer::singleShot(0, &dialog, [&] {
                box->setFocus();
                dialog.accept();
            });
            dialog.exec();
        };
        seams_.recordForm = [&](QWidget* parent, RecordCommand asked, std::size_t) {
            modal(parent);
            if (asked == RecordCommand::Insert) {
                doc_->records.buffer.clear();
                doc_->records.buffer.col[1] = "새손님";
                doc_->records.add();
            }
            return done ? form::FormOutcome::Done : form::FormOutcome::Cancelled;
        };
        seams_.setup = [&](QWidget* parent) {
            modal(parent);
            return done ? SetupOutcome::Reload : SetupOutcome::Cancelled;
        };
        start(book_);
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        button(kPick)->setFocus(); // where a window without a choice of its own puts it
        list()->selectLine(3);
        QTest::mouseClick(button(BrowseControl(command)), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list()));
        QVERIFY(list()->selectedLine() > 0);
        QCOMPARE(list()->currentIndex().row(), int(list()->selectedLine()) - 1);
    }

    // A window restored from its saved placement opens where it was saved, also after a window
    // such as the update notice opened first with it as parent; saved again it stays there.
    void theWindowOpensWhereItWasSavedWhateverOpenedFirst_data() {
        QTest::addColumn<bool>("noticeFirst");
        QTest::newRow("alone") << false;
        QTest::newRow("after a notice") << true;
    }

    void theWindowOpensWhereItWasSavedWhateverOpenedFirst() {
        QFETCH(bool, noticeFirst);
        std::ofstream(scratch_->path() / "Rowbit.INI")
            << "[Window]\nMaximize=No\nMinimize=No\nXPos=40\nYPos=30\nWidth=900\nHeight=600\n";
        if (noticeFirst)
            seams_.versionCheck = [](QWidget* parent) {
                QDialog notice(parent);
                QTimer::singleShot(0, &notice, &QDialog::reject);
                notice.exec();
                return true;
            };
        for (int start = 0; start < 3; ++start) {
            this->start(book_);
            QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
            QCOMPARE(window_->geometry(), QRect(40, 30, 900, 600));
            window_->close();
            window_.reset();
            const IniFile ini = prefs_->read();
            const QRect back(
                std::stoi(ini.get("Window", "XPos")), std::stoi(ini.get("Window", "YPos")),
                std::stoi(ini.get("Window", "Width")), std::stoi(ini.get("Window", "Height")));
            QCOMPARE(back, QRect(40, 30, 900, 600));
        }
    }

    // One workbook is one recent file however it was named, and only a workbook that was
    // really opened is one.
    void recentFilesHoldTheCanonicalPathOfWhatWasOpened_data() {
        QTest::addColumn<QStringList>("commandLines");
        QTest::addColumn<int>("entries");
        QTest::newRow("relative, then absolute") << QStringList{"장부.xls", "@"} << 1;
        QTest::newRow("absolute, then with dots") << QStringList{"@", "./sub/../장부.xls"} << 1;
        QTest::newRow("a file that is not there") << QStringList{"--help"} << 0;
    }

    void recentFilesHoldTheCanonicalPathOfWhatWasOpened() {
        QFETCH(QStringList, commandLines);
        QFETCH(int, entries);
        fs::create_directory(scratch_->path() / "sub");
        for (const QString& line : commandLines) {
            start(line == "@" ? book_ : line.toStdString());
            window_->close();
            window_.reset();
        }
        start("");
        const auto& recent = window_->browseState().recent;
        QCOMPARE(int(std::count_if(recent.begin(), recent.end(),
                                   [](const std::string& e) { return !e.empty(); })),
                 entries);
        if (entries)
            QCOMPARE(recent[0], fs::canonical(book_).string());
        QVERIFY(!fs::exists(scratch_->path() / "--help.xls"));
    }

    void closingAsksAndWritesThePreferences() {
        start(book_);
        clickHeader(1);
        QVERIFY(doc_->modified);
        const std::string before = readFile(book_);
        prompts_->messageAnswers.push_back(2); // 아니오
        window_->close();
        QVERIFY(!window_->isVisible());
        QCOMPARE(prompts_->messages.back().text, std::string("변경내용이 있습니다. 저장할까요?"));
        QCOMPARE(prompts_->messages.back().caption, std::string("확인"));
        QCOMPARE(prompts_->messages.back().buttons, std::string("예|아니오|취소"));
        QVERIFY(readFile(book_) == before);
        QVERIFY(!doc_->book);

        rowbit::IniFile ini = prefs_->read();
        QCOMPARE(ini.get("RecentFiles", "File1"), book_);
        QVERIFY(ini.has("RecentFiles", "File10"));
        QCOMPARE(ini.get("Window", "Maximize"), std::string("No"));
        QCOMPARE(ini.get("Window", "Width"), std::to_string(window_->width()));
        QVERIFY(ini.has("Rowbit", "PATH"));
    }

    void closingWithYesSavesAndACancelledSaveAsKeepsTheWindowOpen() {
        start(book_);
        clickHeader(4);
        prompts_->messageAnswers.push_back(1); // 예
        window_->close();
        QVERIFY(!window_->isVisible());
        QVERIFY(!doc_->modified);

        // The unnamed workbook: the save-as dialog, cancelled.
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        start("");
        QTest::mouseClick(button(kInsert), Qt::LeftButton);
        QVERIFY(doc_->modified);
        prompts_->messageAnswers.push_back(1);
        prompts_->saveAnswers.push_back(std::nullopt);
        window_->close();
        QVERIFY(window_->isVisible());
        QCOMPARE(prompts_->dialogs.back().title, std::string("New File"));
        QVERIFY(doc_->modified);
        QVERIFY(state_->isUnnamed(doc_->path));
        QCOMPARE(doc_->records.count(), std::size_t(1));

        // Then saved under a typed name, ".xls" added.
        prompts_->messageAnswers.push_back(1);
        prompts_->saveAnswers.push_back((scratch_->path() / "new book").string());
        window_->close();
        QVERIFY(!window_->isVisible());
        QVERIFY(fs::exists(scratch_->path() / "new book.xls"));
    }

    void aFailedSaveTellsAndKeepsTheWindowOpenWithItsChanges() {
        start(book_);
        clickHeader(2);
        // The workbook's place is taken by a folder: the save cannot replace it.
        fs::remove(book_);
        fs::create_directory(book_);
        QTest::mouseClick(button(kSave), Qt::LeftButton);
        QVERIFY(doc_->modified);
        QVERIFY(button(kSave)->isEnabled());
        QVERIFY(prompts_->messageTexts().back().find(book_) != std::string::npos);

        prompts_->messageAnswers.push_back(1); // 예: save, and it fails again
        window_->close();
        QVERIFY(window_->isVisible());
        QVERIFY(doc_->modified);
        QCOMPARE(doc_->records.count(), std::size_t(24));
        QCOMPARE(doc_->path, book_);
        QVERIFY(fs::is_directory(book_));

        prompts_->messageAnswers.push_back(2); // 아니오: close without saving
        window_->close();
        QVERIFY(!window_->isVisible());
    }

    void aWorkbookSavedElsewhereMeanwhileIsAskedAboutBeforeItIsOverwritten() {
        start(book_);
        clickHeader(2);
        // Another program saves the workbook meanwhile: a new file under its name.
        fs::copy_file(kSample, book_ + ".theirs");
        fs::rename(book_ + ".theirs", book_);
        const std::string theirs = readFile(book_);

        prompts_->messageAnswers.push_back(3); // 취소
        QTest::mouseClick(button(kSave), Qt::LeftButton);
        const MessageRequest& asked = prompts_->messages.back();
        QVERIFY(asked.text.find("다른 곳에서 바뀌어서") != std::string::npos);
        QCOMPARE(asked.buttons, std::string("다른 이름으로 저장|덮어쓰기|취소"));
        QVERIFY(doc_->modified);
        QVERIFY(button(kSave)->isEnabled());
        QVERIFY(readFile(book_) == theirs);

        // Closing with 예 asks again; cancelled, the window stays open under its name.
        prompts_->messageAnswers.push_back(1); // 예
        prompts_->messageAnswers.push_back(3); // 취소
        window_->close();
        QVERIFY(window_->isVisible());
        QCOMPARE(doc_->path, book_);
        QVERIFY(readFile(book_) == theirs);

        prompts_->messageAnswers.push_back(1); // 예
        prompts_->messageAnswers.push_back(2); // 덮어쓰기
        window_->close();
        QVERIFY(!window_->isVisible());
        QVERIFY(!doc_->modified);
        QVERIFY(readFile(book_) != theirs);
    }

    void anUnreadableFileIsToldAndNeverOverwritten() {
        const fs::path broken = scratch_->path() / "깨진.xls";
        std::ofstream(broken) << "this is not a workbook at all";
        const std::string before = readFile(broken);
        start(broken.string());
        QCOMPARE(prompts_->messages.size(), std::size_t(1));
        QVERIFY(prompts_->messages[0].text.find(broken.string()) != std::string::npos);
        QVERIFY(state_->isUnnamed(doc_->path));
        QCOMPARE(window_->windowTitle().toStdString(), state_->unnamedPath() + "[*]");

        // A recent file picked now is the one that opens, not the command line's again.
        window_->browseState().recent[1] = book_;
        prompts_->menuAnswers.push_back(2);
        QTest::mouseClick(button(kPick), Qt::LeftButton);
        QCOMPARE(doc_->path, book_);
        QCOMPARE(list()->model()->rowCount(), 24);
        QCOMPARE(prompts_->messages.size(), std::size_t(1));
        window_->close();
        state_ = std::make_unique<AppState>();
        doc_ = std::make_unique<Document>();
        start(broken.string());

        // Saving asks for a new name instead of writing over the file.
        QTest::mouseClick(button(kInsert), Qt::LeftButton);
        prompts_->saveAnswers.push_back(std::nullopt);
        QTest::mouseClick(button(kSave), Qt::LeftButton);
        QCOMPARE(prompts_->dialogs.back().title, std::string("New File"));
        QCOMPARE(readFile(broken), before);
        QVERIFY(doc_->modified);
        doc_->modified = false;
    }

    void theFirstScreenShowsAtOnceAndTheRestFillsInBehind() {
        holdTheFill();
        start(book_);
        const QWidget* wholeListControls[] = {
            button(kTotals), button(kPrint),   button(kInsert),       button(kChange),
            button(kDelete), button(kSetting), window_->searchField()};
        const int firstScreen = list()->model()->rowCount();
        QVERIFY(firstScreen > 0 && firstScreen < 24);
        QCOMPARE(cell(1, 0), std::string("15-10-01"));
        QVERIFY(!window_->wholeListReady());
        QVERIFY(window_->findChild<QProgressBar*>("fillProgress"));
        for (const QWidget* control : wholeListControls)
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        // Neither the keys nor a header click reach a whole-list command.
        QTest::keyClick(list(), Qt::Key_Insert);
        clickHeader(1);
        QVERIFY(formActions_.empty());
        QVERIFY(!doc_->modified);

        gate_->open();
        QTRY_VERIFY(window_->wholeListReady());
        QCOMPARE(list()->model()->rowCount(), 24);
        QCOMPARE(cell(1, 0), std::string("15-10-01"));
        QCOMPARE(cell(2, 4), std::string("416,000"));
        for (const QWidget* control : wholeListControls)
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        QVERIFY(!window_->findChild<QProgressBar*>());
        QVERIFY(!button(kSave)->isEnabled());
        QVERIFY(prompts_->messages.empty());
    }

    // Whatever happens while the rest of a workbook is read, only what the window shows
    // afterwards counts, and the window never waits for a read nobody needs.
    void whatHappensDuringTheFillEndsSafely() {
        std::string customers;
        struct Case {
            const char* name;
            bool openCustomers;
            std::function<void()> meanwhile;
            std::function<void()> check;
        };
        const Case cases[] = {
            {"closed, nothing to save", false, [this] { window_->close(); },
             [this] {
                 QVERIFY(!window_->isVisible());
                 QVERIFY(prompts_->messages.empty());
             }},
            {"closed after saving the proposed setup", true,
             [this] {
                 prompts_->messageAnswers.push_back(1); // 예: the save waits for every record
                 QTimer::singleShot(0, [gate = gate_] { gate->open(); });
                 window_->close();
             },
             [&] {
                 QVERIFY(!window_->isVisible());
                 Document saved;
                 AppState display;
                 saved.path = customers;
                 QCOMPARE(saved.open(display, *prompts_, nullptr).kind, LoadOutcome::Settings);
                 saved.fill(display, *prompts_);
                 QCOMPARE(saved.records.count(), std::size_t(30));
             }},
            {"another workbook dropped", false,
             [&] {
                 drop(customers);
                 QTRY_COMPARE(doc_->path, customers); // the read of the other is no matter
             },
             [&] {
                 QCOMPARE(doc_->path, customers);
                 QCOMPARE(list()->model()->rowCount(), 30);
                 QCOMPARE(cell(30, 0), std::string("손님 30"));
                 QCOMPARE(window_->browseState().recent[0], customers);
             }},
            {"damaged late in the file", false,
             [this] { std::ofstream(book_) << "no longer a workbook"; },
             [this] {
                 QCOMPARE(prompts_->messages.size(), std::size_t(1));
                 QVERIFY(prompts_->messages[0].text.find(book_) != std::string::npos);
                 QVERIFY(state_->isUnnamed(doc_->path));
                 QCOMPARE(window_->windowTitle().toStdString(), state_->unnamedPath() + "[*]");
                 QCOMPARE(list()->model()->rowCount(), 0);
                 QVERIFY(window_->browseState().recent[0].empty());
             }},
        };
        for (const Case& c : cases) {
            qInfo("%s", c.name);
            cleanup();
            init();
            customers = (scratch_->path() / "손님.xls").string();
            writeCustomers(customers, 30);
            holdTheFill();
            start(c.openCustomers ? customers : book_);
            QVERIFY(!window_->wholeListReady());
            c.meanwhile();
            gate_->open();
            QTRY_COMPARE(window_->readsUnderWay(), std::size_t(0));
            c.check();
        }
    }

    void resizingMovesTheGroupsAndRestoresExactly() {
        start(book_);
        QtResizeManager* rm = window_->resizeManager();
        const DialogUnits& du = rm->units();
        auto designed = [&](BrowseControl c) { return rm->currentUnits(c); };
        const QRect group1 = designed(kFileGroup), group2 = designed(kRecordGroup),
                    panel = designed(kToolStrip), list0 = designed(kList),
                    close0 = designed(kClose), group3 = designed(kBannerGroup);
        std::map<QWidget*, QRect> pixels;
        const auto children =
            window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget* child : children)
            pixels[child] = child->geometry();

        window_->resize(du.x(kBrowseWidth + 100), du.y(kBrowseHeight + 40));
        QCOMPARE(designed(kRecordGroup).x(), group2.x() + 100);
        QCOMPARE(designed(kRecordGroup).size(), group2.size());
        QCOMPARE(designed(kToolStrip).width(), panel.width() + 100);
        QCOMPARE(designed(kFileGroup), group1);
        QCOMPARE(designed(kList).width(), list0.width() + 100);
        QCOMPARE(designed(kList).height(), list0.height() + 40);
        QCOMPARE(designed(kBannerGroup).y(), group3.y() + 40);
        QCOMPARE(designed(kClose).x(), close0.x() + 100);
        QCOMPARE(window_->findChild<QWidget*>("recordGroup")->x(), du.x(group2.x() + 100));

        window_->resize(du.x(kBrowseWidth), du.y(kBrowseHeight));
        for (QWidget* child : children)
            QCOMPARE(child->geometry(), pixels[child]);
        QCOMPARE(designed(kRecordGroup), group2);

        // It cannot be made smaller than designed.
        QCOMPARE(window_->minimumSize(), QSize(du.x(kBrowseWidth), du.y(kBrowseHeight)));
    }

    void aMaximizedWindowOpensMaximized() {
        {
            std::ofstream ini(scratch_->path() / "Rowbit.INI");
            ini << "[Window]\nMaximize=Yes\nMinimize=No\nXPos=\nYPos=\nWidth=\nHeight=\n";
        }
        start(book_);
        QVERIFY(window_->isMaximized());
    }

    void placementIsRestoredAtTheNextStart() {
        {
            std::ofstream ini(scratch_->path() / "Rowbit.INI");
            ini << "[Window]\nMaximize=No\nMinimize=No\nXPos=40\nYPos=30\nWidth=900\n"
                   "Height=600\n";
        }
        start(book_);
        // The stored position is the client area's (the frame's is not known before the window
        // is on the screen).
        QCOMPARE(window_->geometry().topLeft(), QPoint(40, 30));
        QCOMPARE(window_->size(), QSize(900, 600));
    }

    void previewProposesTheSetupFromThePickedRow() {
        writePlainWorkbook(scratch_->path() / "plain.xls");
        int preselected = -1;
        std::size_t shown = 0;
        seams_.preview = [&](const std::vector<PreviewRow>& rows, int pre) {
            preselected = pre;
            shown = rows.size();
            return std::optional<int>(pre);
        };
        start((scratch_->path() / "plain.xls").string());
        QCOMPARE(preselected, 2); // the first row with a text
        QCOMPARE(shown, std::size_t(10));
        QCOMPARE(doc_->columns.columnCount, 3);
        QCOMPARE(doc_->columns.firstDataRow, 3);
        QCOMPARE(doc_->columns.type[0], FieldType::Date);
        QCOMPARE(doc_->columns.type[1], FieldType::Text);
        QCOMPARE(doc_->columns.type[2], FieldType::Number);
        QCOMPARE(list()->model()->rowCount(), 2);
        QCOMPARE(list()->model()->headerData(1, Qt::Horizontal).toString(), QString("이름"));
        QCOMPARE(cell(2, 2), std::string("1,200"));
    }

    void theBusyNoticeShowsHowFarTheOpeningGot_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("command line") << "command line";
        QTest::newRow("open dialog") << "open dialog";
        QTest::newRow("recent file") << "recent file";
    }
    void theBusyNoticeShowsHowFarTheOpeningGot() {
        QFETCH(QString, way);
        const std::string plain = (scratch_->path() / "plain.xls").string();
        writePlainWorkbook(plain);
        // What the notice showed at each report, and whether it stood aside for the preview.
        struct Seen {
            ProgressStage stage;
            int value;
            int maximum;
            bool labelled;
        };
        std::vector<Seen> seen;
        prompts_->onProgress = [&](ProgressStage stage, double) {
            auto* bar = window_->findChild<QProgressBar*>();
            QVERIFY(bar && bar->isVisible());
            const bool labelled = bar->parentWidget()->findChildren<QLabel*>().size() == 1 &&
                                  bar->parentWidget()->findChild<QLabel*>()->text() ==
                                      QString("파일을 여는 중입니다...");
            seen.push_back({stage, bar->value(), bar->maximum(), labelled});
        };
        bool barWhileAsked = true;
        seams_.preview = [&](const std::vector<PreviewRow>&, int pre) {
            barWhileAsked = window_->findChild<QProgressBar*>() != nullptr;
            return std::optional<int>(pre);
        };
        if (way == "command line") {
            start(plain);
        } else if (way == "open dialog") {
            prompts_->openAnswers.push_back(plain);
            start("/O");
        } else {
            std::ofstream(scratch_->path() / "Rowbit.INI") << "[RecentFiles]\nFile1=" << plain;
            start(""); // the open dialog cancelled: the unnamed workbook
            seen.clear();
            prompts_->menuAnswers.push_back(1);
            QTest::mouseClick(button(kPick), Qt::LeftButton);
        }
        QCOMPARE(doc_->path, plain);
        QCOMPARE(list()->model()->rowCount(), 2);
        QVERIFY(!barWhileAsked);

        QVERIFY(!seen.empty());
        QVERIFY(std::any_of(seen.begin(), seen.end(),
                            [](const Seen& s) { return s.stage == ProgressStage::Reading; }));
        int last = 0;
        for (const Seen& s : seen) {
            QVERIFY(s.labelled);
            QCOMPARE(s.maximum, 100);
            QVERIFY(s.value >= last); // not even a question in between sets it back
            if (s.stage == ProgressStage::Reading)
                QVERIFY(s.value <= 70); // the list is still to be filled
            last = s.value;
        }
        QCOMPARE(last, 100);
        // Gone with the wait cursor once the workbook is open.
        QVERIFY(!window_->findChild<QProgressBar*>());
        QVERIFY(!QApplication::overrideCursor());
    }

    void versionCheckCanEndTheProgramBeforeAnythingShows() {
        seams_.versionCheck = [](QWidget*) { return false; };
        window_ = std::make_unique<BrowseWindow>(*state_, *doc_, *prompts_, *prefs_, seams_, book_,
                                                 "/opt/rowbit/rowbit");
        QVERIFY(!window_->open());
        QVERIFY(!window_->isVisible());
        QVERIFY(prompts_->asked.empty());
        QVERIFY(!doc_->book);
    }
};

int main(int argc, char** argv) {
    // A screen larger than the designed window, as a desktop has (the offscreen one is 800 x 600
    // unless told): a restored window is fitted onto it.
    const QString screenFile =
        QDir::temp().filePath(QStringLiteral("rowbit-browse-screen-%1.json").arg(getpid()));
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        QFile json(screenFile);
        if (json.open(QIODevice::WriteOnly))
            json.write(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": 1400,
                "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        json.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screenFile.toLocal8Bit());
    }
    QApplication app(argc, argv);
    QFile::remove(screenFile);
    Q_INIT_RESOURCE(rowbit);
    rowbit::ui::installFontSubstitutions();
    BrowseWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "browse_window_test.moc"
