#include "cli/commands.h"

#include <charconv>
#include <cstdio>

namespace rowbit::cli {

std::string escapeField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string shortestNumber(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc())
        return "nan";
    std::string s(buf, end);
    return s;
}

const std::string* option(const Args& args, const std::string& name) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name)
            return &args[i + 1];
    }
    return nullptr;
}

} // namespace rowbit::cli
