#pragma once
// What the list shows after the record form carried out a command: the search results follow
// the record that was inserted, changed or deleted, and one line is selected.

#include "app/app_state.h"
#include "app/records.h"
#include "document/browse_state.h"
#include "document/document.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace rowbit {

// The record form carried `command` out on the record at `position` (1-based; for an insert
// the new record's). `selectedLine` is the line (1-based) selected in the list shown when the
// command was given. The search results, when shown, gain, rewrite or lose their line; the
// line to select in the list shown comes back (0: none).
std::size_t afterRecordCommand(RecordCommand command, std::size_t position,
                               std::size_t selectedLine, const RecordList& records,
                               BrowseState& browse);

// What a record command is about to touch, taken before the record form runs: the record at
// `position` (none for an insert) and how many records there were.
struct RecordStepStart {
    RecordCommand command = RecordCommand::Insert;
    std::size_t position = 0;
    RecordId id = 0;
    Record before;
    std::size_t countBefore = 0;
};
RecordStepStart startRecordStep(RecordCommand command, const RecordList& records,
                                std::size_t position);
// Notes in the document's history what the form did since `start`, and the modified flag
// follows. A change that left the record as it was is no step.
void noteRecordStep(Document& doc, RecordStepStart start);
// Notes a sort of the records from the order `before` (RecordHistory::identities taken just
// before it), the list sorted by `columnBefore` then and by `columnAfter` now.
void noteSort(Document& doc, const std::vector<RecordId>& before, int columnBefore,
              int columnAfter);
// Undoes the last record step (redoes the last undone one); the modified flag follows.
std::optional<HistoryMove> stepHistory(Document& doc, bool undoing);

} // namespace rowbit
