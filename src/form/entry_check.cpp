#include "form/entry_check.h"

#include "app/cp949_text.h"
#include "app/picture.h"

#include <cstdio>

namespace rowbit::form {

namespace {

enum class Order { MonthFirst, DayFirst, YearFirst };

std::string picturePart(std::string_view datePicture) {
    const std::string head = cp949::upper(datePicture.substr(0, 3));
    if (head == "@D1" || head == "@D5" || head == "@D9")
        return std::string(datePicture);
    return "@D9-";
}

Order orderOf(std::string_view pic) {
    if (pic[2] == '1')
        return Order::MonthFirst;
    return pic[2] == '5' ? Order::DayFirst : Order::YearFirst;
}

} // namespace

int firstNonNumeric(std::string_view text) {
    if (picture::isNumeric(text))
        return 0;
    const std::string_view t = cp949::trimRight(text);
    bool point = false;
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    const std::size_t first = i;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            continue;
        } else if (c == '.' && !point) {
            point = true;
        } else if (!(c == '-' && i == first)) {
            return static_cast<int>(i) + 1;
        }
    }
    // A lone sign or point: the text ends too early.
    return static_cast<int>(t.size()) + 1;
}

DateEntry checkDate(std::string_view text, std::string_view datePicture, std::int32_t today) {
    const std::string pic = picturePart(datePicture);
    const Order order = orderOf(pic);
    const std::string_view t = cp949::trimRight(text);
    const std::size_t n = t.size();
    const CheckStatus refused = CheckStatus::DateWrongInput;

    if (!picture::isNumeric(t))
        return {CheckStatus::DateNotNumeric, {}, firstNonNumeric(t)};

    const std::string shown = picture::formatDate(today, pic);     // T, 8 characters
    const std::string compact = picture::formatDate(today, "D11"); // S, yymmdd
    const int year = picture::civilFromSerial(today).year;
    char yearText[8];
    std::snprintf(yearText, sizeof yearText, "%04d", year % 10000);
    const picture::YearWindow window{year, std::nullopt};

    // Digits read as yymmdd (D11) or yyyymmdd (D12) and shown in the date picture; no such
    // date is refused like a wrong length.
    auto read = [&](const std::string& digits, const char* compactPicture) -> DateEntry {
        const auto serial = picture::readDate(digits, compactPicture, window);
        if (!serial)
            return {refused, {}, static_cast<int>(n)};
        return {CheckStatus::Accepted, picture::formatDate(*serial, pic), 0};
    };
    const std::string typed(t);

    switch (order) {
    case Order::MonthFirst:
        if (n == 1)
            return {CheckStatus::Accepted, shown.substr(0, 3) + "0" + typed + shown.substr(5, 3)};
        if (n == 2)
            return {CheckStatus::Accepted, shown.substr(0, 3) + typed + shown.substr(5, 3)};
        if (n == 4)
            return read(yearText + typed, "D12");
        if (n == 6)
            return read(typed.substr(4, 2) + typed.substr(0, 4), "D11");
        break;
    case Order::DayFirst:
        if (n == 1)
            return read(compact.substr(0, 4) + "0" + typed, "D11");
        if (n == 2)
            return read(compact.substr(0, 4) + typed, "D11");
        if (n == 4)
            return read(compact.substr(0, 2) + typed.substr(2, 2) + typed.substr(0, 2), "D11");
        if (n == 6)
            return read(typed.substr(4, 2) + typed.substr(2, 2) + typed.substr(0, 2), "D11");
        break;
    case Order::YearFirst:
        if (n == 1)
            return {CheckStatus::Accepted, shown.substr(0, 6) + "0" + typed};
        if (n == 2)
            return {CheckStatus::Accepted, shown.substr(0, 6) + typed};
        if (n == 4)
            return read(yearText + typed, "D12");
        if (n == 6)
            return read(typed, "D11");
        break;
    }
    return {refused, {}, static_cast<int>(n)};
}

std::string checkMessage(CheckStatus status, std::string_view datePicture) {
    const bool yearFirst = orderOf(picturePart(datePicture)) == Order::YearFirst;
    switch (status) {
    case CheckStatus::NotANumber:
        return kNumbersOnly;
    case CheckStatus::DateNotNumeric:
        return yearFirst ? kDateM3 : kDateM1;
    case CheckStatus::DateWrongInput:
        return yearFirst ? kDateM4 : kDateM2;
    default:
        return {};
    }
}

} // namespace rowbit::form
