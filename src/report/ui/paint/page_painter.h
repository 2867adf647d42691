#pragma once
// The one painter of the report: draws a page of the page model with QPainter on any paint
// device (a screen image, a printer, a PDF file).

#include "report/page_model.h"

#include <QFont>
#include <QRectF>

#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace rowbit::report {

// The report's faces, sized in thousandths of an inch, mapped to installed fonts that carry
// Hangul (the fixed-pitch face to one in which a syllable is exactly two Latin cells).
QFont reportFont(FontRole role);

// Draws `page` scaled into `target` (device coordinates); the paper is not filled.
void paintPage(QPainter& painter, const Page& page, const QRectF& target);
// Draws `page` over the whole paint device.
void paintPage(QPainter& painter, const Page& page);

// Sets the device to A4 without margins in the pages' orientation, then paints every page,
// one sheet each. False when the device cannot be painted on (no printer, a file that cannot
// be written); nothing was then printed.
bool paintPages(QPagedPaintDevice& device, const std::vector<Page>& pages);

// Writes the pages to a PDF file under the report's document name; false when the file
// cannot be written (nothing is left behind then).
bool writePdf(const std::vector<Page>& pages, const QString& path);

} // namespace rowbit::report
