#pragma once
// The Save command as the browse window gives it: the document saved, and a saved workbook at
// the top of the recent files.

#include "app/preferences.h"
#include "document/browse_state.h"
#include "document/document.h"

namespace rowbit::testing {

inline SaveOutcome saveFile(Document& doc, const AppState& display, BrowseState& browse,
                            Prompts& prompts, ChangedFile changed = ChangedFile::Ask) {
    SaveOutcome outcome = doc.save(display, prompts, changed);
    if (outcome.status == SaveStatus::Saved)
        recentFiles(browse.recent, doc.path);
    return outcome;
}

} // namespace rowbit::testing
