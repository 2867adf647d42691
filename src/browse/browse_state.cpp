#include "browse/browse_state.h"

#include <algorithm>
#include <cstring>

namespace rowbit {

void FilledRecords::clear() {
    ids_.clear();
    rows_.clear();
    offsets_.clear();
    arenas_.assign(1, std::string());
    arenaStart_.assign(1, 0);
    fields_.clear();
    cno = {};
    mno = 0;
}

namespace {
constexpr int kMemoBit = 0x80;
constexpr std::size_t kArenaBytes = std::size_t{1} << 22;

// Writes a field (4-byte length, bytes) at `to`; returns the end.
char* putField(char* to, const std::string& text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    std::memcpy(to, &size, sizeof size);
    std::memcpy(to + sizeof size, text.data(), text.size());
    return to + sizeof size + text.size();
}
} // namespace

void FilledRecords::add(RecordId id, std::int32_t row, const Record& record, int columns,
                        bool memo) {
    columns = std::clamp(columns, 0, kMaxColumns);
    std::size_t needed = memo ? sizeof(std::uint32_t) + record.memo.size() : 0;
    for (int k = 0; k < columns; ++k)
        needed += sizeof(std::uint32_t) + record.col[static_cast<std::size_t>(k)].size();
    if (arenas_.back().size() >= kArenaBytes &&
        arenas_.back().size() + needed > arenas_.back().capacity()) {
        // A new arena rather than a bigger one: growing would copy every text stored so far.
        arenas_.emplace_back().reserve(std::max(kArenaBytes, needed));
        arenaStart_.push_back(ids_.size());
    }
    // One resize, then the fields copied into place: appending each field on its own costs
    // more than the copying when a million records are added.
    std::string& arena = arenas_.back();
    const std::size_t start = arena.size();
    arena.resize(start + needed);
    char* to = arena.data() + start;
    for (int k = 0; k < columns; ++k)
        to = putField(to, record.col[static_cast<std::size_t>(k)]);
    if (memo)
        putField(to, record.memo);
    ids_.push_back(id);
    rows_.push_back(row);
    offsets_.push_back(arena.size());
    fields_.push_back(static_cast<std::uint8_t>(columns | (memo ? kMemoBit : 0)));
}

void FilledRecords::append(FilledRecords&& part, RecordId firstId) {
    const std::size_t start = ids_.size();
    for (RecordId id : part.ids_)
        ids_.push_back(firstId + id);
    rows_.insert(rows_.end(), part.rows_.begin(), part.rows_.end());
    fields_.insert(fields_.end(), part.fields_.begin(), part.fields_.end());
    // Offsets count within each arena, so the part's stay valid with its arenas.
    offsets_.insert(offsets_.end(), part.offsets_.begin(), part.offsets_.end());
    for (std::size_t s = 0; s < part.arenas_.size(); ++s) {
        arenas_.push_back(std::move(part.arenas_[s]));
        arenaStart_.push_back(start + part.arenaStart_[s]);
    }
    // Later adds go into an arena of their own. An arena that holds no records may share its
    // start with the next one; look-ups take the last arena starting at or before a record.
    arenas_.emplace_back();
    arenaStart_.push_back(ids_.size());
    part.clear();
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
    const std::size_t s =
        static_cast<std::size_t>(std::upper_bound(arenaStart_.begin(), arenaStart_.end(), index) -
                                 arenaStart_.begin()) -
        1;
    const std::string& arena = arenas_[s];
    std::size_t at = index == arenaStart_[s] ? 0 : offsets_[index - 1];
    for (int i = 0;; ++i) {
        std::uint32_t size = 0;
        std::memcpy(&size, arena.data() + at, sizeof size);
        at += sizeof size;
        if (i == slot)
            return size == text.size() && arena.compare(at, size, text) == 0;
        at += size;
    }
}

FilledRecords::Texts FilledRecords::texts(std::size_t index) const {
    Texts texts;
    if (index >= ids_.size())
        return texts;
    const int columns = fields_[index] & ~kMemoBit;
    const bool memo = (fields_[index] & kMemoBit) != 0;
    const std::size_t s =
        static_cast<std::size_t>(std::upper_bound(arenaStart_.begin(), arenaStart_.end(), index) -
                                 arenaStart_.begin()) -
        1;
    const std::string& arena = arenas_[s];
    std::size_t at = index == arenaStart_[s] ? 0 : offsets_[index - 1];
    for (int i = 0; i < columns + (memo ? 1 : 0); ++i) {
        std::uint32_t size = 0;
        std::memcpy(&size, arena.data() + at, sizeof size);
        at += sizeof size;
        texts[static_cast<std::size_t>(i < columns ? i : kMaxColumns)] =
            std::string_view(arena.data() + at, size);
        at += size;
    }
    return texts;
}

std::vector<std::int32_t> FilledRecords::places() const {
    std::vector<std::int32_t> rows = rows_;
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace rowbit
