#include "browse/preferences.h"

#include "app/cp949_text.h"
#include "workbook/atomic_file.h"

// The texts are checked and converted to UTF-8 here; the library only has to carry bytes.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace rowbit {

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
        // A file written by the program's Windows forebears: legacy CP949.
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
    return saveAtomically(path.string(), [&](const std::string& temp) -> Result<void> {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out)
            return makeError(ErrorCode::Io, "cannot write the preferences", temp);
        return {};
    });
}

std::string datePictureFor(std::string_view dateFormat) {
    static constexpr std::pair<std::string_view, std::string_view> kTable[] = {
        {"mm/dd/yy", "@D1"}, {"mm-dd-yy", "@D1-"}, {"mm.dd.yy", "@D1."},
        {"dd/mm/yy", "@D5"}, {"dd-mm-yy", "@D5-"}, {"dd.mm.yy", "@D5."},
        {"yy/mm/dd", "@D9"}, {"yy-mm-dd", "@D9-"}, {"yy.mm.dd", "@D9."},
    };
    const std::string_view wanted = cp949::trimRight(dateFormat);
    for (const auto& [text, picture] : kTable) {
        if (wanted == text)
            return std::string(picture);
    }
    return "@D9";
}

Preferences::Preferences(std::filesystem::path startFolder)
    : startFolder_(std::move(startFolder)) {}

IniFile Preferences::read() const {
    auto ini = IniFile::load(path());
    return ini ? std::move(ini).value() : IniFile();
}

Result<void> Preferences::write(const IniFile& ini) const {
    return ini.save(path());
}

void Preferences::readDisplay(AppState& state) const {
    const IniFile ini = read();
    state.gfont = cp949::cut(ini.get("Fonts", "FontName", "굴림"), 15);
    // One-byte fields keep the low byte of what was written.
    state.gsize =
        static_cast<int>(static_cast<unsigned long>(ini.getInt("Fonts", "FontSize", 9)) & 0xFF);
    state.gcharset =
        static_cast<int>(static_cast<unsigned long>(ini.getInt("Fonts", "CharSet", 129)) & 0xFF);
    state.gdate = datePictureFor(ini.get("Date", "DateFormat", "yy-mm-dd"));
}

std::array<std::string, 10> Preferences::readRecentFiles() const {
    const IniFile ini = read();
    std::array<std::string, 10> files;
    for (int i = 0; i < 10; ++i)
        files[i] = ini.get("RecentFiles", "File" + std::to_string(i + 1));
    return files;
}

std::string Preferences::readOpenFolder() const {
    std::error_code ec;
    const std::string current = std::filesystem::current_path(ec).string();
    return read().get("Rowbit", "PATH", current);
}

Result<void> Preferences::writeAtClose(const std::string& currentFolder,
                                       const std::array<std::string, 10>& recent) const {
    IniFile ini = read();
    ini.set("Rowbit", "PATH", currentFolder);
    for (int i = 0; i < 10; ++i)
        ini.set("RecentFiles", "File" + std::to_string(i + 1), recent[i]);
    return write(ini);
}

void recentFiles(std::array<std::string, 10>& recent, const std::string& filename) {
    int found = -1;
    for (int i = 0; i < 10; ++i) {
        if (cp949::equalTrimmed(recent[i], filename))
            found = i;
    }
    if (found >= 0) {
        for (int k = found; k < 9; ++k)
            recent[k] = recent[k + 1];
    }
    for (int k = 9; k > 0; --k)
        recent[k] = recent[k - 1];
    recent[0] = filename;
}

} // namespace rowbit
