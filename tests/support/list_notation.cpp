#include "support/list_notation.h"

namespace rowbit::testing {

namespace {

char letterOf(Justification justify) {
    switch (justify) {
    case Justification::Right:
        return 'R';
    case Justification::Center:
        return 'C';
    case Justification::Left:
        break;
    }
    return 'L';
}

} // namespace

std::string listNotation(const std::vector<browse::ListColumn>& columns) {
    std::string out;
    int nextField = 1;
    for (const browse::ListColumn& column : columns) {
        out += std::to_string(column.width) + letterOf(column.justify) + "(" +
               std::to_string(column.indent) + ")";
        out += column.rightBorder ? "|" : "";
        out += column.underline ? "_" : "";
        out += column.resizable ? "M" : "";
        if (column.hasHeader)
            out += "~" + column.header + "~" + letterOf(column.headerJustify) + "(" +
                   std::to_string(column.headerIndent) + ")";
        if (!column.picture.empty())
            out += "@" + column.picture + "@";
        if (column.field != nextField)
            out += "#" + std::to_string(column.field) + "#";
        nextField = column.field + 1;
    }
    return out;
}

} // namespace rowbit::testing
