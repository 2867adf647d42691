#pragma once
// INI files: the preferences file "Rowbit.INI" and the window placement kept in it share one
// store. Read whether it is UTF-8 or CP949 (an INI file written on Windows in the Korean code
// page); bytes in neither read as U+FFFD. Written back line for line: a line the program did
// not change keeps its bytes, and changed lines take the file's own encoding.

#include "app/result.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace rowbit {

// Key/value access to an INI file. read() gives nullopt for an absent entry and "" for an
// entry that is present but empty.
class IniStore {
public:
    virtual ~IniStore() = default;
    virtual std::optional<std::string> read(std::string_view section,
                                            std::string_view key) const = 0;
    virtual void write(std::string_view section, std::string_view key, std::string_view value) = 0;
};

// An INI file held in memory; for tests and for callers that load and save elsewhere.
class MemoryIni : public IniStore {
public:
    std::optional<std::string> read(std::string_view section, std::string_view key) const override;
    void write(std::string_view section, std::string_view key, std::string_view value) override;
    bool hasSection(std::string_view section) const;

    std::map<std::string, std::map<std::string, std::string>> sections;
};

// An INI file held in memory (sections and keys compared without regard to case, as the
// platform's INI functions do). Other sections and keys than the ones changed survive a write.
// Window placement reads and writes its section through the IniStore side.
class IniFile : public IniStore {
public:
    IniFile();
    ~IniFile() override;
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;

    // A missing file gives an empty IniFile; only a file that cannot be read is an error.
    static Result<IniFile> load(const std::filesystem::path& path);

    std::string get(std::string_view section, std::string_view key,
                    std::string_view fallback = {}) const;
    long getInt(std::string_view section, std::string_view key, long fallback) const;
    void set(std::string_view section, std::string_view key, std::string_view value);
    bool has(std::string_view section, std::string_view key) const;

    std::optional<std::string> read(std::string_view section, std::string_view key) const override;
    void write(std::string_view section, std::string_view key, std::string_view value) override;

    // Written as UTF-8 through a temporary file renamed over the target.
    Result<void> save(const std::filesystem::path& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace rowbit
