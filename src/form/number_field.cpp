#include "form/number_field.h"

#include "app/cp949_text.h"
#include "app/picture.h"

namespace rowbit::form {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

int numberWidth(int gsize) {
    return gsize <= 10 ? 25 : 20;
}

std::string fontCheckPicture(std::string_view text, int gsize) {
    const std::string width = std::to_string(numberWidth(gsize));
    const std::string_view shown = cp949::trimRight(text);
    const auto point = shown.find('.');
    if (point == std::string_view::npos)
        return "@N-" + width + "B";
    const std::size_t places = cp949::byteLength(shown.substr(point + 1));
    return "@n-" + width + "." + std::to_string(places);
}

std::string fontCheck(std::string_view text, int gsize) {
    const std::string pict = fontCheckPicture(text, gsize);
    const auto parsed = picture::parseNumericPicture(pict);
    if (!parsed) // more places than any picture holds
        return std::string(static_cast<std::size_t>(numberWidth(gsize)), '#');
    return picture::formatNumber(picture::readNumber(text), *parsed);
}

bool isNumberEntry(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool grouping = text[i] == ',' && i > 0 && i + 1 < text.size() &&
                              isDigit(text[i - 1]) && isDigit(text[i + 1]);
        if (!grouping)
            plain += text[i];
    }
    return picture::isNumeric(plain);
}

} // namespace rowbit::form
