#include "form/ui/byte_limit.h"

#include "app/cp949_text.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>

namespace rowbit::ui {

namespace {

std::size_t bytesOf(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return cp949::byteLength(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// The longest start of `text` within `bytes`, never splitting a character.
QString startWithin(const QString& text, std::size_t bytes) {
    const QByteArray utf8 = text.toUtf8();
    return QString::fromUtf8(cp949::cut(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), bytes));
}

} // namespace

bool fitEditInBytes(QString& text, int& cursor, std::size_t bytes) {
    if (bytesOf(text) <= bytes)
        return false;
    cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    const QString before = text.left(cursor);
    const QString after = text.mid(cursor);
    const std::size_t afterBytes = bytesOf(after);
    if (afterBytes > bytes) {
        text = startWithin(text, bytes);
        cursor = std::min(cursor, static_cast<int>(text.size()));
        return true;
    }
    const QString kept = startWithin(before, bytes - afterBytes);
    text = kept + after;
    cursor = static_cast<int>(kept.size());
    return true;
}

QValidator::State Cp949Limit::validate(QString& input, int& pos) const {
    fitEditInBytes(input, pos, bytes_);
    return Acceptable;
}

void limitBytes(QPlainTextEdit* box, std::size_t bytes) {
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, bytes] {
        QString text = box->toPlainText();
        const int at = box->textCursor().position();
        int cursor = at;
        if (!fitEditInBytes(text, cursor, bytes))
            return;
        // Only the characters that did not fit go, through the box's own cursor, so the rest of
        // the text and the undo history stay as they are. Emits textChanged again, now within
        // the limit.
        QTextCursor cut = box->textCursor();
        const int removed = static_cast<int>(box->toPlainText().size() - text.size());
        if (text.size() >= cursor && box->toPlainText().mid(at) == text.mid(cursor)) {
            cut.setPosition(cursor);
            cut.setPosition(at, QTextCursor::KeepAnchor);
        } else {
            cut.setPosition(static_cast<int>(text.size()));
            cut.setPosition(static_cast<int>(text.size()) + removed, QTextCursor::KeepAnchor);
        }
        cut.removeSelectedText();
        box->setTextCursor(cut);
    });
}

} // namespace rowbit::ui
