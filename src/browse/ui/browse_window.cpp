#include "browse/ui/browse_window.h"

#include "app/cp949_text.h"
#include "app/preferences.h"
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "browse/search_sort.h"
#include "browse/ui/preview_window.h"
#include "document/row_list.h"
#include "document/save_notices.h"
#include "winsupport/ui/qt_resize_manager.h"
#include "winsupport/ui/qt_window_placement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <type_traits>

namespace rowbit::ui {

namespace {

// The window's own texts.
constexpr const char* kRowMenu = "자료 추가|자료 수정|자료 삭제|합계|인쇄";
constexpr const char* kPrintMenu = "세로|가로";
constexpr const char* kSelectToChange = "먼저 수정할 자료를 선택하세요";
constexpr const char* kSelectToDelete = "먼저 삭제할 자료를 선택하세요";
constexpr const char* kRecentMissing =
    "선택한 파일이 해당 폴더에 없습니다. 삭제 또는 이동했는지 확인해 보세용";
constexpr const char* kRecentInUse = "현재 사용중인 파일입니다.";
constexpr const char* kCloseQuestion = "변경내용이 있습니다. 저장할까요?";
constexpr const char* kCloseCaption = "확인";
constexpr const char* kPlacementSection = "Window";
// The caption while no workbook is open yet.
constexpr const char* kProgramName = "Rowbit";

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Reading the workbook is most of an opening; filling the list the rest.
constexpr int kReadingShare = 70;

// The bar's percent for a stage's fraction, rounded down so that 100 means done.
int loadPercent(ProgressStage stage, double fraction) {
    const double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    if (stage == ProgressStage::Reading)
        return static_cast<int>(std::floor(f * kReadingShare));
    return kReadingShare + static_cast<int>(std::floor(f * (100 - kReadingShare)));
}

// The bar's percent while only the list is filled (a re-read): the whole bar is the list's.
int listPercent(double fraction) {
    const double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return static_cast<int>(std::floor(f * 100));
}

// Forwards every prompt, taking the busy indication away while the user is asked something
// (the open dialog of the first load, a message about an unreadable file), and shows the
// progress of the work in the busy notice.
class PromptsWhileBusy : public Prompts {
public:
    PromptsWhileBusy(Prompts& inner, std::function<void(bool)> busy,
                     std::function<void(ProgressStage, double)> shown)
        : inner_(inner), busy_(std::move(busy)), shown_(std::move(shown)) {}

