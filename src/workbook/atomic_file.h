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

// The temporary file a writer fills; writes go straight to its descriptor.
class OutputFile {
public:
    OutputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    // Appends at the end of what was written so far.
    Result<void> write(const void* data, std::size_t size) {
        auto r = writeAt(end_, data, size);
        return r;
    }
    // Writes at `offset` (a zip writer goes back to finish a header).
    Result<void> writeAt(std::uint64_t offset, const void* data, std::size_t size);
    std::uint64_t size() const { return end_; }
    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
    std::uint64_t end_ = 0;
};

using FileWriter = std::function<Result<void>(OutputFile& file)>;

Result<void> saveAtomically(const std::string& target, const FileWriter& write);

// Makes every later write fail with `error` (an errno value; 0 ends it): the way tests
// reach a full disk.
void failWritesForTesting(int error);

} // namespace rowbit
