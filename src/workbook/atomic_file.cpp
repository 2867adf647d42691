#include "workbook/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace rowbit {

namespace {

Error ioError(const std::string& what, const std::string& path, int err) {
    return makeError(ErrorCode::Io, what + ": " + std::strerror(err), path);
}

std::string tempPathBeside(const std::filesystem::path& target) {
    static std::mt19937_64 rng{std::random_device{}()};
    const auto dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(rng()));
    return (dir / ("." + target.filename().string() + ".rowbit-" + suffix + ".tmp")).string();
}

// fsync a file or folder by path; folders need O_RDONLY|O_DIRECTORY.
bool syncPath(const std::string& path, bool directory) {
    const int fd = ::open(path.c_str(), directory ? (O_RDONLY | O_DIRECTORY) : O_RDWR);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

Result<void> saveAtomically(const std::string& requested, const FileWriter& write) {
    // Saving through a symbolic link replaces the file it points at, not the link.
    std::error_code ec;
    std::filesystem::path targetPath(requested);
    if (std::filesystem::is_symlink(targetPath, ec)) {
        const auto resolved = std::filesystem::canonical(targetPath, ec);
        if (!ec)
            targetPath = resolved;
    }
    const std::string target = targetPath.string();
    const std::string temp = tempPathBeside(targetPath);

    auto written = write(temp);
    if (!written) {
        ::unlink(temp.c_str());
        return written;
    }
    // Keep the permissions of the file being replaced; a new file gets the umask's default.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        ::chmod(temp.c_str(), st.st_mode & 07777);

    if (!syncPath(temp, false)) {
        const int err = errno;
        ::unlink(temp.c_str());
        return ioError("cannot flush the saved file", temp, err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return ioError("cannot replace the file", target, err);
    }
    const auto dir = targetPath.has_parent_path() ? targetPath.parent_path().string() : ".";
    syncPath(dir, true); // best effort: the rename itself already happened
    return {};
}

} // namespace rowbit
