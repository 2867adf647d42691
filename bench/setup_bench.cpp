// Times what a confirmed column setup costs on one workbook, beside opening it: the re-read a
// changed setup asks for (the rows read again and the list format rebuilt), and the totals of
// the number columns.
//
//     setup_bench FILE
//
// Prints one "name seconds" line per step. A workbook without settings takes the preview's
// preselected title row, as a user pressing OK would. The setup change moves the last shown
// column to another sheet column, which asks for the rows to be read again.
#include "app/app_state.h"
#include "bench_support.h"
#include "document/browse_state.h"
#include "document/document.h"
#include "document/row_list.h"
#include "report/totals.h"
#include "setup/setup_draft.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <time.h>

namespace {

using rowbit::bench::Clock;
using rowbit::bench::SilentPrompts;
using rowbit::bench::since;

// Processor time of this thread: on a busy machine, what the step costs without waiting.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup_bench FILE\n");
        return 64;
    }
    rowbit::AppState display = rowbit::bench::benchDisplay();
    rowbit::Document doc;
    SilentPrompts prompts; // its first button: "예(Yes)" to the re-read
    doc.path = argv[1];

    auto start = Clock::now();
    const auto outcome = doc.open(display, prompts, rowbit::bench::acceptPreselected);
    doc.fill(display, prompts);
    auto columns = rowbit::listColumns(doc);
    const double open = since(start);
    if (outcome.kind == rowbit::LoadOutcome::Unreadable ||
        outcome.kind == rowbit::LoadOutcome::NewWorkbook) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 2;
    }
    std::printf("records %zu, shown columns %d\n", doc.records.count(), doc.columns.columnCount);
    std::printf("open %.3f\n", open);

    // Some number columns to add up: every shown column that is not text or date.
    start = Clock::now();
    const double cpu = threadSeconds();
    const auto totals = rowbit::sumNumberColumns(doc.columns, doc.records);
    std::printf("totals %.4f (cpu %.4f, %zu number columns)\n", since(start), threadSeconds() - cpu,
                totals ? totals->numberSlots.size() : std::size_t{0});

    rowbit::SetupDraft draft = rowbit::openDraft(doc.columns);
    rowbit::settleDraft(draft);
    const int last = rowbit::leadingSlots(draft) - 1;
    if (last < 0) {
        std::fprintf(stderr, "no shown column to change\n");
        return 2;
    }
    draft.sheetColumn[last] = draft.sheetColumn[last] == "L" ? "K" : "L";
    start = Clock::now();
    const auto confirmed = rowbit::confirmSetup(draft, doc, prompts);
    if (confirmed.outcome != rowbit::SetupOutcome::Reload) {
        std::fprintf(stderr, "the setup change did not ask for a re-read\n");
        return 2;
    }
    doc.fill(display, prompts);
    columns = rowbit::listColumns(doc);
    std::printf("reread %.3f (%zu records)\n", since(start), doc.records.count());
    return columns.empty() ? 1 : 0;
}
