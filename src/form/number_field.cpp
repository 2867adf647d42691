#include "form/number_field.h"

#include "app/cp949_text.h"

namespace rowbit::form {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int numberWidth(int fontSize) {
    return fontSize <= 10 ? 25 : 20;
}

std::string numberFieldPicture(std::string_view text, int fontSize) {
    const std::string width = std::to_string(numberWidth(fontSize));
    const std::string_view shown = cp949::trimRight(text);
    const auto point = shown.find('.');
    if (point == std::string_view::npos)
        return "@N-" + width + "B";
    const std::size_t places = cp949::byteLength(shown.substr(point + 1));
    return "@n-" + width + "." + std::to_string(places);
}

std::string formatNumberField(std::string_view text, int fontSize) {
    // The picture's places: the characters after the first point of the trimmed text, so
    // never fewer than the digits read after it. No rounding is ever needed.
    const std::string_view trimmed = cp949::trimRight(text);
    const auto pointAt = trimmed.find('.');
    const std::size_t places =
        pointAt == std::string_view::npos ? 0 : cp949::byteLength(trimmed.substr(pointAt + 1));

    // Read as readNumber does: the digits, the first point, a minus before them.
    std::string whole;
    std::string fraction;
    bool negative = false;
    bool seen = false;
    bool point = false;
    for (char c : text) {
        if (isDigit(c)) {
            seen = true;
            (point ? fraction : whole) += c;
        } else if (c == '.' && !point) {
            point = true;
            seen = true;
        } else if (c == '-' && !seen) {
            negative = true;
        }
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    fraction.resize(places, '0');
    const bool zero = whole.empty() && fraction.find_first_not_of('0') == std::string::npos;
    const auto width = static_cast<std::size_t>(numberWidth(fontSize));
    if (zero && pointAt == std::string_view::npos)
        return std::string(width, ' '); // "B": zero shows blank

    std::string out;
    if (negative && !zero)
        out += '-';
    if (whole.empty())
        whole = "0";
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i != 0 && (whole.size() - i) % 3 == 0)
            out += ',';
        out += whole[i];
    }
    if (places > 0)
        out += '.' + fraction;
    if (out.size() >= width)
        return out;
    return std::string(width - out.size(), ' ') + out;
}

bool numberHidden(std::string_view field, int fontSize) {
    return cp949::trim(field).size() > static_cast<std::size_t>(numberWidth(fontSize));
}

std::string shownNumber(std::string_view field, int fontSize) {
    if (numberHidden(field, fontSize))
        return std::string(static_cast<std::size_t>(numberWidth(fontSize)), '#');
    return std::string(cp949::trim(field));
}

bool isNumberEntry(std::string_view text) {
    const std::string_view t = cp949::trim(text);
    std::size_t i = 0;
    if (i < t.size() && t[i] == '-')
        ++i;
    const std::size_t wholeStart = i;
    while (i < t.size() && (isDigit(t[i]) || t[i] == ','))
        ++i;
    const std::string_view whole = t.substr(wholeStart, i - wholeStart);
    if (whole.find(',') != std::string_view::npos) {
        // 1 to 3 digits, not starting with 0, then groups of exactly three.
        const std::size_t first = whole.find(',');
        if (first == 0 || first > 3 || whole[0] == '0')
            return false;
        for (std::size_t c = first; c < whole.size(); c += 4) {
            if (whole.size() - c < 4 || whole[c] != ',')
                return false;
            for (std::size_t d = c + 1; d <= c + 3; ++d) {
                if (!isDigit(whole[d]))
                    return false;
            }
        }
    }
    bool digits = !whole.empty();
    if (i < t.size() && t[i] == '.') {
        ++i;
        for (; i < t.size() && isDigit(t[i]); ++i)
            digits = true;
    }
    return digits && i == t.size();
}

} // namespace rowbit::form
