// The XML workbook engine on big inputs: load and read every cell of the first sheet, or load,
// change 10 cells and save. One measurement per run, so that the peak memory is this one's.
//
//   xlsx_bench read FILE
//   xlsx_bench edit FILE OUT
#include "bench_support.h"
#include "workbook/book.h"
#include "workbook/xlsx/sheet.h"

#include <chrono>
#include <cstdio>
#include <string>

using rowbit::bench::cpuSeconds;
using rowbit::bench::peakMb;
using rowbit::bench::since;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xlsx_bench read FILE | edit FILE OUT\n");
        return 64;
    }
    const std::string mode = argv[1];
    const auto start = std::chrono::steady_clock::now();
    auto book = rowbit::loadBook(argv[2]);
    if (!book.ok()) {
        std::fprintf(stderr, "%s\n", book.error().describe().c_str());
        return 2;
    }
    const double loaded = since(start);
    rowbit::Sheet* sheet = (*book)->sheet(0);
    if (mode == "read") {
        double sum = 0;
        std::size_t textBytes = 0, cells = 0, dates = 0;
        const int rows = sheet->lastRow(), cols = sheet->lastCol();
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                switch (sheet->cellType(r, c)) {
                case rowbit::CellType::Number:
                    sum += sheet->readNum(r, c);
                    dates += sheet->isDate(r, c);
                    ++cells;
                    break;
                case rowbit::CellType::Text:
                    textBytes += sheet->readStr(r, c).size();
                    ++cells;
                    break;
                default:
                    break;
                }
            }
        }
        std::printf("read rows=%d cells=%zu dates=%zu text_bytes=%zu sum=%.6g load_s=%.3f "
                    "total_s=%.3f cpu_s=%.3f peak_mb=%.1f pieces=%zu\n",
                    rows, cells, dates, textBytes, sum, loaded, since(start), cpuSeconds(),
                    peakMb(), rowbit::xlsx::piecesMergedForTesting());
        return 0;
    }
    if (mode == "edit" && argc > 3) {
        const int rows = sheet->lastRow();
        for (int i = 0; i < 10; ++i) {
            const int row = 1 + (rows - 1) * i / 10;
            if (i % 2)
                sheet->writeNum(row, 4, 1000 + i);
            else
                sheet->writeStr(row, 0, "수정 " + std::to_string(i));
        }
        const auto saving = std::chrono::steady_clock::now();
        auto saved = (*book)->save(argv[3]);
        if (!saved.ok()) {
            std::fprintf(stderr, "%s\n", saved.error().describe().c_str());
            return 3;
        }
        std::printf("edit load_s=%.3f save_s=%.3f total_s=%.3f cpu_s=%.3f peak_mb=%.1f\n", loaded,
                    since(saving), since(start), cpuSeconds(), peakMb());
        return 0;
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 64;
}
