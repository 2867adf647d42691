#include "app/list_format.h"

#include "app/cp949_text.h"
#include "app/picture.h"

#include <cctype>
#include <utility>

namespace rowbit::browse {

ListColumn ruledColumn(int width, Justification justify, std::string picture, int field) {
    ListColumn column;
    column.width = width;
    column.justify = justify;
    column.indent = 2;
    column.rightBorder = true;
    column.underline = true;
    column.resizable = true;
    column.picture = std::move(picture);
    column.field = field;
    return column;
}

ListColumn ruledColumn(int width, Justification justify, std::string header,
                       Justification headerJustify, std::string picture, int field,
                       int headerIndent) {
    ListColumn column = ruledColumn(width, justify, std::move(picture), field);
    column.hasHeader = true;
    column.header = std::move(header);
    column.headerJustify = headerJustify;
    column.headerIndent = headerIndent;
    return column;
}

std::string applyColumnPicture(const ListColumn& column, std::string_view text) {
    const std::string_view pic = column.picture;
    if (pic.empty())
        return std::string(text);
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(pic[0])));
    if (kind == 'N') {
        if (cp949::trim(text).empty())
            return {};
        return picture::formatNumber(picture::readNumber(text), pic);
    }
    if (kind == 'S')
        return picture::formatString(text, pic);
    return std::string(text);
}

} // namespace rowbit::browse
