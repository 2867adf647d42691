// Times undo and redo of a sort as the window makes them on one workbook: open, sort by a
// column through the record history, undo the sort, redo it, undo it again.
//
//     undo_bench FILE SORT_COLUMN
//
// Prints one "name seconds" line per step, the memory the history holds and the resident size
// around each step.
#include "app/app_state.h"
#include "bench_support.h"
#include "browse/record_command.h"
#include "browse/search_sort.h"
#include "document/document.h"

#include <cstdio>
#include <string>

namespace {

using rowbit::bench::Clock;
using rowbit::bench::peakMb;
using rowbit::bench::residentMb;
using rowbit::bench::SilentPrompts;
using rowbit::bench::since;

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: undo_bench FILE SORT_COLUMN\n");
        return 64;
    }
    rowbit::AppState display = rowbit::bench::benchDisplay();
    rowbit::Document doc;
    SilentPrompts prompts;
    doc.path = argv[1];
    auto start = Clock::now();
    doc.open(display, prompts, rowbit::bench::acceptPreselected);
    doc.fill(display, prompts);
    std::printf("records %zu\nopen %.3f\nopen_resident_mb %.0f\n", doc.records.count(),
                since(start), residentMb());
    const int column = std::stoi(argv[2]);

    {
        // The sort alone, then what taking the order before it and noting the step cost.
        start = Clock::now();
        const std::vector<rowbit::RecordId> before = rowbit::RecordHistory::identities(doc.records);
        const double identities = since(start);
        start = Clock::now();
        rowbit::sortList(doc.records, doc.columns, column);
        std::printf("sort %.4f\n", since(start));
        start = Clock::now();
        rowbit::noteSort(doc, before, 0, column);
        std::printf("sort_noted %.4f\n", identities + since(start));
    }
    std::printf("history_mb %.1f\nresident_mb %.0f\n",
                static_cast<double>(doc.history.bytes()) / (1024 * 1024), residentMb());
    const std::string first(doc.records.at(1).col[0]);
    for (const char* step : {"undo", "redo", "undo_again"}) {
        start = Clock::now();
        rowbit::stepHistory(doc, step[0] == 'u');
        std::printf("%s %.4f (resident_mb %.0f)\n", step, since(start), residentMb());
    }
    std::printf("first_after %s\npeak_mb %.0f\n", std::string(doc.records.at(1).col[0]).c_str(),
                peakMb());
    return 0;
}
