#pragma once
// Search (narrowing the list to the records that contain a text, into the search results)
// and sort (ordering the records by a list column).

#include "app/prompts.h"
#include "document/browse_state.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit {

inline constexpr const char* kNotFoundSuffix = " 를 포함한 데이터가 없습니다 ";
inline constexpr const char* kFoundSuffix = " Records Found";

// The number form of a numeric search text ("1000" -> "1,000", "1234.5" ->
// "1,234.5"); empty for any other text.
std::string searchNumberForm(std::string_view text);

// The positions (1-based, in list order) of the records one of whose shown fields contains
// `text` (trailing blanks dropped) or `number` (the number form). The memo is not searched.
std::vector<std::size_t> findRecords(const RecordList& records, std::string_view text,
                                     std::string_view number);

enum class SearchStatus {
    Nothing,  // blank search text: nothing happened
    Found,    // results shown, browse.search holds "N Records Found"
    NotFound, // the user was told; browse.search is empty, the full list stays
};

// The search of the search field's `text`: fills the search results and shows them, or
// tells the user.
SearchStatus runSearch(const RecordList& records, BrowseState& browse, Prompts& prompts,
                       std::string_view text);

// The Back command: closes the results. Returns the position of the record behind `selectedLine`
// (1-based line of the results, 0 = none) to select in the full list; 0 when there is none.
std::size_t closeResults(const RecordList& records, BrowseState& browse, std::size_t selectedLine);

// Sorts the records ascending by list column `column` (1-based; the memo column after the
// data columns leaves the order as it is). Equal keys keep their order. The caller marks the
// workbook modified.
void sortList(RecordList& records, const ColumnSetup& columns, int column);

} // namespace rowbit
