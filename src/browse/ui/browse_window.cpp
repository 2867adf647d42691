#include "browse/ui/browse_window.h"

#include "app/cp949_text.h"
#include "app/preferences.h"
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "browse/close_policy.h"
#include "browse/recent_menu.h"
#include "browse/record_command.h"
#include "browse/search_sort.h"
#include "browse/ui/busy_notice.h"
#include "browse/ui/preview_window.h"
#include "document/row_list.h"
#include "document/save_notices.h"
#include "winsupport/ui/qt_resize_manager.h"
#include "winsupport/ui/qt_window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>

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
constexpr const char* kPlacementSection = "Window";
// The caption while no workbook is open yet.
constexpr const char* kProgramName = "Rowbit";

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

BrowseWindow::BrowseWindow(AppState& display, Document& doc, Prompts& prompts, Preferences& prefs,
                           BrowseSeams seams, std::string commandLine, std::string programPath,
                           QWidget* parent)
    : QWidget(parent), display_(display), doc_(doc), prompts_(prompts), prefs_(prefs),
      seams_(std::move(seams)), commandLine_(std::move(commandLine)),
      programPath_(std::move(programPath)) {
    setWindowTitle(QString::fromLatin1(kProgramName));
    setWindowIcon(QIcon(QStringLiteral(":/icons/rowbit.svg")));
    setObjectName(QStringLiteral("browseWindow"));
}

BrowseWindow::~BrowseWindow() {
    qApp->removeEventFilter(this);
}

QPushButton* BrowseWindow::button(BrowseControl control) const {
    return controls_.button(control);
}

bool BrowseWindow::untitledAndEmpty() const {
    return display_.isUnnamed(doc_.path) && doc_.records.count() == 0;
}

bool BrowseWindow::open() {
    if (seams_.versionCheck && !seams_.versionCheck(this))
        return false;
    prefs_.readDisplay(display_);
    setFont(preferredFont(q(display_.fontFace), display_.fontSize));
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
    controls_.build(*this);
    list_ = controls_.list();
    search_ = controls_.searchField();
    connectListAndSearch();
    // Insert, Delete and Esc act wherever the focus is in this window, the search field
    // included, so they are taken before any control sees them.
    qApp->installEventFilter(this);
    controls_.addStandardKeys(*this);
    setAcceptDrops(true);
}

void BrowseWindow::connectListAndSearch() {
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
}

void BrowseWindow::setupWindow() {
    browse_.recent = prefs_.readRecentFiles();
    controls_.placeOnResize();
    const rowbit::IniFile ini = prefs_.read();
    restoreWindowPlacement(*this, ini, kPlacementSection);
    list_->setRowHeightUnits(12);
    showFullList(0);
    doc_.modified = false;
}

std::optional<int> BrowseWindow::runPreview(const std::vector<PreviewRow>& rows, int preselected) {
    if (seams_.preview)
        return seams_.preview(rows, preselected);
    return PreviewWindow::run(rows, preselected, this);
}

void BrowseWindow::showCaption() {
    const std::string name(cp949::trimRight(doc_.path));
    // "[*]" shows as "*" while there are unsaved changes.
    setWindowTitle(name.empty() ? QString::fromLatin1(kProgramName)
                                : q(name) + QStringLiteral("[*]"));
    setWindowModified(doc_.modified);
}

void BrowseWindow::showSortColumn() {
    list_->setSortColumn(browse_.shownList == ShownList::Records ? sortedColumn_ : 0);
}

void BrowseWindow::openHere() {
    // Nothing can be saved while a workbook opens, whatever the dialogs and boxes on the way.
    button(kSave)->setEnabled(false);
    // Every box on the way (the preview, a load error, the overflow report) stands beside a
    // window that names the workbook it is about.
    BusyNotice busy(*this, *list_, prompts_, openingPercent, [this] { showCaption(); });
    chooseAndOpen(
        doc_, display_, busy,
        [&](const std::vector<PreviewRow>& rows, int preselected) {
            return busy.asking([&] { return runPreview(rows, preselected); });
        },
        prefs_, commandLine_, browse_.recent);
    busy.finish();
    // The command line chose the first workbook only. Left in place it would win over the
    // recent file picked later in this window (a path) or ask again (the open switch).
    commandLine_.clear();
    showCaption();
    applyFormat();
    showFullList(0);
}

