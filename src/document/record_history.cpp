#include "document/record_history.h"

#include <cstdlib>
#include <utility>

namespace rowbit {

namespace {

// The position of a record the history names; it is there, or the history and the list went
// out of step, which is a programming error.
std::size_t positionOf(const RecordList& records, RecordId id) {
    const std::optional<std::size_t> pos = records.find(id);
    if (!pos)
        std::abort();
    return *pos;
}

// Exchanges what a record holds with `other`; the row it was read from stays the list's.
void swapContents(Record& record, Record& other) {
    std::swap(record.col, other.col);
    std::swap(record.memo, other.memo);
    std::swap(record.num, other.num);
}

} // namespace

void RecordHistory::restart(bool modified) {
    steps_.clear();
    steps_.shrink_to_fit();
    done_ = 0;
    savedAt_ = 0;
    otherChanges_ = modified;
}

void RecordHistory::push(Step step) {
    // The undone steps can never be redone now, and the saved point among them is gone.
    if (savedAt_ != kNoSavedPoint && savedAt_ > done_)
        savedAt_ = kNoSavedPoint;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    steps_.push_back(std::move(step));
    done_ = steps_.size();
}

void RecordHistory::inserted(const RecordList& records, std::size_t position) {
    Step step;
    step.kind = RecordStepKind::Insert;
    step.id = records.id(position);
    step.position = position;
    push(std::move(step));
}

void RecordHistory::changed(const RecordList& records, std::size_t position, Record before) {
    Step step;
    step.kind = RecordStepKind::Change;
    step.id = records.id(position);
    step.position = position;
    step.record = std::move(before);
    push(std::move(step));
}

void RecordHistory::deleted(std::size_t position, RecordId id, Record record) {
    Step step;
    step.kind = RecordStepKind::Delete;
    step.id = id;
    step.position = position;
    step.record = std::move(record);
    push(std::move(step));
}

std::vector<RecordId> RecordHistory::identities(const RecordList& records) {
    std::vector<RecordId> ids;
    ids.reserve(records.count());
    for (std::size_t pos = 1; pos <= records.count(); ++pos)
        ids.push_back(records.id(pos));
    return ids;
}

void RecordHistory::sorted(const RecordList& records, const std::vector<RecordId>& before,
                           int columnBefore, int columnAfter) {
    Step step;
    step.kind = RecordStepKind::Sort;
    step.columnBefore = columnBefore;
    step.columnAfter = columnAfter;
    step.movedTo.resize(before.size());
    bool moved = false;
    for (std::size_t j = 0; j < before.size(); ++j) {
        const std::size_t to = positionOf(records, before[j]) - 1;
        step.movedTo[j] = static_cast<std::uint32_t>(to);
        moved = moved || to != j;
    }
    if (!moved)
        return;
    push(std::move(step));
}

HistoryMove RecordHistory::apply(Step& step, RecordList& records, bool undoing) {
    HistoryMove move;
    move.kind = step.kind;
    switch (step.kind) {
    case RecordStepKind::Insert:
    case RecordStepKind::Delete: {
        // Undoing an insert and redoing a delete take the record out; the others put it back.
        const bool takeOut = (step.kind == RecordStepKind::Insert) == undoing;
        if (takeOut) {
            move.position = positionOf(records, step.id);
            step.record = records.take(move.position);
            move.present = false;
        } else {
            move.position = step.position;
            records.restore(step.position, std::move(step.record), step.id);
            step.record = Record{};
        }
        break;
    }
    case RecordStepKind::Change:
        move.position = positionOf(records, step.id);
        swapContents(records.at(move.position), step.record);
        break;
    case RecordStepKind::Sort: {
        // order[i] is where the record that comes i-th now stands.
        const std::size_t n = step.movedTo.size();
        std::vector<std::uint32_t> order(n);
        for (std::size_t j = 0; j < n; ++j) {
            if (undoing)
                order[j] = step.movedTo[j];
            else
                order[step.movedTo[j]] = static_cast<std::uint32_t>(j);
        }
        records.reorder(order);
        move.sortedColumn = undoing ? step.columnBefore : step.columnAfter;
        break;
    }
    }
    return move;
}

std::optional<HistoryMove> RecordHistory::undo(RecordList& records) {
    if (!canUndo())
        return std::nullopt;
    --done_;
    return apply(steps_[done_], records, true);
}

std::optional<HistoryMove> RecordHistory::redo(RecordList& records) {
    if (!canRedo())
        return std::nullopt;
    HistoryMove move = apply(steps_[done_], records, false);
    ++done_;
    return move;
}

void RecordHistory::saved() {
    savedAt_ = done_;
    otherChanges_ = false;
}

std::size_t RecordHistory::bytes() const {
    std::size_t total = steps_.capacity() * sizeof(Step);
    for (const Step& step : steps_)
        total += step.movedTo.capacity() * sizeof(std::uint32_t);
    return total;
}

} // namespace rowbit
