#pragma once
// Lookup lists: ready-made values of a column, kept in the settings sheet's column of the same
// letter from row 31 down to the first empty cell, narrowed by a search text.

#include "app/list_format.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit {
class Sheet;
}

namespace rowbit::form {

inline constexpr int kLookupFirstRow = 30; // zero-based: sheet row 31
inline constexpr std::size_t kLookupBytes = 30;

inline constexpr const char* kLookupCaption = "Select LookUp";
inline constexpr const char* kSelectText = "Select";
inline constexpr const char* kCloseText = "Close";

// The lookup window's one column: the entries, cut to 30 characters.
inline browse::ListColumn lookupColumn() {
    return browse::ruledColumn(99, Justification::Left, "s30", 1);
}

// The entries of sheet column `col` (zero-based) of the settings sheet, each cut to its first
// 30 bytes; a cell without text ends the list. No sheet: no entries.
std::vector<std::string> lookupEntries(const Sheet* settings, int col);

struct LookupOffer {
    std::optional<std::string> single; // exactly one entry held the search text: taken at once
    std::vector<std::string> entries;  // otherwise the window offers these
    friend bool operator==(const LookupOffer&, const LookupOffer&) = default;
};

// The entries that contain `seek` (trailing blanks dropped; exact and case-sensitive; an empty
// text is contained in none). One match is taken; none offers the whole list.
LookupOffer offerLookup(const std::vector<std::string>& entries, std::string_view seek);

} // namespace rowbit::form
