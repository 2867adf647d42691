#pragma once
// ExcelBrowse: the main window. It opens a workbook, shows its records, and dispatches every
// command: opening (here or in a further copy of the program), saving, searching, sorting,
// the record commands, totals, printing, the column setup and the About window. Closing asks
// whether to save changes, then writes the window placement and the preferences.

#include "app/app_state.h"
#include "app/prompts.h"
#include "document/browse_state.h"
#include "document/document.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QLabel;
class QFrame;
class QProgressBar;

namespace rowbit {
class Preferences;
}

namespace rowbit::ui {

class RecordListView;
class QtResizeManager;

// The windows other parts of the program bring, one seam each. An empty seam does nothing:
// the record form and the setup dialog then leave ACTION as it was, which reads as cancelled.
struct BrowseSeams {
    std::function<bool(QWidget* parent)> versionCheck; // false: the program ends at once
    std::function<void(QWidget* parent)> recordForm;   // ExcelForm: carries out ACTION
    std::function<void(QWidget* parent)> setup;        // Setup: sets ACTION 0 or 5 when stored
    std::function<void(QWidget* parent)> totals;       // SumUp
    std::function<void(QWidget* parent, bool landscape)> print; // ListPrint
    std::function<void(QWidget* parent)> about;                 // About
    TitleRowChooser preview; // empty: the workbook preview window
};

// Control numbers: the controls' places in the window's order.
enum BrowseControl : int {
    kGroup1 = 1,
    kPick,
    kOpen,
    kNew,
    kSave,
    kSumUp,
    kAbout,
    kPrint,
    kPanel1,
    kGroup2,
    kSearchField,
    kBack,
    kInsert,
    kChange,
    kDelete,
    kSearchPrompt,
    kList,
    kGroup3,
    kImage3,
    kProductPage,
    kSetting,
    kImage1,
    kCommunityPage,
    kClose,
};

// The window's designed client size in dialog units.
inline constexpr int kBrowseWidth = 480;
inline constexpr int kBrowseHeight = 250;

class BrowseWindow : public QWidget {
    Q_OBJECT
public:
    // `commandLine` is the whole command-line tail; `programPath` the executable further
    // copies are started from.
    BrowseWindow(AppState& state, Prompts& prompts, Preferences& prefs, BrowseSeams seams,
                 std::string commandLine, std::string programPath, QWidget* parent = nullptr);
    ~BrowseWindow() override;

    // Opening: the version check, the display preferences, the window and its controls, the
    // first workbook. False when the version check ended the program (nothing was shown).
    bool open();

    BrowseState& browseState() { return browse_; }
    RecordListView* list() const { return list_; }
    QLineEdit* searchField() const { return search_; }
    QPushButton* button(BrowseControl control) const;
    QtResizeManager* resizeManager() const { return resizer_.get(); }
    // Untitled and empty: the unnamed workbook with no records.
    bool untitledAndEmpty() const;

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
    void productPage();
    void communityPage();

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
    void buildControls();
    void setupWindow();
    void openHere();
    void setBusy(bool busy);
    void showProgress(ProgressStage stage, double fraction);
    void showPercent(int percent);
    void applyFormat();
    void showCaption();
    void showSortColumn();
    void showFullList(std::size_t select);
    void showResults(std::size_t select);
    void showModified();
    // The record form for the command chosen (insert, change, delete), then the focus back
    // in the list.
    void runRecordForm();
    // The window active and the list focused, on its selected line.
    void focusList();
    void startCopy(const std::vector<std::string>& args);
    void afterClose();
    // The close question (예, 아니오, 취소) when there are unsaved changes: true when the
    // workbook may go (saved or let go), false when it stays (취소, or a save that did not
    // happen).
    bool settleChanges();
    // Open, Save, Print, Find, Quit and Help on their standard keys, named in the buttons' tips.
    void installStandardActions();
    void openDropped(const std::string& path);
    std::optional<int> runPreview(const std::vector<PreviewRow>& rows, int preselected);

    AppState& state_;
    Prompts& prompts_;
    Preferences& prefs_;
    BrowseSeams seams_;
    std::string commandLine_;
    std::string programPath_;
    BrowseState browse_;

    std::map<int, QWidget*> controls_;
    RecordListView* list_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* searchPrompt_ = nullptr;
    QFrame* loading_ = nullptr; // the busy notice, while a workbook opens
    QProgressBar* loadingBar_ = nullptr;
    int loadPercent_ = 0; // what the bar shows, kept while a question hides the notice
    QElapsedTimer loadShownAt_;
    std::unique_ptr<QtResizeManager> resizer_;
    bool closed_ = false;
    bool searching_ = false;
    int sortedColumn_ = 0; // the data column (1-based) the full list was last sorted by
};

} // namespace rowbit::ui
