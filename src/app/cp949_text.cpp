#include "app/cp949_text.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace rowbit::cp949 {
namespace {

// Length of the UTF-8 sequence that starts with `lead`; 1 for a stray byte, which is then
// counted as one (non-ASCII) character of its own.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        return 4;
    }
    return 1;
}

// Runs `input` through iconv from `from` to `to`; nullopt on any unconvertible byte.
std::optional<std::string> convert(std::string_view input, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t done = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* dst = out.data() + done;
        std::size_t outLeft = out.size() - done;
        std::size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
        done = out.size() - outLeft;
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            ok = false; // EILSEQ or EINVAL: not convertible, or cut in the middle of a character
            break;
        }
    }
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    out.resize(done);
    return out;
}

} // namespace

std::size_t byteLength(std::string_view utf8) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            ++bytes;
            ++i;
            continue;
        }
        bytes += 2;
        i += sequenceLength(lead);
    }
    return bytes;
}

std::size_t byteLength(std::string_view utf8, std::size_t bytes, std::size_t& cutAt) {
    std::size_t used = 0;
    std::size_t i = 0;
    bool cutFound = false;
    cutAt = utf8.size();
    // Branches rather than arithmetic: runs of ASCII and of Hangul predict well, while a
    // table lookup would chain a memory load into every step.
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            if (!cutFound && used + 1 > bytes) {
                cutFound = true;
                cutAt = i;
            }
            ++used;
            ++i;
            continue;
        }
        const std::size_t len = sequenceLength(lead);
        if (!cutFound && (used + 2 > bytes || i + len > utf8.size())) {
            cutFound = true;
            cutAt = i;
        }
        used += 2;
        i += len;
    }
    return used;
}

std::string cut(std::string_view utf8, std::size_t bytes) {
    return std::string(utf8.substr(0, cutLength(utf8, bytes)));
}

std::size_t cutLength(std::string_view utf8, std::size_t bytes) {
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t width = lead < 0x80 ? 1 : 2;
        if (used + width > bytes) {
            break;
        }
        std::size_t len = sequenceLength(lead);
        if (i + len > utf8.size()) {
            break; // a truncated sequence at the end is dropped, not half-copied
        }
        used += width;
        i += len;
    }
    return i;
}

std::string_view trimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') {
        --end;
    }
    return text.substr(0, end);
}

std::string_view trim(std::string_view text) {
    text = trimRight(text);
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') {
        ++start;
    }
    return text.substr(start);
}

bool equalTrimmed(std::string_view a, std::string_view b) {
    return trimRight(a) == trimRight(b);
}

int compareTrimmed(std::string_view a, std::string_view b) {
    // string_view compares through char_traits<char>, which orders bytes as unsigned.
    int c = trimRight(a).compare(trimRight(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::optional<std::string> toUtf8(std::string_view cp949Bytes) {
    return convert(cp949Bytes, "UTF-8", "CP949");
}

std::optional<std::string> fromUtf8(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        return std::nullopt;
    }
    return convert(utf8, "CP949", "UTF-8");
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) {
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += len;
    }
    return true;
}

} // namespace rowbit::cp949
