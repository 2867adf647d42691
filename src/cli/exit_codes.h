#pragma once
// rowbit-cli's exit statuses, from sysexits(3) where one fits, so scripts can tell a mistyped
// command from a missing file from a full disk.

#include "app/result.h"

namespace rowbit::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;     // the form refused the entry; the search found nothing
inline constexpr int kExitUsage = 64;      // EX_USAGE: the command line was wrong
inline constexpr int kExitBadData = 65;    // EX_DATAERR: the workbook or setup cannot be read
inline constexpr int kExitNoInput = 66;    // EX_NOINPUT: the file does not exist or is unreadable
inline constexpr int kExitCantCreate = 73; // EX_CANTCREAT: the output could not be written
inline constexpr int kExitIoError = 74;    // EX_IOERR: reading failed part way
// EX_TEMPFAIL: the file changed on the disk since it was read, or another save held it;
// nothing was written, and running the command again reads the file anew.
inline constexpr int kExitFileChanged = 75;

// The status for a workbook that could not be loaded, by why.
inline int loadFailureStatus(ErrorCode code) {
    switch (code) {
    case ErrorCode::NotFound:
        return kExitNoInput;
    case ErrorCode::Io:
        return kExitIoError;
    case ErrorCode::Invalid:
        return kExitUsage;
    default:
        return kExitBadData;
    }
}

} // namespace rowbit::cli
