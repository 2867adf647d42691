#pragma once
// The zip container of an XML workbook: reading parts (bounded, streamed for the big ones)
// and writing a new package in which unchanged parts are copied as they are, still
// compressed.

#include "app/atomic_file.h"
#include "app/result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace rowbit::xlsx {

// Bounds against zip bombs and absurd declared sizes.
struct PackageLimits {
    std::uint64_t smallPart = 256ull << 20; // parts read whole (workbook, styles, rels)
    std::uint64_t bigPart = 6ull << 30;     // streamed parts (sheets, shared strings)
    std::uint64_t ratio = 500;              // real parts inflate 5 to 50 times; a bomb far more
    std::size_t entries = 100000;
};

class Package {
public:
    struct Entry {
        std::string name; // zip name, no leading slash
        std::uint64_t size = 0;
        std::uint64_t compressedSize = 0;
        std::int64_t zipIndex = -1; // in the source zip; -1 for a part held in memory
        std::string bytes;          // the part held in memory (new workbooks)
        bool directory = false;
        bool deflated = false; // plainly deflated, not encrypted: inflated here, not by libzip
        std::uint32_t crc = 0;
    };

    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    static Result<std::unique_ptr<Package>> open(const std::string& path);
    // A zip held in memory (the fuzzer's way in); the bytes are kept.
    static Result<std::unique_ptr<Package>> openMemory(std::string bytes);
    // A package made of parts in memory, in this order (the template of a new workbook).
    static std::unique_ptr<Package>
    fromParts(std::vector<std::pair<std::string, std::string>> parts);

    const std::vector<Entry>& entries() const { return entries_; }
    // Index of a part by its name (without the leading slash, compared without case), or -1.
    int find(std::string_view name) const;

    Result<std::string> read(int index) const;
    using Sink = std::function<Result<void>(const char* data, std::size_t size)>;
    // Feeds the inflated part to `sink` in chunks, inflating ahead on a second thread; a last
    // call with size 0 marks the end.
    Result<void> stream(int index, const Sink& sink) const;

    // Reads one part from its start, on the caller's thread (for patching a part while
    // writing).
    class PartReader {
    public:
        virtual ~PartReader() = default;
        virtual Result<std::size_t> read(char* buffer, std::size_t size) = 0;
    };
    Result<std::unique_ptr<PartReader>> openPart(int index) const;

    // One part of a package being written.
    struct OutPart {
        std::string name;
        int copyOf = -1;   // index of an entry copied as it is
        std::string bytes; // or these bytes
        using Producer = std::function<Result<std::size_t>(char* buffer, std::size_t size)>;
        Producer producer;  // or a stream of bytes (0 = the end)
        bool fast = false;  // compress for speed (big generated parts), in pieces
        bool ahead = false; // a fast part's producer may run on other threads (it touches no zip)
    };
    // Writes a zip holding `parts`, in that order, to `path` atomically, or into `file`.
    // `expected` is what the file at `path` must still be (saveGuarded).
    Result<SavedFile> write(const std::string& path, std::vector<OutPart>& parts,
                            const SaveExpectation& expected = {});
    Result<void> write(OutputFile& file, std::vector<OutPart>& parts) const;

    const PackageLimits& limits() const { return limits_; }
    const std::string& where() const { return where_; }

private:
    Package() = default;
    Result<void> index();
    Result<void> checkSize(const Entry& e, std::uint64_t limit) const;

    // Unchanged parts are copied from the file the package was opened from, which stays open.
    // When a save wrote the new content into that very file (it has several names), they are
    // read from a copy of its old content instead; `lostSource_` when that copy could not be
    // opened, and no later save may copy from the changed file.
    void readFrom(const std::string& copy);
    bool lostSource_ = false;

    zip* zip_ = nullptr;
    std::string memory_; // the bytes behind an in-memory zip
    std::vector<Entry> entries_;
    std::unordered_map<std::string, int> byName_; // lower-case name -> index
    PackageLimits limits_;
    std::string where_;
};

std::string lowerAscii(std::string_view s);

} // namespace rowbit::xlsx
