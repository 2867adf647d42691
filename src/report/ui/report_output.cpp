#include "report/ui/report_output.h"

#include "report/ui/paint/page_painter.h"
#include "report/ui/progress_window.h"
#include "report/ui/report_preview.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>

namespace rowbit::ui {

report::ListPrintOutcome printList(QWidget* parent, const Document& doc, Prompts& prompts,
                                   bool landscape) {
    // The workbook's name with ".pdf" for its extension.
    std::string pdfName = report::reportTitle(doc.path);
    if (const std::size_t dot = pdfName.find_last_of('.'); dot != std::string::npos && dot > 0)
        pdfName.resize(dot);
    pdfName += ".pdf";
    report::ListPrintWindows windows;
    windows.render = [parent](report::ListReport& report) {
        return ProgressWindow::run(report, parent);
    };
    windows.preview = [&](const std::vector<report::Page>& pages) {
        return ReportPreview::run(pages, parent,
                                  [&] { return savePdfAs(prompts, pages, pdfName); });
    };
    windows.print = printToDefaultPrinter;
    windows.savePdf = [&](const std::vector<report::Page>& pages) {
        (void)savePdfAs(prompts, pages, pdfName);
    };
    return report::printList(doc.columns, doc.records, doc.path, prompts, landscape,
                             report::stampsNow(), windows);
}

report::PrintOutcome printToDefaultPrinter(const std::vector<report::Page>& pages) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return report::PrintOutcome::NoPrinter;
    QPrinter printer(info, QPrinter::HighResolution);
    // Without a printer Qt would quietly make this a PDF printer without a file.
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return report::PrintOutcome::NoPrinter;
    printer.setDocName(QString::fromUtf8(report::kReportDocumentName));
    printer.setFullPage(true);
    return report::paintPages(printer, pages) ? report::PrintOutcome::Printed
                                              : report::PrintOutcome::Failed;
}

std::string savePdfAs(Prompts& prompts, const std::vector<report::Page>& pages,
                      const std::string& suggestedName) {
    FileDialogRequest request;
    request.title = "PDF 저장";
    request.filter = "PDF 파일|*.pdf";
    request.initialPath = suggestedName;
    const std::optional<std::string> chosen = prompts.saveFile(request);
    if (!chosen || chosen->empty())
        return {};
    std::string path = *chosen;
    if (!QString::fromStdString(path).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += ".pdf";
    const QString file = QString::fromStdString(path);
    // The painter says only that it failed; opening the file first says why it would.
    QString why;
    {
        QFile probe(file);
        const bool existed = probe.exists();
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
            why = probe.errorString();
        else if (!existed)
            probe.remove();
    }
    if (why.isEmpty() && !report::writePdf(pages, file))
        why = QStringLiteral("the pages could not be written");
    if (!why.isEmpty()) {
        prompts.message(
            MessageRequest{std::string(kPdfSaveFailed) + "|" + path + "|" + why.toStdString(),
                           {},
                           "확인",
                           PromptIcon::Warning,
                           1});
        return kPdfSaveFailed;
    }
    return kPdfSaved + path;
}

} // namespace rowbit::ui
