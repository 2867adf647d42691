#include "app/ui/dialog_units.h"

#include <QFontMetricsF>

#include <cmath>

namespace rowbit::ui {

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetricsF fm(font);
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // The average over the Latin letters, as the dialog templates of old were measured.
    charWidth_ = fm.horizontalAdvance(alphabet) / 52.0;
    charHeight_ = fm.height();
}

int DialogUnits::x(int units) const {
    return static_cast<int>(std::lround(units * charWidth_ / 4.0));
}
int DialogUnits::y(int units) const {
    return static_cast<int>(std::lround(units * charHeight_ / 8.0));
}
QRect DialogUnits::rect(int ux, int uy, int width, int height) const {
    const int left = x(ux);
    const int top = y(uy);
    return QRect(left, top, x(ux + width) - left, y(uy + height) - top);
}
int DialogUnits::unitsX(int pixels) const {
    return static_cast<int>(std::lround(pixels * 4.0 / charWidth_));
}
int DialogUnits::unitsY(int pixels) const {
    return static_cast<int>(std::lround(pixels * 8.0 / charHeight_));
}

} // namespace rowbit::ui
