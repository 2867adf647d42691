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

} // namespace rowbit
