#include "setup/ui/entry_validators.h"

#include "app/cp949_text.h"

namespace rowbit::ui {

QValidator::State ByteLimitValidator::validate(QString& input, int&) const {
    return cp949::byteLength(input.toStdString()) <= bytes_ ? Acceptable : Invalid;
}

QValidator::State DigitsValidator::validate(QString& input, int&) const {
    if (input.size() > digits_)
        return Invalid;
    for (const QChar c : input) {
        if (!c.isDigit() || c.unicode() > '9')
            return Invalid;
    }
    return input.isEmpty() || input.toLongLong() <= largest_ ? Acceptable : Invalid;
}

} // namespace rowbit::ui
