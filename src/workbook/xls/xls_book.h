#pragma once
// The binary workbook codec (BIFF8 in a compound file).

#include "workbook/book.h"

namespace rowbit::xls {

Result<std::unique_ptr<Book>> loadXlsBook(const std::string& path);
std::unique_ptr<Book> createXlsBook();

} // namespace rowbit::xls
