// Opens a workbook, makes record edits of every kind through the record history, undoes them
// all and saves: for undo_peer.py, which compares the cells with those it started from.
//
//   undo_replay WORKBOOK
#include "support/record_edits.h"
#include "support/scripted_prompts.h"

#include <cstdio>
#include <filesystem>

using namespace rowbit;

int main(int argc, char** argv) {
    if (argc < 2)
        return 64;
    AppState state;
    state.workingFolder = std::filesystem::path(argv[1]).parent_path().string();
    state.datePicture = "@D9-";
    testing::ScriptedPrompts prompts;
    Document doc;
    doc.path = argv[1];
    doc.open(state, prompts, {});
    doc.fill(state, prompts);
    if (doc.records.count() < 3)
        return 1;
    using testing::editRecord;
    editRecord(doc, RecordCommand::Change, 2, "바뀐것");
    testing::sortRecords(doc, 1, 0);
    editRecord(doc, RecordCommand::Delete, 1, "");
    editRecord(doc, RecordCommand::Insert, 0, "새것");
    testing::sortRecords(doc, 2, 1);
    editRecord(doc, RecordCommand::Delete, doc.records.count(), "");
    editRecord(doc, RecordCommand::Change, 1, "또바뀐것");
    while (doc.history.canUndo())
        stepHistory(doc, true);
    if (doc.save(state, prompts, ChangedFile::Refuse).status != SaveStatus::Saved)
        return 1;
    std::printf("undone %zu steps\n", doc.history.size());
    return 0;
}
