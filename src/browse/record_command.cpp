#include "browse/record_command.h"

#include "document/row_list.h"

#include <algorithm>

namespace rowbit {

std::size_t afterRecordCommand(RecordCommand command, std::size_t position,
                               std::size_t selectedLine, const RecordList& records,
                               BrowseState& browse) {
    const bool results = browse.shownList == ShownList::SearchResults;
    switch (command) {
    case RecordCommand::Insert:
        if (!results)
            return position;
        // A new record joins the results at their end, whatever the search text.
        addResultLine(records, browse, position);
        return browse.searchResults.size();
    case RecordCommand::Change:
        if (!results)
            return position ? position : selectedLine;
        refreshResultLine(records, browse, selectedLine);
        return selectedLine;
    case RecordCommand::Delete:
        // The line that took the deleted one's place, or the last when it was the last.
        if (!results)
            return std::min(position, records.count());
        removeResultLine(browse, selectedLine);
        return std::min(selectedLine, browse.searchResults.size());
    }
    return selectedLine;
}

namespace {

// Unsaved changes made before, besides the records, stay whatever is undone.
void keepOtherChanges(Document& doc) {
    if (doc.modified && !doc.history.modified())
        doc.history.otherChange();
}

} // namespace

RecordStepStart startRecordStep(RecordCommand command, const RecordList& records,
                                std::size_t position) {
    RecordStepStart start;
    start.command = command;
    start.countBefore = records.count();
    if (command != RecordCommand::Insert && position >= 1 && position <= records.count()) {
        start.position = position;
        start.id = records.id(position);
        start.before = records.at(position);
    }
    return start;
}

void noteRecordStep(Document& doc, RecordStepStart start) {
    keepOtherChanges(doc);
    RecordList& records = doc.records;
    RecordHistory& history = doc.history;
    switch (start.command) {
    case RecordCommand::Insert:
        for (std::size_t p = start.countBefore + 1; p <= records.count(); ++p)
            history.inserted(records, p);
        break;
    case RecordCommand::Change:
        if (const auto now = start.id ? records.find(start.id) : std::nullopt;
            now && (records.at(*now).col != start.before.col ||
                    records.at(*now).memo != start.before.memo))
            history.changed(records, *now, std::move(start.before));
        break;
    case RecordCommand::Delete:
        if (start.id && !records.find(start.id))
            history.deleted(start.position, start.id, std::move(start.before));
        break;
    }
    doc.modified = history.modified();
}

void noteSort(Document& doc, const std::vector<RecordId>& before, int columnBefore,
              int columnAfter) {
    keepOtherChanges(doc);
    doc.history.sorted(doc.records, before, columnBefore, columnAfter);
    doc.modified = doc.history.modified();
}

std::optional<HistoryMove> stepHistory(Document& doc, bool undoing) {
    keepOtherChanges(doc);
    std::optional<HistoryMove> move =
        undoing ? doc.history.undo(doc.records) : doc.history.redo(doc.records);
    doc.modified = doc.history.modified();
    return move;
}

} // namespace rowbit
