#pragma once
// The undo history of the record edits: every insert, change, delete and sort made since the
// records were read, each undone and redone in turn. A step keeps only what it changed: the
// one record an insert, change or delete touched, or for a sort where each record went (four
// bytes a record, never a copy of the records). The history also knows whether the records
// stand as they were last saved, so that undoing back to that point is "unchanged" again.

#include "app/records.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace rowbit {

enum class RecordStepKind { Insert, Change, Delete, Sort };

// What undoing or redoing a step did, for the list to show it.
struct HistoryMove {
    RecordStepKind kind = RecordStepKind::Change;
    // The touched record's position (1-based) now; when undoing an insert or redoing a
    // delete took it out, the position it had. 0 for a sort.
    std::size_t position = 0;
    bool present = true;  // whether the touched record is in the list now
    int sortedColumn = 0; // the column the list now stands sorted by, as the sort step said
};

class RecordHistory {
public:
    // The records were read anew: the history starts empty. `modified` says whether the
    // workbook already has unsaved changes besides the records (a new setup, say).
    void restart(bool modified);

    // Notes a step just made. `inserted`: the record now at `position` is new. `changed`:
    // the record at `position` held `before`. `deleted`: the record `record` with identity
    // `id` stood at `position`. A new step drops the steps undone before it.
    void inserted(const RecordList& records, std::size_t position);
    void changed(const RecordList& records, std::size_t position, Record before);
    void deleted(std::size_t position, RecordId id, Record record);
    // The identities in list order, taken just before a sort for `sorted`.
    static std::vector<RecordId> identities(const RecordList& records);
    // The list was sorted from the order `before`; the list stood sorted by `columnBefore`
    // and now by `columnAfter`. A sort that moved nothing is no step.
    void sorted(const RecordList& records, const std::vector<RecordId>& before, int columnBefore,
                int columnAfter);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Undoes the last step done (redoes the first undone) on `records`; nullopt when there is
    // none.
    std::optional<HistoryMove> undo(RecordList& records);
    std::optional<HistoryMove> redo(RecordList& records);

    // The records as they are now are what the file holds.
    void saved();
    // Something besides the records changed and stays unsaved whatever is undone.
    void otherChange() { otherChanges_ = true; }
    // Whether the workbook differs from what was last saved (or read).
    bool modified() const { return otherChanges_ || savedAt_ != done_; }

    std::size_t size() const { return steps_.size(); } // done and undone
    // The memory the steps hold, in bytes (roughly: the records' texts are not counted).
    std::size_t bytes() const;

private:
    struct Step {
        RecordStepKind kind = RecordStepKind::Change;
        RecordId id = 0;
        std::size_t position = 0; // an insert's or a delete's position
        // The record the list does not hold now: an undone insert's, a deleted one, or the
        // other version of a changed one.
        Record record;
        // A sort: where the record at index j before it went (index from 0).
        std::vector<std::uint32_t> movedTo;
        int columnBefore = 0;
        int columnAfter = 0;
    };
    static constexpr std::size_t kNoSavedPoint = SIZE_MAX;

    void push(Step step);
    HistoryMove apply(Step& step, RecordList& records, bool undoing);

    std::vector<Step> steps_;
    std::size_t done_ = 0;    // steps_[0..done_) are done, the rest undone
    std::size_t savedAt_ = 0; // done_ when the records were saved; kNoSavedPoint: out of reach
    bool otherChanges_ = false;
};

} // namespace rowbit
