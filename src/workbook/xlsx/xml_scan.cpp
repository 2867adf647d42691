#include "workbook/xlsx/xml_scan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace rowbit::xlsx::xml {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

// The high bit of each byte of the word `v` that is the byte repeated in `pattern`, and
// perhaps of bytes after the first such one: the lowest bit set marks the first exactly.
inline std::uint64_t byteMarks(std::uint64_t v, std::uint64_t pattern) {
    const std::uint64_t x = v ^ pattern;
    return (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
}
inline bool hasByte(std::uint64_t v, std::uint64_t pattern) {
    return byteMarks(v, pattern) != 0;
}

// The first '<' from `p` on, or null. Most texts of a sheet are a few bytes long: the first
// words are looked at here, a longer text is left to the library's search.
const char* findLessThan(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t ltWord = 0x3C3C3C3C3C3C3C3Cull;
        for (int words = 0; words < 4 && end - p >= 8; ++words, p += 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (const std::uint64_t marks = byteMarks(word, ltWord))
                return p + std::countr_zero(marks) / 8;
        }
    }
    return static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char* find(const char* from, const char* end, std::string_view what) {
    while (from < end) {
        const void* hit = std::memchr(from, what[0], static_cast<std::size_t>(end - from));
        if (!hit)
            return nullptr;
        const char* p = static_cast<const char*>(hit);
        if (static_cast<std::size_t>(end - p) < what.size())
            return nullptr;
        if (std::memcmp(p, what.data(), what.size()) == 0)
            return p;
        from = p + 1;
    }
    return nullptr;
}

bool startsWith(const char* p, const char* end, std::string_view what) {
    return static_cast<std::size_t>(end - p) >= what.size() &&
           std::memcmp(p, what.data(), what.size()) == 0;
}

bool isNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

bool isName(std::string_view name) {
    for (char c : name) {
        if (!isNameByte(c))
            return false;
    }
    return !name.empty();
}

} // namespace

Scanner::Status Scanner::next(Token& token) {
    if (pos_ >= end_)
        return final_ ? End : NeedMore;
    if (*pos_ != '<') {
        const char* lt = findLessThan(pos_, end_);
        if (!lt && !final_)
            return NeedMore;
        const char* stop = lt ? lt : end_;
        token.kind = Token::Text;
        token.text = token.raw = std::string_view(pos_, static_cast<std::size_t>(stop - pos_));
        pos_ = stop;
        return Ok;
    }
    const char* p = pos_ + 1;
    if (p >= end_)
        return final_ ? (error_ = "a tag is cut short", Bad) : NeedMore;
    if (*p == '!') {
        if (startsWith(p, end_, "!--")) {
            const char* close = find(p + 3, end_, "-->");
            if (!close)
                return final_ ? (error_ = "a comment is not closed", Bad) : NeedMore;
            token.kind = Token::Other;
            token.raw = std::string_view(pos_, static_cast<std::size_t>(close + 3 - pos_));
            pos_ = close + 3;
            return Ok;
        }
        if (startsWith(p, end_, "![CDATA[")) {
            const char* close = find(p + 8, end_, "]]>");
            if (!close)
                return final_ ? (error_ = "a CDATA section is not closed", Bad) : NeedMore;
            token.kind = Token::CData;
            token.text = std::string_view(p + 8, static_cast<std::size_t>(close - (p + 8)));
            token.raw = std::string_view(pos_, static_cast<std::size_t>(close + 3 - pos_));
            pos_ = close + 3;
            return Ok;
        }
        if (!final_ && end_ - p < 9)
            return NeedMore;
        error_ = "a document type declaration is not allowed";
        return Bad;
    }
    if (*p == '?') {
        const char* close = find(p, end_, "?>");
        if (!close)
            return final_ ? (error_ = "a processing instruction is not closed", Bad) : NeedMore;
        token.kind = Token::Other;
        token.raw = std::string_view(pos_, static_cast<std::size_t>(close + 2 - pos_));
        pos_ = close + 2;
        return Ok;
    }
    // Find the closing '>' outside quoted attribute values.
    const char* q = p;
    while (q < end_ && *q != '>') {
        if (*q != '"' && *q != '\'') {
            if (*q == '<')
                return error_ = "a tag is not closed", Bad;
            ++q;
            continue;
        }
        // Attribute values are short: a plain loop beats a call.
        const char quote = *q++;
        while (q < end_ && *q != quote) {
            if (*q == '<')
                return error_ = "an attribute value holds '<'", Bad;
            ++q;
        }
        if (q >= end_)
            break;
        ++q;
    }
    if (q >= end_)
        return final_ ? (error_ = "a tag is not closed", Bad) : NeedMore;
    token.raw = std::string_view(pos_, static_cast<std::size_t>(q + 1 - pos_));
    pos_ = q + 1;
    if (*p == '/') {
        const char* n = p + 1;
        const char* e = n;
        while (e < q && !isSpace(*e))
            ++e;
        token.kind = Token::End;
        token.name = std::string_view(n, static_cast<std::size_t>(e - n));
        token.attrs = {};
        if (!isName(token.name))
            return error_ = "an end tag has no proper name", Bad;
        return Ok;
    }
    const char* e = p;
    while (e < q && !isSpace(*e) && *e != '/')
        ++e;
    token.name = std::string_view(p, static_cast<std::size_t>(e - p));
    if (!isName(token.name))
        return error_ = "a tag has no proper name", Bad;
    const char* attrEnd = q;
    if (q > p && q[-1] == '/') {
        token.kind = Token::Empty;
        attrEnd = q - 1;
    } else {
        token.kind = Token::Start;
    }
    token.attrs = e < attrEnd ? std::string_view(e, static_cast<std::size_t>(attrEnd - e))
                              : std::string_view{};
    return Ok;
}

