#include "app/ini_file.h"

#include "app/atomic_file.h"
#include "app/cp949_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace rowbit {

std::optional<std::string> MemoryIni::read(std::string_view section, std::string_view key) const {
    auto s = sections.find(std::string(section));
    if (s == sections.end()) {
        return std::nullopt;
    }
    auto k = s->second.find(std::string(key));
    if (k == s->second.end()) {
        return std::nullopt;
    }
    return k->second;
}

void MemoryIni::write(std::string_view section, std::string_view key, std::string_view value) {
    sections[std::string(section)][std::string(key)] = std::string(value);
}

bool MemoryIni::hasSection(std::string_view section) const {
    return sections.count(std::string(section)) > 0;
}

namespace {

enum class Encoding { Utf8, Cp949, Mixed };

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// A line in neither encoding as a whole: each piece that reads as UTF-8 or as a CP949 pair is
// taken, every other byte becomes U+FFFD.
std::string decodeMixed(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += bytes[i++];
            continue;
        }
        bool taken = false;
        for (std::size_t len = 2; len <= 4 && i + len <= bytes.size() && !taken; ++len) {
            if (cp949::isValidUtf8(bytes.substr(i, len))) {
                out.append(bytes.substr(i, len));
                i += len;
                taken = true;
            }
        }
        if (!taken && i + 2 <= bytes.size()) {
            if (auto pair = cp949::toUtf8(bytes.substr(i, 2))) {
                out += *pair;
                i += 2;
                taken = true;
            }
        }
        if (!taken) {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

// A file of mixed lines (some written here in UTF-8, some in CP949 elsewhere) is read line
// by line, each in the encoding it holds.
std::string decode(std::string_view bytes, Encoding encoding) {
    if (encoding == Encoding::Utf8 || (encoding == Encoding::Mixed && cp949::isValidUtf8(bytes)))
        return std::string(bytes);
    if (auto text = cp949::toUtf8(bytes))
        return *text;
    return decodeMixed(bytes);
}

std::string_view trimSpace(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return cp949::upper(a) == cp949::upper(b);
}

} // namespace

// The file as it was read, line by line: every line keeps its bytes, so a line the program
// does not change is written back exactly as it was, in whatever encoding it came.
struct IniFile::Impl {
    struct Line {
        std::string raw;  // the line's bytes, its line end included
        std::string key;  // for an entry: its key, decoded and trimmed
        std::string text; // for an entry: its value, decoded and trimmed
        bool entry = false;
    };
    struct Section {
        std::string name; // empty for the lines before the first header
        std::vector<Line> lines;
    };

    std::string bom;
    Encoding encoding = Encoding::Utf8;
    std::string newline = "\r\n";
    std::vector<Section> sections{Section{}};

    void parse(std::string_view bytes) {
        bool first = true;
        while (!bytes.empty()) {
            const auto end = bytes.find('\n');
            const std::size_t len = end == std::string_view::npos ? bytes.size() : end + 1;
            std::string_view raw = bytes.substr(0, len);
            bytes.remove_prefix(len);
            if (first && end != std::string_view::npos)
                newline = end > 0 && raw[end - 1] == '\r' ? "\r\n" : "\n";
            first = false;

            std::string_view body = raw;
            while (!body.empty() && (body.back() == '\n' || body.back() == '\r'))
                body.remove_suffix(1);
            const std::string text = decode(body, encoding);
            const std::string_view line = trimSpace(text);
            Line parsed{std::string(raw), {}, {}, false};
            if (!line.empty() && line.front() == '[' && line.find(']') != std::string_view::npos) {
                const std::string_view name = line.substr(1, line.find(']') - 1);
                sections.push_back(Section{std::string(trimSpace(name)), {}});
            } else if (!line.empty() && line.front() != ';' && line.front() != '#') {
                const auto eq = line.find('=');
                if (eq != std::string_view::npos) {
                    parsed.entry = true;
                    parsed.key = std::string(trimSpace(line.substr(0, eq)));
                    parsed.text = std::string(trimSpace(line.substr(eq + 1)));
                }
            }
            sections.back().lines.push_back(std::move(parsed));
        }
    }

    const Section* findSection(std::string_view name) const {
        for (const Section& s : sections) {
            if (!s.name.empty() && equalNoCase(s.name, name))
                return &s;
        }
        return nullptr;
    }
    Section* findSection(std::string_view name) {
        return const_cast<Section*>(std::as_const(*this).findSection(name));
    }

