#include "browse/ui/browse_controls.h"

#include "app/ui/dialog_units.h"
#include "app/ui/record_list_view.h"
#include "browse/ui/browse_window.h"
#include "winsupport/ui/qt_resize_manager.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace rowbit::ui {

namespace {

// One control of the window: what it is, where it goes (dialog units), its object name, and
// for a button its icon (under :/icons/), tip, text, look and the command it runs.
struct ControlRow {
    BrowseControl id;
    winsupport::ControlKind kind;
    QRect place;
    const char* name;
    const char* icon = nullptr; // an image's picture as well
    const char* tip = nullptr;
    const char* text = nullptr;
    void (BrowseWindow::*command)() = nullptr;
};

namespace {

using K = winsupport::ControlKind;
using W = BrowseWindow;

// A setup that has the rows read again ends what Ctrl+Z can undo.
constexpr const char* kSetupTip =
    "열 설정: 행을 다시 읽는 설정 변경은 되돌리기 기록을 새로 시작합니다 "
    "(그 전의 편집은 Ctrl+Z로 되돌릴 수 없음)";

// The window's controls in their order: the tool strip with the file group, the search and
// record group, the list, and the banner group.
// clang-format off
const ControlRow kControls[] = {
//   id              kind        place (dialog units)           name
//                   icon                tip                            text     command
    {kFileGroup,        K::Group,  {2, 0, 162, 25},               "fileGroup"},
    {kPick,          K::Button, {6, 4, 20, 18},                "recentButton",
                     "pick",             "Pick",                        nullptr, &W::pick},
    {kOpen,          K::Button, {28, 4, 20, 18},               "openButton",
                     "open",             "Open",                        nullptr, &W::openWorkbook},
    {kNew,           K::Button, {50, 4, 20, 18},               "newButton",
                     "new",              "New",                         nullptr, &W::newWorkbook},
    {kSave,          K::Button, {72, 4, 20, 18},               "saveButton",
                     "save",             "Save",                        nullptr, &W::save},
    {kTotals,         K::Button, {94, 4, 20, 18},               "totalsButton",
                     nullptr,            nullptr,                       "Σ",     &W::totals},
    {kAbout,         K::Button, {116, 4, 20, 18},              "aboutButton",
                     "help",             "About",                       nullptr, &W::about},
    {kPrint,         K::Button, {138, 4, 20, 18},              "printButton",
                     "print",            nullptr,                       nullptr, &W::print},
    {kToolStrip,        K::Panel,  {0, 0, kBrowseWidth, 27},      "toolStrip"},
    {kRecordGroup,        K::Group,  {244, 0, 234, 25},             "recordGroup"},
    {kSearchField,   K::Entry,  {276, 7, 96, 13},              "searchField"},
    {kBack,          K::Button, {374, 4, 20, 18},              "backButton",
                     "undo",             "검색결과를 초기화 합니다.",   nullptr, &W::back},
    {kInsert,        K::Button, {404, 4, 22, 18},              "insertButton",
                     "insert",           "Insert New Record",           nullptr, &W::insertRecord},
    {kChange,        K::Button, {428, 4, 22, 18},              "changeButton",
                     "change",           "Change the Record",           nullptr, &W::changeRecord},
    {kDelete,        K::Button, {452, 4, 22, 18},              "deleteButton",
                     "delete",           "Delete Record",               nullptr, &W::deleteRecord},
    {kSearchPrompt,  K::Prompt, {248, 9, 27, 10},              "searchLabel",
                     nullptr,            nullptr,                       "검색 :"},
    {kList,          K::List,   {2, 29, kBrowseWidth - 4, 194}, "recordList"},
    {kBannerGroup,        K::Group,  {2, 224, 260, 25},             "bannerGroup"},
    {kProductBanner,        K::Image,  {6, 228, 100, 17},             "productBanner",
                     "banner_product"},
    {kProductPage,   K::Button, {6, 228, 100, 17},             "productButton",
                     nullptr,            nullptr,                       nullptr, &W::productPage},
    {kSetting,       K::Button, {212, 227, 46, 19},            "setupButton",
                     "setting",          kSetupTip,                     "설정",  &W::setting},
    {kCommunityBanner,        K::Image,  {108, 228, 100, 17},           "communityBanner",
                     "banner_community"},
    {kCommunityPage, K::Button, {108, 228, 100, 17},           "communityButton",
                     nullptr,            nullptr,                       nullptr, &W::communityPage},
    {kClose,         K::Button, {424, 227, 52, 19},            "closeButton",
                     "close",            nullptr,                       "닫 기", &W::closeWindow},
};
// clang-format on

QIcon iconNamed(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

} // namespace

QWidget* makeControl(const ControlRow& row, BrowseWindow& window, const DialogUnits& du) {
    switch (row.kind) {
    case K::Group:
        return new QGroupBox(&window);
    case K::Panel: {
        auto* panel = new QFrame(&window);
        panel->setFrameShape(QFrame::NoFrame);
        panel->setAutoFillBackground(true);
        panel->setBackgroundRole(QPalette::Midlight);
        return panel;
    }
    case K::Entry: {
        auto* field = new QLineEdit(&window);
        field->setMaxLength(30);
        return field;
    }
    case K::Prompt:
        return new QLabel(QString::fromUtf8(row.text), &window);
    case K::List: {
        auto* list = new RecordListView(&window);
        list->setUnits(du);
        return list;
    }
    case K::Image: {
        auto* image = new QLabel(&window);
        const QRect px =
            du.rect(row.place.x(), row.place.y(), row.place.width(), row.place.height());
        image->setPixmap(iconNamed(row.icon).pixmap(px.size()));
        image->setScaledContents(true);
        return image;
    }
    case K::Button:
        break;
    }
    auto* b = new QPushButton(&window);
    b->setIconSize(QSize(du.y(11), du.y(11)));
    b->setFocusPolicy(Qt::TabFocus);
    if (row.icon)
        b->setIcon(iconNamed(row.icon));
    if (row.tip)
        b->setToolTip(QString::fromUtf8(row.tip));
    if (row.text)
        b->setText(QString::fromUtf8(row.text));
    if (row.command)
        QObject::connect(b, &QPushButton::clicked, &window, row.command);
    return b;
}

} // namespace

BrowseControls::BrowseControls() = default;
BrowseControls::~BrowseControls() = default;

void BrowseControls::build(BrowseWindow& window) {
    const DialogUnits du(window.font());
    window.resize(du.x(kBrowseWidth), du.y(kBrowseHeight));
    resizer_ = std::make_unique<QtResizeManager>(&window, du);
    for (const ControlRow& row : kControls) {
        QWidget* w = makeControl(row, window, du);
        w->setObjectName(QLatin1String(row.name));
        widgets_[row.id] = w;
        resizer_->addControl(row.id, w, row.kind, row.place);
    }
    // The strip lies behind the two button groups.
    widgets_[kToolStrip]->lower();

    QFont symbol(QStringLiteral("Arial"));
    symbol.setPointSize(window.font().pointSize() + 3);
    symbol.setBold(true);
    button(kTotals)->setFont(symbol);
    // The banners are the pictures under them, clickable.
    for (BrowseControl banner : {kProductPage, kCommunityPage}) {
        QPushButton* b = button(banner);
        b->setFlat(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    }
    // Shown while the search results are.
    button(kBack)->hide();
}

void BrowseControls::placeOnResize() {
    resizer_->init(2, true, false, QSize(kBrowseWidth, kBrowseHeight));
    namespace pos = winsupport::position;
    namespace size = winsupport::resize;
    resizer_->setStrategy(kToolStrip, pos::kFixLeft | pos::kFixTop,
                          size::kLockHeight | size::kConstantRight);
    resizer_->setStrategy(kFileGroup, pos::kFixLeft | pos::kFixTop,
                          size::kLockWidth | size::kLockHeight);
    resizer_->setStrategy(kBannerGroup, pos::kFixLeft | pos::kFixBottom,
                          size::kLockWidth | size::kLockHeight);
    resizer_->setStrategy(kRecordGroup, pos::kFixRight | pos::kFixTop,
                          size::kLockWidth | size::kLockHeight);
}

void BrowseControls::enableWholeListCommands(bool enabled) {
    static constexpr BrowseControl kWholeList[] = {kSave,   kTotals, kPrint,  kSearchField,
                                                   kInsert, kChange, kDelete, kSetting};
    for (const BrowseControl id : kWholeList)
        widgets_.at(id)->setEnabled(enabled);
}

void BrowseControls::addStandardKeys(BrowseWindow& window) {
    struct Standard {
        QKeySequence::StandardKey key;
        BrowseControl control; // the button whose tip names the keys
        const char* tip;
        std::function<void()> run;
    };
    const Standard standards[] = {
        {QKeySequence::Open, kOpen, "Open", [&window] { window.openWorkbook(); }},
        {QKeySequence::Save, kSave, "Save",
         [this, &window] {
             if (button(kSave)->isEnabled())
                 window.save();
         }},
        {QKeySequence::Print, kPrint, "인쇄", [&window] { window.print(); }},
        {QKeySequence::Find, kRecordGroup, nullptr,
         [this] {
             QLineEdit* field = searchField();
             if (field->isEnabled()) {
                 field->setFocus(Qt::ShortcutFocusReason);
                 field->selectAll();
             }
         }},
        {QKeySequence::Quit, kClose, "닫기", [&window] { window.close(); }},
        {QKeySequence::HelpContents, kAbout, "About", [&window] { window.about(); }},
    };
    for (const Standard& standard : standards) {
        auto* action = new QAction(&window);
        action->setShortcuts(standard.key);
        // Some platforms' key schemes leave Quit unbound; Linux desktops use Ctrl+Q.
        if (action->shortcuts().isEmpty() && standard.key == QKeySequence::Quit)
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, &window, standard.run);
        window.addAction(action);
        const QString keys = action->shortcut().toString(QKeySequence::NativeText);
        if (QPushButton* b = button(standard.control); b && standard.tip && !keys.isEmpty())
            b->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(standard.tip), keys));
    }
    // Undo and redo of the record edits; in the search field the keys edit its text.
    struct HistoryKeys {
        const char* name;
        QList<QKeySequence> keys;
        void (BrowseWindow::*run)();
    };
    const HistoryKeys historyKeys[] = {
        {"undoAction", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &BrowseWindow::undo},
        {"redoAction",
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
         &BrowseWindow::redo},
    };
    for (const HistoryKeys& history : historyKeys) {
        auto* action = new QAction(&window);
        action->setObjectName(QLatin1String(history.name));
        action->setShortcuts(history.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, &window, history.run);
        window.addAction(action);
    }
    searchField()->setToolTip(
        QStringLiteral("검색 (%1)")
            .arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
}

QPushButton* BrowseControls::button(BrowseControl id) const {
    auto it = widgets_.find(id);
    return it == widgets_.end() ? nullptr : qobject_cast<QPushButton*>(it->second);
}

RecordListView* BrowseControls::list() const {
    auto it = widgets_.find(kList);
    return it == widgets_.end() ? nullptr : static_cast<RecordListView*>(it->second);
}

QLineEdit* BrowseControls::searchField() const {
    auto it = widgets_.find(kSearchField);
    return it == widgets_.end() ? nullptr : static_cast<QLineEdit*>(it->second);
}

} // namespace rowbit::ui