bool AttrReader::next(std::string_view& name, std::string_view& value) {
    while (p_ < end_ && isSpace(*p_))
        ++p_;
    if (p_ >= end_)
        return false;
    const char* n = p_;
    while (p_ < end_ && *p_ != '=' && !isSpace(*p_))
        ++p_;
    name = std::string_view(n, static_cast<std::size_t>(p_ - n));
    while (p_ < end_ && isSpace(*p_))
        ++p_;
    if (p_ >= end_ || *p_ != '=' || name.empty())
        return bad_ = true, false;
    ++p_;
    while (p_ < end_ && isSpace(*p_))
        ++p_;
    if (p_ >= end_ || (*p_ != '"' && *p_ != '\''))
        return bad_ = true, false;
    const char quote = *p_++;
    const void* close = std::memchr(p_, quote, static_cast<std::size_t>(end_ - p_));
    if (!close)
        return bad_ = true, false;
    value = std::string_view(p_, static_cast<std::size_t>(static_cast<const char*>(close) - p_));
    p_ = static_cast<const char*>(close) + 1;
    return true;
}

void appendRawAttr(std::string& out, std::string_view name, std::string_view rawValue) {
    const char quote = rawValue.find('"') == std::string_view::npos ? '"' : '\'';
    out += ' ';
    out.append(name);
    out += '=';
    out += quote;
    out.append(rawValue);
    out += quote;
}

bool findAttr(std::string_view attrs, std::string_view local, std::string_view& value) {
    AttrReader reader(attrs);
    std::string_view name;
    std::string_view v;
    while (reader.next(name, v)) {
        if (localName(name) == local && name.substr(0, 6) != "xmlns:") {
            value = v;
            return true;
        }
    }
    return false;
}

namespace {

// Writes the UTF-8 form of `cp` at `d`; returns one past it.
char* putUtf8(char* d, std::uint32_t cp) {
    if (cp < 0x80) {
        *d++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *d++ = static_cast<char>(0xC0 | (cp >> 6));
        *d++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *d++ = static_cast<char>(0xE0 | (cp >> 12));
        *d++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *d++ = static_cast<char>(0xF0 | (cp >> 18));
        *d++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *d++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return d;
}

} // namespace

void appendUtf8(std::string& out, std::uint32_t cp) {
    char buf[4];
    out.append(buf, static_cast<std::size_t>(putUtf8(buf, cp) - buf));
}

namespace {

// The character a reference between '&' and ';' stands for, 0 when it is none.
std::uint32_t referenceValue(std::string_view name) {
    if (name.size() >= 2 && name[0] == '#') {
        std::uint32_t cp = 0;
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return 0;
        for (char c : digits) {
            const int v = hex ? hexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
            if (v < 0)
                return 0;
            cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
            if (cp > 0x10FFFF)
                break;
        }
        if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        return cp;
    }
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "amp")
        return '&';
    if (name == "quot")
        return '"';
    if (name == "apos")
        return '\'';
    return 0;
}

} // namespace

bool appendDecoded(std::string& out, std::string_view raw) {
    // Decoding never lengthens: a reference is longer than the UTF-8 it stands for, and a
    // line end only shrinks. So the text is decoded in place of room made once, in one pass:
    // plain bytes eight at a time while a word holds no '&' and no CR, then byte by byte up
    // to the next reference or line end. Cell texts are short and often dense with character
    // references, so a search call per reference would cost more than it finds.
    constexpr std::uint64_t ampWord = 0x2626262626262626ull;
    constexpr std::uint64_t crWord = 0x0D0D0D0D0D0D0D0Dull;
    const std::size_t base = out.size();
    out.resize(base + raw.size());
    char* const start = out.data() + base;
    char* d = start;
    const char* p = raw.data();
    const char* const end = p + raw.size();
    bool ok = true;
    while (p < end) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (hasByte(word, ampWord) || hasByte(word, crWord))
                break;
            std::memcpy(d, p, 8); // d never runs ahead of p
            d += 8;
            p += 8;
        }
        while (p < end && *p != '&' && *p != '\r')
            *d++ = *p++;
        if (p == end)
            break;
        if (*p == '\r') {
            // Line ends are normalised to LF as XML requires.
            *d++ = '\n';
            if (++p < end && *p == '\n')
                ++p;
            continue;
        }
        const char* const a = p;
        if (end - a > 2 && a[1] == '#' && a[2] >= '0' && a[2] <= '9') {
            // A decimal character reference, the commonest kind, read as it is scanned.
            std::uint32_t cp = 0;
            const char* q = a + 2;
            for (; q < end && *q >= '0' && *q <= '9' && q - a < 12; ++q)
                cp = std::min<std::uint32_t>(cp * 10 + static_cast<std::uint32_t>(*q - '0'),
                                             0x110000);
            if (q < end && *q == ';') {
                if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                    cp = 0xFFFD;
                d = putUtf8(d, cp);
                p = q + 1;
                continue;
            }
        }
        const char* semi = a + 1;
        while (semi < end && *semi != ';' && semi - a < 12)
            ++semi;
        const std::uint32_t cp =
            semi < end && *semi == ';'
                ? referenceValue(std::string_view(a + 1, static_cast<std::size_t>(semi - a - 1)))
                : 0;
        if (cp == 0) {
            ok = false;
            break;
        }
        d = putUtf8(d, cp);
        p = semi + 1;
    }
    out.resize(base + static_cast<std::size_t>(d - start));
    return ok;
}