    static const Line* findEntry(const Section& section, std::string_view key) {
        for (const Line& l : section.lines) {
            if (l.entry && equalNoCase(l.key, key))
                return &l;
        }
        return nullptr;
    }

    // A line the program writes, in the file's own encoding where that can carry it.
    std::string encode(const std::string& text) const {
        if (encoding == Encoding::Cp949) {
            if (auto bytes = cp949::fromUtf8(text))
                return *bytes + newline;
        }
        return text + newline;
    }

    void set(std::string_view sectionName, std::string_view key, std::string_view value) {
        Section* section = findSection(sectionName);
        if (!section) {
            sections.push_back(Section{std::string(sectionName), {}});
            section = &sections.back();
            section->lines.push_back(Line{encode("[" + section->name + "]"), {}, {}, false});
        }
        const std::string text(trimSpace(value));
        if (Line* line = const_cast<Line*>(findEntry(*section, key))) {
            if (line->text == text)
                return; // the same value: the line stays as it was
            const bool hadEnd = !line->raw.empty() && line->raw.back() == '\n';
            line->text = text;
            line->raw = encode(line->key + "=" + text);
            if (!hadEnd)
                line->raw.resize(line->raw.size() - newline.size());
            return;
        }
        // After the section's last non-blank line, so blank lines between sections stay.
        std::size_t at = section->lines.size();
        while (at > 1 && trimSpace(decode(section->lines[at - 1].raw, encoding)).empty())
            --at;
        section->lines.insert(
            section->lines.begin() + static_cast<std::ptrdiff_t>(at),
            Line{encode(std::string(key) + "=" + text), std::string(key), text, true});
    }

    std::string bytes() const {
        std::string out = bom;
        for (const Section& s : sections) {
            for (const Line& l : s.lines) {
                // A last line without its end gets one when more follows.
                if (!out.empty() && out.back() != '\n' && out.size() > bom.size())
                    out += newline;
                out += l.raw;
            }
        }
        return out;
    }
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

Result<IniFile> IniFile::load(const std::filesystem::path& path) {
    IniFile file;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT || !std::filesystem::exists(path))
            return file;
        return makeError(ErrorCode::Io, std::string("cannot read: ") + std::strerror(errno),
                         path.string());
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Impl& impl = *file.impl_;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        impl.bom = bytes.substr(0, 3);
        bytes.erase(0, 3);
    }
    // One encoding for the whole file when it has one (an INI file written on Windows in the
    // Korean code page is CP949); otherwise each line is read as best it can be.
    if (cp949::isValidUtf8(bytes))
        impl.encoding = Encoding::Utf8;
    else if (cp949::toUtf8(bytes))
        impl.encoding = Encoding::Cp949;
    else
        impl.encoding = Encoding::Mixed;
    impl.parse(bytes);
    return file;
}

std::string IniFile::get(std::string_view section, std::string_view key,
                         std::string_view fallback) const {
    const auto value = read(section, key);
    return value ? *value : std::string(fallback);
}

long IniFile::getInt(std::string_view section, std::string_view key, long fallback) const {
    // Decimal, or hexadecimal after "0x"; anything else gives the fallback.
    const auto value = read(section, key);
    if (!value || value->empty())
        return fallback;
    const bool hex = value->size() > 2 && (*value)[0] == '0' && ((*value)[1] | 0x20) == 'x';
    const char* start = value->c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    const long number = std::strtol(start, &end, hex ? 16 : 10);
    return end == start || *end != '\0' ? fallback : number;
}

bool IniFile::has(std::string_view section, std::string_view key) const {
    return read(section, key).has_value();
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    impl_->set(section, key, value);
}

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const {
    const Impl::Section* s = impl_->findSection(section);
    if (!s)
        return std::nullopt;
    const Impl::Line* line = Impl::findEntry(*s, key);
    if (!line)
        return std::nullopt;
    return line->text;
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    set(section, key, value);
}

Result<void> IniFile::save(const std::filesystem::path& path) const {
    const std::string text = impl_->bytes();
    return saveAtomically(path.string(),
                          [&](OutputFile& out) { return out.write(text.data(), text.size()); });
}

} // namespace rowbit
