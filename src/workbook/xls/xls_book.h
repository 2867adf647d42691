#pragma once
// The binary workbook codec (BIFF8 in a compound file).

#include "workbook/book.h"

#include <cstddef>
#include <cstdint>

namespace rowbit::xls {

// `progress` hears the share of the workbook stream read, in hundredths at most, never
// going back, and 1 once the workbook is loaded (not when loading fails). `firstSheetRows`
// above 0 reads only that many rows of the first sheet (LoadOptions::firstSheetRows).
Result<std::unique_ptr<Book>>
loadXlsBook(const std::string& path, const LoadProgress& progress = {}, int firstSheetRows = 0);
std::unique_ptr<Book> createXlsBook();
// Loads a workbook from bytes in memory; `where` names it in errors.
Result<std::unique_ptr<Book>> loadXlsBookFromMemory(const uint8_t* data, std::size_t size,
                                                    const std::string& where);

} // namespace rowbit::xls
