#include "app/version_store.h"

#include "app/preferences.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <unistd.h>
#include <variant>

namespace rowbit {

namespace {

// Eight hex digits of the workbook's full path (FNV-1a).
std::string pathHash(const std::string& canonical) {
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : canonical) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>((h ^ (h >> 32)) & 0xffffffffu));
    return text;
}

// What every version of one workbook shares: "NAME_" before the time, "_HASH.EXT" after it.
struct NameParts {
    std::string head;
    std::string tail;

    explicit NameParts(const std::string& workbook) {
        const std::filesystem::path canonical(canonicalPath(workbook));
        head = canonical.stem().string() + "_";
        tail = "_" + pathHash(canonical.string()) + canonical.extension().string();
    }
    bool match(const std::string& name) const {
        return name.size() > head.size() + tail.size() && name.starts_with(head) &&
               name.ends_with(tail);
    }
    std::string name(std::int64_t seconds, int counter) const {
        const auto when = static_cast<std::time_t>(seconds);
        std::tm local{};
        localtime_r(&when, &local);
        char stamp[40];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H%M%S", &local);
        std::string text = head + stamp;
        if (counter > 1)
            text += "-" + std::to_string(counter);
        return text + tail;
    }
};

VersionProblem problemOf(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return VersionProblem::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOTDIR:
    case EEXIST:
        return VersionProblem::NotWritable;
    default:
        return VersionProblem::Failed;
    }
}

KeepOutcome failure(int err, const std::string& what, const std::filesystem::path& where) {
    KeepOutcome outcome;
    outcome.problem = problemOf(err);
    outcome.error = makeError(ErrorCode::Io, what + ": " + std::strerror(err), where.string());
    return outcome;
}

// 0, or the errno that stopped the copy.
int copyBytes(int from, int to) {
    std::vector<char> buffer(std::size_t{1} << 20);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : 0;
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = ::write(to, buffer.data() + put, static_cast<std::size_t>(got - put));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
            put += n;
        }
    }
}

// A copy of `from` under a hidden name in `folder`, complete and on the disk, with the
// modification time of `replaced`; its path, or the errno that stopped it.
std::variant<std::filesystem::path, int> copyAside(const std::string& from,
                                                   const std::filesystem::path& folder,
                                                   const FileIdentity& replaced) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    struct stat st {};
    ::fstat(in, &st);
    const std::filesystem::path temp = folder / (".version-" + std::to_string(::getpid()) + "-" +
                                                 std::to_string(replaced.inode) + ".tmp");
    const int out =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (st.st_mode & 0777) | 0600);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return err;
    }
    int err = copyBytes(in, out);
    const struct timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(replaced.mtimeSeconds), static_cast<long>(replaced.mtimeNanoseconds)}};
    if (!err && (::futimens(out, times) != 0 || ::fsync(out) != 0))
        err = errno;
    if (::close(out) != 0 && !err)
        err = errno;
    ::close(in);
    if (err) {
        ::unlink(temp.c_str());
        return err;
    }
    return temp;
}

struct Entry {
    std::filesystem::path path;
    struct stat st {};
};

bool olderThan(const Entry& a, const Entry& b) {
    if (a.st.st_mtim.tv_sec != b.st.st_mtim.tv_sec)
        return a.st.st_mtim.tv_sec < b.st.st_mtim.tv_sec;
    if (a.st.st_mtim.tv_nsec != b.st.st_mtim.tv_nsec)
        return a.st.st_mtim.tv_nsec < b.st.st_mtim.tv_nsec;
    return a.path.filename() < b.path.filename();
}

// Every version in the folder (hidden files are copies under way), oldest first.
std::vector<Entry> allVersions(const std::filesystem::path& folder) {
    std::vector<Entry> found;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(folder, ec)) {
        Entry entry{item.path(), {}};
        if (entry.path.filename().string().starts_with(".") ||
            ::lstat(entry.path.c_str(), &entry.st) != 0 || !S_ISREG(entry.st.st_mode))
            continue;
        found.push_back(std::move(entry));
    }
    std::sort(found.begin(), found.end(), olderThan);
    return found;
}

} // namespace

std::filesystem::path versionsFolder(const std::filesystem::path& dataHome) {
    return dataHome / "rowbit" / "versions";
}

