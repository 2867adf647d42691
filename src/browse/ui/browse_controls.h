#pragma once
// The browse window's controls, made from one table: a row a control, with its kind, its place
// in dialog units, its object name, and for a button its icon, tip, text and the command it
// runs. The resize manager places them and keeps the groups in their corners when the window
// changes size.

#include <map>
#include <memory>

class QLineEdit;
class QPushButton;
class QWidget;

namespace rowbit::ui {

class BrowseWindow;
class QtResizeManager;
class RecordListView;

// The window's controls, in its order.
enum BrowseControl : int {
    kFileGroup = 1,
    kPick,
    kOpen,
    kNew,
    kSave,
    kTotals,
    kAbout,
    kPrint,
    kToolStrip,
    kRecordGroup,
    kSearchField,
    kBack,
    kInsert,
    kChange,
    kDelete,
    kSearchPrompt,
    kList,
    kBannerGroup,
    kProductBanner,
    kProductPage,
    kSetting,
    kCommunityBanner,
    kCommunityPage,
    kClose,
};

// The window's designed client size in dialog units.
inline constexpr int kBrowseWidth = 480;
inline constexpr int kBrowseHeight = 250;

class BrowseControls {
public:
    BrowseControls();
    ~BrowseControls();

    // Every control of the table made in `window`, each button connected to its command.
    void build(BrowseWindow& window);
    // The resize strategies: the strip and the list stretch with the window, the file group
    // keeps the top left corner, the record group the top right, the banner group the bottom
    // left.
    void placeOnResize();
    // The controls of the commands that need every record (saving, totals, printing,
    // searching, the record commands, the setup) made available or not.
    void enableWholeListCommands(bool enabled);
    // Open, Save, Print, Find, Quit and Help on their standard keys, named in the buttons' tips.
    void addStandardKeys(BrowseWindow& window);

    QPushButton* button(BrowseControl id) const;
    RecordListView* list() const;
    QLineEdit* searchField() const;
    QtResizeManager* resizer() const { return resizer_.get(); }

private:
    std::map<BrowseControl, QWidget*> widgets_;
    std::unique_ptr<QtResizeManager> resizer_;
};

} // namespace rowbit::ui
