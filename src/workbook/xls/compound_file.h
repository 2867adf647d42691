#pragma once
// The compound file container around a binary workbook, read and written through libgsf.
// Everything but the workbook stream is kept as a tree of bytes and written back unchanged.

#include "app/atomic_file.h"
#include "app/result.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rowbit::xls {

struct CompoundEntry {
    std::string name;
    bool storage = false;
    std::vector<uint8_t> data;           // a stream's bytes
    std::vector<CompoundEntry> children; // a storage's entries, in directory order
    std::array<uint8_t, 16> classId{};
};

struct CompoundFile {
    CompoundEntry root;            // the root storage; its children hold every other stream
    std::string workbookName;      // "Workbook" (or "Book" for older workbooks)
    std::vector<uint8_t> workbook; // the workbook stream, not in the tree
};

// Bounds: a compound file whose streams add up to more than this is refused.
constexpr std::size_t kMaxCompoundBytes = std::size_t{1} << 30;

Result<CompoundFile> readCompoundFile(const uint8_t* data, std::size_t size,
                                      const std::string& where);
// Writes `file` to `path` atomically with `workbook` as the workbook stream, placed first.
// `expected` is what the file at `path` must still be (saveGuarded).
Result<SavedFile> writeCompoundFile(const CompoundFile& file, const std::vector<uint8_t>& workbook,
                                    const std::string& path, const SaveExpectation& expected = {});

} // namespace rowbit::xls
