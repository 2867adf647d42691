#pragma once
// Byte limits of entry boxes, counted in CP949 bytes as the workbooks' users count them. Text
// is measured only once an input method has committed it, so a Hangul syllable being composed
// is never split: a committed syllable that does not fit is refused whole.

#include <QValidator>

#include <cstddef>

class QPlainTextEdit;

namespace rowbit::ui {

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