void BrowseWindow::applyFormat() {
    list_->setColumns(listColumns(doc_));
    // New columns, or the rows read anew: nothing is known to be sorted.
    sortedColumn_ = 0;
    showSortColumn();
}

void BrowseWindow::showFullList(std::size_t select) {
    list_->setSource(LineSource{[this] { return doc_.records.count(); },
                                [this](std::size_t line, int field) -> std::string {
                                    const Record& r = doc_.records.at(line + 1);
                                    if (field >= 1 && field <= kMaxColumns)
                                        return listFieldText(
                                            doc_.columns, field - 1,
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
                                            doc_.columns, field - 1,
                                            r.col[static_cast<std::size_t>(field - 1)]);
                                    return field == kMaxColumns + 1 ? r.memo : std::string();
                                }});
    list_->selectLine(select);
    showSortColumn();
}

void BrowseWindow::showModified() {
    button(kSave)->setEnabled(doc_.modified);
    setWindowModified(doc_.modified);
}

void BrowseWindow::startCopy(const std::vector<std::string>& args) {
    prompts_.startProcess(programPath_, args);
}

void BrowseWindow::pick() {
    const int chosen = prompts_.popupMenu(recentFilesMenu(browse_.recent));
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
    if (cp949::equalTrimmed(doc_.path, entry)) {
        prompts_.tell(kRecentInUse);
        return;
    }
    if (untitledAndEmpty()) {
        doc_.path = entry;
        recentFiles(browse_.recent, doc_.path);
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

SaveOutcome BrowseWindow::saveDocument() {
    const SaveOutcome outcome = doc_.save(display_, prompts_);
    if (outcome.status == SaveStatus::Saved)
        recentFiles(browse_.recent, doc_.path);
    return outcome;
}

void BrowseWindow::save() {
    const SaveOutcome outcome = saveDocument();
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
    const int columns = std::min(doc_.columns.columnCount, kMaxColumns);
    for (int c = 0; c < columns; ++c)
        doc_.columns.listWidth[static_cast<std::size_t>(c)] = list_->columnWidthUnits(c);
    // Whatever the report came to, the list stays as it is.
    if (seams_.print)
        (void)seams_.print(this, chosen == 2);
    showModified();
}

void BrowseWindow::search() {
    // The not-found message takes the focus from the field, which completes it a second
    // time: one search at a time.
    if (searching_ || browse_.shownList == ShownList::SearchResults || !search_->isEnabled())
        return;
    searching_ = true;
    const std::string text = search_->text().toStdString();
    const SearchStatus status = runSearch(doc_.records, browse_, prompts_, text);
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
    if (browse_.shownList != ShownList::SearchResults) {
        search();
        return;
    }
    const std::size_t pos = closeResults(doc_.records, browse_, list_->selectedLine());
    search_->setEnabled(true);
    button(kBack)->hide();
    search_->clear();
    showFullList(pos);
    showModified();
}

void BrowseWindow::insertRecord() {
    runRecordCommand(RecordCommand::Insert, kSelectToChange);
}

void BrowseWindow::changeRecord() {
    runRecordCommand(RecordCommand::Change, kSelectToChange);
}

void BrowseWindow::deleteRecord() {
    runRecordCommand(RecordCommand::Delete, kSelectToDelete);
}

void BrowseWindow::runRecordCommand(RecordCommand command, const char* selectFirst) {
    const std::size_t line = list_->selectedLine();
    std::size_t position = 0;
    if (command != RecordCommand::Insert) {
        position = recordPosition(doc_.records, browse_, line);
        if (position == 0) {
            prompts_.tell(selectFirst);
            return;
        }
    }
    const form::FormOutcome outcome = seams_.recordForm ? seams_.recordForm(this, command, position)
                                                        : form::FormOutcome::Cancelled;
    // Whatever the form did, the user goes on in the list.
    focusList();
    if (outcome != form::FormOutcome::Done) {
        showModified();
        return;
    }
    if (command == RecordCommand::Insert)
        position = doc_.records.count();
    const std::size_t select = afterRecordCommand(command, position, line, doc_.records, browse_);
    list_->reload();
    list_->selectLine(select);
    doc_.modified = true;
    showModified();
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
    const SetupOutcome outcome = seams_.setup ? seams_.setup(this) : SetupOutcome::Cancelled;
    if (outcome == SetupOutcome::Relayout) {
        applyFormat();
    } else if (outcome == SetupOutcome::Reload) {
        if (browse_.shownList == ShownList::SearchResults) {
            browse_.searchResults.clear();
            browse_.shownList = ShownList::Records;
            search_->setEnabled(true);
            search_->clear();
            browse_.search.clear();
            button(kBack)->hide();
        }
        // The rows are read again under the progress bar opening shows; there is no file to
        // read this time, so filling the list takes the whole bar.
        BusyNotice busy(*this, *list_, prompts_, fillingPercent);
        doc_.fill(display_, busy);
        busy.finish();
        applyFormat();
        showFullList(0);
    }
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
    if (browse_.shownList == ShownList::Records) {
        const std::size_t line = list_->selectedLine();
        if (line >= 1 && line <= doc_.records.count())
            selected = doc_.records.id(line);
    }
    sortList(doc_.records, doc_.columns, column);
    doc_.modified = true;
    // The memo column keeps the order, and the column sorted before stays the sorted one.
    if (column >= 1 && column <= std::min(doc_.columns.columnCount, kMaxColumns))
        sortedColumn_ = column;
    if (browse_.shownList == ShownList::Records) {
        list_->reload();
        if (selected)
            list_->selectLine(doc_.records.find(selected).value_or(0));
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
    if (BusyNotice::shownIn(*this)) {
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
    std::optional<int> answer;
    std::optional<bool> saved;
    for (;;) {
        switch (nextCloseStep(doc_.modified, answer, saved)) {
        case CloseStep::Ask:
            answer = prompts_.message(closeQuestion());
            break;
        case CloseStep::Save: {
            const SaveOutcome outcome = saveDocument();
            showCaption();
            saved = outcome.status == SaveStatus::Saved;
            if (*saved)
                tellNotices(outcome);
            else
                showModified(); // the window stays under the name it had, with its changes
            break;
        }
        case CloseStep::Close:
            return true;
        case CloseStep::Stay:
            return false;
        }
    }
}

void BrowseWindow::closeWindow() {
    close();
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
    if (!closed_ && !BusyNotice::shownIn(*this) && !droppedWorkbook(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void BrowseWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedWorkbook(event->mimeData());
    if (path.isEmpty() || closed_ || BusyNotice::shownIn(*this))
        return;
    event->acceptProposedAction();
    // The drop is over before any question is asked.
    QTimer::singleShot(0, this, [this, path] { openDropped(path.toStdString()); });
}

void BrowseWindow::openDropped(const std::string& path) {
    if (closed_ || BusyNotice::shownIn(*this) || QApplication::activeModalWidget())
        return;
    if (cp949::equalTrimmed(doc_.path, path)) {
        prompts_.tell(kRecentInUse);
        return;
    }
    // The workbook shown gives way to the dropped one, its changes saved or let go.
    if (!settleChanges())
        return;
    if (browse_.shownList == ShownList::SearchResults)
        back();
    doc_.modified = false;
    sortedColumn_ = 0;
    doc_.path = path;
    recentFiles(browse_.recent, doc_.path);
    openHere();
    showModified();
}

void BrowseWindow::afterClose() {
    closed_ = true;
    doc_.book.reset();
    doc_.records.clear();
    browse_.searchResults.clear();
    list_->reload();
    if (QtResizeManager* resizer = controls_.resizer())
        resizer->kill();

    rowbit::IniFile ini = prefs_.read();
    saveWindowPlacement(*this, ini, kPlacementSection);
    (void)prefs_.write(ini);
    (void)prefs_.writeAtClose(QDir::currentPath().toStdString(), browse_.recent);
}

} // namespace rowbit::ui
