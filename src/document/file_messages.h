#pragma once
// What the user reads when a workbook cannot be opened or saved: one Korean sentence that names
// the file once, says what happened and what to do; the technical detail (the whole path, the
// part, offset or record that failed) goes into the box's details.

#include "app/atomic_file.h"
#include "app/prompts.h"
#include "app/result.h"
#include "app/version_store.h"

#include <cstddef>
#include <string>

namespace rowbit {

// A path shortened in its middle to at most `columns` columns (an ASCII character takes one,
// any other two, as CP949 counts them), keeping its start and its end with the file name, so
// that a box shows it on one line instead of breaking it anywhere.
std::string elidedPath(const std::string& path, std::size_t columns = 60);

// `path` could not be opened (a folder named as the workbook says so); the program goes on
// with a new, unnamed workbook.
MessageRequest openFailedMessage(const std::string& path, const Error& error);
// `path` could not be written; the changes stay in the program.
MessageRequest saveFailedMessage(const std::string& path, const Error& error);

// The answers to the question about a file that changed on the disk.
inline constexpr const char* kChangedFileButtons = "다른 이름으로 저장|덮어쓰기|취소";
inline constexpr int kChangedFileSaveAs = 1;
inline constexpr int kChangedFileOverwrite = 2;

// `path` changed on the disk since the workbook was read (`error` says how): the question
// whether to save under another name, overwrite, or cancel (kChangedFileButtons).
MessageRequest changedFileQuestion(const std::string& path, const Error& error);
// The same, where nothing is asked: nothing was written.
MessageRequest changedFileRefusedMessage(const std::string& path, const Error& error);
// `path` was saved, but the process could not give it the owner and group it had.
MessageRequest ownerChangedMessage(const std::string& path, const SavedFile& saved);
// `path` was saved, but the file it replaced could not be kept among its versions (`kept`
// says why).
MessageRequest versionNotKeptMessage(const std::string& path, const KeepOutcome& kept);

} // namespace rowbit
