#include "app/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <random>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// Removes ".NAME.rowbit-PID-….tmp" files of processes that are gone; a running save keeps its
// own. A ".orig" copy stays: a save of a file with several names that was killed while it
// wrote into the file left the file's old content there, and nothing else holds it.
void removeLeftovers(const std::filesystem::path& target) {
    const std::string prefix = tempPrefix(target);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folderOf(target), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || !name.ends_with(".tmp"))
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

namespace {

Error conflict(const std::string& what, const std::string& path) {
    return makeError(ErrorCode::Conflict, what, path);
}

// How long a save waits for another save of the same file to end before it gives up.
constexpr auto kLockWait = std::chrono::seconds(10);
constexpr auto kLockPoll = std::chrono::milliseconds(20);

// The lock a save holds on the file it replaces, for as long as it works.
//
// It is flock(2) on the workbook itself rather than a lock file beside it: a lock file outlives
// a killed process and shows up to the user and to other programs as a stray file, while a
// flock ends with the process that took it and is seen by nobody who does not ask for it.
// flock rather than an fcntl record lock: an fcntl lock is dropped as soon as the process
// closes any descriptor of the file (the zip reader's, for one), and on Linux the two kinds do
// not meet, so programs that lock the workbook with fcntl (office suites) are not disturbed.
// A save puts a new file under the name, so a lock on the old file says nothing once the name
// points elsewhere: after locking, the name must still point at the locked file, or the new
// file is locked instead.
class TargetLock {
public:
    TargetLock() = default;
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;
    ~TargetLock() {
        if (fd_ >= 0)
            ::close(fd_); // ends the lock
    }

    Result<void> take(const std::string& target) {
        const auto deadline = std::chrono::steady_clock::now() + kLockWait;
        for (;;) {
            int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 && errno == EACCES)
                fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC); // writable, not readable
            if (fd < 0)
                return errno == ENOENT ? Result<void>{}
                                       : ioError("cannot open the file", target, errno);
            bool locked = true;
            while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                if (errno == EINTR)
                    continue;
                if (errno != EWOULDBLOCK) {
                    locked = false; // a file system without locks: the identity check remains
                    break;
                }
                if (std::chrono::steady_clock::now() >= deadline) {
                    ::close(fd);
                    return conflict("another program is saving the file", target);
                }
                std::this_thread::sleep_for(kLockPoll);
            }
            struct stat held {};
            struct stat named {};
            if (!locked || (::fstat(fd, &held) == 0 && ::stat(target.c_str(), &named) == 0 &&
                            held.st_dev == named.st_dev && held.st_ino == named.st_ino)) {
                fd_ = fd;
                return {};
            }
            ::close(fd); // replaced while this save waited: the new file is the one to lock
        }
    }

    // The locked file; -1 when there was no file at the target.
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

Result<void> checkExpected(const SaveExpectation& expected, int heldFd, const std::string& target) {
    const std::optional<FileIdentity> current =
        heldFd >= 0 ? identityOf(heldFd) : std::optional<FileIdentity>{};
    switch (expected.kind) {
    case SaveExpectation::Kind::Anything:
        break;
    case SaveExpectation::Kind::Absent:
        if (current)
            return conflict("another program created the file since the workbook was named",
                            target);
        break;
    case SaveExpectation::Kind::Same:
        if (!current)
            return conflict("the file was removed or renamed since it was read", target);
        if (*current != expected.identity)
            return conflict("another program changed the file since it was read", target);
        break;
    }
    return {};
}

// Puts a new file under a name nobody has taken: no file that appeared meanwhile is replaced.
int renameNoReplace(const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
#endif
    if (::link(from, to) == 0) {
        ::unlink(from);
        return 0;
    }
    if (errno == EEXIST)
        return -1;
    return ::rename(from, to); // a file system without links: the plain rename
}

// Copies `size` bytes from the start of one file to the start of another and cuts the second
// to that size.
Result<void> copyContent(int from, int to, std::uint64_t size, const std::string& toPath) {
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t at = 0;
    while (at < size) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
        const ssize_t got = ::pread(from, buffer.data(), want, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return ioError("cannot read the file", toPath, got < 0 ? errno : EIO);
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = ::pwrite(to, buffer.data() + put, static_cast<std::size_t>(got - put),
                                       static_cast<off_t>(at) + put);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return ioError("cannot write the file", toPath, errno);
            put += n;
        }
        at += static_cast<std::uint64_t>(got);
    }
    if (::ftruncate(to, static_cast<off_t>(size)) != 0 || ::fsync(to) != 0)
        return ioError("cannot write the file", toPath, errno);
    return {};
}

