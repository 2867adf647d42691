#include "app/packed_texts.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace rowbit {

namespace packed {
namespace {

constexpr unsigned char kWide = 1;

std::size_t lengthBytes(unsigned char flags) {
    return (flags & kWide) != 0 ? sizeof(std::uint32_t) : 1;
}

std::size_t lengthAt(const char* block, unsigned char flags, int k) {
    if ((flags & kWide) == 0)
        return static_cast<unsigned char>(block[1 + k]);
    std::uint32_t length = 0;
    std::memcpy(&length, block + 1 + k * sizeof length, sizeof length);
    return length;
}

} // namespace

std::size_t blockSize(const std::string_view* texts, int n) {
    std::size_t bytes = 0;
    bool wide = false;
    for (int k = 0; k < n; ++k) {
        bytes += texts[k].size();
        wide = wide || texts[k].size() > 255;
    }
    return 1 + static_cast<std::size_t>(n) * (wide ? sizeof(std::uint32_t) : 1) + bytes;
}

std::size_t blockSize(const char* block, int n) {
    if (!block)
        return 0;
    const auto flags = static_cast<unsigned char>(block[0]);
    std::size_t bytes = 1 + static_cast<std::size_t>(n) * lengthBytes(flags);
    for (int k = 0; k < n; ++k)
        bytes += lengthAt(block, flags, k);
    return bytes;
}

void write(char* to, const std::string_view* texts, int n) {
    const bool wide =
        std::any_of(texts, texts + n, [](std::string_view t) { return t.size() > 255; });
    to[0] = static_cast<char>(wide ? kWide : 0);
    char* at = to + 1;
    for (int k = 0; k < n; ++k) {
        if (wide) {
            const auto length = static_cast<std::uint32_t>(texts[k].size());
            std::memcpy(at, &length, sizeof length);
            at += sizeof length;
        } else {
            *at++ = static_cast<char>(static_cast<unsigned char>(texts[k].size()));
        }
    }
    for (int k = 0; k < n; ++k) {
        if (!texts[k].empty())
            std::memcpy(at, texts[k].data(), texts[k].size());
        at += texts[k].size();
    }
}

std::string_view text(const char* block, int n, int k) {
    if (!block)
        return {};
    const auto flags = static_cast<unsigned char>(block[0]);
    const char* at = block + 1 + static_cast<std::size_t>(n) * lengthBytes(flags);
    for (int i = 0; i < k; ++i)
        at += lengthAt(block, flags, i);
    return {at, lengthAt(block, flags, k)};
}

} // namespace packed

char* TextArena::allocate(std::size_t bytes) {
    bytes += bytes & 1;
    if (bytes > room_) {
        // A new chunk rather than a bigger one: the blocks handed out never move.
        const std::size_t size = std::max(kChunkBytes, bytes);
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        next_ = chunks_.back().get();
        room_ = size;
    }
    char* block = next_;
    next_ += bytes;
    room_ -= bytes;
    return block;
}

const char* TextArena::pack(const std::string_view* texts, int n) {
    char* block = allocate(packed::blockSize(texts, n));
    packed::write(block, texts, n);
    return block;
}

const char* TextArena::copy(const char* block, int n) {
    if (!block)
        return nullptr;
    const std::size_t size = packed::blockSize(block, n);
    char* to = allocate(size);
    std::memcpy(to, block, size);
    return to;
}

} // namespace rowbit
