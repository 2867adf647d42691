#include "workbook/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
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

namespace {

// Direct writes go in whole blocks of this size, from memory aligned to it.
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kStageBytes = std::size_t{4} << 20;

std::uint64_t blockFloor(std::uint64_t n) {
    return n / kBlock * kBlock;
}
std::uint64_t blockCeil(std::uint64_t n) {
    return (n + kBlock - 1) / kBlock * kBlock;
}

char* alignedBlocks(std::size_t size) {
    void* p = nullptr;
    return ::posix_memalign(&p, kBlock, size) == 0 ? static_cast<char*>(p) : nullptr;
}

} // namespace

OutputFile::OutputFile(int fd, std::string path, bool direct)
    : fd_(fd), path_(std::move(path)), direct_(direct) {}

OutputFile::~OutputFile() {
    std::free(stage_);
}

Result<void> OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (const int injected = injectedError.load())
        return ioError("cannot write the file", path_, injected);
    const auto* p = static_cast<const char*>(data);
    if (!stage_ && size > 0) {
        stage_ = alignedBlocks(kStageBytes);
        if (!stage_ && direct_) {
            // No room to gather: plain writes through the file cache.
            const int flags = ::fcntl(fd_, F_GETFL);
            if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_DIRECT) != 0)
                return ioError("cannot write the file", path_, errno);
            direct_ = false;
        }
    }
    auto written = stage_ ? put(offset, p, size) : writeOut(p, size, offset);
    if (written)
        end_ = std::max(end_, offset + size);
    return written;
}

// The stage holds the file's bytes from stageStart_ to its end; everything before went out.
Result<void> OutputFile::put(std::uint64_t offset, const char* data, std::size_t size) {
    while (size > 0) {
        std::size_t n = 0;
        if (offset < stageStart_) {
            n = static_cast<std::size_t>(std::min<std::uint64_t>(size, stageStart_ - offset));
            if (auto r = patchWritten(offset, data, n); !r)
                return r;
        } else if (offset - stageStart_ >= kStageBytes) {
            // Past the stage: what lies between was never written and reads as zeros.
            std::memset(stage_ + staged_, 0, kStageBytes - staged_);
            staged_ = kStageBytes;
        } else {
            const auto at = static_cast<std::size_t>(offset - stageStart_);
            if (at > staged_)
                std::memset(stage_ + staged_, 0, at - staged_);
            n = std::min(size, kStageBytes - at);
            std::memcpy(stage_ + at, data, n);
            staged_ = std::max(staged_, at + n);
        }
        if (staged_ == kStageBytes) {
            if (auto r = flushStage(false); !r)
                return r;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return {};
}

// A change to bytes already written: the blocks around it are read back, changed and
// written again (a header finished after its data).
Result<void> OutputFile::patchWritten(std::uint64_t offset, const char* data, std::size_t size) {
    if (!direct_)
        return writeOut(data, size, offset);
    const std::uint64_t first = blockFloor(offset);
    const std::uint64_t last = blockCeil(offset + size); // within what went out: whole blocks
    const auto span = static_cast<std::size_t>(last - first);
    const std::unique_ptr<char, decltype(&std::free)> blocks(alignedBlocks(span), &std::free);
    if (!blocks)
        return makeError(ErrorCode::Io, "cannot write the file: out of memory", path_);
    if (auto r = readIn(blocks.get(), span, first); !r)
        return r;
    std::memcpy(blocks.get() + (offset - first), data, size);
    return writeOut(blocks.get(), span, first);
}

// Writes the stage's whole blocks (all: every byte, the last block padded; the file is cut to
// its size by finish) and keeps the rest at its front.
Result<void> OutputFile::flushStage(bool all) {
    const auto out = static_cast<std::size_t>(all ? blockCeil(staged_) : blockFloor(staged_));
    if (out == 0)
        return {};
    if (out > staged_)
        std::memset(stage_ + staged_, 0, out - staged_);
    if (auto r = writeOut(stage_, out, stageStart_); !r)
        return r;
    if (all) {
        staged_ = 0;
        stageStart_ += out;
        return {};
    }
    std::memmove(stage_, stage_ + out, staged_ - out);
    staged_ -= out;
    stageStart_ += out;
    return {};
}

Result<void> OutputFile::writeOut(const char* p, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        if (const int injected = injectedError.load())
            return ioError("cannot write the file", path_, injected);
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EINVAL && direct_) {
                // The file system refuses writes around its cache after all: write through it.
                const int flags = ::fcntl(fd_, F_GETFL);
                if (flags >= 0 && ::fcntl(fd_, F_SETFL, flags & ~O_DIRECT) == 0) {
                    direct_ = false;
                    continue;
                }
            }
            return ioError("cannot write the file", path_, errno);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return {};
}

Result<void> OutputFile::readIn(char* p, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ioError("cannot write the file", path_, errno);
        if (n == 0) {
            std::memset(p, 0, size);
            break;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return {};
}

Result<void> OutputFile::finish() {
    if (const int injected = injectedError.load())
        return ioError("cannot write the file", path_, injected);
    if (!stage_)
        return {};
    if (auto r = flushStage(true); !r)
        return r;
    if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0)
        return ioError("cannot write the file", path_, errno);
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

    // Read and write: changing a few bytes already on the disk means reading their blocks.
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return ioError("cannot create the file", target, errno);
    const int flags = ::fcntl(fd, F_GETFL);
    const bool direct = flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
    auto fail = [&](Error error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Result<void>(std::move(error));
    };
    OutputFile file(fd, temp, direct);
    if (auto written = write(file); !written)
        return fail(written.error());
    if (auto finished = file.finish(); !finished)
        return fail(finished.error());
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
