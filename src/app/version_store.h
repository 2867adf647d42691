#pragma once
// The last versions of each workbook, kept before a save replaces it, in one folder of the
// user's data folder ($XDG_DATA_HOME/rowbit/versions, ~/.local/share/rowbit/versions).
//
// A version is named after the workbook, the time its content was last written and a short
// hash of the workbook's full path: "Sales_2026-12-08_174502_1f3a9c2e.xlsx". The hash keeps two
// workbooks of one name in different folders apart, so they never rotate each other's versions
// out. A version is a hard link to the replaced file where the folder is on the same file
// system (the save renames its new file over the old one, so the old content stays whole under
// the version's name and costs no copy), else a copy, written under a hidden name and given its
// own name only when complete. Restoring one is copying it back.

#include "app/file_identity.h"
#include "app/result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rowbit {

// `dataHome`/rowbit/versions.
std::filesystem::path versionsFolder(const std::filesystem::path& dataHome);

struct VersionLimits {
    std::size_t perWorkbook = 5;                       // the newest this many of each workbook
    std::uint64_t totalBytes = std::uint64_t{1} << 30; // all versions together (1 GB)
};

struct KeptVersion {
    std::filesystem::path path;
    std::int64_t seconds = 0; // when its content was written (its modification time)
    std::int64_t nanoseconds = 0;
    std::uint64_t size = 0;
};

// Why no version was kept.
enum class VersionProblem {
    None,
    NoSpace,     // the disk (or the user's quota) is full
    NotWritable, // the folder cannot be made or written
    TooLarge,    // the file alone is larger than all versions together may be
    Failed,      // anything else; the error says what
};

struct KeepOutcome {
    std::filesystem::path kept; // the new version; empty when none was kept
    VersionProblem problem = VersionProblem::None;
    std::optional<Error> error; // set with a problem
};

class VersionStore {
public:
    explicit VersionStore(std::filesystem::path folder, VersionLimits limits = {});

    const std::filesystem::path& folder() const { return folder_; }
    const VersionLimits& limits() const { return limits_; }

    // Keeps `oldContent` (a file holding what the workbook `workbook` held) as its version,
    // named after the time `replaced` was last written. Older versions stay until rotate():
    // a save that then fails discards the new one and loses nothing.
    KeepOutcome keep(const std::string& workbook, const std::string& oldContent,
                     const FileIdentity& replaced) const;
    // Removes a version kept for a save that did not happen.
    void discard(const std::filesystem::path& version) const;
    // After a save: keeps the newest `perWorkbook` versions of `workbook`, then removes the
    // oldest versions of any workbook while all of them together are larger than
    // `totalBytes`. `newest` (the version just kept) is never removed.
    void rotate(const std::string& workbook, const std::filesystem::path& newest) const;
    // The versions of `workbook` (which need not exist any more), newest first.
    std::vector<KeptVersion> list(const std::string& workbook) const;

private:
    std::filesystem::path folder_;
    VersionLimits limits_;
};

} // namespace rowbit
