#include "workbook/number_format.h"

#include <cctype>

namespace rowbit::numfmt {

bool isBuiltinDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// [h], [hh], [mm], [ss]: elapsed time. Colour names, conditions and locale tags are not.
bool isElapsedBracket(std::string_view inside) {
    if (inside.empty())
        return false;
    const char first = lower(inside[0]);
    if (first != 'h' && first != 'm' && first != 's')
        return false;
    for (char c : inside) {
        if (lower(c) != first)
            return false;
    }
    return true;
}

} // namespace

bool isDateFormatCode(std::string_view code) {
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        switch (c) {
        case ';':
            return false; // only the first (positive) section decides
        case '"': {
            const auto end = code.find('"', i + 1);
            if (end == std::string_view::npos)
                return false;
            i = end;
            break;
        }
        case '\\':
        case '_':
        case '*':
            ++i; // the next character is literal (or padding)
            break;
        case '[': {
            const auto end = code.find(']', i + 1);
            if (end == std::string_view::npos)
                return false;
            if (isElapsedBracket(code.substr(i + 1, end - i - 1)))
                return true;
            i = end;
            break;
        }
        default:
            switch (lower(c)) {
            case 'd':
            case 'm':
            case 'y':
            case 'h':
            case 's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

} // namespace rowbit::numfmt
