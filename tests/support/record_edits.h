#pragma once
// Record edits made as the browse window makes them: through the record form's seam into the
// document's record history.

#include "browse/record_command.h"
#include "browse/search_sort.h"
#include "document/document.h"

namespace rowbit::testing {

// Inserts a record with `text` first (position unused), gives the record at `position` the
// first field and memo `text`, or deletes it.
inline void editRecord(Document& doc, RecordCommand command, std::size_t position,
                       const char* text) {
    RecordList& records = doc.records;
    RecordStepStart start = startRecordStep(command, records, position);
    if (command == RecordCommand::Insert) {
        records.buffer.clear();
        records.buffer.col = {text, "12", "24-02-29"};
        records.add();
    } else if (command == RecordCommand::Change) {
        records.at(position).col[0] = text;
        records.at(position).memo = text;
    } else if (records.get(position)) {
        records.remove();
    }
    noteRecordStep(doc, std::move(start));
}

// Sorts by `column`, the list sorted by `sortedBefore` until then.
inline void sortRecords(Document& doc, int column, int sortedBefore) {
    const std::vector<RecordId> before = RecordHistory::identities(doc.records);
    sortList(doc.records, doc.columns, column);
    noteSort(doc, before, sortedBefore, column);
}

} // namespace rowbit::testing
