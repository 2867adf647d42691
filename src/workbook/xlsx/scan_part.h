#pragma once
// Feeds a streamed part to a token handler, keeping a token that a chunk cut in two until the
// next chunk completes it.

#include "workbook/xlsx/package.h"
#include "workbook/xlsx/xml_scan.h"

#include <string>

namespace rowbit::xlsx {

// A handler has `bool onToken(const xml::Token&, std::uint64_t offset)`, `bool finish()` and
// `std::string error`; returning false stops the scan with that error.
template <class Handler>
Result<void> scanPart(const Package& package, int index, const std::string& where,
                      Handler& handler) {
    constexpr std::size_t longestToken = 64u << 20;
    std::string buffer;
    std::size_t start = 0;
    std::uint64_t base = 0; // offset of buffer[0] in the part
    xml::Scanner scanner;
    xml::Token token;
    bool bomChecked = false;
    auto sink = [&](const char* data, std::size_t size) -> Result<void> {
        const bool final = size == 0;
        if (start > 0) {
            buffer.erase(0, start);
            base += start;
            start = 0;
        }
        buffer.append(data ? data : "", size);
        if (base == 0 && !bomChecked && (buffer.size() >= 3 || final)) {
            bomChecked = true;
            if (buffer.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                buffer.erase(0, 3);
                base = 3;
            }
        }
        if (!bomChecked)
            return {};
        scanner.reset(buffer.data(), buffer.size(), final);
        while (true) {
            const auto status = scanner.next(token);
            if (status == xml::Scanner::Ok) {
                const std::uint64_t offset =
                    base + static_cast<std::uint64_t>(token.raw.data() - buffer.data());
                if (!handler.onToken(token, offset))
                    return makeError(ErrorCode::Damaged, handler.error,
                                     where + " at byte " + std::to_string(offset));
                continue;
            }
            if (status == xml::Scanner::Bad)
                return makeError(ErrorCode::Damaged,
                                 std::string("malformed XML: ") + scanner.error(),
                                 where + " at byte " + std::to_string(base + scanner.consumed()));
            break;
        }
        start = scanner.consumed();
        if (!final && buffer.size() - start > longestToken)
            return makeError(ErrorCode::Limit, "an XML element is too long",
                             where + " at byte " + std::to_string(base + start));
        if (final && !handler.finish())
            return makeError(ErrorCode::Damaged, handler.error, where);
        return {};
    };
    return package.stream(index, sink);
}

} // namespace rowbit::xlsx
