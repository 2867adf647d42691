#include "report/list_print.h"

#include "app/picture.h"

#include <ctime>

namespace rowbit::report {

ListPrintOutcome printList(const ColumnSetup& columns, const RecordList& records,
                           const std::string& path, Prompts& prompts, bool landscape,
                           ReportStamps stamps, const ListPrintWindows& windows) {
    if (records.count() == 0) {
        prompts.tell(kNoData);
        return ListPrintOutcome::NoData;
    }
    ListReport report(columns, records, path, landscape, stamps);
    if (!windows.render || !windows.render(report))
        return ListPrintOutcome::Cancelled;
    const std::vector<Page> pages = report.takePages();
    constexpr int kPreviewPrint = 1;
    if (!windows.preview || windows.preview(pages) != kPreviewPrint)
        return ListPrintOutcome::NotPrinted;

    const PrintOutcome printed = windows.print ? windows.print(pages) : PrintOutcome::NoPrinter;
    switch (printed) {
    case PrintOutcome::Printed:
        return ListPrintOutcome::Printed;
    case PrintOutcome::NoPrinter:
        if (prompts.message(MessageRequest{kNoPrinter, {}, "예|아니오", PromptIcon::Warning, 1}) ==
                1 &&
            windows.savePdf)
            windows.savePdf(pages);
        return ListPrintOutcome::NotPrinted;
    case PrintOutcome::Failed:
        prompts.message(MessageRequest{kPrintFailed, {}, "확인", PromptIcon::Warning, 1});
        return ListPrintOutcome::NotPrinted;
    }
    return ListPrintOutcome::NotPrinted;
}

ReportStamps stampsNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ReportStamps{
        picture::serialFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}),
        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec};
}

} // namespace rowbit::report
