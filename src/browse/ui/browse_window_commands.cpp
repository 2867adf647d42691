// The browse window's commands: the buttons, the row menu and the header clicks, each handing
// its work to the document, the search and sort, or a seam, and showing the outcome.
#include "browse/ui/browse_window.h"

#include "app/cp949_text.h"
#include "app/preferences.h"
#include "app/ui/dialog_units.h"
#include "app/ui/fonts.h"
#include "app/ui/record_list_view.h"
#include "browse/recent_menu.h"
#include "browse/record_command.h"
#include "browse/search_sort.h"
#include "browse/ui/browse_window_texts.h"
#include "browse/ui/busy_notice.h"
#include "document/row_list.h"
#include "document/save_notices.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace rowbit::ui {

using namespace browse_texts;

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
    if (outcome.status == SaveStatus::Saved) {
        recentFiles(browse_.recent, doc_.path);
        doc_.history.saved();
    }
    return outcome;
}

void BrowseWindow::save() {
    if (!wholeListReady())
        return;
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
    if (!wholeListReady())
        return;
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
    if (!wholeListReady())
        return;
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
    if (searching_ || browse_.shownList == ShownList::SearchResults || !search_->isEnabled() ||
        !wholeListReady())
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
    if (!wholeListReady())
        return;
    const std::size_t line = list_->selectedLine();
    std::size_t position = 0;
    if (command != RecordCommand::Insert) {
        position = recordPosition(doc_.records, browse_, line);
        if (position == 0) {
            prompts_.tell(selectFirst);
            return;
        }
    }
    RecordStepStart step = startRecordStep(command, doc_.records, position);
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
    noteRecordStep(doc_, std::move(step));
    showModified();
}

void BrowseWindow::undo() {
    stepBack(true);
}

void BrowseWindow::redo() {
    stepBack(false);
}

void BrowseWindow::stepBack(bool undoing) {
    // Not while a workbook is being read, a dialog is up or the record commands are off.
    if (closed_ || BusyNotice::shownIn(*this) || QApplication::activeModalWidget() ||
        !button(kInsert)->isEnabled())
        return;
    if (undoing ? !doc_.history.canUndo() : !doc_.history.canRedo())
        return;
    // The search results would no longer match the records: the full list shows the step.
    if (browse_.shownList == ShownList::SearchResults)
        back();
    const RecordList& records = doc_.records;
    const std::size_t line = list_->selectedLine();
    const RecordId selected = line >= 1 && line <= records.count() ? records.id(line) : 0;
    const std::optional<HistoryMove> move = stepHistory(doc_, undoing);
    if (!move)
        return;
    list_->reload();
    std::size_t select = 0;
    if (move->kind == RecordStepKind::Sort) {
        // The selected record stays selected in its place, and the sort mark follows.
        select = selected ? records.find(selected).value_or(0) : 0;
        sortedColumn_ = move->sortedColumn;
        showSortColumn();
    } else {
        select = move->present ? move->position : std::min(move->position, records.count());
    }
    list_->selectLine(select);
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
    if (!wholeListReady())
        return;
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
        // The list lets go of the records before they are read again: the progress bar
        // repaints it meanwhile, and it must not ask for records no longer there.
        doc_.records.clear();
        showFullList(0);
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
    if (!wholeListReady())
        return;
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
    if (!wholeListReady())
        return;
    // The selected record stays selected in its new place.
    RecordId selected = 0;
    if (browse_.shownList == ShownList::Records) {
        const std::size_t line = list_->selectedLine();
        if (line >= 1 && line <= doc_.records.count())
            selected = doc_.records.id(line);
    }
    const int sortedBefore = sortedColumn_;
    std::vector<RecordId> order = RecordHistory::identities(doc_.records);
    sortList(doc_.records, doc_.columns, column);
    // The memo column keeps the order, and the column sorted before stays the sorted one.
    if (column >= 1 && column <= std::min(doc_.columns.columnCount, kMaxColumns))
        sortedColumn_ = column;
    noteSort(doc_, order, sortedBefore, sortedColumn_);
    order = {};
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

} // namespace rowbit::ui
