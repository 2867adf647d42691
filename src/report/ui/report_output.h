#pragma once
// The list report's way out: the Print command's whole flow, the default printer and PDF
// files.

#include "app/prompts.h"
#include "document/document.h"
#include "report/list_print.h"

#include <string>
#include <vector>

class QWidget;

namespace rowbit::ui {

inline constexpr const char* kPdfSaveFailed = "PDF 파일을 저장하지 못했습니다.";
inline constexpr const char* kPdfSaved = "PDF 파일을 저장했습니다: ";

// The Print command with its windows: progress, preview, printer, PDF.
report::ListPrintOutcome printList(QWidget* parent, const Document& doc, Prompts& prompts,
                                   bool landscape);

// The pages to the system's default printer under the report's document name, without a
// printer dialog.
report::PrintOutcome printToDefaultPrinter(const std::vector<report::Page>& pages);

// Asks for a file name and writes the pages there. Returns what the report preview's status
// line says afterwards: the file written, or that it failed (the message box says why); empty
// when the user cancelled.
std::string savePdfAs(Prompts& prompts, const std::vector<report::Page>& pages,
                      const std::string& suggestedName);

} // namespace rowbit::ui
