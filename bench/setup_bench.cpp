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
    rowbit::AppState state;
    rowbit::BrowseState browse;
    SilentPrompts prompts; // its first button: "예(Yes)" to the re-read
    state.datePicture = "@D9-";
    state.workingFolder = ".";
    state.filename = argv[1];

    auto start = Clock::now();
    const auto outcome = rowbit::loadFile(
        state, browse, prompts, [](const auto&, int pre) -> std::optional<int> { return pre; });
    rowbit::fillRecordList(state, browse, prompts);
    std::string format = rowbit::formatWindow(state, browse);
    const double open = since(start);
    if (outcome == rowbit::LoadOutcome::Unreadable || outcome == rowbit::LoadOutcome::NewWorkbook) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 2;
    }
    std::printf("records %zu, shown columns %d\n", state.records.count(),
                state.columns.columnCount);
    std::printf("open %.3f\n", open);

    // Some number columns to add up: every shown column that is not text or date.
    start = Clock::now();
    const double cpu = threadSeconds();
    const auto totals = rowbit::sumNumberColumns(state.columns, state.records);
    std::printf("totals %.4f (cpu %.4f, %zu number columns)\n", since(start), threadSeconds() - cpu,
                totals ? totals->numberSlots.size() : std::size_t{0});

    rowbit::SetupDraft draft = rowbit::openDraft(state.columns);
    rowbit::settleDraft(draft);
    const int last = rowbit::leadingSlots(draft) - 1;
    if (last < 0) {
        std::fprintf(stderr, "no shown column to change\n");
        return 2;
    }
    draft.sheetColumn[last] = draft.sheetColumn[last] == "L" ? "K" : "L";
    start = Clock::now();
    const auto confirmed = rowbit::confirmSetup(draft, state, prompts);
    if (confirmed.outcome != rowbit::SetupOutcome::Reload) {
        std::fprintf(stderr, "the setup change did not ask for a re-read\n");
        return 2;
    }
    rowbit::fillRecordList(state, browse, prompts);
    format = rowbit::formatWindow(state, browse);
    std::printf("reread %.3f (%zu records)\n", since(start), state.records.count());
    return format.empty() ? 1 : 0;
}