// A file with several names keeps being one file: the new content (the finished temporary
// file) is written into it, after a copy of its old content was set aside. A failure puts the
// old content back; only when even that fails does the copy stay, and the error names it.
Result<FileIdentity> writeInPlace(const std::string& target, int newFd, std::uint64_t newSize,
                                  const OriginalCopy& original, const KeepReplaced& keep) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return ioError("cannot open the file", target, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return ioError("cannot open the file", target, err);
    }
    const auto oldSize = static_cast<std::uint64_t>(st.st_size);
    std::string aside = tempPathBeside(target);
    aside.replace(aside.size() - 4, 4, ".orig");
    const int asideFd = ::open(aside.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (asideFd < 0) {
        const int err = errno;
        ::close(fd);
        return ioError("cannot set a copy of the file aside", aside, err);
    }
    auto done = [&](Result<FileIdentity> result, bool dropAside) {
        ::close(asideFd);
        if (dropAside)
            ::unlink(aside.c_str());
        ::close(fd);
        return result;
    };
    if (auto copied = copyContent(fd, asideFd, oldSize, aside); !copied)
        return done(copied.error(), true);
    // The copy is a file of its own: kept, it stays what the file held.
    if (keep) {
        if (const auto replaced = identityOf(fd))
            keep(aside, *replaced);
    }
    if (auto written = copyContent(newFd, fd, newSize, target); !written) {
        if (copyContent(asideFd, fd, oldSize, target))
            return done(written.error(), true);
        Error error = written.error();
        error.message += "; the old content is kept in " + aside;
        return done(error, false);
    }
    if (original)
        original(aside);
    const std::optional<FileIdentity> saved = identityOf(fd);
    if (!saved)
        return done(ioError("cannot examine the saved file", target, errno), true);
    return done(*saved, true);
}

// Gives the new file the owner, group and permissions of the file it replaces, as far as the
// process may: a process that is not root may not give a file away, and may give it only a
// group it belongs to.
void keepOwnerAndMode(int fd, const struct stat& was, SavedFile& saved) {
    if (::fchown(fd, was.st_uid, was.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), was.st_gid); // the group alone may be allowed
    struct stat now {};
    if (::fstat(fd, &now) == 0) {
        saved.ownerBefore = was.st_uid;
        saved.groupBefore = was.st_gid;
        saved.ownerAfter = now.st_uid;
        saved.groupAfter = now.st_gid;
        saved.ownerKept = now.st_uid == was.st_uid && now.st_gid == was.st_gid;
    }
    // After the owner: giving a file away clears its set-user-ID and set-group-ID bits.
    ::fchmod(fd, was.st_mode & 07777);
}

} // namespace

Result<SavedFile> saveGuarded(const std::string& requested, const SaveExpectation& expected,
                              const FileWriter& write, const OriginalCopy& original) {
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

    TargetLock lock;
    if (auto taken = lock.take(target); !taken)
        return taken.error();
    if (auto checked = checkExpected(expected, lock.fd(), target); !checked)
        return checked.error();
    struct stat was {};
    const bool replacing = lock.fd() >= 0 && ::fstat(lock.fd(), &was) == 0;
    const bool inPlace = replacing && S_ISREG(was.st_mode) && was.st_nlink > 1;

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
        return Result<SavedFile>(std::move(error));
    };
    OutputFile file(fd, temp, direct);
    if (auto written = write(file); !written)
        return fail(written.error());
    if (auto finished = file.finish(); !finished)
        return fail(finished.error());
    SavedFile saved;
    // A new file gets the umask's permissions and this process's owner.
    if (replacing && !inPlace)
        keepOwnerAndMode(fd, was, saved);
    if (const int injected = injectedError.load())
        return fail(ioError("cannot flush the saved file", temp, injected));
    if (::fsync(fd) != 0)
        return fail(ioError("cannot flush the saved file", temp, errno));

    if (inPlace) {
        const int flagsNow = ::fcntl(fd, F_GETFL);
        if (flagsNow >= 0 && (flagsNow & O_DIRECT))
            ::fcntl(fd, F_SETFL, flagsNow & ~O_DIRECT); // read back through the cache
        auto written = writeInPlace(target, fd, file.size(), original, expected.keepReplaced);
        ::close(fd);
        ::unlink(temp.c_str());
        if (!written)
            return written.error();
        saved.identity = *written;
        saved.inPlace = true;
        return saved;
    }

    const std::optional<FileIdentity> identity = identityOf(fd);
    if (!identity)
        return fail(ioError("cannot examine the saved file", temp, errno));
    saved.identity = *identity;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return ioError("cannot finish the saved file", temp, err);
    }
    if (replacing && S_ISREG(was.st_mode) && expected.keepReplaced) {
        if (const auto replaced = identityOf(lock.fd()))
            expected.keepReplaced(target, *replaced);
    }
    const bool mustBeNew = expected.kind == SaveExpectation::Kind::Absent;
    if ((mustBeNew ? renameNoReplace(temp.c_str(), target.c_str())
                   : ::rename(temp.c_str(), target.c_str())) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        if (mustBeNew && err == EEXIST)
            return conflict("another program created the file since the workbook was named",
                            target);
        return ioError("cannot replace the file", target, err);
    }
    syncFolder(folderOf(targetPath).string()); // the rename itself already happened
    return saved;
}

Result<void> saveAtomically(const std::string& target, const FileWriter& write) {
    auto saved = saveGuarded(target, SaveExpectation::anything(), write);
    if (!saved)
        return saved.error();
    return {};
}

} // namespace rowbit
