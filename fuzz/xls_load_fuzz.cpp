// Loading arbitrary bytes as a binary workbook: refused or read, never a crash, a hang or an
// unbounded allocation. Whatever loads is also read cell by cell and saved to memory.
#include "workbook/xls/xls_book.h"
#include "workbook/xls/xls_model.h"

#include <cstddef>
#include <cstdint>

// libgsf leaks small allocations (its own and through glib, about 100 bytes) on some damaged
// compound files; that is
// the library's, bounded per load, and not what this target looks for.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\nleak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    auto book = rowbit::xls::loadXlsBookFromMemory(data, size, "fuzz");
    if (!book)
        return 0;
    auto* xls = dynamic_cast<rowbit::xls::XlsBook*>(book->get());
    for (int i = 0; i < xls->sheetCount(); ++i) {
        rowbit::Sheet* s = xls->sheet(i);
        const int rows = std::min(s->lastRow(), 2000);
        const int cols = s->lastCol();
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                if (s->cellType(r, c) == rowbit::CellType::Text)
                    (void)s->readStr(r, c);
                (void)s->isDate(r, c);
            }
        }
        for (int c = 0; c < cols; ++c)
            (void)s->colWidth(c);
    }
    if (xls->sheetCount() > 0) {
        rowbit::Sheet* s = xls->sheet(0);
        s->writeStr(0, 0, "x");
        const rowbit::RowMove moves[] = {{0, 1}, {1, 0}};
        (void)s->moveRows(moves);
    }
    (void)xls->buildStream();
    return 0;
}
