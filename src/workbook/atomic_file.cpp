#include "workbook/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rowbit {

namespace {

std::atomic<int> injectedError{0};

Error ioError(const std::string& what, const std::string& path, int err) {
    return makeError(ErrorCode::Io, what + ": " + std::strerror(err), path);
}

std::string tempPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".rowbit-";
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// Removes ".NAME.rowbit-PID-…" files of processes that are gone; a running save keeps its own.
void removeLeftovers(const std::filesystem::path& target) {
    const std::string prefix = tempPrefix(target);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folderOf(target), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::size_t at = prefix.size();
        long pid = 0;
        while (at < name.size() && name[at] >= '0' && name[at] <= '9' && pid < 1'000'000'000)
            pid = pid * 10 + (name[at++] - '0');
        if (at == prefix.size() || at >= name.size() || name[at] != '-' || pid <= 0)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue; // still running (or not ours to judge)
        std::filesystem::remove(entry.path(), ec);
    }
}

std::string tempPathBeside(const std::filesystem::path& target) {
    static std::mt19937_64 rng{std::random_device{}()};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%ld-%016llx.tmp", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(rng()));
    return (folderOf(target) / (tempPrefix(target) + suffix)).string();
}

// fsync a folder by path (best effort).
void syncFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void failWritesForTesting(int error) {
    injectedError = error;
}

Result<void> OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        if (const int injected = injectedError.load())
            return ioError("cannot write the file", path_, injected);
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioError("cannot write the file", path_, errno);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    end_ = std::max(end_, offset);
    return {};
}

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
    // A file the user may not write keeps its content, though its folder would allow a rename.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        return ioError("cannot write the file", target, errno);
    removeLeftovers(targetPath);
    const std::string temp = tempPathBeside(targetPath);

    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return ioError("cannot create the file", target, errno);
    auto fail = [&](Error error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Result<void>(std::move(error));
    };
    OutputFile file(fd, temp);
    if (auto written = write(file); !written)
        return fail(written.error());
    // Keep the permissions of the file being replaced; a new file gets the umask's default.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        ::fchmod(fd, st.st_mode & 07777);
    if (const int injected = injectedError.load())
        return fail(ioError("cannot flush the saved file", temp, injected));
    if (::fsync(fd) != 0)
        return fail(ioError("cannot flush the saved file", temp, errno));
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return ioError("cannot finish the saved file", temp, err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return ioError("cannot replace the file", target, err);
    }
    syncFolder(folderOf(targetPath).string()); // the rename itself already happened
    return {};
}

} // namespace rowbit
