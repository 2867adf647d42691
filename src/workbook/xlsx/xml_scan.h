#pragma once
// A small pull tokenizer for the package's XML. Sheet and string parts can be hundreds of
// megabytes, so they are scanned in chunks as they are inflated instead of being built into a
// tree. Only the five predefined entities and character references are known: a document type
// declaration is refused, so no entity can ever be resolved from outside.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace rowbit::xlsx::xml {

// The value of a hexadecimal digit, -1 for any other character.
int hexValue(char c);

struct Token {
    enum Kind { Start, End, Empty, Text, CData, Other };
    Kind kind = Other;
    std::string_view name;  // qualified name of a tag
    std::string_view attrs; // the attribute text of a start or empty tag
    std::string_view text;  // raw text of Text / CData
    std::string_view raw;   // every byte of the token
};

class Scanner {
public:
    enum Status { Ok, NeedMore, End, Bad };

    // `final`: no more bytes follow, so a token cut short is malformed, not incomplete.
    void reset(const char* data, std::size_t size, bool final) {
        begin_ = pos_ = data;
        end_ = data + size;
        final_ = final;
    }
    Status next(Token& token);
    std::size_t consumed() const { return static_cast<std::size_t>(pos_ - begin_); }
    const char* error() const { return error_; }

private:
    const char* begin_ = nullptr;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    bool final_ = true;
    const char* error_ = "";
};

// Whether `text` is the word: a compare of constant size, done inline, for the names tested
// for every cell of a sheet.
template <std::size_t N>
inline bool is(std::string_view text, const char (&word)[N]) {
    return text.size() == N - 1 && std::memcmp(text.data(), word, N - 1) == 0;
}

inline std::string_view localName(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}
inline std::string_view prefixOf(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view{} : qname.substr(0, colon + 1);
}

// Walks the attributes of a start tag. Values are raw (still escaped).
class AttrReader {
public:
    explicit AttrReader(std::string_view attrs) : p_(attrs.data()), end_(p_ + attrs.size()) {}
    bool next(std::string_view& name, std::string_view& value);
    bool bad() const { return bad_; }

private:
    const char* p_;
    const char* end_;
    bool bad_ = false;
};

// Appends ` name="value"` for a raw value as read, quoted with ' when it holds a ".
void appendRawAttr(std::string& out, std::string_view name, std::string_view rawValue);

// The raw value of an attribute by local name, or false.
bool findAttr(std::string_view attrs, std::string_view local, std::string_view& value);

// Appends XML text with its references decoded, as UTF-8. False on an unknown entity or a
// malformed reference.
bool appendDecoded(std::string& out, std::string_view raw);
// Appends text escaped for element content (attr = true: for a double-quoted attribute).
void appendEscaped(std::string& out, std::string_view text, bool attr = false);
void appendUtf8(std::string& out, std::uint32_t cp);

// Cell text in the package escapes characters XML cannot hold as _xHHHH_ (and a literal
// "_x" sequence as _x005F_). These turn the stored form into the text and back.
std::string decodeEscapes(std::string_view stored);
bool needsEscapes(std::string_view text);
std::string encodeEscapes(std::string_view text);
// Appends cell text as element content: its _xHHHH_ form where needed, then escaped.
void appendCellText(std::string& out, std::string_view text);

} // namespace rowbit::xlsx::xml
