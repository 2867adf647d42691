#pragma once
// A value or an error with a location: what every core operation that can fail returns.
// No exception crosses the core's boundary; only the user interface turns an Error into a
// message for the user.

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace rowbit {

enum class ErrorCode {
    NotFound,    // the file or a part of it does not exist
    Io,          // reading or writing failed (permissions, disk full, rename)
    Unsupported, // a format or feature we do not read (pre-BIFF8, strict OOXML if refused, ...)
    Encrypted,   // password-protected workbook
    Damaged,     // malformed content: bad lengths, offsets, XML, zip
    Limit,       // a bound was hit (sheet size, decompressed size, row/column limits)
    Invalid,     // the caller passed something unusable
    Conflict,    // the file is no longer the one that was read, or another save holds it
};

struct Error {
    ErrorCode code = ErrorCode::Damaged;
    std::string message; // what failed, in English, for logs and the CLI
    std::string where;   // where in the input: "Workbook stream offset 0x1a2c (SST)",
                         // "xl/sharedStrings.xml:3:17"

    std::string describe() const { return where.empty() ? message : message + " (" + where + ")"; }
};

inline Error makeError(ErrorCode code, std::string message, std::string where = {}) {
    return Error{code, std::move(message), std::move(where)};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : data_(std::move(value)) {}
    Result(Error error) : data_(std::move(error)) {}

    bool ok() const { return data_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<0>(data_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(data_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(data_));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }

    const Error& error() const {
        assert(!ok());
        return std::get<1>(data_);
    }

private:
    std::variant<T, Error> data_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const {
        assert(!ok_);
        return error_;
    }

private:
    Error error_;
    bool ok_ = true;
};

} // namespace rowbit
