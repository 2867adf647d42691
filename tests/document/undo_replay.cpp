// Opens a workbook as the window does, makes record edits of every kind through the record
// history, undoes them all (optionally saving in between) and saves: for undo_peer.py, which
// compares the cells with the workbook it started from.
//
//   undo_replay WORKBOOK [--save-between]
#include "browse/record_command.h"
#include "browse/search_sort.h"
#include "document/document.h"
#include "support/scripted_prompts.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace rowbit;

namespace {

bool save(Document& doc, const AppState& state, Prompts& prompts) {
    if (doc.save(state, prompts, ChangedFile::Refuse).status != SaveStatus::Saved)
        return false;
    doc.history.saved();
    return true;
}

void edit(Document& doc, RecordCommand command, std::size_t position, const char* text) {
    RecordList& records = doc.records;
    RecordStepStart start = startRecordStep(command, records, position);
    if (command == RecordCommand::Insert) {
        records.buffer.clear();
        records.buffer.col = {text, "7", "24-02-29"};
        records.buffer.memo = "새 메모";
        records.add();
    } else if (command == RecordCommand::Change) {
        records.at(position).col[0] = text;
        records.at(position).memo = text;
    } else {
        records.get(position);
        records.remove();
    }
    noteRecordStep(doc, std::move(start));
}

void sortBy(Document& doc, int column, int before) {
    const std::vector<RecordId> order = RecordHistory::identities(doc.records);
    sortList(doc.records, doc.columns, column);
    noteSort(doc, order, before, column);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 64;
    const bool saveBetween = argc > 2 && std::strcmp(argv[2], "--save-between") == 0;
    AppState state;
    state.workingFolder = std::filesystem::path(argv[1]).parent_path().string();
    state.datePicture = "@D9-";
    testing::ScriptedPrompts prompts;
    Document doc;
    doc.path = argv[1];
    doc.open(state, prompts, {});
    doc.fill(state, prompts);
    if (doc.records.count() < 3) {
        std::fprintf(stderr, "too few records in %s\n", argv[1]);
        return 1;
    }

    edit(doc, RecordCommand::Change, 2, "바뀐것");
    sortBy(doc, 1, 0);
    edit(doc, RecordCommand::Delete, 1, "");
    edit(doc, RecordCommand::Insert, 0, "새것");
    sortBy(doc, 2, 1);
    edit(doc, RecordCommand::Delete, doc.records.count(), "");
    edit(doc, RecordCommand::Change, 1, "또바뀐것");
    if (saveBetween && !save(doc, state, prompts))
        return 1;
    while (doc.history.canUndo())
        stepHistory(doc, true);
    if (!save(doc, state, prompts))
        return 1;
    std::printf("undone %zu steps\n", doc.history.size());
    return 0;
}
