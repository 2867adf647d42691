#pragma once
// The compact in-memory model of XML workbook cells. A million-row sheet must fit in less
// memory than its XML, so a cell is 16 bytes, texts live in segmented arenas, and anything a
// cell carries beyond its value (a formula, unusual attributes, rich inline text) sits in a
// side table.

#include "app/result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rowbit::xlsx {

// Append-only text storage addressed by 32-bit offsets; a text never crosses a segment, so
// growing never moves what is stored.
class TextArena {
public:
    static constexpr unsigned segmentBits = 24;
    static constexpr std::uint32_t segmentSize = 1u << segmentBits;

    // False when the arena is full (4 GB) or the text is longer than a segment.
    bool add(std::string_view text, std::uint32_t& offset);
    // Everything stored, as one block, when it all sits in one segment (or nothing is
    // stored); false otherwise. A block added to another arena keeps its texts' offsets
    // relative to where it went.
    bool single(std::string_view& block) const {
        if (segments_.size() > 1)
            return false;
        block =
            segments_.empty() ? std::string_view() : std::string_view(segments_[0].get(), used_);
        return true;
    }
    // Forgets every text, keeping the first segment's room for those added next.
    void clear() {
        if (segments_.size() > 1)
            segments_.resize(1);
        used_ = segments_.empty() ? segmentSize : 0;
    }
    std::string_view get(std::uint32_t offset, std::uint32_t length) const {
        if (length == 0)
            return {};
        return {segments_[offset >> segmentBits].get() + (offset & (segmentSize - 1)), length};
    }

private:
    struct FreeSegment {
        void operator()(char* segment) const;
    };
    // The room for a segment; `big`: the arena already fills one, so it is a big sheet's.
    static char* newSegment(bool big);

    std::vector<std::unique_ptr<char[], FreeSegment>> segments_;
    std::uint32_t used_ = segmentSize;
};

enum class Kind : std::uint8_t { Blank, Number, Shared, Inline, Bool, Error };

enum CellFlag : std::uint8_t {
    FormulaFlag = 1, // the cell holds a formula (its text is in the side table)
    ExtraFlag = 2,   // the side table holds more of this cell
    IsoDateFlag = 4, // stored as an ISO 8601 date (t="d")
};

struct Cell {
    std::uint16_t col = 0;
    Kind kind = Kind::Blank;
    std::uint8_t flags = 0;
    std::uint32_t style = 0;
    struct Ref {
        std::uint32_t a; // shared string index, arena offset, boolean
        std::uint32_t b; // arena length
    };
    union {
        double number;
        Ref ref;
    };
    Cell() : number(0) {}
};
static_assert(sizeof(Cell) == 16);

// What a cell carries beyond its value, as it was written.
struct CellExtra {
    std::string attrs; // attributes of <c> other than r, s and t (raw)
    bool hasFormula = false;
    std::string formulaAttrs; // attributes of <f> (raw)
    std::string formula;      // formula text (decoded)
    std::string richInline;   // a rich <is> element (raw)
    std::string isoValue;     // the value of a t="d" cell as stored
    std::string children;     // other child elements (raw), such as extLst
};

struct Row {
    int r = 0;               // zero-based
    std::uint32_t attrs = 0; // index of the row's extra attributes (0 = none)
    std::vector<Cell> cells; // sorted by column
};

inline std::uint64_t cellKey(int row, int col) {
    return (static_cast<std::uint64_t>(row) << 14) | static_cast<std::uint64_t>(col);
}

// The shared string table: the texts as read, and those added since.
class SharedStrings {
public:
    std::size_t size() const { return items_.size(); }
    std::string_view get(std::uint32_t index) const {
        const auto& item = items_[index];
        return arena_.get(item.first, item.second);
    }
    bool append(std::string_view text); // false when full
    // The index of `text`, appended when it is new; false when the table is full.
    bool indexOf(std::string_view text, std::uint32_t& index);
    std::size_t loadedCount() const { return loaded_; }
    void markLoaded() { loaded_ = items_.size(); }

private:
    TextArena arena_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> items_;
    std::unordered_map<std::string_view, std::uint32_t> lookup_;
    std::size_t indexed_ = 0;
    std::size_t loaded_ = 0;
};

} // namespace rowbit::xlsx
