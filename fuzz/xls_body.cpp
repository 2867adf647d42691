#include "fuzz_bodies.h"

#include "workbook/xls/xls_book.h"
#include "workbook/xls/xls_model.h"

#include <algorithm>

namespace rowbit::fuzz {

std::string exerciseXls(const std::uint8_t* data, std::size_t size) {
    auto book = xls::loadXlsBookFromMemory(data, size, "fuzz");
    if (!book)
        return book.error().message.empty() ? "refused without saying why" : "";
    auto* xls = dynamic_cast<xls::XlsBook*>(book->get());
    if (!xls)
        return "a binary workbook that is not an XlsBook";
    for (int i = 0; i < xls->sheetCount(); ++i) {
        Sheet* s = xls->sheet(i);
        const int rows = std::min(s->lastRow(), 2000);
        const int cols = s->lastCol();
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                if (s->cellType(r, c) == CellType::Text)
                    (void)s->readStr(r, c);
                (void)s->isDate(r, c);
            }
        }
        for (int c = 0; c < cols; ++c)
            (void)s->colWidth(c);
    }
    if (xls->sheetCount() > 0) {
        Sheet* s = xls->sheet(0);
        s->writeStr(0, 0, "x");
        const RowMove moves[] = {{0, 1}, {1, 0}};
        if (auto moved = s->moveRows(moves); !moved)
            return "swapping two rows failed: " + moved.error().describe();
    }
    if (auto stream = xls->buildStream(); !stream)
        return "a loaded workbook cannot be written again: " + stream.error().describe();
    return "";
}

} // namespace rowbit::fuzz
