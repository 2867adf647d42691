#pragma once
// Deciding whether a cell's number format shows a date or a time, shared by both codecs.

#include <string_view>

namespace rowbit::numfmt {

// Built-in number formats that show dates or times: 14-22, 27-36, 45-47, 50-58.
bool isBuiltinDateFormat(int id);
// A custom format code shows a date or time when, in its first section and outside quoted
// text, escapes and [...] brackets, it holds one of d, m, y, h, s; an elapsed-time bracket
// [h], [mm], [ss] counts as a time as well. ("General" has none of these letters.)
bool isDateFormatCode(std::string_view code);

} // namespace rowbit::numfmt
