#include "app/ini_file.h"

#include "app/cp949_text.h"
#include "workbook/atomic_file.h"

// The texts are checked and converted to UTF-8 here; the library only has to carry bytes.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

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

struct IniFile::Impl {
    CSimpleIniA ini{true, false, false}; // UTF-8, one value per key, no multi-line values
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {
    impl_->ini.SetSpaces(false);
}
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
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        bytes.erase(0, 3);
    if (!cp949::isValidUtf8(bytes)) {
        // An INI file written on Windows in the Korean code page.
        auto converted = cp949::toUtf8(bytes);
        if (!converted)
            return makeError(ErrorCode::Damaged, "neither UTF-8 nor CP949 text", path.string());
        bytes = std::move(*converted);
    }
    if (file.impl_->ini.LoadData(bytes) < 0)
        return makeError(ErrorCode::Damaged, "not an INI file", path.string());
    return file;
}

std::string IniFile::get(std::string_view section, std::string_view key,
                         std::string_view fallback) const {
    const std::string s(section), k(key), f(fallback);
    const char* value = impl_->ini.GetValue(s.c_str(), k.c_str(), nullptr);
    return value ? std::string(value) : f;
}

long IniFile::getInt(std::string_view section, std::string_view key, long fallback) const {
    const std::string s(section), k(key);
    return impl_->ini.GetLongValue(s.c_str(), k.c_str(), fallback);
}

bool IniFile::has(std::string_view section, std::string_view key) const {
    const std::string s(section), k(key);
    return impl_->ini.GetValue(s.c_str(), k.c_str(), nullptr) != nullptr;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string s(section), k(key), v(value);
    impl_->ini.SetValue(s.c_str(), k.c_str(), v.c_str());
}

std::optional<std::string> IniFile::read(std::string_view section, std::string_view key) const {
    if (!has(section, key))
        return std::nullopt;
    return get(section, key);
}

void IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    set(section, key, value);
}

Result<void> IniFile::save(const std::filesystem::path& path) const {
    std::string text;
    if (impl_->ini.Save(text) < 0)
        return makeError(ErrorCode::Io, "cannot format the preferences", path.string());
    return saveAtomically(path.string(),
                          [&](OutputFile& out) { return out.write(text.data(), text.size()); });
}

} // namespace rowbit
