#pragma once
// The way of a workbook: choosing the file (checkFile), loading its setup (loadFile), and
// saving the setup and the records back (saveFile). Every question and message goes through
// Prompts; the preview window is a seam the caller fills.

#include "app/app_state.h"
#include "app/prompts.h"
#include "app/result.h"
#include "document/browse_state.h"
#include "document/preview.h"
#include "workbook/book.h"

#include <functional>
#include <optional>
#include <string>

namespace rowbit {

class Preferences;

// Texts the user sees.
inline constexpr const char* kOpenTitle = "File Open";
inline constexpr const char* kOpenFilter = "Excel File|*.XLS";
inline constexpr const char* kSaveTitle = "New File";
inline constexpr const char* kSaveFilter = "엑셀파일(*.xls)|*.xls";
inline constexpr const char* kUnnamedFile = "Noname.xls";
inline constexpr const char* kDefaultFontFace = "돋움";
inline constexpr int kDefaultFontSize = 11;
// The save refused because the one data sheet bears the settings sheet's name.
inline constexpr const char* kSettingsNameTakenMessage =
    "데이터 시트의 이름이 SetupQ라서 설정을 저장할 시트를 따로 만들 수 없습니다.|"
    "스프레드시트 프로그램에서 시트 이름을 바꾼 뒤 다시 저장하세요.||"
    "변경내용은 저장되지 않은 채 그대로 남아 있습니다.";

// The preview seam: shows the preview rows with `preselected` (1-based line, 0 = none)
// selected and returns the chosen title row (1..10), or nullopt when the user cancelled.
using TitleRowChooser =
    std::function<std::optional<int>(const std::vector<PreviewRow>& rows, int preselected)>;

enum class LoadOutcome {
    NewWorkbook, // no such file: a new workbook with the default setup
    Unreadable,  // the file exists but cannot be read: the user was told, a new unnamed workbook
    Preview,     // no settings sheet: the setup came from the preview (CHANGED = 1)
    Settings,    // the setup came from the settings sheet
};

// The default setup of a workbook that could not be loaded: columns A to G as text.
void defaultSetting(ColumnSetup& columns);

// Opens FILENAME (the unnamed workbook when empty) into BOOK and fills G1. An existing file
// that cannot be read is never taken for a new one: the user is told why and gets the new
// unnamed workbook instead, so a later save asks for a name.
LoadOutcome loadFile(AppState& state, BrowseState& browse, Prompts& prompts,
                     const TitleRowChooser& preview);

// Chooses the workbook (command-line tail `commandLine`, the open dialog for "/O" or for the
// unnamed workbook), loads it and fills the list. `prefs` gives the dialog's start folder and
// takes the recent file. The caller sets the caption and builds the list format afterwards.
LoadOutcome checkFile(AppState& state, BrowseState& browse, Prompts& prompts,
                      const TitleRowChooser& preview, const Preferences& prefs,
                      const std::string& commandLine);

enum class SaveStatus {
    Saved,     // written; CHANGED is 0
    Cancelled, // the user cancelled the file-name dialog or the question about a file that
               // changed on the disk; nothing written
    Failed,    // not written: the user was told why, CHANGED stays 1, the file is untouched
    Conflict,  // not written because the file changed since it was read (ChangedFile::Refuse):
               // the user was told, CHANGED stays 1
};

// What a save does when the file on the disk is no longer the one the workbook was read from
// (another program or another copy of this one saved it meanwhile).
enum class ChangedFile {
    Ask,    // asks: save under another name, overwrite, or cancel (the window)
    Refuse, // writes nothing and says so (the command line)
};

struct SaveOutcome {
    SaveOutcome(SaveStatus s = SaveStatus::Saved, std::optional<Error> e = std::nullopt,
                std::vector<SaveNotice> n = {})
        : status(s), error(std::move(e)), notices(std::move(n)) {}
    SaveStatus status = SaveStatus::Saved;
    std::optional<Error> error; // set when Failed
    // What moving the records could not carry along (merged ranges left in place, array
    // formulas turned into values); set when Saved.
    std::vector<SaveNotice> notices;
};

// The Save command: asks for a name for the unnamed workbook, writes the settings sheet and
// the records into BOOK and saves it to FILENAME atomically. Records keep their rows (whole
// rows move with them), untouched fields keep their cells. A file that changed on the disk
// since it was read is handled as `changed` says. On success the recent files get FILENAME
// (browse.recent); a saved file that could not keep its owner or group is told.
SaveOutcome saveFile(AppState& state, BrowseState& browse, Prompts& prompts,
                     ChangedFile changed = ChangedFile::Ask);

// Writing the records into the data sheet of BOOK (in memory), as saveFile does after the
// settings. Fails only when rows do not fit the sheet.
Result<void> saveRecordsSheet(AppState& state, BrowseState& browse);

// The format a file name's ending means: ".xls" binary, ".xlsx" and ".xlsm" XML (any case);
// nullopt for any other ending.
std::optional<BookFormat> formatOfName(const std::string& path);
// The file name a typed save-as name becomes: kept when its ending means a format, else with
// ".xls" appended (".xlsx" when the open workbook `open` is an XML one).
std::string saveAsName(const std::string& chosen, BookFormat open = BookFormat::Xls);

} // namespace rowbit
