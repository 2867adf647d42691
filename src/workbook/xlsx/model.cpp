#include "workbook/xlsx/model.h"

#include "workbook/huge_pages.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace rowbit::xlsx {

void TextArena::FreeSegment::operator()(char* segment) const {
    std::free(segment);
}

char* TextArena::newSegment(bool big) {
    void* room = std::malloc(segmentSize);
    if (!room)
        throw std::bad_alloc();
    if (big) // the arena already fills a segment: a big sheet's texts
        adviseHugePages(room, segmentSize);
    return static_cast<char*>(room);
}

bool TextArena::add(std::string_view text, std::uint32_t& offset) {
    if (text.size() > segmentSize)
        return false;
    if (text.empty()) {
        offset = 0; // an empty text needs no storage, and may come before any segment
        return true;
    }
    if (segmentSize - used_ < text.size()) {
        if (segments_.size() >= (std::size_t{1} << (32 - segmentBits)))
            return false;
        segments_.emplace_back(newSegment(!segments_.empty()));
        used_ = 0;
    }
    offset = static_cast<std::uint32_t>(((segments_.size() - 1) << segmentBits) | used_);
    if (!text.empty())
        std::memcpy(segments_.back().get() + used_, text.data(), text.size());
    used_ += static_cast<std::uint32_t>(text.size());
    return true;
}

bool SharedStrings::append(std::string_view text) {
    std::uint32_t offset = 0;
    if (items_.size() >= 0xFFFFFFF0u || !arena_.add(text, offset))
        return false;
    items_.emplace_back(offset, static_cast<std::uint32_t>(text.size()));
    return true;
}

bool SharedStrings::indexOf(std::string_view text, std::uint32_t& index) {
    // The lookup is built only once somebody writes: reading never pays for it.
    for (; indexed_ < items_.size(); ++indexed_)
        lookup_.emplace(get(static_cast<std::uint32_t>(indexed_)),
                        static_cast<std::uint32_t>(indexed_));
    if (const auto it = lookup_.find(text); it != lookup_.end()) {
        index = it->second;
        return true;
    }
    if (!append(text))
        return false;
    index = static_cast<std::uint32_t>(items_.size() - 1);
    lookup_.emplace(get(index), index);
    indexed_ = items_.size();
    return true;
}

} // namespace rowbit::xlsx
