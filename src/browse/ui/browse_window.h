#pragma once
// The main window. It opens a workbook, shows its records, and dispatches every command:
// opening (here or in a further copy of the program), saving, searching, sorting, the record
// commands, totals, printing, the column setup and the About window. Its controls come from
// the table in browse_controls; closing asks what browse/close_policy.h decides, then writes
// the window placement and the preferences.

#include "app/app_state.h"
#include "app/prompts.h"
#include "browse/ui/browse_controls.h"
#include "document/browse_state.h"
#include "document/document.h"
#include "document/whole_read.h"
#include "form/record_form_model.h"
#include "report/list_print.h"
#include "setup/setup_draft.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace rowbit {
class Preferences;
}

namespace rowbit::ui {

class RecordListView;
class QtResizeManager;

// The windows other parts of the program bring, one seam each. An empty seam does nothing:
// an empty record form or setup dialog reads as cancelled.
struct BrowseSeams {
    std::function<bool(QWidget* parent)> versionCheck; // false: the program ends at once
    // The record form for `command` on the record at `record` (1-based position in the
    // document's records; 0 for an insert); Done when it carried the command out.
    std::function<form::FormOutcome(QWidget* parent, RecordCommand command, std::size_t record)>
        recordForm;
    std::function<SetupOutcome(QWidget* parent)> setup; // the column setup dialog
    std::function<void(QWidget* parent)> totals;        // the totals window
    std::function<report::ListPrintOutcome(QWidget* parent, bool landscape)> print; // the report
    std::function<void(QWidget* parent)> about; // the About window
    TitleRowChooser preview;                    // empty: the workbook preview window
};

// How the window opens a workbook: only the first rows of its data sheet are read before the
// list shows, and the rest fills in behind on a thread of its own.
struct OpeningOptions {
    // Sheet rows read for the first screen: more than a tall window shows, with the preview's
    // rows and a few title rows above the records.
    int firstScreenRows = 200;
    // Called on the thread that reads the whole workbook before it reads anything (tests hold
    // it there); empty: nothing.
    std::function<void()> beforeWholeRead;
};

class BrowseWindow : public QWidget {
    Q_OBJECT
public:
    // `commandLine` is the whole command-line tail; `programPath` the executable further
    // copies are started from.
    BrowseWindow(AppState& display, Document& doc, Prompts& prompts, Preferences& prefs,
                 BrowseSeams seams, std::string commandLine, std::string programPath,
                 QWidget* parent = nullptr);
    ~BrowseWindow() override;

    // Opening: the version check, the display preferences, the window and its controls, the
    // first workbook. False when the version check ended the program (nothing was shown).
    bool open();

    BrowseState& browseState() { return browse_; }
    RecordListView* list() const { return list_; }
    QLineEdit* searchField() const { return search_; }
    QPushButton* button(BrowseControl control) const;
    QtResizeManager* resizeManager() const { return controls_.resizer(); }
    // Untitled and empty: the unnamed workbook with no records.
    bool untitledAndEmpty() const;
    // Before open(): how workbooks are opened from then on.
    void setOpening(OpeningOptions options) { opening_ = std::move(options); }
    // False while the list still fills in behind its first screen: the commands that need
    // every record (saving, totals, printing, searching, sorting, the record commands and the
    // setup) are unavailable until then.
    bool wholeListReady() const { return reading_ == nullptr; }
    // Reading threads not yet ended and let go, the read of the shown workbook among them.
    std::size_t readsUnderWay() const { return (reading_ ? 1 : 0) + retired_.size(); }

public slots:
    void pick();
    void openWorkbook();
    void newWorkbook();
    void save();
    void totals();
    void about();
    void print();
    void search();
    void back();
    void insertRecord();
    void changeRecord();
    void deleteRecord();
    void setting();
    void rowMenu();
    void sortByColumn(int column);
    // The last record edit undone, or the last undone one made again; the list selects the
    // record it touched. Nothing while a workbook is being read or a dialog is up.
    void undo();
    void redo();
    void productPage();
    void communityPage();
    // As the Close button does: the unsaved-changes question first.
    void closeWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A workbook file dropped on the window opens in it, after the unsaved-changes question.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the save could not carry along with the records, in one message.
    void tellNotices(const SaveOutcome& outcome);
    // The page at `address` in the browser, or the message that no address is set.
    void openPage(const std::string& address);
    // The controls of the table made and connected; the list's and the search field's signals
    // connected; the keys taken.
    void buildControls();
    void connectListAndSearch();
    // The recent files, the resize strategies, the stored placement, the empty list.
    void setupWindow();
    void openHere();
    // The rest of the workbook whose first rows are shown, read and filled on a thread of its
    // own; `recentBefore` is the recent files as they were before it was opened.
    void startWholeRead(const std::array<std::string, kRecentFiles>& recentBefore);
    // The thread of read `generation` is done: the whole list shown, or the file's late error
    // told; a read no longer wanted is only let go.
    void wholeReadFinished(std::uint64_t generation);
    // The read under way, if any, is no longer wanted: cancelled and let go once its thread ends.
    void retireWholeRead();
    // The whole-list commands available again, the fill's bar gone.
    void showWholeListReady();
    // Waits with the wait cursor (and the fill's bar) until the list filling in behind is
    // there; false when the file turned out unreadable and the unnamed workbook took its place.
    bool awaitWholeList();
    void applyFormat();
    void showCaption();
    void showSortColumn();
    void showFullList(std::size_t select);
    void showResults(std::size_t select);
    void showModified();
    // The record form for `command` on the selected record (insert needs none; else
    // `selectFirst` is told when no record is selected), then the focus back in the list and
    // the list following what the form did.
    void runRecordCommand(RecordCommand command, const char* selectFirst);
    // Undo (or redo) of the last record step, shown in the full list.
    void stepBack(bool undoing);
    // Saves the document; a saved workbook goes to the top of the recent files.
    SaveOutcome saveDocument();
    // The window active and the list focused, on its selected line.
    void focusList();
    void startCopy(const std::vector<std::string>& args);
    void afterClose();
    // The unsaved-changes question and what its answer does (browse/close_policy.h): true when
    // the workbook may go (saved or let go), false when it stays.
    bool settleChanges();
    void openDropped(const std::string& path);
    std::optional<int> runPreview(const std::vector<PreviewRow>& rows, int preselected);

    AppState& display_;
    Document& doc_;
    Prompts& prompts_;
    Preferences& prefs_;
    BrowseSeams seams_;
    std::string commandLine_;
    std::string programPath_;
    BrowseState browse_;

    BrowseControls controls_;
    RecordListView* list_ = nullptr;
    QLineEdit* search_ = nullptr;
    QProgressBar* fillBar_ = nullptr; // how far the list filling in behind got
    OpeningOptions opening_;
    std::unique_ptr<WholeRead> reading_; // the read of the shown workbook, while it runs
    std::uint64_t readGeneration_ = 0;   // the number of the last read started
    std::map<std::uint64_t, std::unique_ptr<WholeRead>> retired_; // cancelled, still running
    std::array<std::string, kRecentFiles> recentBeforeRead_;
    bool lastReadFailed_ = false;
    bool awaiting_ = false; // awaitWholeList is waiting
    bool closed_ = false;
    bool searching_ = false;
    int sortedColumn_ = 0; // the data column (1-based) the full list was last sorted by
};

} // namespace rowbit::ui
