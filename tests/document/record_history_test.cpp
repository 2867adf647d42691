// Undo and redo of record edits on workbooks written by xlwt and openpyxl: after every step
// the records are those of the step it returns to, the modified flag says whether they differ
// from the file, and what is saved at the end is read back as the records stood.
#include "browse/record_command.h"
#include "browse/search_sort.h"
#include "document/document.h"
#include "document/row_list.h"
#include "support/save_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rowbit {
namespace {

using testing::saveFile;
using testing::ScratchDir;
using testing::ScriptedPrompts;
using testing::testData;

enum class Op { Insert, Change, Delete, Sort, Undo, Redo, Save };
struct Action {
    Op op;
    std::size_t position = 0; // Change, Delete
    int column = 0;           // Sort
    const char* text = "";    // Insert, Change: the first field
};
struct HistoryCase {
    const char* name;
    std::vector<Action> actions;
};

Action insert(const char* text) {
    return {Op::Insert, 0, 0, text};
}
Action change(std::size_t pos, const char* text) {
    return {Op::Change, pos, 0, text};
}
Action erase(std::size_t pos) {
    return {Op::Delete, pos};
}
Action sortBy(int column) {
    return {Op::Sort, 0, column};
}
const Action kUndo{Op::Undo};
const Action kRedo{Op::Redo};
const Action kSave{Op::Save};

const HistoryCase kCases[] = {
    {"EveryKindUndoneAndRedone",
     {insert("호두"), change(2, "참배"), erase(1), sortBy(2), kUndo, kUndo, kUndo, kUndo, kRedo,
      kRedo, kRedo, kRedo}},
    {"SortsUndoneInTurn", {sortBy(1), sortBy(2), change(3, "곶감"), kUndo, kUndo, kUndo, kRedo}},
    {"UndoAfterSaveIsModifiedAndBackIsNot",
     {change(1, "풋사과"), kSave, kUndo, kRedo, erase(5), kUndo, kUndo}},
    {"ANewStepDropsTheUndoneOnes",
     {insert("잣"), erase(3), kUndo, kUndo, change(1, "모과"), kRedo, kUndo, kUndo}},
    {"SavedPointUndoneThenLeftBehind", {erase(2), kSave, kUndo, insert("대추"), kUndo, kRedo}},
    {"EverythingDeletedAndBack",
     {erase(1), erase(1), erase(1), erase(1), erase(1), kUndo, kUndo, kUndo, kUndo, kUndo}},
};

using Texts = std::vector<std::string>;

class RecordHistoryFiles : public ::testing::TestWithParam<std::tuple<const char*, HistoryCase>> {
protected:
    ScratchDir dir;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;

    void open(Document& doc, const std::string& path) {
        state.workingFolder = dir.path().string();
        state.datePicture = "@D9-";
        doc.path = path;
        doc.open(state, prompts, {});
        doc.fill(state, prompts);
    }
    static Texts texts(const RecordList& records) {
        Texts all;
        for (std::size_t p = 1; p <= records.count(); ++p) {
            const Record& r = records.at(p);
            all.push_back(std::string(r.col[0]) + "|" + std::string(r.col[1]) + "|" +
                          std::string(r.col[2]) + "|" + std::string(r.memo));
        }
        return all;
    }
};

TEST_P(RecordHistoryFiles, StepsUndoneAndRedoneAndSaved) {
    const std::string ext = std::get<0>(GetParam());
    const HistoryCase& test = std::get<1>(GetParam());
    const auto path = dir / ("ledger" + ext);
    std::filesystem::copy_file(testData() / "document" / ("ledger" + ext), path);
    Document doc;
    open(doc, path.string());
    ASSERT_EQ(doc.records.count(), 5u);
    ASSERT_FALSE(doc.modified);

    // The oracle: the records after each step done, where the history stands, where it was
    // saved (-1: a state no undo or redo reaches).
    std::vector<Texts> timeline{texts(doc.records)};
    std::size_t at = 0;
    long savedAt = 0;
    int sorted = 0;
    for (std::size_t i = 0; i < test.actions.size(); ++i) {
        const Action& a = test.actions[i];
        SCOPED_TRACE("action " + std::to_string(i + 1));
        RecordList& records = doc.records;
        const bool edit = a.op != Op::Undo && a.op != Op::Redo && a.op != Op::Save;
        if (a.op == Op::Insert || a.op == Op::Change || a.op == Op::Delete) {
            const auto command = a.op == Op::Insert   ? RecordCommand::Insert
                                 : a.op == Op::Change ? RecordCommand::Change
                                                      : RecordCommand::Delete;
            RecordStepStart start = startRecordStep(command, records, a.position);
            if (a.op == Op::Insert) {
                records.buffer.clear();
                records.buffer.col = {a.text, "12", "24-02-29"};
                records.add();
            } else if (a.op == Op::Change) {
                records.at(a.position).col[0] = a.text;
            } else {
                ASSERT_TRUE(records.get(a.position));
                records.remove();
            }
            noteRecordStep(doc, std::move(start));
        } else if (a.op == Op::Sort) {
            const std::vector<RecordId> before = RecordHistory::identities(records);
            sortList(records, doc.columns, a.column);
            noteSort(doc, before, sorted, a.column);
            sorted = a.column;
        } else if (a.op == Op::Save) {
            ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
            doc.history.saved();
            savedAt = static_cast<long>(at);
        } else {
            // Nothing to undo or redo (the undone steps a new one dropped) changes nothing.
            const bool possible = a.op == Op::Undo ? at > 0 : at + 1 < timeline.size();
            const auto move = stepHistory(doc, a.op == Op::Undo);
            ASSERT_EQ(move.has_value(), possible);
            if (move) {
                at = a.op == Op::Undo ? at - 1 : at + 1;
                if (move->kind == RecordStepKind::Sort) {
                    sorted = move->sortedColumn;
                } else if (move->present) {
                    EXPECT_EQ(texts(records)[move->position - 1],
                              timeline[at][move->position - 1]); // the touched record is there
                }
            }
        }
        // An edit that leaves the records as they were (a sort of a sorted list) is no step.
        if (edit && texts(records) != timeline[at]) {
            if (savedAt > static_cast<long>(at))
                savedAt = -1;
            timeline.resize(at + 1);
            timeline.push_back(texts(records));
            ++at;
        }
        EXPECT_EQ(texts(records), timeline[at]);
        EXPECT_EQ(doc.modified, savedAt != static_cast<long>(at));
    }

    // What is saved now is read back as the records stand.
    ASSERT_EQ(saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    Document again;
    open(again, path.string());
    EXPECT_EQ(texts(again.records), timeline[at]);
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordHistoryFiles,
                         ::testing::Combine(::testing::Values(".xls", ".xlsx"),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& test) {
                             return std::string(std::get<1>(test.param).name) +
                                    (std::string(std::get<0>(test.param)) == ".xls" ? "Xls"
                                                                                    : "Xlsx");
                         });

} // namespace
} // namespace rowbit
