#include "workbook/xls/xls_book.h"

namespace rowbit::xls {

Result<std::unique_ptr<Book>> loadXlsBook(const std::string& path) {
    return makeError(ErrorCode::Unsupported, "this workbook format is not readable yet", path);
}

std::unique_ptr<Book> createXlsBook() {
    return nullptr;
}

} // namespace rowbit::xls
