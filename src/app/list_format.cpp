#include "app/list_format.h"

#include "app/cp949_text.h"
#include "app/picture.h"

#include <cctype>
#include <cstddef>
#include <optional>

namespace rowbit::browse {

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    bool peekDigit() const { return !atEnd() && std::isdigit(static_cast<unsigned char>(peek())); }
    std::size_t pos() const { return pos_; }
    void advance() { ++pos_; }

    Error fail(const std::string& what) const {
        return makeError(ErrorCode::Invalid, "list format: " + what,
                         "character " + std::to_string(pos_ + 1));
    }

    std::optional<int> number() {
        if (!peekDigit())
            return std::nullopt;
        const std::size_t start = pos_;
        long value = 0;
        while (peekDigit()) {
            value = value * 10 + (peek() - '0');
            advance();
            if (value > 1'000'000) {
                pos_ = start;
                return std::nullopt;
            }
        }
        return static_cast<int>(value);
    }

    static std::optional<Justify> justifyOf(char c) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'L':
            return Justify::Left;
        case 'C':
            return Justify::Centre;
        case 'R':
        case 'D': // decimal alignment: numbers line up at the right edge
            return Justify::Right;
        default:
            return std::nullopt;
        }
    }

    // "(n)" after a justification letter; absent means 0.
    Result<int> indent() {
        if (peek() != '(')
            return 0;
        advance();
        bool negative = false;
        if (peek() == '-') {
            negative = true;
            advance();
        }
        auto n = number();
        if (!n || peek() != ')')
            return fail("indent must be a number in parentheses");
        advance();
        return negative ? -*n : *n;
    }

    // The text up to the next `delimiter`, which is consumed.
    Result<std::string> until(char delimiter, const char* what) {
        std::size_t end = text_.find(delimiter, pos_);
        if (end == std::string_view::npos)
            return fail(std::string("unterminated ") + what);
        std::string out(text_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return out;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

Result<std::vector<ListColumn>> parseListFormat(std::string_view format) {
    Parser p(format);
    std::vector<ListColumn> columns;
    int nextField = 1;
    while (!p.atEnd()) {
        ListColumn col;
        auto width = p.number();
        if (!width)
            return p.fail("a column must start with its width");
        col.width = *width;

        auto justify = Parser::justifyOf(p.peek());
        if (!justify)
            return p.fail("justification L, C, R or D expected after the width");
        col.justify = *justify;
        p.advance();
        auto indent = p.indent();
        if (!indent)
            return indent.error();
        col.indent = *indent;

        for (bool more = true; more && !p.atEnd();) {
            switch (p.peek()) {
            case '|':
                col.rightBorder = true;
                p.advance();
                break;
            case '_':
                col.underline = true;
                p.advance();
                break;
            case 'M':
                col.resizable = true;
                p.advance();
                break;
            default:
                more = false;
            }
        }

        if (p.peek() == '~') {
            p.advance();
            auto header = p.until('~', "header");
            if (!header)
                return header.error();
            col.hasHeader = true;
            col.header = std::move(*header);
            if (auto hj = Parser::justifyOf(p.peek()); hj && !p.atEnd()) {
                // A letter right after the header is its justification: the next column
                // begins with a digit, so it cannot be mistaken for one.
                col.headerJustify = *hj;
                p.advance();
                auto hIndent = p.indent();
                if (!hIndent)
                    return hIndent.error();
                col.headerIndent = *hIndent;
            }
        }

        if (p.peek() == '@') {
            p.advance();
            auto picture = p.until('@', "picture");
            if (!picture)
                return picture.error();
            if (picture->empty())
                return p.fail("empty picture");
            col.picture = std::move(*picture);
        }

        if (p.peek() == '#') {
            p.advance();
            auto field = p.number();
            if (!field || *field < 1 || p.peek() != '#')
                return p.fail("field number must be a positive number between '#'");
            p.advance();
            col.field = *field;
        } else {
            col.field = nextField;
        }
        nextField = col.field + 1;

        if (!p.atEnd() && !p.peekDigit())
            return p.fail(std::string("unexpected '") + p.peek() + "'");
        columns.push_back(std::move(col));
    }
    return columns;
}

std::string applyColumnPicture(const ListColumn& column, std::string_view text) {
    const std::string_view pic = column.picture;
    if (pic.empty())
        return std::string(text);
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(pic[0])));
    if (kind == 'N') {
        if (cp949::trim(text).empty())
            return {};
        return picture::formatNumber(picture::readNumber(text), pic);
    }
    if (kind == 'S')
        return picture::formatString(text, pic);
    return std::string(text);
}

} // namespace rowbit::browse
