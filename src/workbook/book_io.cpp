#include "workbook/book.h"
#include "workbook/xls/xls_book.h"
#include "workbook/xlsx/xlsx_book.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace rowbit {

namespace {

Result<std::unique_ptr<Book>> readBook(const std::string& path, const LoadOptions& options) {
    // A folder opens as an empty stream on some systems: it is named for what it is.
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(path), ec))
        return makeError(ErrorCode::Io, "the path is a folder, not a file", path);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int err = errno;
        return makeError(err == ENOENT ? ErrorCode::NotFound : ErrorCode::Io,
                         std::string("cannot open the file: ") + std::strerror(err), path);
    }
    std::array<unsigned char, 8> magic{};
    in.read(reinterpret_cast<char*>(magic.data()), magic.size());
    const auto got = static_cast<std::size_t>(in.gcount());

    static constexpr std::array<unsigned char, 8> compoundFile{0xD0, 0xCF, 0x11, 0xE0,
                                                               0xA1, 0xB1, 0x1A, 0xE1};
    if (got == magic.size() && magic == compoundFile)
        return xls::loadXlsBook(path, options.progress, options.firstSheetRows);
    if (got >= 4 && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4)
        return xlsx::loadXlsxBook(path, options);
    // A bare BIFF2-4 worksheet starts with its BOF record (0x0009, 0x0209, 0x0409), not a
    // compound file.
    if (got >= 2 && magic[0] == 0x09 &&
        (magic[1] == 0x00 || magic[1] == 0x02 || magic[1] == 0x04 || magic[1] == 0x08))
        return makeError(ErrorCode::Unsupported,
                         "a workbook in an old binary format (before BIFF8) is not supported",
                         path);
    if (got == 0)
        return makeError(ErrorCode::Damaged, "the file is empty", path);
    return makeError(ErrorCode::Unsupported, "the file is not a workbook (.xls or .xlsx)", path);
}

// Keeps only the first sheet's first `rows` rows. The codecs stop reading there already when
// the sheet's rows come in order; this catches the rows of a sheet whose rows do not.
void cutFirstSheet(Book& book, int rows) {
    Sheet* first = book.sheetCount() ? book.sheet(0) : nullptr;
    if (!first || first->lastRow() <= rows)
        return;
    first->clear(rows, first->lastRow() - 1, 0, std::max(first->lastCol() - 1, 0));
    book.markPartial();
}

// Hands a first sheet read whole over as one batch (a codec that does not hand rows over as it
// reads them), then drops its rows.
void handOverWhole(Book& book, const RowBatches& batches) {
    Sheet* first = book.sheetCount() ? book.sheet(0) : nullptr;
    const int end = first ? first->lastRow() : 0;
    batches(RowBatch{.book = book, .fromRow = 0, .toRow = end, .last = true});
    if (end > 0)
        first->clear(0, end - 1, 0, std::max(first->lastCol() - 1, 0));
    book.markPartial();
}

} // namespace

Result<std::unique_ptr<Book>> loadBook(const std::string& path, const LoadOptions& options) {
    auto book = readBook(path, options);
    if (!book)
        return book;
    if (options.firstSheetRows > 0)
        cutFirstSheet(**book, options.firstSheetRows);
    if (options.firstSheetBatches && (*book)->format() == BookFormat::Xls)
        handOverWhole(**book, options.firstSheetBatches);
    return book;
}

Result<SavedFile> Book::refusePartial(const std::string& path) const {
    return makeError(ErrorCode::Invalid,
                     "only the first rows of this workbook were read: it cannot be saved", path);
}

bool sameSheetName(std::string_view a, std::string_view b) {
    auto lower = [](char ch) {
        return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::unique_ptr<Book> createBook(BookFormat format) {
    return format == BookFormat::Xls ? xls::createXlsBook() : xlsx::createXlsxBook();
}

} // namespace rowbit
