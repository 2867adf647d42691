#pragma once
// List format strings: the notation in which a list's columns are described. One format is a
// run of column descriptions; each is, in this order:
//
//   width          40        dialog units (a quarter of the font's average character width)
//   justification  L C R     how the data stands in the column (D is read as R)
//   indent         (2)       dialog units in from the aligned edge (off the centre for C)
//   modifiers      | _ M     right border, line under each cell, resizable by the user
//   header         ~Price~   header text, optionally followed by its justification and indent
//   picture        @s128@    display picture of the data
//   field number   #11#      1-based field of the record shown; without it, the field after
//                            the previous column's
//
// The parser is strict: a format that does not follow the notation is refused with the place
// where it went wrong, since every format comes from the program itself.

#include "app/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace rowbit::browse {

enum class Justify { Left, Centre, Right };

struct ListColumn {
    int width = 0; // dialog units
    Justify justify = Justify::Left;
    int indent = 0; // dialog units
    bool rightBorder = false;
    bool underline = false;
    bool resizable = false;
    bool hasHeader = false;
    std::string header;
    Justify headerJustify = Justify::Left;
    int headerIndent = 0;
    std::string picture; // without the at-signs, empty when none ("s128", "N3")
    int field = 1;       // 1-based field of the record
};

Result<std::vector<ListColumn>> parseListFormat(std::string_view format);

// The text a column shows for a field's text: numeric pictures format the number read from the
// text (an empty text stays empty), string pictures cut it to their length in characters.
std::string applyColumnPicture(const ListColumn& column, std::string_view text);

} // namespace rowbit::browse
