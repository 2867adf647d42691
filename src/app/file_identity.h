#pragma once
// A file as it stood on the disk at one moment: which file it was (device and inode) and how
// it looked (size and modification time). A save replaces the file the workbook was read
// from only while the file at that path still has the identity taken when it was read.

#include <cstdint>
#include <optional>
#include <string>

namespace rowbit {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names now (through symbolic links); nullopt when there is
// no such file or it cannot be examined.
std::optional<FileIdentity> identityOf(const std::string& path);
// The identity of an open file.
std::optional<FileIdentity> identityOf(int fd);

} // namespace rowbit