void appendEscaped(std::string& out, std::string_view text, bool attr) {
    const char* p = text.data();
    const char* end = p + text.size();
    const char* run = p;
    for (; p < end; ++p) {
        const char* rep = nullptr;
        switch (*p) {
        case '<':
            rep = "&lt;";
            break;
        case '>':
            rep = "&gt;";
            break;
        case '&':
            rep = "&amp;";
            break;
        case '"':
            rep = attr ? "&quot;" : nullptr;
            break;
        case '\n':
            rep = attr ? "&#10;" : nullptr;
            break;
        case '\t':
            rep = attr ? "&#9;" : nullptr;
            break;
        case '\r':
            rep = "&#13;";
            break;
        default:
            break;
        }
        if (rep) {
            out.append(run, static_cast<std::size_t>(p - run));
            out += rep;
            run = p + 1;
        }
    }
    out.append(run, static_cast<std::size_t>(end - run));
}

namespace {

// Position of the next _xHHHH_ at or after i, and its value.
std::size_t findEscape(std::string_view s, std::size_t i, std::uint32_t& value) {
    while (true) {
        i = s.find("_x", i);
        if (i == std::string_view::npos || i + 7 > s.size())
            return std::string_view::npos;
        std::uint32_t v = 0;
        bool ok = s[i + 6] == '_';
        for (std::size_t k = 2; ok && k < 6; ++k) {
            const int h = hexValue(s[i + k]);
            ok = h >= 0;
            v = v * 16 + static_cast<std::uint32_t>(h < 0 ? 0 : h);
        }
        if (ok) {
            value = v;
            return i;
        }
        ++i;
    }
}

bool isXmlIllegal(unsigned char c) {
    return c < 0x20 && c != '\t' && c != '\n';
}

} // namespace

std::string decodeEscapes(std::string_view stored) {
    std::uint32_t value = 0;
    std::size_t hit = findEscape(stored, 0, value);
    if (hit == std::string_view::npos)
        return std::string(stored);
    std::string out;
    out.reserve(stored.size());
    std::size_t from = 0;
    while (hit != std::string_view::npos) {
        out.append(stored.substr(from, hit - from));
        if (value >= 0xD800 && value <= 0xDFFF)
            value = 0xFFFD;
        appendUtf8(out, value);
        from = hit + 7;
        hit = findEscape(stored, from, value);
    }
    out.append(stored.substr(from));
    return out;
}

bool needsEscapes(std::string_view text) {
    for (char c : text) {
        if (isXmlIllegal(static_cast<unsigned char>(c)))
            return true;
    }
    std::uint32_t value = 0;
    return findEscape(text, 0, value) != std::string_view::npos;
}

namespace {

// Bytes that cell text cannot carry as they are: the ones escaped in element content, the
// start of a literal "_x", and control characters XML cannot hold.
constexpr std::array<bool, 256> kCellTextSpecial = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 0x20; ++c)
        t[static_cast<std::size_t>(c)] = c != '\t' && c != '\n';
    for (unsigned char c : {'<', '>', '&', '_'})
        t[c] = true;
    return t;
}();

} // namespace

void appendCellText(std::string& out, std::string_view text) {
    // Nearly every text holds none of them: one look, one copy.
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end && !kCellTextSpecial[*p])
        ++p;
    if (p == end)
        out.append(text);
    else if (needsEscapes(text))
        appendEscaped(out, encodeEscapes(text));
    else
        appendEscaped(out, text);
}

std::string encodeEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    std::uint32_t value = 0;
    std::size_t next = findEscape(text, 0, value);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == next) {
            out += "_x005F";
            next = findEscape(text, i + 1, value);
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (isXmlIllegal(c)) {
            static const char digits[] = "0123456789ABCDEF";
            out += "_x00";
            out += digits[c >> 4];
            out += digits[c & 15];
            out += '_';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace rowbit::xlsx::xml
