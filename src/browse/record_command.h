#pragma once
// What the list shows after the record form carried out a command: the search results follow
// the record that was inserted, changed or deleted, and one line is selected.

#include "app/app_state.h"
#include "app/records.h"
#include "document/browse_state.h"

#include <cstddef>

namespace rowbit {

// The record form carried `command` out on the record at `position` (1-based; for an insert
// the new record's). `selectedLine` is the line (1-based) selected in the list shown when the
// command was given. The search results, when shown, gain, rewrite or lose their line; the
// line to select in the list shown comes back (0: none).
std::size_t afterRecordCommand(RecordCommand command, std::size_t position,
                               std::size_t selectedLine, const RecordList& records,
                               BrowseState& browse);

} // namespace rowbit
