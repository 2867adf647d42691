#include "form/lookup.h"

#include "app/cp949_text.h"
#include "workbook/book.h"

namespace rowbit::form {

std::vector<std::string> lookupEntries(const Sheet* settings, int col) {
    std::vector<std::string> entries;
    if (!settings || col < 0)
        return entries;
    const int last = settings->lastRow();
    for (int row = kLookupFirstRow; row <= last; ++row) {
        const std::string text = settings->readStr(row, col);
        if (text.empty())
            break;
        entries.push_back(cp949::cut(text, kLookupBytes));
    }
    return entries;
}

LookupOffer offerLookup(const std::vector<std::string>& entries, std::string_view seek) {
    const std::string_view wanted = cp949::trimRight(seek);
    LookupOffer offer;
    if (!wanted.empty()) {
        for (const std::string& entry : entries) {
            if (entry.find(wanted) != std::string::npos)
                offer.entries.push_back(entry);
        }
    }
    if (offer.entries.size() == 1) {
        offer.single = std::move(offer.entries.front());
        offer.entries.clear();
    } else if (offer.entries.empty()) {
        offer.entries = entries;
    }
    return offer;
}

} // namespace rowbit::form
