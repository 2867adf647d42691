#pragma once
// Column letters as sheets name their columns: "A" is column 1, "Z" 26, "AA" 27, "XFD" 16,384.
// Letters are capitals, as both workbook formats store them and as they are shown; a reader of
// formula text, where small letters are allowed, folds them before asking. Both converters
// run for every cell a sheet reads or writes, so they live here, inline.

#include <cstddef>
#include <string>
#include <string_view>

namespace rowbit {

// The last column either format allows: an .xlsx sheet reaches XFD (16,384 columns), an .xls
// sheet stops at IV (256). The converters take the larger; each book keeps to its own grid.
inline constexpr int kLastColumnNumber = 16384;
inline constexpr std::size_t kMostColumnLetters = 3;

// 1 -> "A", 28 -> "AB", 16384 -> "XFD"; empty outside 1..kLastColumnNumber.
inline std::string columnLetters(int number) {
    if (number < 1 || number > kLastColumnNumber)
        return {};
    char letters[kMostColumnLetters];
    std::size_t first = kMostColumnLetters;
    for (; number > 0; number = (number - 1) / 26)
        letters[--first] = static_cast<char>('A' + (number - 1) % 26);
    return std::string(letters + first, letters + kMostColumnLetters);
}

// "A" -> 1, "AB" -> 28; 0 unless `letters` is one to three capitals naming a column within
// kLastColumnNumber.
inline int columnNumber(std::string_view letters) {
    if (letters.empty() || letters.size() > kMostColumnLetters)
        return 0;
    int number = 0;
    for (const char c : letters) {
        if (c < 'A' || c > 'Z')
            return 0;
        number = number * 26 + (c - 'A' + 1);
    }
    return number <= kLastColumnNumber ? number : 0;
}

} // namespace rowbit
