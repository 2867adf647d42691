// Times the list report on one workbook as the Print command runs it: open, lay out every
// record, draw the first page as the preview shows it, write the PDF; and the peak memory of
// the whole run.
//
//     report_bench FILE OUT.pdf [--landscape]
//
// Prints one "name value" line per step.
#include "app/app_state.h"
#include "bench_support.h"
#include "document/browse_state.h"
#include "document/document.h"
#include "document/row_list.h"
#include "report/list_print.h"
#include "report/ui/paint/page_painter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using rowbit::bench::Clock;
using rowbit::bench::SilentPrompts;
using rowbit::bench::since;

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: report_bench FILE OUT.pdf [--landscape]\n");
        return 64;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool landscape = argc > 3 && std::strcmp(argv[3], "--landscape") == 0;

    rowbit::AppState display = rowbit::bench::benchDisplay();
    rowbit::Document doc;
    SilentPrompts prompts;
    doc.path = argv[1];
    auto start = Clock::now();
    doc.open(display, prompts, rowbit::bench::acceptPreselected);
    doc.fill(display, prompts);
    std::printf("open %.3f\n", since(start));
    std::printf("records %zu\n", doc.records.count());
    for (int c = 0; c < rowbit::kMaxColumns; ++c)
        doc.columns.listWidth[static_cast<std::size_t>(c)] = 70;

    // From the Print command to the first page on screen: every record laid out, then page 1
    // drawn at the size a preview window fits it to.
    start = Clock::now();
    rowbit::report::ListReport report(doc.columns, doc.records, doc.path, landscape,
                                      rowbit::report::stampsNow());
    while (!report.layOutNextBatch()) {
    }
    const std::vector<rowbit::report::Page> pages = report.takePages();
    const double layout = since(start);
    QImage image(594, 840, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    rowbit::report::paintPage(painter, pages.front());
    painter.end();
    std::printf("layout %.3f\n", layout);
    std::printf("first_page_shown %.3f\n", since(start));
    std::printf("pages %zu\n", pages.size());

    start = Clock::now();
    if (!rowbit::report::writePdf(pages, QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("pdf %.3f\n", since(start));
    std::printf("peak_rss_mb %.1f\n", rowbit::bench::peakMb());
    return 0;
}
