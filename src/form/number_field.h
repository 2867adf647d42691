#pragma once
// Number fields of the record form: FontCheck, which rewrites a field as a right-aligned,
// grouped number in a picture 25 (20 for large fonts) characters wide, and the number test
// an entered number must pass.

#include <string>
#include <string_view>

namespace rowbit::form {

// The picture width of number fields: 25 up to 10 points, 20 above.
int numberWidth(int gsize);
// The picture FontCheck formats `text` with: "@N-25B", or "@n-25.k" when the text holds a
// point (k the characters after it).
std::string fontCheckPicture(std::string_view text, int gsize);
// FontCheck: the field's text read as a number, formatted with fontCheckPicture. A number
// too long for the picture shows "#" over its width.
std::string fontCheck(std::string_view text, int gsize);
// The numeric test of an entered number. Thousands commas between digits pass, so a field
// FontCheck wrote as 1,234 and the user touched still counts as a number.
bool isNumberEntry(std::string_view text);

} // namespace rowbit::form
