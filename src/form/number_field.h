#pragma once
// Number fields of the record form: formatNumberField, which rewrites a field as a right-aligned,
// grouped number in a picture 25 (20 for large fonts) characters wide, and the number test
// an entered number must pass.

#include <string>
#include <string_view>

namespace rowbit::form {

// The picture width of number fields: 25 up to 10 points, 20 above.
int numberWidth(int fontSize);
// The picture formatNumberField formats `text` with: "@N-25B", or "@n-25.k" when the text holds a
// point (k the characters after it).
std::string numberFieldPicture(std::string_view text, int fontSize);
// The field's text read as a number, formatted with numberFieldPicture. The digits
// are taken as they stand, never through a binary float, so every typed digit is kept. A
// number wider than the picture is kept whole, grouped and without padding: the field holds
// the number behind a picture that cannot show it (see numberHidden).
std::string formatNumberField(std::string_view text, int fontSize);
// True when a formatted number field is wider than its picture: the box shows "#" over the
// picture's width while the field keeps the number.
bool numberHidden(std::string_view field, int fontSize);
// The box's text for a number field: the number without its padding, or "#" over the
// picture's width when the picture cannot show it.
std::string shownNumber(std::string_view field, int fontSize);
// The numeric test of an entered number: digits with at most one point and a leading minus,
// blanks around. Commas pass only as thousands groups of the whole part (1,234 and
// -1,234,567.5, so a field formatNumberField wrote and the user touched still counts as a number);
// 1,5 or 12,34 do not.
bool isNumberEntry(std::string_view text);

} // namespace rowbit::form
