#pragma once
// The columns of a list of records: how wide each is, where its texts stand, its header, the
// picture its texts are shown in and the field of the line it shows. Whoever decides a list's
// columns builds them; the list view draws them as they are.

#include "app/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace rowbit::browse {

struct ListColumn {
    int width = 0; // dialog units (a quarter of the font's average character width)
    Justification justify = Justification::Left;
    int indent = 0; // dialog units in from the aligned edge (off the centre when centred)
    bool rightBorder = false;
    bool underline = false; // a line under each cell
    bool resizable = false; // the user may drag its width
    bool hasHeader = false;
    std::string header;
    Justification headerJustify = Justification::Left;
    int headerIndent = 0;
    std::string picture; // display picture of the texts, empty when none ("s128", "N3")
    int field = 1;       // 1-based field of the line shown
};

// A column as the program's lists draw theirs: 2 units in from its edge, with a right border
// and a line under each cell, resizable, without a header.
ListColumn ruledColumn(int width, Justification justify, std::string picture, int field);
// The same with a header.
ListColumn ruledColumn(int width, Justification justify, std::string header,
                       Justification headerJustify, std::string picture, int field,
                       int headerIndent = 0);

// The text a column shows for a field's text: numeric pictures format the number read from the
// text (an empty text stays empty), string pictures cut it to their length in characters.
std::string applyColumnPicture(const ListColumn& column, std::string_view text);

} // namespace rowbit::browse
