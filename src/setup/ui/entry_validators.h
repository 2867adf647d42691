#pragma once
// What the setup dialog's entry fields accept: texts up to a number of CP949 bytes (a Hangul
// syllable counts two, as the workbooks' users count it), and whole numbers of a few digits
// up to a largest value.

#include <QValidator>

namespace rowbit::ui {

class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(std::size_t bytes, QObject* parent) : QValidator(parent), bytes_(bytes) {}
    State validate(QString& input, int& pos) const override;

private:
    std::size_t bytes_;
};

class DigitsValidator : public QValidator {
public:
    DigitsValidator(int digits, long long largest, QObject* parent)
        : QValidator(parent), digits_(digits), largest_(largest) {}
    State validate(QString& input, int& pos) const override;

private:
    int digits_;
    long long largest_;
};

} // namespace rowbit::ui
