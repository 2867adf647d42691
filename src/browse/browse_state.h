#pragma once
// What the browse window keeps besides the shared records: the command line, the record
// counts of the last fill and save, the recent files, the search results (Q2) and the texts
// the last fill produced, by which saving tells edited fields from untouched ones.

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
// sheet row it sits in and the texts it had then. Kept compactly: a million-row sheet costs
// its texts once more, not a second row list.
class FilledRecords {
public:
    void clear();
    // Records are added in ascending identity (the order the fill appends them).
    void add(RecordId id, std::int32_t row, const Record& record, int columns, bool memo);
    // Appends records filled apart (on another thread), whose identities count from 0: they
    // are renumbered from `firstId` on, above every identity held. Their texts are taken over,
    // not copied.
    void append(FilledRecords&& part, RecordId firstId);
    std::size_t size() const { return ids_.size(); }

    // Index of the record with this identity, nullopt when it was not filled (inserted later).
    std::optional<std::size_t> find(RecordId id) const;
    std::int32_t row(std::size_t index) const { return rows_[index]; }
    // Whether field k (0-based; kMaxColumns for the memo) still holds the filled text.
    bool unchanged(std::size_t index, int field, const std::string& text) const;
    // Every filled text of a record at once (the memo at kMaxColumns), for a caller that
    // looks at all of them; nullopt for a field not filled.
    using Texts = std::array<std::optional<std::string_view>, kMaxColumns + 1>;
    Texts texts(std::size_t index) const;
    // The sheet rows of all filled records, ascending: the records' places.
    std::vector<std::int32_t> places() const;

    // The setup the texts were produced with: a field whose column changed since is new.
    std::array<int, kMaxColumns> cno{};
    int mno = 0;

private:
    std::vector<RecordId> ids_;
    std::vector<std::int32_t> rows_;
    // Per record: fields as 4-byte length + bytes, in arenas of a few megabytes (and the
    // arenas of parts appended), so that neither growing nor joining the parts of a fill
    // copies the texts again; arenas_[s] holds the records from arenaStart_[s] on.
    std::vector<std::string> arenas_ = std::vector<std::string>(1);
    std::vector<std::size_t> arenaStart_ = std::vector<std::size_t>(1, 0);
    std::vector<std::uint64_t> offsets_; // into the record's arena, one past the end per record
    std::vector<std::uint8_t> fields_;   // number of fields stored per record
};

struct BrowseState {
    std::string commandStr; // COMMANDSTR: the command-line tail
    int sqcnt = 0;          // SQCNT: records right after the last fill
    int eqcnt = 0;          // EQCNT: records at the last save

    std::array<std::string, kRecentFiles> recent; // FILE: recent files, newest first

    // The list shown: 1 = Q1, 2 = the search results.
    int whatQue = 1;
    std::vector<ResultLine> q2; // Q2
    std::string search;         // LOC:SEARCH: the search field's text
    std::string nsearch;        // NSEARCH: the number form of a numeric search text

    bool load = true;               // LOAD: the last fill read a workbook that came from a file
    std::optional<Error> loadError; // why the last load found no workbook (missing, unreadable)
    std::string overflow;           // OVERFLOW: overlong text cells of the last fill

    FilledRecords filled; // what the last fill (or save) left in the sheet
};

} // namespace rowbit
