#include "browse/search_sort.h"

#include "app/cp949_text.h"
#include "app/picture.h"
#include "document/row_list.h"

#include <algorithm>
#include <functional>

namespace rowbit {

namespace {
constexpr std::size_t kSearchBytes = 30; // what the search field holds
} // namespace

std::string searchNumberForm(std::string_view text) {
    if (!picture::isNumeric(text))
        return {};
    std::string pict = "@N-25B";
    const auto point = text.find('.');
    if (point != std::string_view::npos) {
        // The places typed after the period: "1234.50" keeps two.
        const std::size_t length = cp949::trimRight(text).size();
        pict = "@n-25." + std::to_string(length - (point + 1));
    }
    return std::string(cp949::trim(picture::formatNumber(picture::readNumber(text), pict)));
}

std::vector<std::size_t> findRecords(const RecordList& records, std::string_view text,
                                     std::string_view number) {
    const std::string_view pattern = cp949::trimRight(text);
    const std::string_view numberPattern = cp949::trimRight(number);
    // A searcher that skips ahead by the pattern's length: Hangul shares its lead bytes, which
    // makes a plain byte scan stop at nearly every character.
    using Searcher = std::boyer_moore_horspool_searcher<std::string_view::const_iterator>;
    const Searcher textSearcher(pattern.begin(), pattern.end());
    const Searcher numberSearcher(numberPattern.begin(), numberPattern.end());
    auto hits = [](std::string_view f, std::string_view p, const Searcher& searcher) {
        if (p.empty() || f.size() < p.size())
            return false;
        return std::search(f.begin(), f.end(), searcher) != f.end();
    };
    std::vector<std::size_t> found;
    const std::size_t count = records.count();
    for (std::size_t pos = 1; pos <= count; ++pos) {
        const Record& record = records.at(pos);
        for (std::string_view field : record.col) {
            if (hits(field, pattern, textSearcher) || hits(field, numberPattern, numberSearcher)) {
                found.push_back(pos);
                break;
            }
        }
    }
    return found;
}

SearchStatus runSearch(const RecordList& records, BrowseState& browse, Prompts& prompts,
                       std::string_view text) {
    browse.search = cp949::cut(text, kSearchBytes);
    if (cp949::trim(browse.search).empty())
        return SearchStatus::Nothing;
    browse.searchNumber = searchNumberForm(browse.search);

    browse.searchResults.clear();
    for (std::size_t pos : findRecords(records, browse.search, browse.searchNumber))
        addResultLine(records, browse, pos);

    if (!browse.searchResults.empty()) {
        browse.shownList = ShownList::SearchResults;
        // "N6" as the count's picture, widened so a count above 99,999 is never shown as
        // a run of "#".
        const double count = static_cast<double>(browse.searchResults.size());
        std::string shown = picture::formatNumber(count, "N6");
        if (shown.find('#') != std::string::npos)
            shown = picture::formatNumber(count, "N15");
        browse.search = std::string(cp949::trim(shown)) + kFoundSuffix;
        return SearchStatus::Found;
    }
    prompts.tell(std::string(cp949::trimRight(browse.search)) + kNotFoundSuffix);
    browse.search.clear();
    return SearchStatus::NotFound;
}

std::size_t closeResults(const RecordList& records, BrowseState& browse, std::size_t selectedLine) {
    const std::size_t pos = browse.shownList == ShownList::SearchResults
                                ? recordPosition(records, browse, selectedLine)
                                : std::size_t{0};
    browse.searchResults.clear();
    browse.shownList = ShownList::Records;
    browse.search.clear();
    return pos;
}

void sortList(RecordList& records, const ColumnSetup& columns, int column) {
    if (column < 1 || column > std::min(columns.columnCount, kMaxColumns))
        return; // the memo column, or none: the order stays
    const auto c = static_cast<std::size_t>(column - 1);
    if (columns.type[c] == FieldType::Number) {
        for (std::size_t pos = 1; pos <= records.count(); ++pos) {
            Record& record = records.at(pos);
            record.num = picture::readNumber(record.col[c]);
        }
        records.sortByKey([](const Record& r) { return r.num; },
                          [](double a, double b) { return a < b; });
    } else {
        // Byte-wise in UTF-8 with trailing blanks ignored: Hangul falls in dictionary order.
        records.sortByKey([c](const Record& r) { return cp949::trimRight(r.col[c]); },
                          [](std::string_view a, std::string_view b) { return a < b; });
    }
}

} // namespace rowbit
