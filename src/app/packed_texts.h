#pragma once
// The texts of a record, packed into one block, and the arenas that hold the blocks of a whole
// fill: a million records cost their bytes and a few more each, not a string object a text.
//
// A block is a flags byte, one length per text (a byte each, or four each when a text is longer
// than 255 bytes) and then the texts' bytes one after the other. A block either sits in an
// arena, where it never changes and lives as long as the arena, or belongs to one holder alone
// (marked in the holder's pointer, so that letting go never reads the block). Changing a text packs
// the holder's texts anew into a block of its own: the arena block stays as it was, so whoever kept
// a pointer to it (the texts the last fill put in the sheet) still reads the old texts, and a
// holder still pointing at it is unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rowbit {

namespace packed {
// Bytes a block of these `n` texts takes.
std::size_t blockSize(const std::string_view* texts, int n);
// Bytes the block of `n` texts at `block` takes.
std::size_t blockSize(const char* block, int n);
// Writes the texts as a block at `to` (blockSize bytes).
void write(char* to, const std::string_view* texts, int n);
// Text k of the `n` texts of a block; a null block holds `n` empty texts.
std::string_view text(const char* block, int n, int k);
} // namespace packed

// Memory handed out in large chunks and given back all at once when the arena goes.
class TextArena {
public:
    TextArena() = default;
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // At an even address, as every block handed out is.
    char* allocate(std::size_t bytes);
    // Packs the texts into a block here and returns it.
    const char* pack(const std::string_view* texts, int n);
    // A copy here of the `n`-text block at `block`, or null for null.
    const char* copy(const char* block, int n);

private:
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* next_ = nullptr;
    std::size_t room_ = 0;
};

// Arenas are shared by the list whose records point into them and by whoever keeps pointers to
// their blocks; the last one to let go frees them.
using SharedArena = std::shared_ptr<const TextArena>;

// `N` texts in one block. A copy is always a block of its own, so that a copy outlives the
// arena of the original; a move takes the block along.
template <int N>
class PackedTexts {
public:
    PackedTexts() = default;
    PackedTexts(const PackedTexts& other) : tagged_(ownCopy(other.block())) {}
    PackedTexts(PackedTexts&& other) noexcept : tagged_(std::exchange(other.tagged_, 0)) {}
    PackedTexts& operator=(const PackedTexts& other) {
        if (this != &other)
            replace(ownCopy(other.block()));
        return *this;
    }
    PackedTexts& operator=(PackedTexts&& other) noexcept {
        if (this != &other)
            replace(std::exchange(other.tagged_, 0));
        return *this;
    }
    ~PackedTexts() { replace(0); }

    std::string_view get(std::size_t k) const {
        check(k);
        return packed::text(block(), N, static_cast<int>(k));
    }
    void set(std::size_t k, std::string_view text) {
        check(k);
        std::string_view texts[N];
        for (int i = 0; i < N; ++i)
            texts[i] = packed::text(block(), N, i);
        texts[k] = text;
        // The new block is written before the old one goes: `text` may lie in it.
        replace(ownBlock(texts));
    }
    void setAll(const std::string_view* texts) { replace(ownBlock(texts)); }
    // Points at a block in an arena, which the holder's owner keeps as long as this holds it.
    void adopt(const char* arenaBlock) { replace(reinterpret_cast<std::uintptr_t>(arenaBlock)); }
    // The block, for telling whether two holders still share the texts of one arena block.
    const char* block() const { return reinterpret_cast<const char*>(tagged_ & ~kOwned); }
    // Whether the block is this holder's alone (not in an arena).
    bool owned() const { return (tagged_ & kOwned) != 0; }

private:
    static constexpr std::uintptr_t kOwned = 1; // malloc'd and arena blocks are even
    std::uintptr_t tagged_ = 0;

    static void check(std::size_t k) {
        if (k >= static_cast<std::size_t>(N))
            std::abort(); // a caller's fault, in every build type
    }
    static std::uintptr_t ownBlock(const std::string_view* texts) {
        char* block = static_cast<char*>(std::malloc(packed::blockSize(texts, N)));
        if (!block)
            throw std::bad_alloc();
        packed::write(block, texts, N);
        return reinterpret_cast<std::uintptr_t>(block) | kOwned;
    }
    static std::uintptr_t ownCopy(const char* block) {
        if (!block)
            return 0;
        std::string_view texts[N];
        for (int i = 0; i < N; ++i)
            texts[i] = packed::text(block, N, i);
        return ownBlock(texts);
    }
    void replace(std::uintptr_t tagged) {
        if (owned())
            std::free(const_cast<char*>(block()));
        tagged_ = tagged;
    }
};

} // namespace rowbit
