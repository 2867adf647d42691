#include "workbook/xls/biff.h"

namespace rowbit::xls {

void appendUtf8FromUtf16(std::string& out, const uint16_t* units, std::size_t n) {
    // Written through a pointer into room made beforehand: strings are the bulk of a load.
    const std::size_t old = out.size();
    out.resize(old + n * 3);
    char* d = out.data() + old;
    for (std::size_t i = 0; i < n; ++i) {
        uint32_t u = units[i];
        if (u < 0x80) {
            *d++ = static_cast<char>(u);
            continue;
        }
        if (u < 0x800) {
            *d++ = static_cast<char>(0xC0 | (u >> 6));
            *d++ = static_cast<char>(0x80 | (u & 0x3F));
            continue;
        }
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
            *d++ = static_cast<char>(0xF0 | (u >> 18));
            *d++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            *d++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            *d++ = static_cast<char>(0x80 | (u & 0x3F));
            continue;
        }
        if (u >= 0xD800 && u < 0xE000)
            u = 0xFFFD;
        *d++ = static_cast<char>(0xE0 | (u >> 12));
        *d++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (u & 0x3F));
    }
    out.resize(static_cast<std::size_t>(d - out.data()));
}

void appendUtf8FromLatin1(std::string& out, const uint8_t* chars, std::size_t n) {
    const std::size_t old = out.size();
    out.resize(old + n * 2);
    char* d = out.data() + old;
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t ch = chars[i];
        if (ch < 0x80) {
            *d++ = static_cast<char>(ch);
        } else {
            *d++ = static_cast<char>(0xC0 | (ch >> 6));
            *d++ = static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(d - out.data()));
}

std::u16string utf16FromUtf8(std::string_view text) {
    std::u16string out;
    utf16FromUtf8(text, out);
    return out;
}

void utf16FromUtf8(std::string_view text, std::u16string& out) {
    // Never more units than bytes: convert into room made beforehand, then trim.
    out.resize(text.size());
    char16_t* d = out.data();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        uint32_t c = s[i];
        if (c < 0x80) {
            *d++ = static_cast<char16_t>(c);
            ++i;
            continue;
        }
        // Three-byte characters (Hangul among them) straight through, with the result of the
        // general way below.
        if ((c & 0xF0) == 0xE0 && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 &&
            (s[i + 2] & 0xC0) == 0x80) {
            const uint32_t u = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
            *d++ = static_cast<char16_t>(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
            i += 3;
            continue;
        }
        int extra;
        if ((c & 0xE0) == 0xC0) {
            c &= 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            c &= 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            c &= 0x07;
            extra = 3;
        } else {
            *d++ = 0xFFFD;
            ++i;
            continue;
        }
        bool good = true;
        for (int k = 1; good && k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80)
                good = false;
            else
                c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (!good) {
            *d++ = 0xFFFD;
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            *d++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *d++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            *d++ = 0xFFFD;
        } else {
            *d++ = static_cast<char16_t>(c);
        }
    }
    out.resize(static_cast<std::size_t>(d - out.data()));
}

} // namespace rowbit::xls
