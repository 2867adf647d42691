#pragma once
// What the list view keeps besides the records (the recent files, the search results), and
// the texts the last fill produced, by which saving tells edited fields from untouched ones.

#include "app/records.h"
#include "app/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit {

inline constexpr int kRecentFiles = 10;
inline constexpr std::size_t kResultMemoBytes = 100;

// One line of the search results: the record's texts (memo cut to 100 bytes) and the record
// it stands for, by identity so that sorting and deleting never break it.
struct ResultLine {
    std::array<std::string, kMaxColumns> col;
    std::string memo;
    RecordId pointer = 0;
};

// The records as the last fill (or save) left them in the sheet: per record identity, the
// sheet row it sits in and the texts it had then. The texts are not copied: they are the
// blocks the records pointed to then, which never change (a record that changes a field
// packs its texts into a new block). Only a record with texts of its own is copied here.
class FilledRecords {
public:
    void clear();
    // Keeps these arenas as long as texts in them are held here.
    void keep(const std::vector<SharedArena>& arenas);
    void keep(SharedArena arena);
    void reserve(std::size_t records);
    // Records are added in ascending identity (the order the fill appends them). A record's
    // texts in an arena are taken as they are: the arena must be one kept here.
    void add(RecordId id, std::int32_t row, const Record& record, int columns, bool memo);
    // Appends records filled apart (on another thread), whose identities count from 0: they
    // are renumbered from `firstId` on, above every identity held.
    void append(FilledRecords&& part, RecordId firstId);
    std::size_t size() const { return ids_.size(); }

    // Index of the record with this identity, nullopt when it was not filled (inserted later).
    std::optional<std::size_t> find(RecordId id) const;
    std::int32_t row(std::size_t index) const { return rows_[index]; }
    // Whether field k (0-based; kMaxColumns for the memo) still holds the filled text.
    bool unchanged(std::size_t index, int field, std::string_view text) const;
    // Whether field k (0-based; kMaxColumns for the memo) was filled at all.
    bool hasField(std::size_t index, int field) const {
        const std::uint8_t f = fields_[index];
        return field == kMaxColumns ? (f & kMemoBit) != 0 : field < (f & ~kMemoBit);
    }
    // Whether the record still holds the very texts filled (it changed none of them since);
    // false says nothing: compare the texts.
    bool sameTexts(std::size_t index, const Record& record) const;
    // Every filled text of a record at once (the memo at kMaxColumns), for a caller that
    // looks at all of them; nullopt for a field not filled.
    using Texts = std::array<std::optional<std::string_view>, kMaxColumns + 1>;
    Texts texts(std::size_t index) const;
    // The sheet rows of all filled records, ascending: the records' places.
    std::vector<std::int32_t> places() const;

    // The setup the texts were produced with: a field whose column changed since is new.
    std::array<int, kMaxColumns> sheetColumn{};
    int memoColumn = 0;

private:
    std::vector<RecordId> ids_;
    std::vector<std::int32_t> rows_;
    std::vector<const char*> columns_; // per record: its column block
    std::vector<const char*> memos_;   // its memo block; empty while every one is null
    static constexpr int kMemoBit = 0x80;
    std::vector<std::uint8_t> fields_; // shown columns filled, and whether the memo was
    std::vector<SharedArena> arenas_;
    std::shared_ptr<TextArena> own_; // copies of texts no arena held
    const char* memoBlock(std::size_t index) const {
        return index < memos_.size() ? memos_[index] : nullptr;
    }
};

// Which list the window shows: every record, or the results of the last search.
enum class ShownList {
    Records,
    SearchResults,
};

// What the list view shows besides the records themselves: which list, the search results
// and the search text, and the recent files.
struct BrowseState {
    std::array<std::string, kRecentFiles> recent; // recent files, newest first

    ShownList shownList = ShownList::Records;
    std::vector<ResultLine> searchResults;
    std::string search;       // the search field's text
    std::string searchNumber; // the number form of a numeric search text
};

} // namespace rowbit
