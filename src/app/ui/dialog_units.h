#pragma once
// Dialog units: positions and sizes designed independent of the font. Across, one unit is a
// quarter of the font's average character width; down, an eighth of its height.

#include <QFont>
#include <QRect>

namespace rowbit::ui {

class DialogUnits {
public:
    DialogUnits() = default;
    explicit DialogUnits(const QFont& font);
    DialogUnits(double averageCharWidth, double charHeight)
        : charWidth_(averageCharWidth), charHeight_(charHeight) {}

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    // Pixels back to units, rounded to the nearest unit.
    int unitsX(int pixels) const;
    int unitsY(int pixels) const;

    double charWidth() const { return charWidth_; }
    double charHeight() const { return charHeight_; }

private:
    double charWidth_ = 7;
    double charHeight_ = 16;
};

} // namespace rowbit::ui
