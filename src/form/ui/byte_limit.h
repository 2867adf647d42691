#pragma once
// Byte limits of entry boxes, counted in CP949 bytes as the workbooks' users count them. Text
// is measured only once an input method has committed it, so a Hangul syllable being composed
// is never split. What does not fit of an edit is dropped from its end, as a line edit's length
// limit does: a paste keeps as much as fits, never half a character, and a typed or committed
// character that does not fit is refused whole.

#include <QString>
#include <QValidator>

#include <cstddef>

class QPlainTextEdit;

namespace rowbit::ui {

// The edit that ended at `cursor` (the text before it holds what was typed or pasted) cut back
// from its end until `text` fits in `bytes`; `cursor` follows. A text whose part after the
// cursor alone does not fit is cut from its end instead. False when it fitted as it was.
bool fitEditInBytes(QString& text, int& cursor, std::size_t bytes);

class Cp949Limit : public QValidator {
    Q_OBJECT
public:
    explicit Cp949Limit(std::size_t bytes, QObject* parent = nullptr)
        : QValidator(parent), bytes_(bytes) {}
    State validate(QString& input, int& pos) const override;

private:
    std::size_t bytes_;
};

// Keeps a multi-line box within `bytes`.
void limitBytes(QPlainTextEdit* box, std::size_t bytes);

} // namespace rowbit::ui
