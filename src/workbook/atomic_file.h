#pragma once
// Saving without ever leaving a half-written workbook: the writer fills a temporary file beside
// the target, which is flushed to disk and renamed over the target only when everything
// succeeded. On any failure the target is untouched and the temporary file is removed.

#include "app/result.h"

#include <functional>
#include <string>

namespace rowbit {

using FileWriter = std::function<Result<void>(const std::string& tempPath)>;

Result<void> saveAtomically(const std::string& target, const FileWriter& write);

} // namespace rowbit
