// The report command's PDF: the report painter on a QPdfWriter, headless.
#include "cli/commands.h"
#include "report/ui/paint/page_painter.h"

#include <QGuiApplication>

#include <cstdio>

namespace rowbit::cli {

bool writeReportPdf(const std::vector<report::Page>& pages, const std::string& path) {
    // Fonts need a Gui application; the tool never shows a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "rowbit-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    if (!report::writePdf(pages, QString::fromStdString(path))) {
        std::fprintf(stderr, "rowbit-cli: cannot write the PDF file %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace rowbit::cli
