#pragma once
// Feeds a streamed part to a token handler, keeping a token that a chunk cut in two until the
// next chunk completes it.

#include "app/progress_steps.h"
#include "workbook/book.h"
#include "workbook/xlsx/package.h"
#include "workbook/xlsx/xml_scan.h"

#include <algorithm>
#include <string>

namespace rowbit::xlsx {

// How far the parts of a load got: bytes inflated out of all the bytes to inflate.
class PartProgress {
public:
    PartProgress(const LoadProgress& report, std::uint64_t total) : steps_(report, total) {}
    void advance(std::uint64_t bytes) { steps_.at(done_ += bytes); }
    void finish() { steps_.finish(); }

private:
    ProgressSteps steps_;
    std::uint64_t done_ = 0;
};

// A handler has `bool onToken(const xml::Token&, std::uint64_t offset)`, `bool finish()` and
// `std::string error`; returning false stops the scan with that error. A handler with
// `bool pauseScan() const` may stop the scan after a token to take the rest of the bytes
// itself (see takeRest / resume).
template <class Handler>
class PartScanner {
public:
    PartScanner(Handler& handler, std::string where)
        : handler_(handler), where_(std::move(where)) {}

    // Scans the next bytes of the part; `size` 0 marks its end. Once paused, keeps what it is
    // given unscanned.
    Result<void> feed(const char* data, std::size_t size) {
        constexpr std::size_t longestToken = 64u << 20;
        const bool final = size == 0;
        if (start_ > 0) {
            buffer_.erase(0, start_);
            base_ += start_;
            start_ = 0;
        }
        buffer_.append(data ? data : "", size);
        if (paused_)
            return {};
        if (base_ == 0 && !bomChecked_ && (buffer_.size() >= 3 || final)) {
            bomChecked_ = true;
            if (buffer_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                buffer_.erase(0, 3);
                base_ = 3;
            }
        }
        if (!bomChecked_)
            return {};
        scanner_.reset(buffer_.data(), buffer_.size(), final);
        xml::Token token;
        while (true) {
            const auto status = scanner_.next(token);
            if (status == xml::Scanner::Ok) {
                const std::uint64_t offset =
                    base_ + static_cast<std::uint64_t>(token.raw.data() - buffer_.data());
                if (!handler_.onToken(token, offset))
                    return makeError(ErrorCode::Damaged, handler_.error,
                                     where_ + " at byte " + std::to_string(offset));
                if constexpr (requires { handler_.pauseScan(); }) {
                    if (handler_.pauseScan()) {
                        paused_ = true;
                        start_ = scanner_.consumed();
                        return {};
                    }
                }
                continue;
            }
            if (status == xml::Scanner::Bad)
                return makeError(
                    ErrorCode::Damaged, std::string("malformed XML: ") + scanner_.error(),
                    where_ + " at byte " + std::to_string(base_ + scanner_.consumed()));
            break;
        }
        start_ = scanner_.consumed();
        if (!final && buffer_.size() - start_ > longestToken)
            return makeError(ErrorCode::Limit, "an XML element is too long",
                             where_ + " at byte " + std::to_string(base_ + start_));
        if (final && !handler_.finish())
            return makeError(ErrorCode::Damaged, handler_.error, where_);
        return {};
    }

    bool paused() const { return paused_; }
    // The bytes not scanned since the pause, and the offset in the part of the first of them.
    std::string takeRest(std::uint64_t& offset) {
        buffer_.erase(0, start_);
        offset = base_ + start_;
        base_ = offset;
        start_ = 0;
        return std::move(buffer_);
    }
    // Goes on scanning after a pause, from `rest` at `offset` in the part.
    void resume(std::string rest, std::uint64_t offset) {
        buffer_ = std::move(rest);
        base_ = offset;
        start_ = 0;
        paused_ = false;
    }

private:
    Handler& handler_;
    std::string where_;
    std::string buffer_;
    std::size_t start_ = 0;
    std::uint64_t base_ = 0; // offset of buffer_[0] in the part
    xml::Scanner scanner_;
    bool bomChecked_ = false;
    bool paused_ = false;
};

template <class Handler>
Result<void> scanPart(const Package& package, int index, const std::string& where, Handler& handler,
                      PartProgress* progress = nullptr) {
    PartScanner<Handler> scanner(handler, where);
    return package.stream(index, [&](const char* data, std::size_t size) {
        if (progress)
            progress->advance(size);
        return scanner.feed(data, size);
    });
}

} // namespace rowbit::xlsx
