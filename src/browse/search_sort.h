#pragma once
// Search (narrowing the list to the records that contain a text, into Q2) and sort (ordering
// Q1 by a list column).

#include "app/app_state.h"
#include "app/prompts.h"
#include "document/browse_state.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit {

inline constexpr const char* kNotFoundSuffix = " 를 포함한 데이터가 없습니다 ";
inline constexpr const char* kFoundSuffix = " Records Found";

// NSEARCH: the number form of a numeric search text ("1000" -> "1,000", "1234.5" ->
// "1,234.5"); empty for any other text.
std::string searchNumberForm(std::string_view text);

// The Q1 positions (1-based, in list order) of the records one of whose shown fields contains
// `text` (trailing blanks dropped) or `number` (the number form). The memo is not searched.
std::vector<std::size_t> findRecords(const RecordList& records, std::string_view text,
                                     std::string_view number);

enum class SearchStatus {
    Nothing,  // blank search text: nothing happened
    Found,    // results shown: shownList 2, browse.search holds "N Records Found"
    NotFound, // the user was told; browse.search is empty, the full list stays
};

// The search of the search field's `text`: fills Q2 and switches to it, or tells the user.
SearchStatus runSearch(const AppState& state, BrowseState& browse, Prompts& prompts,
                       std::string_view text);

// Back: closes the results. Returns the Q1 position of the record behind `selectedLine`
// (1-based line of Q2, 0 = none) to select in the full list; 0 when there is none.
std::size_t closeResults(const AppState& state, BrowseState& browse, std::size_t selectedLine);

// Sort_List: sorts Q1 ascending by list column `column` (1-based; the memo column after the
// data columns leaves the order as it is). Equal keys keep their order. The caller marks
// CHANGED.
void sortList(AppState& state, int column);

} // namespace rowbit
