// Binary workbook speed: load and read every cell, and save after changing 10 cells.
// usage: xls_bench FILE.xls [RUNS]   (prints "load_read_s S" and "save_s S", best of RUNS)
#include "bench_support.h"
#include "workbook/book.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using Clock = std::chrono::steady_clock;
using rowbit::bench::cpuSeconds;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: xls_bench FILE.xls [RUNS]\n");
        return 64;
    }
    const std::string path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string out = (std::filesystem::temp_directory_path() /
                             ("xls_bench_" + std::to_string(::getpid()) + ".xls"))
                                .string();
    double bestLoad = 1e9, bestSave = 1e9, cpuLoad = 1e9, cpuSave = 1e9;
    std::size_t cells = 0, textBytes = 0;
    double sum = 0;
    for (int run = 0; run < runs; ++run) {
        const double c0 = cpuSeconds();
        const auto t0 = Clock::now();
        auto book = rowbit::loadBook(path);
        if (!book) {
            std::fprintf(stderr, "%s\n", book.error().describe().c_str());
            return 2;
        }
        const rowbit::Sheet* s = (*book)->sheet(0);
        cells = textBytes = 0;
        const int rows = s->lastRow(), cols = s->lastCol();
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                switch (s->cellType(r, c)) {
                case rowbit::CellType::Number:
                    sum += s->readNum(r, c) + (s->isDate(r, c) ? 1 : 0);
                    ++cells;
                    break;
                case rowbit::CellType::Text:
                    textBytes += s->readStr(r, c).size();
                    ++cells;
                    break;
                default:
                    break;
                }
            }
        }
        const auto t1 = Clock::now();
        const double c1 = cpuSeconds();
        rowbit::Sheet* w = (*book)->sheet(0);
        for (int i = 0; i < 10; ++i) {
            if (i % 2)
                w->writeNum(1 + i * 997, 3, 12345 + i);
            else
                w->writeStr(1 + i * 997, 7, "바뀐 메모 " + std::to_string(i));
        }
        auto saved = (*book)->save(out);
        const auto t2 = Clock::now();
        const double c2 = cpuSeconds();
        cpuLoad = std::min(cpuLoad, c1 - c0);
        cpuSave = std::min(cpuSave, c2 - c1);
        if (!saved) {
            std::fprintf(stderr, "%s\n", saved.error().describe().c_str());
            return 2;
        }
        bestLoad = std::min(bestLoad, std::chrono::duration<double>(t1 - t0).count());
        bestSave = std::min(bestSave, std::chrono::duration<double>(t2 - t1).count());
    }
    std::filesystem::remove(out);
    std::printf("cells %zu text_bytes %zu checksum %.0f\n", cells, textBytes, sum);
    std::printf("load_read_s %.4f\nsave_s %.4f\n", bestLoad, bestSave);
    std::printf("load_read_cpu_s %.4f\nsave_cpu_s %.4f\n", cpuLoad, cpuSave);
    return 0;
}
