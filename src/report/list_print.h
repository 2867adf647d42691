#pragma once
// The list report from the Print command to paper. The pages are laid out behind a
// progress window, shown in the preview, and sent to the printer only when the user chose
// Print there. The windows come in as seams, so the flow is decided here.

#include "app/prompts.h"
#include "report/list_report.h"

#include <functional>
#include <string>
#include <vector>

namespace rowbit::report {

inline constexpr const char* kNoPrinter = "인쇄할 프린터가 없습니다.|대신 PDF 파일로 저장할까요?";
inline constexpr const char* kPrintFailed = "인쇄하지 못했습니다.";

enum class PrintOutcome { Printed, NoPrinter, Failed };

struct ListPrintWindows {
    // The progress window: ticks the report until it is done; false when cancelled.
    std::function<bool(ListReport&)> render;
    // The report preview: the verdict, 1 print, 2 cancel.
    std::function<int(const std::vector<Page>&)> preview;
    // The pages to the default printer, without a dialog.
    std::function<PrintOutcome(const std::vector<Page>&)> print;
    // Asks for a file and writes the pages there as a PDF.
    std::function<void(const std::vector<Page>&)> savePdf;
};

enum class ListPrintOutcome { NoData, Cancelled, NotPrinted, Printed };

// The report of `records` under `columns`, for the workbook at `path`: laid out, previewed,
// and printed when the preview says so. A print that did not happen is never reported as
// done: without a printer the user is offered a PDF instead.
ListPrintOutcome printList(const ColumnSetup& columns, const RecordList& records,
                           const std::string& path, Prompts& prompts, bool landscape,
                           ReportStamps stamps, const ListPrintWindows& windows);

// The present moment as the report stamps it.
ReportStamps stampsNow();

} // namespace rowbit::report
