#pragma once
// The XML workbook codec (.xlsx / .xlsm in an OPC zip package).

#include "workbook/book.h"

namespace rowbit::xlsx {

Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path);
std::unique_ptr<Book> createXlsxBook();

} // namespace rowbit::xlsx
