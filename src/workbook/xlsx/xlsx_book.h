#pragma once
// The XML workbook codec (.xlsx / .xlsm in an OPC zip package).

#include "workbook/book.h"

#include <string>

namespace rowbit::xlsx {

Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path);
// The same from the bytes of a package held in memory (fuzzing, tests).
Result<std::unique_ptr<Book>> loadXlsxBookFromMemory(std::string bytes);
std::unique_ptr<Book> createXlsxBook();

} // namespace rowbit::xlsx
