#include "app/preferences.h"

#include "app/cp949_text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include <unistd.h>

namespace rowbit {

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

std::filesystem::path preferencesFolder(const std::filesystem::path& programFolder,
                                        const std::filesystem::path& configHome) {
    const std::filesystem::path portable = programFolder / kPreferencesFile;
    std::error_code ec;
    if (!programFolder.empty() && std::filesystem::is_regular_file(portable, ec) &&
        ::access(portable.c_str(), W_OK) == 0)
        return programFolder;
    return configHome / "rowbit";
}

Preferences::Preferences(std::filesystem::path startFolder)
    : startFolder_(std::move(startFolder)) {}

IniFile Preferences::read() const {
    auto ini = IniFile::load(path());
    return ini ? std::move(ini).value() : IniFile();
}

Result<void> Preferences::write(const IniFile& ini) const {
    std::error_code ec;
    std::filesystem::create_directories(startFolder_, ec); // a failure shows in the save
    return ini.save(path());
}

void Preferences::readDisplay(AppState& state) const {
    const IniFile ini = read();
    state.fontFace = cp949::cut(ini.get("Fonts", "FontName", "굴림"), 15);
    // One-byte fields keep the low byte of what was written.
    state.fontSize =
        static_cast<int>(static_cast<unsigned long>(ini.getInt("Fonts", "FontSize", 9)) & 0xFF);
    state.datePicture = datePictureFor(ini.get("Date", "DateFormat", "yy-mm-dd"));
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

bool Preferences::readVersionCheck() const {
    return std::string(cp949::trim(read().get("Rowbit", "CheckVersion"))) != "0";
}

bool Preferences::readKeepVersions() const {
    return std::string(cp949::trim(read().get("Rowbit", "KeepVersions"))) != "0";
}

WebAddresses Preferences::readWebAddresses() const {
    const IniFile ini = read();
    WebAddresses addresses = builtInAddresses();
    const std::pair<const char*, std::string*> entries[] = {
        {"VersionURL", &addresses.version},
        {"DownloadURL", &addresses.download},
        {"HomeURL", &addresses.product},
        {"CommunityURL", &addresses.community},
    };
    for (const auto& [key, address] : entries) {
        const std::string given(cp949::trim(ini.get("Rowbit", key)));
        if (!given.empty())
            *address = given;
    }
    return addresses;
}

Result<void> Preferences::writeAtClose(const std::string& currentFolder,
                                       const std::array<std::string, 10>& recent) const {
    IniFile ini = read();
    ini.set("Rowbit", "PATH", currentFolder);
    for (int i = 0; i < 10; ++i)
        ini.set("RecentFiles", "File" + std::to_string(i + 1), recent[i]);
    return write(ini);
}

std::string canonicalPath(std::string_view path) {
    const std::string trimmed(cp949::trimRight(path));
    if (trimmed.empty())
        return trimmed;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(trimmed, ec);
    if (ec)
        return trimmed;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ec);
    return (ec ? absolute.lexically_normal() : resolved).string();
}

void recentFiles(std::array<std::string, 10>& recent, const std::string& filename) {
    const std::string wanted = canonicalPath(filename);
    int found = -1;
    for (int i = 0; i < 10; ++i) {
        if (!cp949::trimRight(recent[i]).empty() && canonicalPath(recent[i]) == wanted)
            found = i;
    }
    if (found >= 0) {
        for (int k = found; k < 9; ++k)
            recent[k] = recent[k + 1];
    }
    for (int k = 9; k > 0; --k)
        recent[k] = recent[k - 1];
    recent[0] = wanted;
}

} // namespace rowbit
