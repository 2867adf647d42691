#pragma once
// Saving without ever leaving a half-written workbook: the writer fills a temporary file beside
// the target, which is flushed to disk and renamed over the target only when everything
// succeeded. On any failure the target is untouched, the temporary file is removed and the
// error carries the system's reason ("No space left on device", "Permission denied").
//
// Every temporary file is named ".NAME.rowbit-PID-RANDOM.tmp" beside the target NAME. A save
// of NAME removes such files whose process no longer runs: what an interrupted save left.
//
// Two saves of one file never run at once, and a save never replaces a file that changed
// since it was read (saveGuarded): it holds an advisory lock on the file while it works and
// compares the file with the identity the caller took when it read it. The replaced file's
// owner and group pass to the new one wherever the process may give them; a file with several
// names (hard links) is written into itself, so that every name sees the new content.

#include "app/file_identity.h"
#include "app/result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace rowbit {

// The temporary file a writer fills. Writes are gathered into a few megabytes and go to the
// disk in whole aligned blocks around the system's file cache (where the file system allows):
// a saved workbook is flushed to the disk anyway, and copying tens of megabytes into freshly
// allocated cache pages first costs far more than writing them.
class OutputFile {
public:
    OutputFile(int fd, std::string path, bool direct);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends at the end of what was written so far.
    Result<void> write(const void* data, std::size_t size) { return writeAt(end_, data, size); }
    // Writes at `offset` (a zip writer goes back to finish a header).
    Result<void> writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Writes what is still gathered; the file then holds exactly size() bytes.
    Result<void> finish();
    std::uint64_t size() const { return end_; }
    const std::string& path() const { return path_; }

private:
    Result<void> put(std::uint64_t offset, const char* data, std::size_t size);
    Result<void> patchWritten(std::uint64_t offset, const char* data, std::size_t size);
    Result<void> flushStage(bool all);
    Result<void> writeOut(const char* data, std::size_t size, std::uint64_t offset);
    Result<void> readIn(char* data, std::size_t size, std::uint64_t offset);

    int fd_;
    std::string path_;
    bool direct_;                  // the descriptor bypasses the file cache
    std::uint64_t end_ = 0;        // one past the last byte written
    char* stage_ = nullptr;        // gathered bytes, block-aligned
    std::uint64_t stageStart_ = 0; // file offset of stage_[0], a multiple of the block size
    std::size_t staged_ = 0;       // bytes of the stage in use
};

using FileWriter = std::function<Result<void>(OutputFile& file)>;

// Called once the new content is safely on the disk and before the file at the target gives
// way to it, when there is a file there: `oldContent` names a file that holds what the target
// held and may be linked to (the target itself when the save renames the new file over it, the
// copy set aside when it writes into a file with several names); `replaced` is the target as
// it stood. Whatever it does, the save goes on.
using KeepReplaced =
    std::function<void(const std::string& oldContent, const FileIdentity& replaced)>;

// What the file at the target must still be for a save to go ahead, and what is done with the
// file it replaces.
struct SaveExpectation {
    enum class Kind {
        Anything, // whatever is there is replaced (a name the user chose for this save)
        Absent,   // no file: a new workbook that was not on the disk when it was named
        Same,     // the file the workbook was read from, as it was then
    };
    Kind kind = Kind::Anything;
    FileIdentity identity;     // for Same
    KeepReplaced keepReplaced; // may be empty

    static SaveExpectation anything() { return {}; }
    static SaveExpectation absent() {
        SaveExpectation expected;
        expected.kind = Kind::Absent;
        return expected;
    }
    static SaveExpectation same(const FileIdentity& id) {
        SaveExpectation expected;
        expected.kind = Kind::Same;
        expected.identity = id;
        return expected;
    }
};

// What a save left on the disk, beyond the bytes.
struct SavedFile {
    FileIdentity identity; // the saved file, as the next save of this process expects it
    // The owner and group the replaced file had, and those the saved file got: they differ
    // only where the process may not give the file to its owner.
    bool ownerKept = true;
    std::uint32_t ownerBefore = 0, groupBefore = 0, ownerAfter = 0, groupAfter = 0;
    bool inPlace = false; // the file has several names and was written into itself
};

// Called after a save wrote the new content into the file itself, with the path of a copy of
// what the file held before, while that copy still exists: a reader that still reads the
// file's old content (an open zip) takes it from there.
using OriginalCopy = std::function<void(const std::string& path)>;

// Saves through `write` as saveAtomically does, first taking the lock on the target and
// checking it against `expected`: a target that is not what is expected (or that another save
// holds for longer than a few seconds) fails with ErrorCode::Conflict, and nothing is written.
Result<SavedFile> saveGuarded(const std::string& target, const SaveExpectation& expected,
                              const FileWriter& write, const OriginalCopy& original = {});

// A save that replaces whatever is at the target.
Result<void> saveAtomically(const std::string& target, const FileWriter& write);

// Makes every later write fail with `error` (an errno value; 0 ends it): the way tests
// reach a full disk.
void failWritesForTesting(int error);

} // namespace rowbit
