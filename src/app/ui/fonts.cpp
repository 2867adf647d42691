#include "app/ui/fonts.h"

#include <QStringList>

namespace rowbit::ui {

void installFontSubstitutions() {
    const QStringList gothic{QStringLiteral("NanumGothic"), QStringLiteral("Noto Sans CJK KR")};
    // Fixed-pitch faces need a font in which a Hangul syllable is exactly two Latin cells.
    const QStringList coding{QStringLiteral("NanumGothicCoding"),
                             QStringLiteral("Noto Sans Mono CJK KR")};
    const QStringList myeongjo{QStringLiteral("NanumMyeongjo"),
                               QStringLiteral("Noto Serif CJK KR")};
    for (const char* face : {"굴림", "돋움", "Gulim", "Dotum", "Arial"})
        QFont::insertSubstitutions(QString::fromUtf8(face), gothic);
    for (const char* face : {"굴림체", "돋움체", "GulimChe", "DotumChe"})
        QFont::insertSubstitutions(QString::fromUtf8(face), coding);
    for (const char* face : {"바탕", "Batang"})
        QFont::insertSubstitutions(QString::fromUtf8(face), myeongjo);
}

QFont preferredFont(const QString& face, int pointSize) {
    QFont font(face.trimmed().isEmpty() ? QStringLiteral("굴림") : face.trimmed());
    font.setPointSize(pointSize > 0 ? pointSize : 9);
    return font;
}

} // namespace rowbit::ui
