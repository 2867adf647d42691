#include "form/ui/byte_limit.h"

#include "app/cp949_text.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace rowbit::ui {

namespace {
// `text` cut to `bytes`, or nullopt when it fits.
std::optional<QString> overLimit(const QString& text, std::size_t bytes) {
    const QByteArray utf8 = text.toUtf8();
    const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (cp949::byteLength(view) <= bytes)
        return std::nullopt;
    return QString::fromUtf8(cp949::cut(view, bytes));
}
} // namespace

QValidator::State Cp949Limit::validate(QString& input, int&) const {
    // An edit that would not fit is refused whole, as a full fixed-width field refuses a key.
    return overLimit(input, bytes_) ? Invalid : Acceptable;
}

void limitBytes(QPlainTextEdit* box, std::size_t bytes) {
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, bytes] {
        auto cut = overLimit(box->toPlainText(), bytes);
        if (!cut)
            return;
        const int pos = std::min(box->textCursor().position(), static_cast<int>(cut->size()));
        box->setPlainText(*cut); // emits textChanged again, now within the limit
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(pos);
        box->setTextCursor(cursor);
    });
}

} // namespace rowbit::ui
