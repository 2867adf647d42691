#pragma once
// Saving without ever leaving a half-written workbook: the writer fills a temporary file beside
// the target, which is flushed to disk and renamed over the target only when everything
// succeeded. On any failure the target is untouched, the temporary file is removed and the
// error carries the system's reason ("No space left on device", "Permission denied").
//
// Every temporary file is named ".NAME.rowbit-PID-RANDOM.tmp" beside the target NAME. A save
// of NAME removes such files whose process no longer runs: what an interrupted save left.

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

Result<void> saveAtomically(const std::string& target, const FileWriter& write);

// Makes every later write fail with `error` (an errno value; 0 ends it): the way tests
// reach a full disk.
void failWritesForTesting(int error);

} // namespace rowbit
