#include "app/file_identity.h"

#include <sys/stat.h>

namespace rowbit {

namespace {

FileIdentity fromStat(const struct stat& st) {
    FileIdentity id;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::int64_t>(st.st_size);
    id.mtimeSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    id.mtimeNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return id;
}

} // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return fromStat(st);
}

std::optional<FileIdentity> identityOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return fromStat(st);
}

} // namespace rowbit
