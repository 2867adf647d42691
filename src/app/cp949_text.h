#pragma once
// Widths of texts as the workbooks' users count them: in CP949 bytes. Texts are held as UTF-8;
// an ASCII character counts one byte, every other character two (a Hangul syllable is two
// bytes in CP949). Cutting to a width never splits a character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace rowbit::cp949 {

// CP949 byte length of a UTF-8 text.
std::size_t byteLength(std::string_view utf8);
// The longest prefix of `utf8` whose CP949 length is at most `bytes`.
std::string cut(std::string_view utf8, std::size_t bytes);
// The length in UTF-8 bytes of that prefix, for cutting a string in place.
std::size_t cutLength(std::string_view utf8, std::size_t bytes);
// byteLength(utf8) and cutLength(utf8, bytes) in one pass over the text.
std::size_t byteLength(std::string_view utf8, std::size_t bytes, std::size_t& cutAt);
// Removes trailing blanks (spaces only, as fixed-width fields are padded with them).
std::string_view trimRight(std::string_view text);
// Removes leading and trailing blanks.
std::string_view trim(std::string_view text);
// Field comparisons: trailing blanks ignored, case-sensitive, byte-wise in UTF-8.
bool equalTrimmed(std::string_view a, std::string_view b);
int compareTrimmed(std::string_view a, std::string_view b);
// ASCII upper-casing (other characters unchanged), for the comparisons done "upper-cased".
std::string upper(std::string_view text);

// Converts CP949 bytes (the Korean code page of Windows) to UTF-8; nullopt if not valid CP949.
std::optional<std::string> toUtf8(std::string_view cp949Bytes);
// Converts UTF-8 to CP949 bytes; nullopt when a character has no CP949 form.
std::optional<std::string> fromUtf8(std::string_view utf8);
// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

} // namespace rowbit::cp949
