#include "app/records.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <numeric>

namespace rowbit {
namespace {

// A position outside the list is a programming error of the caller, in every build type.
void checkPosition(std::size_t pos, std::size_t count, int line) {
    if (pos < 1 || pos > count) {
        std::fprintf(stderr, "%s:%d: RecordList position %zu outside 1..%zu\n", __FILE__, line, pos,
                     count);
        std::abort();
    }
}

} // namespace

void RecordList::clear() {
    records_.clear();
    arenas_.clear();
    ids_.clear();
    current_ = 0;
    idBase_ = nextId_;
    index_.clear();
    indexValid_ = true;
}

std::size_t RecordList::count() const {
    return records_.size();
}

std::size_t RecordList::position() const {
    return current_;
}

std::size_t RecordList::add() {
    records_.push_back(buffer);
    const RecordId newId = nextId_++;
    ids_.push_back(newId);
    current_ = records_.size();
    if (indexValid_) {
        // Ids grow with every add, so the new one is always the last slot.
        index_.resize(static_cast<std::size_t>(nextId_ - idBase_), 0);
        index_[static_cast<std::size_t>(newId - idBase_)] = current_;
    }
    return current_;
}

RecordId RecordList::append(std::vector<Record>&& records, SharedArena arena) {
    const RecordId first = nextId_;
    if (arena)
        arenas_.push_back(std::move(arena));
    if (records.empty())
        return first;
    if (records_.empty()) {
        records_ = std::move(records);
    } else {
        records_.reserve(records_.size() + records.size());
        std::move(records.begin(), records.end(), std::back_inserter(records_));
    }
    records.clear();
    ids_.reserve(records_.size());
    while (ids_.size() < records_.size())
        ids_.push_back(nextId_++);
    current_ = records_.size();
    // Built again on the first look-up: a fill of a million rows seldom needs it at all.
    indexValid_ = false;
    return first;
}

bool RecordList::get(std::size_t pos) {
    if (pos < 1 || pos > records_.size()) {
        return false;
    }
    buffer = records_[pos - 1];
    current_ = pos;
    return true;
}

bool RecordList::put() {
    if (current_ < 1 || current_ > records_.size()) {
        return false;
    }
    records_[current_ - 1] = buffer;
    return true;
}

bool RecordList::remove() {
    if (current_ < 1 || current_ > records_.size()) {
        return false;
    }
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(current_ - 1));
    ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(current_ - 1));
    if (current_ > records_.size()) {
        current_ = records_.size(); // was the last: the one before it, or none
    }
    indexValid_ = false;
    return true;
}

Record RecordList::take(std::size_t pos) {
    checkPosition(pos, records_.size(), __LINE__);
    Record taken = std::move(records_[pos - 1]);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(pos - 1));
    ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(pos - 1));
    if (current_ > pos || current_ > records_.size())
        --current_;
    indexValid_ = false;
    return taken;
}

void RecordList::restore(std::size_t pos, Record record, RecordId recordId) {
    checkPosition(pos, records_.size() + 1, __LINE__);
    if (recordId < idBase_ || recordId >= nextId_ || find(recordId))
        std::abort(); // not an identity this list gave out and let go: a caller's fault
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(pos - 1), std::move(record));
    ids_.insert(ids_.begin() + static_cast<std::ptrdiff_t>(pos - 1), recordId);
    current_ = pos;
    indexValid_ = false;
}

const Record& RecordList::at(std::size_t pos) const {
    checkPosition(pos, records_.size(), __LINE__);
    return records_[pos - 1];
}

Record& RecordList::at(std::size_t pos) {
    checkPosition(pos, records_.size(), __LINE__);
    return records_[pos - 1];
}

RecordId RecordList::id(std::size_t pos) const {
    checkPosition(pos, records_.size(), __LINE__);
    return ids_[pos - 1];
}

void RecordList::rebuildIndex() const {
    index_.assign(static_cast<std::size_t>(nextId_ - idBase_), 0);
    for (std::size_t i = 0; i < ids_.size(); ++i) {
        index_[static_cast<std::size_t>(ids_[i] - idBase_)] = i + 1;
    }
    indexValid_ = true;
}

std::optional<std::size_t> RecordList::find(RecordId recordId) const {
    if (recordId < idBase_ || recordId >= nextId_) {
        return std::nullopt;
    }
    if (!indexValid_) {
        rebuildIndex();
    }
    std::size_t pos = index_[static_cast<std::size_t>(recordId - idBase_)];
    if (pos == 0) {
        return std::nullopt;
    }
    return pos;
}

void RecordList::sort(const std::function<bool(const Record&, const Record&)>& less) {
    const std::size_t n = records_.size();
    if (n < 2) {
        return;
    }
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return less(records_[a], records_[b]);
    });
    applyOrder(order);
}

void RecordList::applyOrder(std::vector<std::uint32_t>& order) {
    const std::size_t n = records_.size();
    const RecordId currentId = current_ > 0 ? ids_[current_ - 1] : 0;

    // Puts the records in place by following the permutation's cycles: every record moves
    // once and no second list of a million records is ever held.
    for (std::size_t start = 0; start < n; ++start) {
        if (order[start] == start) {
            continue;
        }
        Record heldRecord = std::move(records_[start]);
        const RecordId heldId = ids_[start];
        std::size_t j = start;
        while (order[j] != start) {
            const std::size_t from = order[j];
            records_[j] = std::move(records_[from]);
            ids_[j] = ids_[from];
            order[j] = static_cast<std::uint32_t>(j);
            j = from;
        }
        records_[j] = std::move(heldRecord);
        ids_[j] = heldId;
        order[j] = static_cast<std::uint32_t>(j);
    }
    rebuildIndex();
    if (currentId != 0) {
        current_ = index_[static_cast<std::size_t>(currentId - idBase_)];
    }
}

void RecordList::reserve(std::size_t n) {
    records_.reserve(n);
    ids_.reserve(n);
}

int ColumnSetup::shownColumns() const {
    int n = 0;
    while (n < kMaxColumns && sheetColumn[n] != 0)
        ++n;
    return n;
}

int ColumnSetup::usedColumns() const {
    const int limit = std::clamp(columnCount, 0, kMaxColumns);
    int used = 0;
    while (used < limit && sheetColumn[static_cast<std::size_t>(used)] != 0) {
        ++used;
    }
    return used;
}

} // namespace rowbit
