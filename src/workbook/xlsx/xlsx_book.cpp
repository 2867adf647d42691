#include "workbook/xlsx/xlsx_book.h"

namespace rowbit::xlsx {

Result<std::unique_ptr<Book>> loadXlsxBook(const std::string& path) {
    return makeError(ErrorCode::Unsupported, "this workbook format is not readable yet", path);
}

std::unique_ptr<Book> createXlsxBook() {
    return nullptr;
}

} // namespace rowbit::xlsx
