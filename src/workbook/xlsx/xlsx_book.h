#pragma once
// The XML workbook codec (.xlsx / .xlsm in an OPC zip package).

#include "workbook/book.h"

#include <string>
#include <utility>
#include <vector>

namespace rowbit::xlsx {

Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path,
                                           const LoadProgress& progress = {});
// The same, the first sheet read as far as `options` says (LoadOptions).
Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path, const LoadOptions& options);
// The same from the bytes of a package held in memory (fuzzing, tests).
Result<std::unique_ptr<Book>> loadXlsxBookFromMemory(std::string bytes);
// The same from parts held in memory, by name (fuzzing of the XML readers past the zip layer).
Result<std::unique_ptr<Book>>
loadXlsxBookFromParts(std::vector<std::pair<std::string, std::string>> parts);
std::unique_ptr<Book> createXlsxBook();

} // namespace rowbit::xlsx