VersionStore::VersionStore(std::filesystem::path folder, VersionLimits limits)
    : folder_(std::move(folder)), limits_(limits) {}

KeepOutcome VersionStore::keep(const std::string& workbook, const std::string& oldContent,
                               const FileIdentity& replaced) const {
    if (replaced.size < 0 || static_cast<std::uint64_t>(replaced.size) > limits_.totalBytes) {
        KeepOutcome outcome;
        outcome.problem = VersionProblem::TooLarge;
        outcome.error = makeError(ErrorCode::Limit,
                                  "the file is larger than all kept versions together may be (" +
                                      std::to_string(limits_.totalBytes) + " bytes)",
                                  folder_.string());
        return outcome;
    }
    std::error_code ec;
    const bool folderIsNew = std::filesystem::create_directories(folder_, ec);
    if (ec)
        return failure(ec.value(), "cannot make the folder of kept versions", folder_);
    if (folderIsNew)
        ::chmod(folder_.c_str(), 0700); // the versions of private files stay private

    // A link first; a copy where the folder is on another file system or links are refused.
    const NameParts parts(workbook);
    auto linkUnderFreeName =
        [&](const std::string& source) -> std::variant<std::filesystem::path, int> {
        for (int counter = 1; counter < 1000; ++counter) {
            std::filesystem::path name = folder_ / parts.name(replaced.mtimeSeconds, counter);
            if (::link(source.c_str(), name.c_str()) == 0)
                return name;
            if (errno != EEXIST) // EEXIST: a version of the same second; the next counter
                return errno;
        }
        return EEXIST;
    };
    auto linked = linkUnderFreeName(oldContent);
    if (const int* err = std::get_if<int>(&linked)) {
        if (*err == ENOSPC || *err == EDQUOT || *err == EROFS || *err == ENOTDIR || *err == EEXIST)
            return failure(*err, "cannot keep the version", folder_);
        auto copy = copyAside(oldContent, folder_, replaced);
        if (const int* copyErr = std::get_if<int>(&copy))
            return failure(*copyErr, "cannot copy the file into the folder of kept versions",
                           folder_);
        const std::filesystem::path& made = std::get<std::filesystem::path>(copy);
        linked = linkUnderFreeName(made.string());
        ::unlink(made.c_str());
        if (const int* nameErr = std::get_if<int>(&linked))
            return failure(*nameErr, "cannot keep the version", folder_);
    }
    return KeepOutcome{std::get<std::filesystem::path>(linked), VersionProblem::None, std::nullopt};
}

void VersionStore::discard(const std::filesystem::path& version) const {
    std::error_code ec;
    std::filesystem::remove(version, ec);
}

void VersionStore::rotate(const std::string& workbook, const std::filesystem::path& newest) const {
    const NameParts parts(workbook);
    std::vector<Entry> versions = allVersions(folder_);
    std::vector<Entry> kept; // newest first
    // The version just kept is one of the workbook's newest, whatever its time says.
    std::size_t own = 0;
    for (const Entry& entry : versions)
        own += entry.path == newest ? 1 : 0;
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        if (it->path != newest && parts.match(it->path.filename().string())) {
            if (own >= limits_.perWorkbook) {
                discard(it->path);
                continue;
            }
            ++own;
        }
        kept.push_back(*it);
    }
    std::uint64_t total = 0;
    for (const Entry& entry : kept)
        total += static_cast<std::uint64_t>(entry.st.st_size);
    // kept is newest first: the oldest go from its end.
    for (auto it = kept.rbegin(); it != kept.rend() && total > limits_.totalBytes; ++it) {
        if (it->path == newest)
            continue;
        discard(it->path);
        total -= static_cast<std::uint64_t>(it->st.st_size);
    }
}

std::vector<KeptVersion> VersionStore::list(const std::string& workbook) const {
    const NameParts parts(workbook);
    std::vector<KeptVersion> out;
    const std::vector<Entry> versions = allVersions(folder_);
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        if (!parts.match(it->path.filename().string()))
            continue;
        out.push_back(KeptVersion{it->path, static_cast<std::int64_t>(it->st.st_mtim.tv_sec),
                                  static_cast<std::int64_t>(it->st.st_mtim.tv_nsec),
                                  static_cast<std::uint64_t>(it->st.st_size)});
    }
    return out;
}

} // namespace rowbit
