#pragma once
// Typefaces the preferences and the designed windows name, mapped to installed fonts that
// carry Hangul, so Korean text never shows as boxes.

#include <QFont>
#include <QString>

namespace rowbit::ui {

// Registers the substitutions; call once after the QApplication exists.
void installFontSubstitutions();

// The window font of the preferences: face, size in points (0: 9 points).
QFont preferredFont(const QString& face, int pointSize);

} // namespace rowbit::ui
