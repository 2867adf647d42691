#include "browse/browse_state.h"

#include <algorithm>
#include <cstring>

namespace rowbit {

void FilledRecords::clear() {
    ids_.clear();
    rows_.clear();
    offsets_.clear();
    arena_.clear();
    fields_.clear();
    cno = {};
    mno = 0;
}

namespace {
constexpr int kMemoBit = 0x80;

void putField(std::string& arena, const std::string& text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    char len[4];
    std::memcpy(len, &size, sizeof len);
    arena.append(len, sizeof len);
    arena.append(text);
}
} // namespace

void FilledRecords::add(RecordId id, std::int32_t row, const Record& record, int columns,
                        bool memo) {
    columns = std::clamp(columns, 0, kMaxColumns);
    for (int k = 0; k < columns; ++k)
        putField(arena_, record.col[static_cast<std::size_t>(k)]);
    if (memo)
        putField(arena_, record.memo);
    ids_.push_back(id);
    rows_.push_back(row);
    offsets_.push_back(arena_.size());
    fields_.push_back(static_cast<std::uint8_t>(columns | (memo ? kMemoBit : 0)));
}

std::optional<std::size_t> FilledRecords::find(RecordId id) const {
    // Identities grow with every add, so the fill order is sorted by identity.
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
    if (it == ids_.end() || *it != id)
        return std::nullopt;
    return static_cast<std::size_t>(it - ids_.begin());
}

bool FilledRecords::unchanged(std::size_t index, int field, const std::string& text) const {
    if (index >= ids_.size())
        return false;
    const int columns = fields_[index] & ~kMemoBit;
    const bool memo = (fields_[index] & kMemoBit) != 0;
    // The memo is stored after the shown columns when there is one.
    int slot = field;
    if (field == kMaxColumns) {
        if (!memo)
            return false;
        slot = columns;
    } else if (field < 0 || field >= columns) {
        return false;
    }
    std::size_t at = index == 0 ? 0 : offsets_[index - 1];
    for (int i = 0;; ++i) {
        std::uint32_t size = 0;
        std::memcpy(&size, arena_.data() + at, sizeof size);
        at += sizeof size;
        if (i == slot)
            return size == text.size() && arena_.compare(at, size, text) == 0;
        at += size;
    }
}

std::vector<std::int32_t> FilledRecords::places() const {
    std::vector<std::int32_t> rows = rows_;
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace rowbit
