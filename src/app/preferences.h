#pragma once
// The preferences file "Rowbit.INI": display settings, recent files and the folder the open
// dialog starts in. It lives in the user's configuration folder ($XDG_CONFIG_HOME/rowbit), or
// beside the program for a portable install (preferencesFolder). Read whether it is UTF-8 or
// CP949 (the Korean code page of Windows), written as UTF-8. Every read and write goes to the
// same file, whatever folder a file dialog made current since.

#include "app/app_state.h"
#include "app/ini_file.h"
#include "app/result.h"
#include "app/web_addresses.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace rowbit {

inline constexpr const char* kPreferencesFile = "Rowbit.INI";

// The folder of the preferences file: `programFolder` when a Rowbit.INI there exists and may
// be written (a portable install), else `configHome`/rowbit (`configHome` being the user's
// configuration folder, $XDG_CONFIG_HOME or ~/.config).
std::filesystem::path preferencesFolder(const std::filesystem::path& programFolder,
                                        const std::filesystem::path& configHome);

// The date picture of a "DateFormat" text; "@D9" for anything outside the table.
std::string datePictureFor(std::string_view dateFormat);

class Preferences {
public:
    // `startFolder`: the folder the file lives in (preferencesFolder); it is made on the first
    // write.
    explicit Preferences(std::filesystem::path startFolder);

    const std::filesystem::path& startFolder() const { return startFolder_; }
    std::filesystem::path path() const { return startFolder_ / kPreferencesFile; }

    // The font face and size and the date picture from "Fonts" and "Date", defaults when
    // missing.
    void readDisplay(AppState& state) const;
    // File1..File10 of "RecentFiles".
    std::array<std::string, 10> readRecentFiles() const;
    // "PATH" of "Rowbit": the folder the open dialog starts in (default: the current folder).
    std::string readOpenFolder() const;
    // "CheckVersion" of "Rowbit": whether the version check runs at start (only "0" turns it
    // off).
    bool readVersionCheck() const;
    // "KeepVersions" of "Rowbit": whether each save from the window first keeps the file it
    // replaces among the workbook's last versions (only "0" turns it off).
    bool readKeepVersions() const;
    // The built-in web addresses, each replaced by its entry of "Rowbit" when that is there and
    // not blank: "VersionURL", "DownloadURL", "HomeURL", "CommunityURL".
    WebAddresses readWebAddresses() const;
    // At close: "PATH" = `currentFolder`, File1..File10 = `recent` (empty ones as empty values).
    Result<void> writeAtClose(const std::string& currentFolder,
                              const std::array<std::string, 10>& recent) const;

    // The whole file, for the window placement section.
    IniFile read() const;
    Result<void> write(const IniFile& ini) const;

private:
    std::filesystem::path startFolder_;
};

// A workbook's path as the recent files keep it: absolute, with "." and ".." and symbolic links
// resolved as far as the path exists, so one file is one entry however it was named. Blank
// stays blank.
std::string canonicalPath(std::string_view path);

// Moves `filename` to the top of the list without a duplicate; a new one pushes
// the oldest out. Paths are kept and compared in their canonical form (canonicalPath), so an
// entry written by hand or by an older version is found as well.
void recentFiles(std::array<std::string, 10>& recent, const std::string& filename);

} // namespace rowbit
