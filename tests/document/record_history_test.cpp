// Undo and redo of record edits on workbooks written by xlwt and openpyxl: after every step
// the records are those of the step it returns to, the modified flag says whether they differ
// from the file, and what is saved at the end is read back as the records stood.
#include "document/document.h"
#include "support/record_edits.h"
#include "support/save_file.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rowbit {
namespace {

using testing::ScratchDir;

enum class Op { Insert, Change, Delete, Sort, Undo, Redo, Save };
struct Action {
    Op op;
    std::size_t position = 0; // Change, Delete; the column for Sort
    const char* text = "";    // Insert, Change
};
struct HistoryCase {
    const char* name;
    std::vector<Action> actions;
};

const Action kUndo{Op::Undo}, kRedo{Op::Redo}, kSave{Op::Save};
const HistoryCase kCases[] = {
    {"EveryKindUndoneAndRedone",
     {{Op::Insert, 0, "호두"},
      {Op::Change, 2, "참배"},
      {Op::Delete, 1},
      {Op::Sort, 1},
      {Op::Sort, 2},
      kUndo,
      kUndo,
      kUndo,
      kUndo,
      kUndo,
      kRedo,
      kRedo,
      kRedo,
      kRedo,
      kRedo}},
    {"UndoAfterSaveIsModifiedAndBackIsNot",
     {{Op::Change, 1, "풋사과"}, kSave, kUndo, kRedo, {Op::Delete, 5}, kUndo, kUndo}},
    {"ANewStepDropsTheUndoneOnes",
     {{Op::Insert, 0, "잣"},
      {Op::Delete, 3},
      kUndo,
      kUndo,
      {Op::Change, 1, "모과"},
      kRedo,
      kUndo,
      kUndo}},
    {"SavedPointUndoneThenLeftBehind",
     {{Op::Delete, 2}, kSave, kUndo, {Op::Insert, 0, "대추"}, kUndo, kRedo}},
};

using Texts = std::vector<std::string>;

Texts texts(const RecordList& records) {
    Texts all;
    for (std::size_t p = 1; p <= records.count(); ++p) {
        const Record& r = records.at(p);
        all.push_back(std::string(r.col[0]) + "|" + std::string(r.col[1]) + "|" +
                      std::string(r.col[2]) + "|" + std::string(r.memo));
    }
    return all;
}

class RecordHistoryFiles : public ::testing::TestWithParam<std::tuple<const char*, HistoryCase>> {
protected:
    ScratchDir dir;
    AppState state;
    BrowseState browse;
    testing::ScriptedPrompts prompts;

    void open(Document& doc, const std::string& path) {
        state.workingFolder = dir.path().string();
        state.datePicture = "@D9-";
        doc.path = path;
        doc.open(state, prompts, {});
        doc.fill(state, prompts);
    }
};

TEST_P(RecordHistoryFiles, StepsUndoneAndRedoneAndSaved) {
    const auto [ext, test] = GetParam();
    const auto path = dir / (std::string("ledger") + ext);
    std::filesystem::copy_file(testing::testData() / "document" / path.filename(), path);
    Document doc;
    open(doc, path.string());
    ASSERT_EQ(doc.records.count(), 5u);

    // The oracle: the records after each step done, where the history stands, and where it
    // was saved (-1: a state no undo or redo reaches any more).
    std::vector<Texts> timeline{texts(doc.records)};
    std::size_t at = 0;
    long savedAt = 0;
    int sorted = 0;
    for (std::size_t i = 0; i < test.actions.size(); ++i) {
        const Action& a = test.actions[i];
        SCOPED_TRACE("action " + std::to_string(i + 1));
        if (a.op == Op::Undo || a.op == Op::Redo) {
            // Nothing to undo or redo (the undone steps a new one dropped) changes nothing.
            const bool possible = a.op == Op::Undo ? at > 0 : at + 1 < timeline.size();
            const auto move = stepHistory(doc, a.op == Op::Undo);
            ASSERT_EQ(move.has_value(), possible);
            if (move) {
                at = a.op == Op::Undo ? at - 1 : at + 1;
                if (move->kind == RecordStepKind::Sort) {
                    sorted = move->sortedColumn;
                } else if (move->present) { // the list selects the touched record
                    EXPECT_EQ(texts(doc.records)[move->position - 1],
                              timeline[at][move->position - 1]);
                }
            }
        } else if (a.op == Op::Save) {
            ASSERT_EQ(testing::saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
            doc.history.saved();
            savedAt = static_cast<long>(at);
        } else {
            if (a.op == Op::Sort) {
                testing::sortRecords(doc, static_cast<int>(a.position), sorted);
                sorted = static_cast<int>(a.position);
            } else {
                const RecordCommand command = a.op == Op::Insert   ? RecordCommand::Insert
                                              : a.op == Op::Change ? RecordCommand::Change
                                                                   : RecordCommand::Delete;
                testing::editRecord(doc, command, a.position, a.text);
            }
            if (savedAt > static_cast<long>(at))
                savedAt = -1;
            timeline.resize(++at);
            timeline.push_back(texts(doc.records));
        }
        EXPECT_EQ(texts(doc.records), timeline[at]);
        EXPECT_EQ(doc.modified, savedAt != static_cast<long>(at));
    }

    ASSERT_EQ(testing::saveFile(doc, state, browse, prompts).status, SaveStatus::Saved);
    Document again;
    open(again, path.string());
    EXPECT_EQ(texts(again.records), timeline[at]);
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordHistoryFiles,
                         ::testing::Combine(::testing::Values(".xls", ".xlsx"),
                                            ::testing::ValuesIn(kCases)),
                         [](const auto& test) {
                             return std::get<1>(test.param).name +
                                    std::string(std::get<0>(test.param) + 1);
                         });

} // namespace
} // namespace rowbit
