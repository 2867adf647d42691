#include "browse/ui/browse_window.h"

#include "app/cp949_text.h"
#include "app/preferences.h"
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "browse/close_policy.h"
#include "browse/search_sort.h"
#include "browse/ui/browse_window_texts.h"
#include "browse/ui/busy_notice.h"
#include "browse/ui/preview_window.h"
#include "document/row_list.h"
#include "winsupport/ui/qt_resize_manager.h"
#include "winsupport/ui/qt_window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>

namespace rowbit::ui {

using namespace browse_texts;

namespace {

// When an opening shows its first records and when its list is complete, for whoever measures
// it: QT_LOGGING_RULES="rowbit.opening.info=true".
Q_LOGGING_CATEGORY(openingLog, "rowbit.opening", QtWarningMsg)

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
    // The reading threads post to this window: they end before it goes.
    reading_.reset();
    retired_.clear();
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
    // What the workbook shown before still had to read is no longer wanted.
    retireWholeRead();
    // Nothing can be saved while a workbook opens, whatever the dialogs and boxes on the way.
    button(kSave)->setEnabled(false);
    const std::array<std::string, kRecentFiles> recentBefore = browse_.recent;
    // Every box on the way (the preview, a load error, the overflow report) stands beside a
    // window that names the workbook it is about.
    BusyNotice busy(*this, *list_, prompts_, openingPercent, [this] { showCaption(); });
    chooseAndOpen(
        doc_, display_, busy,
        [&](const std::vector<PreviewRow>& rows, int preselected) {
            return busy.asking([&] { return runPreview(rows, preselected); });
        },
        prefs_, commandLine_, browse_.recent, opening_.firstScreenRows);
    busy.finish();
    // The command line chose the first workbook only. Left in place it would win over the
    // recent file picked later in this window (a path) or ask again (the open switch).
    commandLine_.clear();
    showCaption();
    applyFormat();
    showFullList(0);
    qCInfo(openingLog) << "first records shown";
    if (doc_.book && !doc_.book->complete())
        startWholeRead(recentBefore);
    else
        showWholeListReady();
}

void BrowseWindow::startWholeRead(const std::array<std::string, kRecentFiles>& recentBefore) {
    recentBeforeRead_ = recentBefore;
    const std::uint64_t generation = ++readGeneration_;
    WholeReadRequest request;
    request.path = doc_.diskPath;
    request.columns = doc_.columns;
    request.display = display_;
    // Both run on the reading thread: they only post to this window, which waits for the
    // thread before it goes.
    request.progress = [this, generation, shown = -1](ProgressStage stage,
                                                      double fraction) mutable {
        const int percent = openingPercent(stage, fraction);
        if (percent <= shown)
            return;
        shown = percent;
        QMetaObject::invokeMethod(
            this,
            [this, generation, percent] {
                if (generation == readGeneration_ && reading_ && fillBar_)
                    fillBar_->setValue(percent);
            },
            Qt::QueuedConnection);
    };
    request.finished = [this, generation] {
        QMetaObject::invokeMethod(
            this, [this, generation] { wholeReadFinished(generation); }, Qt::QueuedConnection);
    };
    request.beforeReading = opening_.beforeWholeRead;
    reading_ = std::make_unique<WholeRead>(std::move(request));
    controls_.enableWholeListCommands(false);
    // In the strip between the file and the record group, as long as the list fills in behind.
    delete fillBar_;
    fillBar_ = new QProgressBar(this);
    fillBar_->setObjectName(QStringLiteral("fillProgress"));
    fillBar_->setRange(0, 100);
    fillBar_->setValue(0);
    fillBar_->setToolTip(QString::fromUtf8(kFillingTip));
    fillBar_->setGeometry(controls_.resizer()->units().rect(168, 8, 72, 11));
    fillBar_->show();
    showModified();
}

void BrowseWindow::wholeReadFinished(std::uint64_t generation) {
    if (generation != readGeneration_ || !reading_) {
        retired_.erase(generation);
        return;
    }
    WholeList whole = reading_->take();
    reading_.reset();
    lastReadFailed_ = !whole.document;
    if (whole.document) {
        // The first screen's records lead the whole list: the selection stays where it was.
        const std::size_t line = list_->selectedLine();
        doc_.takeWholeList(*whole.document);
        whole.document.reset();
        list_->reload();
        list_->selectLine(line);
        showWholeListReady();
        for (const MessageRequest& message : whole.messages)
            prompts_.message(message);
        return;
    }
    // A damaged part late in the file: told as when the file cannot be read at all, and the
    // unnamed workbook takes its place.
    doc_.openFailed(display_, prompts_,
                    whole.error.value_or(makeError(ErrorCode::Io, "the read was stopped")));
    doc_.modified = false;
    browse_.recent = recentBeforeRead_;
    showCaption();
    applyFormat();
    showFullList(0);
    showWholeListReady();
}

void BrowseWindow::retireWholeRead() {
    if (!reading_)
        return;
    reading_->cancel();
    retired_[readGeneration_] = std::move(reading_);
}

void BrowseWindow::showWholeListReady() {
    controls_.enableWholeListCommands(true);
    delete fillBar_;
    fillBar_ = nullptr;
    showModified();
    qCInfo(openingLog) << "list complete";
}

bool BrowseWindow::awaitWholeList() {
    if (!reading_)
        return true;
    awaiting_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The read posts its end to this window; clicks and keys wait until it is there.
    while (reading_)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                    QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    awaiting_ = false;
    return !lastReadFailed_;
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
    button(kSave)->setEnabled(doc_.modified && wholeListReady());
    setWindowModified(doc_.modified);
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
    if (BusyNotice::shownIn(*this) || awaiting_) {
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
            // A save writes every record: the list filling in behind is waited for. When the
            // file turned out unreadable, there is nothing left to save.
            if (!awaitWholeList())
                return true;
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
    if (!closed_ && !BusyNotice::shownIn(*this) && !awaiting_ &&
        !droppedWorkbook(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void BrowseWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedWorkbook(event->mimeData());
    if (path.isEmpty() || closed_ || BusyNotice::shownIn(*this) || awaiting_)
        return;
    event->acceptProposedAction();
    // The drop is over before any question is asked.
    QTimer::singleShot(0, this, [this, path] { openDropped(path.toStdString()); });
}

void BrowseWindow::openDropped(const std::string& path) {
    if (closed_ || BusyNotice::shownIn(*this) || awaiting_ || QApplication::activeModalWidget())
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
    // The window goes at once; a read still under way ends on its own.
    retireWholeRead();
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