    int message(const MessageRequest& request) override {
        return asking([&] { return inner_.message(request); });
    }
    int popupMenu(const std::string& items) override {
        return asking([&] { return inner_.popupMenu(items); });
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        return asking([&] { return inner_.openFile(request); });
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override {
        return asking([&] { return inner_.saveFile(request); });
    }
    bool startProcess(const std::string& program, const std::vector<std::string>& args) override {
        return inner_.startProcess(program, args);
    }
    bool openUrl(const std::string& url) override { return inner_.openUrl(url); }
    void progress(ProgressStage stage, double fraction) override {
        shown_(stage, fraction);
        inner_.progress(stage, fraction);
    }

    template <class F>
    std::invoke_result_t<F> asking(F&& ask) {
        busy_(false);
        auto answer = ask();
        busy_(true);
        return answer;
    }

private:
    Prompts& inner_;
    std::function<void(bool)> busy_;
    std::function<void(ProgressStage, double)> shown_;
};

struct ControlDesign {
    BrowseControl id;
    winsupport::ControlKind kind;
    QRect rect; // dialog units
};

// The designed layout, in the window's control order.
const ControlDesign kDesign[] = {
    {kGroup1, winsupport::ControlKind::Group, {2, 0, 162, 25}},
    {kPick, winsupport::ControlKind::Button, {6, 4, 20, 18}},
    {kOpen, winsupport::ControlKind::Button, {28, 4, 20, 18}},
    {kNew, winsupport::ControlKind::Button, {50, 4, 20, 18}},
    {kSave, winsupport::ControlKind::Button, {72, 4, 20, 18}},
    {kSumUp, winsupport::ControlKind::Button, {94, 4, 20, 18}},
    {kAbout, winsupport::ControlKind::Button, {116, 4, 20, 18}},
    {kPrint, winsupport::ControlKind::Button, {138, 4, 20, 18}},
    {kPanel1, winsupport::ControlKind::Panel, {0, 0, kBrowseWidth, 27}},
    {kGroup2, winsupport::ControlKind::Group, {244, 0, 234, 25}},
    {kSearchField, winsupport::ControlKind::Entry, {276, 7, 96, 13}},
    {kBack, winsupport::ControlKind::Button, {374, 4, 20, 18}},
    {kInsert, winsupport::ControlKind::Button, {404, 4, 22, 18}},
    {kChange, winsupport::ControlKind::Button, {428, 4, 22, 18}},
    {kDelete, winsupport::ControlKind::Button, {452, 4, 22, 18}},
    {kSearchPrompt, winsupport::ControlKind::Prompt, {248, 9, 27, 10}},
    {kList, winsupport::ControlKind::List, {2, 29, kBrowseWidth - 4, 194}},
    {kGroup3, winsupport::ControlKind::Group, {2, 224, 260, 25}},
    {kImage3, winsupport::ControlKind::Image, {6, 228, 100, 17}},
    {kProductPage, winsupport::ControlKind::Button, {6, 228, 100, 17}},
    {kSetting, winsupport::ControlKind::Button, {212, 227, 46, 19}},
    {kImage1, winsupport::ControlKind::Image, {108, 228, 100, 17}},
    {kCommunityPage, winsupport::ControlKind::Button, {108, 228, 100, 17}},
    {kClose, winsupport::ControlKind::Button, {424, 227, 52, 19}},
};

const char* objectNameOf(BrowseControl id) {
    switch (id) {
    case kGroup1:
        return "?GROUP1";
    case kPick:
        return "?PICK";
    case kOpen:
        return "?OPEN";
    case kNew:
        return "?NEW";
    case kSave:
        return "?SAVE";
    case kSumUp:
        return "?SUMUP";
    case kAbout:
        return "?ABOUT";
    case kPrint:
        return "?PRINT";
    case kPanel1:
        return "?PANEL1";
    case kGroup2:
        return "?GROUP2";
    case kSearchField:
        return "?LOC:SEARCH";
    case kBack:
        return "?BACK";
    case kInsert:
        return "?INSERT";
    case kChange:
        return "?CHANGE";
    case kDelete:
        return "?DELETE";
    case kSearchPrompt:
        return "?SEARCH";
    case kList:
        return "?LIST";
    case kGroup3:
        return "?GROUP3";
    case kImage3:
        return "?IMAGE3";
    case kProductPage:
        return "?PRODUCT";
    case kSetting:
        return "?SETTING";
    case kImage1:
        return "?IMAGE1";
    case kCommunityPage:
        return "?COMMUNITY";
    case kClose:
        return "?CLOSE";
    }
    return "";
}

} // namespace

BrowseWindow::BrowseWindow(AppState& state, Prompts& prompts, Preferences& prefs, BrowseSeams seams,
                           std::string commandLine, std::string programPath, QWidget* parent)
    : QWidget(parent), state_(state), prompts_(prompts), prefs_(prefs), seams_(std::move(seams)),
      commandLine_(std::move(commandLine)), programPath_(std::move(programPath)) {
    setWindowTitle(QString::fromLatin1(kProgramName));
    setWindowIcon(QIcon(QStringLiteral(":/icons/rowbit.svg")));
    setObjectName(QStringLiteral("ExcelBrowse"));
}

BrowseWindow::~BrowseWindow() {
    qApp->removeEventFilter(this);
}

QPushButton* BrowseWindow::button(BrowseControl control) const {
    auto it = controls_.find(control);
    return it == controls_.end() ? nullptr : qobject_cast<QPushButton*>(it->second);
}

bool BrowseWindow::untitledAndEmpty() const {
    return state_.isUnnamed() && state_.records.count() == 0;
}

bool BrowseWindow::open() {
    if (seams_.versionCheck && !seams_.versionCheck(this))
        return false;
    prefs_.readDisplay(state_);
    setFont(preferredFont(q(state_.fontFace), state_.fontSize));
    buildControls();
    setupWindow();
    show();
    activateWindow();
    openHere();
    button(kSave)->setEnabled(false);
    // The records are what the window is for: the keys go to the list first.
    list_->setFocus(Qt::OtherFocusReason);
    return true;
}

void BrowseWindow::buildControls() {
    const DialogUnits du(font());
    resize(du.x(kBrowseWidth), du.y(kBrowseHeight));
    resizer_ = std::make_unique<QtResizeManager>(this, du);
    const QSize iconSize(du.y(11), du.y(11));

    for (const ControlDesign& d : kDesign) {
        QWidget* w = nullptr;
        switch (d.id) {
        case kGroup1:
        case kGroup2:
        case kGroup3:
            w = new QGroupBox(this);
            break;
        case kPanel1: {
            auto* panel = new QFrame(this);
            panel->setFrameShape(QFrame::NoFrame);
            panel->setAutoFillBackground(true);
            panel->setBackgroundRole(QPalette::Midlight);
            w = panel;
            break;
        }
        case kSearchField:
            search_ = new QLineEdit(this);
            search_->setMaxLength(30);
            w = search_;
            break;
        case kSearchPrompt:
            searchPrompt_ = new QLabel(QStringLiteral("Search"), this);
            w = searchPrompt_;
            break;
        case kList:
            list_ = new RecordListView(this);
            list_->setUnits(du);
            w = list_;
            break;
        case kImage3:
        case kImage1: {
            auto* image = new QLabel(this);
            const QString file = d.id == kImage3 ? QStringLiteral(":/icons/banner_product.svg")
                                                 : QStringLiteral(":/icons/banner_community.svg");
            const QRect px = du.rect(d.rect.x(), d.rect.y(), d.rect.width(), d.rect.height());
            image->setPixmap(QIcon(file).pixmap(px.size()));
            image->setScaledContents(true);
            w = image;
            break;
        }
        default: {
            auto* b = new QPushButton(this);
            b->setIconSize(iconSize);
            b->setFocusPolicy(Qt::TabFocus);
            w = b;
            break;
        }
        }
        w->setObjectName(QString::fromLatin1(objectNameOf(d.id)));
        controls_[d.id] = w;
        resizer_->addControl(d.id, w, d.kind, d.rect);
    }
    // The panel is the strip behind the two button groups.
    controls_[kPanel1]->lower();

    struct ButtonLook {
        BrowseControl id;
        const char* icon;
        const char* tip;
    };
    const ButtonLook looks[] = {
        {kPick, "pick", "Pick"},
        {kOpen, "open", "Open"},
        {kNew, "new", "New"},
        {kSave, "save", "Save"},
        {kAbout, "help", "About"},
        {kPrint, "print", nullptr},
        {kBack, "undo", "검색결과를 초기화 합니다."},
        {kInsert, "insert", "Insert New Record"},
        {kChange, "change", "Change the Record"},
        {kDelete, "delete", "Delete Record"},
        {kSetting, "setting", nullptr},
        {kClose, "close", nullptr},
    };
    for (const ButtonLook& look : looks) {
        QPushButton* b = button(look.id);
        b->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(look.icon))));
        if (look.tip)
            b->setToolTip(QString::fromUtf8(look.tip));
    }
    button(kSetting)->setText(QStringLiteral("Setting"));
    button(kClose)->setText(QStringLiteral("Close"));
    QPushButton* sum = button(kSumUp);
    sum->setText(QString::fromUtf8("Σ"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(font().pointSize() + 3);
    arial.setBold(true);
    sum->setFont(arial);
    for (BrowseControl banner : {kProductPage, kCommunityPage}) {
        QPushButton* b = button(banner);
        b->setFlat(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    }
    button(kBack)->hide();

    connect(button(kPick), &QPushButton::clicked, this, &BrowseWindow::pick);
    connect(button(kOpen), &QPushButton::clicked, this, &BrowseWindow::openWorkbook);
    connect(button(kNew), &QPushButton::clicked, this, &BrowseWindow::newWorkbook);
    connect(button(kSave), &QPushButton::clicked, this, &BrowseWindow::save);
    connect(button(kSumUp), &QPushButton::clicked, this, &BrowseWindow::totals);
    connect(button(kAbout), &QPushButton::clicked, this, &BrowseWindow::about);
    connect(button(kPrint), &QPushButton::clicked, this, &BrowseWindow::print);
    connect(button(kBack), &QPushButton::clicked, this, &BrowseWindow::back);
    connect(button(kInsert), &QPushButton::clicked, this, &BrowseWindow::insertRecord);
    connect(button(kChange), &QPushButton::clicked, this, &BrowseWindow::changeRecord);
    connect(button(kDelete), &QPushButton::clicked, this, &BrowseWindow::deleteRecord);
    connect(button(kSetting), &QPushButton::clicked, this, &BrowseWindow::setting);
    connect(button(kProductPage), &QPushButton::clicked, this, &BrowseWindow::productPage);
    connect(button(kCommunityPage), &QPushButton::clicked, this, &BrowseWindow::communityPage);
    connect(button(kClose), &QPushButton::clicked, this, &QWidget::close);

    connect(search_, &QLineEdit::returnPressed, this, &BrowseWindow::search);
    // Leaving the field for another control after changing its text completes it as well; a
    // box or menu that takes the focus for a moment is no leaving, as the focus comes back.
    connect(search_, &QLineEdit::editingFinished, this, [this] {
        if (!search_->hasFocus() && QApplication::activeWindow() == this &&
            !QApplication::activePopupWidget())
            search();
    });
    connect(list_, &RecordListView::lineActivated, this, &BrowseWindow::changeRecord);
    connect(list_, &RecordListView::enterPressed, this, &BrowseWindow::changeRecord);
    connect(list_, &RecordListView::contextRequested, this, &BrowseWindow::rowMenu);
    connect(list_, &RecordListView::headerClicked, this, &BrowseWindow::sortByColumn);

    // Insert, Delete and Esc act wherever the focus is in this window, the search field
    // included, so they are taken before any control sees them.
    qApp->installEventFilter(this);
    installStandardActions();
    setAcceptDrops(true);
}

void BrowseWindow::setupWindow() {
    browse_.recent = prefs_.readRecentFiles();

    resizer_->init(2, true, false, QSize(kBrowseWidth, kBrowseHeight));
    namespace pos = winsupport::position;
    namespace size = winsupport::resize;
    // The panel stretches across the top; the tool group stays at the top left, the banner
    // group at the bottom left, the search and record group at the top right.
    resizer_->setStrategy(kPanel1, pos::kFixLeft | pos::kFixTop,
                          size::kLockHeight | size::kConstantRight);
    resizer_->setStrategy(kGroup1, pos::kFixLeft | pos::kFixTop,
                          size::kLockWidth | size::kLockHeight);
    resizer_->setStrategy(kGroup3, pos::kFixLeft | pos::kFixBottom,
                          size::kLockWidth | size::kLockHeight);
    resizer_->setStrategy(kGroup2, pos::kFixRight | pos::kFixTop,
                          size::kLockWidth | size::kLockHeight);

    const rowbit::IniFile ini = prefs_.read();
    restoreWindowPlacement(*this, ini, kPlacementSection);

    list_->setRowHeightUnits(12);
    showFullList(0);

    searchPrompt_->setText(QString::fromUtf8("검색 :"));
    button(kSetting)->setText(QString::fromUtf8("설정"));
    button(kClose)->setText(QString::fromUtf8("닫 기"));
    state_.changed = 0;
}

std::optional<int> BrowseWindow::runPreview(const std::vector<PreviewRow>& rows, int preselected) {
    if (seams_.preview)
        return seams_.preview(rows, preselected);
    return PreviewWindow::run(rows, preselected, this);
}

void BrowseWindow::setBusy(bool busy) {
    if (busy == (loading_ != nullptr))
        return;
    if (busy) {
        // A large workbook takes seconds to read: say so, and paint it before the work starts.
        loading_ = new QFrame(this);
        loading_->setObjectName(QStringLiteral("loadingNotice"));
        loading_->setAutoFillBackground(true);
        loading_->setFrameShape(QFrame::Box);
        auto* label = new QLabel(QString::fromUtf8("파일을 여는 중입니다..."), loading_);
        label->setAlignment(Qt::AlignCenter);
        loadingBar_ = new QProgressBar(loading_);
        loadingBar_->setRange(0, 100);
        loadingBar_->setValue(loadPercent_);
        auto* layout = new QVBoxLayout(loading_);
        layout->addWidget(label);
        layout->addWidget(loadingBar_);
        const QSize size(width() / 3, std::max(height() / 6, layout->sizeHint().height()));
        loading_->setGeometry(
            QRect(list_->geometry().center() - QPoint(size.width() / 2, size.height() / 2), size));
        loading_->show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (isVisible())
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else {
        QApplication::restoreOverrideCursor();
        delete loading_;
        loading_ = nullptr;
        loadingBar_ = nullptr;
    }
}

void BrowseWindow::showProgress(ProgressStage stage, double fraction) {
    showPercent(loadPercent(stage, fraction));
}

void BrowseWindow::showPercent(int percent) {
    // Widgets belong to this thread; a report from any other is not for the screen.
    if (!loadingBar_ || QThread::currentThread() != thread())
        return;
    if (percent <= loadPercent_)
        return;
    // Painting is the only cost of progress: a few frames a second are enough to see it move,
    // but the full bar is always shown.
    if (percent < 100 && loadShownAt_.isValid() && loadShownAt_.elapsed() < 50)
        return;
    loadPercent_ = percent;
    loadingBar_->setValue(percent);
    loadShownAt_.start();
    // Paint, but leave clicks and keys queued until the workbook is open.
    if (isVisible())
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BrowseWindow::showCaption() {
    const std::string name(cp949::trimRight(state_.filename));
    // "[*]" shows as "*" while there are unsaved changes.
    setWindowTitle(name.empty() ? QString::fromLatin1(kProgramName)
                                : q(name) + QStringLiteral("[*]"));
    setWindowModified(state_.changed != 0);
}

void BrowseWindow::showSortColumn() {
    list_->setSortColumn(browse_.shownList == 1 ? sortedColumn_ : 0);
}

void BrowseWindow::openHere() {
    // Nothing can be saved while a workbook opens, whatever the dialogs and boxes on the way.
    button(kSave)->setEnabled(false);
    // Every box on the way (the preview, a load error, the overflow report) stands beside a
    // window that names the workbook it is about.
    PromptsWhileBusy prompts(
        prompts_,
        [this](bool busy) {
            if (!busy)
                showCaption();
            setBusy(busy);
        },
        [this](ProgressStage stage, double fraction) { showProgress(stage, fraction); });
    loadPercent_ = 0;
    loadShownAt_.invalidate();
    setBusy(true);
    checkFile(
        state_, browse_, prompts,
        [&](const std::vector<PreviewRow>& rows, int preselected) {
            return prompts.asking([&] { return runPreview(rows, preselected); });
        },
        prefs_, commandLine_);
    // The list is filled whether or not its filling said so (a new or empty workbook has
    // nothing to report): the bar ends full.
    prompts.progress(ProgressStage::Listing, 1.0);
    // The command line chose the first workbook only. Left in place it would win over the
    // recent file picked later in this window (a path) or ask again (the open switch).
    commandLine_.clear();
    setBusy(false);
    showCaption();
    applyFormat();
    showFullList(0);
}

void BrowseWindow::applyFormat() {
    list_->setFormat(formatWindow(state_, browse_));
    // New columns, or the rows read anew: nothing is known to be sorted.
    sortedColumn_ = 0;
    showSortColumn();
}

void BrowseWindow::showFullList(std::size_t select) {
    list_->setSource(LineSource{[this] { return state_.records.count(); },
                                [this](std::size_t line, int field) -> std::string {
                                    const Record& r = state_.records.at(line + 1);
                                    if (field >= 1 && field <= kMaxColumns)
                                        return listFieldText(
                                            state_.columns, field - 1,
                                            r.col[static_cast<std::size_t>(field - 1)]);
                                    return field == kMaxColumns + 1 ? r.memo : std::string();
                                }});
    list_->selectLine(select);
    showSortColumn();
}

void BrowseWindow::showResults(std::size_t select) {
    list_->setSource(LineSource{[this] { return browse_.searchResults.size(); },
                                [this](std::size_t line, int field) -> std::string {
                                    const ResultLine& r = browse_.searchResults[line];
                                    if (field >= 1 && field <= kMaxColumns)
                                        return listFieldText(
                                            state_.columns, field - 1,
                                            r.col[static_cast<std::size_t>(field - 1)]);
                                    return field == kMaxColumns + 1 ? r.memo : std::string();
                                }});
    list_->selectLine(select);
    showSortColumn();
}

void BrowseWindow::showModified() {
    button(kSave)->setEnabled(state_.changed != 0);
    setWindowModified(state_.changed != 0);
}

void BrowseWindow::startCopy(const std::vector<std::string>& args) {
    prompts_.startProcess(programPath_, args);
}

void BrowseWindow::pick() {
    std::string menu;
    for (const std::string& entry : browse_.recent) {
        std::string item(cp949::trimRight(entry));
        if (item.empty())
            break;
        // A "|" in a path would split its item in two and shift every item after it onto
        // the wrong file; it is shown as a broken bar instead.
        for (std::size_t at = item.find('|'); at != std::string::npos; at = item.find('|', at))
            item.replace(at, 1, "¦");
        menu.append(item).append("|");
    }
    const int chosen = prompts_.popupMenu(menu);
    if (chosen < 1 || chosen > kRecentFiles) {
        showModified();
        return;
    }
    const std::string entry(cp949::trimRight(browse_.recent[static_cast<std::size_t>(chosen - 1)]));
    std::error_code ec;
    if (entry.empty() || !std::filesystem::exists(std::filesystem::path(entry), ec)) {
        prompts_.tell(kRecentMissing);
        return;
    }
    if (cp949::equalTrimmed(state_.filename, entry)) {
        prompts_.tell(kRecentInUse);
        return;
    }
    if (untitledAndEmpty()) {
        state_.filename = entry;
        recentFiles(browse_.recent, state_.filename);
        openHere();
    } else {
        startCopy({entry});
    }
    showModified();
}

void BrowseWindow::openWorkbook() {
    if (untitledAndEmpty())
        openHere();
    else
        startCopy({"/O"});
    showModified();
}

void BrowseWindow::newWorkbook() {
    startCopy({});
    showModified();
}

void BrowseWindow::save() {
    const SaveOutcome outcome = saveFile(state_, browse_, prompts_);
    showCaption();
    showModified();
    if (outcome.status == SaveStatus::Saved)
        list_->reload();
    tellNotices(outcome);
}

void BrowseWindow::tellNotices(const SaveOutcome& outcome) {
    if (const std::string text = saveNoticesMessage(outcome.notices); !text.empty())
        prompts_.tell(text);
}

void BrowseWindow::totals() {
    if (seams_.totals)
        seams_.totals(this);
    showModified();
}

void BrowseWindow::about() {
    if (seams_.about)
        seams_.about(this);
    showModified();
}

void BrowseWindow::print() {
    const int chosen = prompts_.popupMenu(kPrintMenu);
    if (chosen != 1 && chosen != 2)
        return;
    // The report sizes its columns as the user sees them now, dragged widths included.
    const int columns = std::min(state_.columns.columnCount, kMaxColumns);
    for (int c = 0; c < columns; ++c)
        state_.columns.listWidth[static_cast<std::size_t>(c)] = list_->columnWidthUnits(c);
    if (seams_.print)
        seams_.print(this, chosen == 2);
    showModified();
}

void BrowseWindow::search() {
    // The not-found message takes the focus from the field, which completes it a second
    // time: one search at a time.
    if (searching_ || browse_.shownList == 2 || !search_->isEnabled())
        return;
    searching_ = true;
    const std::string text = search_->text().toStdString();
    const SearchStatus status = runSearch(state_, browse_, prompts_, text);
    searching_ = false;
    switch (status) {
    case SearchStatus::Nothing:
        return;
    case SearchStatus::Found:
        search_->setText(q(browse_.search));
        search_->setEnabled(false);
        button(kBack)->show();
        showResults(1);
        list_->setFocus();
        return;
    case SearchStatus::NotFound:
        button(kBack)->hide();
        search_->clear();
        return;
    }
}

void BrowseWindow::back() {
    if (browse_.shownList != 2) {
        search();
        return;
    }
    const std::size_t pos = closeResults(state_, browse_, list_->selectedLine());
    search_->setEnabled(true);
    button(kBack)->hide();
    search_->clear();
    showFullList(pos);
    showModified();
}

void BrowseWindow::insertRecord() {
    state_.action = kActionInsert;
    runRecordForm();
    if (state_.action != kActionDone) {
        showModified();
        return;
    }
    const std::size_t pos =
        state_.records.position() ? state_.records.position() : state_.records.count();
    if (browse_.shownList == 1) {
        list_->reload();
        list_->selectLine(pos);
    } else {
        addResultLine(state_, browse_, pos);
        list_->reload();
        list_->selectLine(browse_.searchResults.size());
    }
    state_.changed = 1;
    showModified();
}

void BrowseWindow::changeRecord() {
    state_.action = kActionChange;
    const std::size_t line = list_->selectedLine();
    if (!getRecord(state_, browse_, line)) {
        prompts_.tell(kSelectToChange);
        return;
    }
    runRecordForm();
    if (state_.action != kActionDone) {
        showModified();
        return;
    }
    if (browse_.shownList == 1) {
        list_->reload();
        list_->selectLine(state_.records.position() ? state_.records.position() : line);
    } else {
        refreshResultLine(state_, browse_, line);
        list_->reload();
        list_->selectLine(line);
    }
    state_.changed = 1;
    showModified();
}

void BrowseWindow::deleteRecord() {
    state_.action = kActionDelete;
    const std::size_t line = list_->selectedLine();
    if (!getRecord(state_, browse_, line)) {
        prompts_.tell(kSelectToDelete);
        return;
    }
    const std::size_t pos = state_.records.position();
    runRecordForm();
    if (state_.action != kActionDone) {
        showModified();
        return;
    }
    if (browse_.shownList == 1) {
        list_->reload();
        list_->selectLine(std::min(pos, state_.records.count()));
    } else {
        removeResultLine(browse_, line);
        list_->reload();
        list_->selectLine(std::min(line, browse_.searchResults.size()));
    }
    state_.changed = 1;
    showModified();
}

void BrowseWindow::runRecordForm() {
    if (seams_.recordForm)
        seams_.recordForm(this);
    // Whatever the form did, the user goes on in the list.
    focusList();
}

void BrowseWindow::focusList() {
    // A closed dialog hands the focus back to whatever the window last had (at first the Pick
    // button), and the window system may hand it to no window at all after the re-read.
    activateWindow();
    list_->setFocus(Qt::OtherFocusReason);
    // A list read anew has no line chosen yet: the first one is, so Enter has a record.
    if (list_->selectedLine() == 0)
        list_->selectLine(1);
    if (const std::size_t line = list_->selectedLine())
        list_->setCurrentIndex(list_->recordModel()->index(static_cast<int>(line - 1), 0));
}

void BrowseWindow::setting() {
    state_.action = kActionChange;
    if (seams_.setup)
        seams_.setup(this);
    if (state_.action == kActionDone) {
        applyFormat();
    } else if (state_.action == kActionReload) {
        if (browse_.shownList == 2) {
            browse_.searchResults.clear();
            browse_.shownList = 1;
            search_->setEnabled(true);
            search_->clear();
            browse_.search.clear();
            button(kBack)->hide();
        }
        // The rows are read again under the progress bar opening shows; there is no file to
        // read this time, so filling the list takes the whole bar.
        PromptsWhileBusy prompts(
            prompts_, [this](bool busy) { setBusy(busy); },
            [this](ProgressStage, double fraction) { showPercent(listPercent(fraction)); });
        loadPercent_ = 0;
        loadShownAt_.invalidate();
        setBusy(true);
        fillRecordList(state_, browse_, prompts);
        prompts.progress(ProgressStage::Listing, 1.0);
        setBusy(false);
        applyFormat();
        showFullList(0);
    }
    state_.action = kActionDone;
    focusList();
    showModified();
}

void BrowseWindow::rowMenu() {
    switch (prompts_.popupMenu(kRowMenu)) {
    case 1:
        insertRecord();
        break;
    case 2:
        changeRecord();
        break;
    case 3:
        deleteRecord();
        break;
    case 4:
        totals();
        break;
    case 5:
        print();
        break;
    default:
        showModified();
        break;
    }
}

void BrowseWindow::sortByColumn(int column) {
    // The selected record stays selected in its new place.
    RecordId selected = 0;
    if (browse_.shownList == 1) {
        const std::size_t line = list_->selectedLine();
        if (line >= 1 && line <= state_.records.count())
            selected = state_.records.id(line);
    }
    sortList(state_, column);
    state_.changed = 1;
    // The memo column keeps the order, and the column sorted before stays the sorted one.
    if (column >= 1 && column <= std::min(state_.columns.columnCount, kMaxColumns))
        sortedColumn_ = column;
    if (browse_.shownList == 1) {
        list_->reload();
        if (selected)
            list_->selectLine(state_.records.find(selected).value_or(0));
    }
    showSortColumn();
    showModified();
}

void BrowseWindow::openPage(const std::string& address) {
    // A page nobody set is not guessed at.
    if (address.empty())
        prompts_.tell(kNoAddressMessage);
    else
        prompts_.openUrl(address);
    showModified();
}

void BrowseWindow::productPage() {
    openPage(prefs_.readWebAddresses().product);
}

void BrowseWindow::communityPage() {
    openPage(prefs_.readWebAddresses().community);
}

bool BrowseWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || closed_ || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this || QApplication::activeModalWidget() != nullptr)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return QWidget::eventFilter(watched, event);
    switch (key->key()) {
    case Qt::Key_Insert:
        insertRecord();
        return true;
    case Qt::Key_Delete:
        // In the search field the key first deletes as it always does.
        if (widget == search_)
            static_cast<QObject*>(search_)->event(event);
        deleteRecord();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void BrowseWindow::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    // Painting the progress lets window-system events through; closing now would free the
    // workbook under the list being filled from it.
    if (loading_) {
        event->ignore();
        return;
    }
    if (!settleChanges()) {
        event->ignore();
        return;
    }
    afterClose();
    event->accept();
}

bool BrowseWindow::settleChanges() {
    if (!state_.changed)
        return true;
    MessageRequest question{kCloseQuestion, kCloseCaption, "예|아니오|취소",
                            PromptIcon::Information, 1};
    const int answer = prompts_.message(question);
    if (answer == 2)
        return true;
    if (answer != 1) // 취소, Esc or the close box: the window stays as it is
        return false;
    const SaveOutcome outcome = saveFile(state_, browse_, prompts_);
    showCaption();
    if (outcome.status == SaveStatus::Cancelled) {
        // No name given, or the file changed on the disk and the user kept it: the window
        // stays open with its changes, under the name it had.
        showModified();
        return false;
    }
    if (outcome.status == SaveStatus::Failed) {
        // The user was told why; nothing is lost by staying open.
        showModified();
        return false;
    }
    tellNotices(outcome);
    return true;
}

void BrowseWindow::installStandardActions() {
    struct Standard {
        QKeySequence::StandardKey key;
        BrowseControl control; // the button whose tip names the keys
        const char* tip;
        std::function<void()> run;
    };
    const Standard standards[] = {
        {QKeySequence::Open, kOpen, "Open", [this] { openWorkbook(); }},
        {QKeySequence::Save, kSave, "Save",
         [this] {
             if (button(kSave)->isEnabled())
                 save();
         }},
        {QKeySequence::Print, kPrint, "인쇄", [this] { print(); }},
        {QKeySequence::Find, kGroup2, nullptr,
         [this] {
             if (search_->isEnabled()) {
                 search_->setFocus(Qt::ShortcutFocusReason);
                 search_->selectAll();
             }
         }},
        {QKeySequence::Quit, kClose, "닫기", [this] { close(); }},
        {QKeySequence::HelpContents, kAbout, "About", [this] { about(); }},
    };
    for (const Standard& standard : standards) {
        auto* action = new QAction(this);
        action->setShortcuts(standard.key);
        // Some platforms' key schemes leave Quit unbound; Linux desktops use Ctrl+Q.
        if (action->shortcuts().isEmpty() && standard.key == QKeySequence::Quit)
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, standard.run);
        addAction(action);
        const QString keys = action->shortcut().toString(QKeySequence::NativeText);
        if (QPushButton* b = button(standard.control); b && standard.tip && !keys.isEmpty())
            b->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(standard.tip), keys));
    }
    search_->setToolTip(
        QStringLiteral("검색 (%1)")
            .arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
}

namespace {

// The local workbook file a drag carries, or "" when it carries none (or several).
QString droppedWorkbook(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().front();
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    const QString lower = path.toLower();
    for (const char* ending : {".xls", ".xlsx", ".xlsm"}) {
        if (lower.endsWith(QLatin1String(ending)))
            return path;
    }
    return {};
}

} // namespace

void BrowseWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!closed_ && !loading_ && !droppedWorkbook(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void BrowseWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedWorkbook(event->mimeData());
    if (path.isEmpty() || closed_ || loading_)
        return;
    event->acceptProposedAction();
    // The drop is over before any question is asked.
    QTimer::singleShot(0, this, [this, path] { openDropped(path.toStdString()); });
}

void BrowseWindow::openDropped(const std::string& path) {
    if (closed_ || loading_ || QApplication::activeModalWidget())
        return;
    if (cp949::equalTrimmed(state_.filename, path)) {
        prompts_.tell(kRecentInUse);
        return;
    }
    // The workbook shown gives way to the dropped one, its changes saved or let go.
    if (!settleChanges())
        return;
    if (browse_.shownList == 2)
        back();
    state_.changed = 0;
    sortedColumn_ = 0;
    state_.filename = path;
    recentFiles(browse_.recent, state_.filename);
    openHere();
    showModified();
}

void BrowseWindow::afterClose() {
    closed_ = true;
    state_.book.reset();
    state_.records.clear();
    browse_.searchResults.clear();
    list_->reload();
    if (resizer_)
        resizer_->kill();

    rowbit::IniFile ini = prefs_.read();
    saveWindowPlacement(*this, ini, kPlacementSection);
    (void)prefs_.write(ini);
    (void)prefs_.writeAtClose(QDir::currentPath().toStdString(), browse_.recent);
}

} // namespace rowbit::ui
