#include "report/ui/paint/page_painter.h"

#include "report/list_report.h"

#include <QFile>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace rowbit::report {

namespace {

constexpr double kRuleWidth = 7; // thousandths of an inch

} // namespace

QFont reportFont(FontRole role) {
    QFont font;
    if (role == FontRole::Title) {
        font.setFamilies({QString::fromUtf8("굴림"), QStringLiteral("NanumGothic"),
                          QStringLiteral("Noto Sans CJK KR")});
        font.setPixelSize(16 * 1000 / 72); // 16 points in thousandths of an inch
        font.setBold(true);
    } else {
        font.setFamilies({QString::fromUtf8("굴림체"), QStringLiteral("NanumGothicCoding"),
                          QStringLiteral("Noto Sans Mono CJK KR")});
        font.setPixelSize(static_cast<int>(kBodyByteWidth * 2));
    }
    font.setKerning(false);
    return font;
}

void paintPage(QPainter& painter, const Page& page, const QRectF& target) {
    if (page.width <= 0 || page.height <= 0 || target.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    const double scale = target.width() / page.width;
    painter.scale(scale, target.height() / page.height);

    // A rule at least one device pixel wide, so a small preview still shows it.
    QPen pen(Qt::black);
    pen.setWidthF(std::max(kRuleWidth, 1.0 / scale));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const PageLine& line : page.lines)
        painter.drawLine(QLineF(line.x, line.y, line.x + line.width, line.y));
    for (const PageRect& rect : page.rects)
        painter.drawRect(QRectF(rect.x, rect.y, rect.width, rect.height));

    const QFont title = reportFont(FontRole::Title);
    const QFont body = reportFont(FontRole::Body);
    FontRole current = FontRole::Body;
    painter.setFont(body);
    for (const PageText& text : page.texts) {
        if (text.font != current) {
            current = text.font;
            painter.setFont(current == FontRole::Title ? title : body);
        }
        painter.drawText(
            QRectF(text.x, text.y, text.width, text.height),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            QString::fromUtf8(text.text.data(), static_cast<qsizetype>(text.text.size())));
    }
    painter.restore();
}

void paintPage(QPainter& painter, const Page& page) {
    const QPaintDevice* device = painter.device();
    paintPage(painter, page, QRectF(0, 0, device->width(), device->height()));
}

bool paintPages(QPagedPaintDevice& device, const std::vector<Page>& pages) {
    const bool landscape = !pages.empty() && pages.front().landscape();
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        paintPage(painter, pages[i]);
    }
    return painter.end();
}

bool writePdf(const std::vector<Page>& pages, const QString& path) {
    bool written = false;
    {
        QPdfWriter writer(path);
        writer.setTitle(QString::fromUtf8(kReportDocumentName));
        writer.setCreator(QStringLiteral("Rowbit"));
        written = paintPages(writer, pages);
    }
    if (!written)
        QFile::remove(path);
    return written;
}

} // namespace rowbit::report
