// Times the document layer as the program uses it on one workbook: open (load, fill the list,
// give the list its columns), search, save after ten edits, sort by a column, and save the sorted
// list.
//
//     document_bench FILE SEARCH_TEXT SORT_COLUMN [SAVE_COPY]
//
// Prints one "name seconds" line per step, and the peak memory once the list is open. A workbook
// without settings takes the preview's preselected title row, as a user pressing OK would.
#include "app/app_state.h"
#include "bench_support.h"
#include "browse/search_sort.h"
#include "document/browse_state.h"
#include "document/document.h"
#include "document/row_list.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using rowbit::bench::Clock;
using rowbit::bench::cpuSeconds;
using rowbit::bench::peakMb;
using rowbit::bench::residentMb;
using rowbit::bench::SilentPrompts;
using rowbit::bench::since;

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: document_bench FILE SEARCH_TEXT SORT_COLUMN [SAVE_COPY]\n");
        return 64;
    }
    rowbit::AppState display = rowbit::bench::benchDisplay();
    rowbit::Document doc;
    rowbit::BrowseState browse;
    SilentPrompts prompts;
    doc.path = argv[1];

    auto start = Clock::now();
    const auto outcome = doc.open(display, prompts, rowbit::bench::acceptPreselected);
    const double load = since(start);
    const double loadResident = residentMb();
    doc.fill(display, prompts);
    const auto columns = rowbit::listColumns(doc);
    const double open = since(start);
    const double openCpu = cpuSeconds(); // the process has done nothing else yet
    if (outcome.kind == rowbit::LoadOutcome::Unreadable ||
        outcome.kind == rowbit::LoadOutcome::NewWorkbook) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 2;
    }
    std::printf("records %zu\n", doc.records.count());
    std::printf("load %.3f\nopen %.3f\nopen_peak_mb %.0f\n", load, open, peakMb());
    std::printf("open_cpu %.3f\n", openCpu);
    std::printf("load_resident_mb %.0f\nopen_resident_mb %.0f\n", loadResident, residentMb());

    start = Clock::now();
    const auto status = rowbit::runSearch(doc.records, browse, prompts, argv[2]);
    std::printf("search %.4f (%zu found)\n", since(start),
                status == rowbit::SearchStatus::Found ? browse.searchResults.size()
                                                      : std::size_t{0});
    rowbit::closeResults(doc.records, browse, 0);

    // Ten edits spread over the list, then the Save command into a copy: "save". Then the
    // list sorted by SORT_COLUMN, which moves every row, and saved into a second copy:
    // "sort_save". Each goes into a file of its own, as a user's Save would.
    auto save = [&](const std::string& name) {
        doc.path = name;
        start = Clock::now();
        const auto saved = doc.save(display, prompts);
        std::printf("%.3f (%s)\n", since(start),
                    saved.status == rowbit::SaveStatus::Saved ? "saved" : "failed");
    };
    if (argc > 4) {
        const std::size_t count = doc.records.count();
        for (std::size_t i = 0; i < 10 && count > 0; ++i) {
            rowbit::Record& record = doc.records.at(1 + i * (count / 10));
            record.col[0] = "edited " + std::to_string(i);
        }
        std::printf("save ");
        save(argv[4]);
    }

    start = Clock::now();
    rowbit::sortList(doc.records, doc.columns, std::stoi(argv[3]));
    std::printf("sort %.4f\n", since(start));

    if (argc > 4) {
        const std::string copy = argv[4];
        const auto dot = copy.rfind('.');
        std::printf("sort_save ");
        save(dot == std::string::npos ? copy + "-sorted"
                                      : copy.substr(0, dot) + "-sorted" + copy.substr(dot));
    }
    (void)columns;
    return 0;
}
