#include "document/browse_state.h"

#include <algorithm>

namespace rowbit {

void FilledRecords::clear() {
    ids_.clear();
    rows_.clear();
    columns_.clear();
    memos_.clear();
    fields_.clear();
    arenas_.clear();
    own_.reset();
    sheetColumn = {};
    memoColumn = 0;
}

void FilledRecords::keep(const std::vector<SharedArena>& arenas) {
    arenas_.insert(arenas_.end(), arenas.begin(), arenas.end());
}

void FilledRecords::keep(SharedArena arena) {
    if (arena)
        arenas_.push_back(std::move(arena));
}

void FilledRecords::reserve(std::size_t records) {
    ids_.reserve(records);
    rows_.reserve(records);
    columns_.reserve(records);
    fields_.reserve(records);
}

void FilledRecords::add(RecordId id, std::int32_t row, const Record& record, int columns,
                        bool memo) {
    columns = std::clamp(columns, 0, kMaxColumns);
    // Texts of the record's own change when it does: those are copied.
    auto held = [this](const auto& texts, int n) -> const char* {
        if (!texts.owned())
            return texts.block();
        if (!own_) {
            own_ = std::make_shared<TextArena>();
            arenas_.push_back(own_);
        }
        return own_->copy(texts.block(), n);
    };
    ids_.push_back(id);
    rows_.push_back(row);
    columns_.push_back(columns > 0 ? held(record.col.packed(), kMaxColumns) : nullptr);
    const char* memoBlock = memo ? held(record.memo.packed(), 1) : nullptr;
    if (memoBlock || !memos_.empty()) {
        memos_.resize(ids_.size() - 1, nullptr);
        memos_.push_back(memoBlock);
    }
    fields_.push_back(static_cast<std::uint8_t>(columns | (memo ? kMemoBit : 0)));
}

void FilledRecords::append(FilledRecords&& part, RecordId firstId) {
    for (RecordId id : part.ids_)
        ids_.push_back(firstId + id);
    rows_.insert(rows_.end(), part.rows_.begin(), part.rows_.end());
    columns_.insert(columns_.end(), part.columns_.begin(), part.columns_.end());
    if (!memos_.empty() || !part.memos_.empty()) {
        memos_.resize(ids_.size() - part.ids_.size(), nullptr);
        memos_.insert(memos_.end(), part.memos_.begin(), part.memos_.end());
    }
    fields_.insert(fields_.end(), part.fields_.begin(), part.fields_.end());
    keep(part.arenas_);
    part.clear();
}

std::optional<std::size_t> FilledRecords::find(RecordId id) const {
    // Identities grow with every add, so the fill order is sorted by identity.
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
    if (it == ids_.end() || *it != id)
        return std::nullopt;
    return static_cast<std::size_t>(it - ids_.begin());
}

bool FilledRecords::unchanged(std::size_t index, int field, std::string_view text) const {
    if (index >= ids_.size() || field < 0 || field > kMaxColumns)
        return false;
    const auto filled = texts(index)[static_cast<std::size_t>(field)];
    return filled && *filled == text;
}

bool FilledRecords::sameTexts(std::size_t index, const Record& record) const {
    if (index >= ids_.size())
        return false;
    const bool columns = (fields_[index] & ~kMemoBit) != 0;
    const bool memo = (fields_[index] & kMemoBit) != 0;
    // Blocks held here never change, and a record that changes a text leaves its block.
    return (!columns || columns_[index] == record.col.packed().block()) &&
           (!memo || memoBlock(index) == record.memo.packed().block());
}

FilledRecords::Texts FilledRecords::texts(std::size_t index) const {
    Texts texts;
    if (index >= ids_.size())
        return texts;
    const int columns = fields_[index] & ~kMemoBit;
    for (int k = 0; k < columns; ++k)
        texts[static_cast<std::size_t>(k)] = packed::text(columns_[index], kMaxColumns, k);
    if ((fields_[index] & kMemoBit) != 0)
        texts[kMaxColumns] = packed::text(memoBlock(index), 1, 0);
    return texts;
}

std::vector<std::int32_t> FilledRecords::places() const {
    std::vector<std::int32_t> rows = rows_;
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace rowbit
