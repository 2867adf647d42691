#pragma once
// The open workbook and the way of it: choosing the file (chooseAndOpen), opening its setup
// (Document::open), reading its rows into the records (Document::fill), and saving the setup
// and the records back (Document::save). Every question and message goes through Prompts; the
// preview window is a seam the caller fills.

#include "app/app_state.h"
#include "app/file_identity.h"
#include "app/prompts.h"
#include "app/records.h"
#include "app/result.h"
#include "app/version_store.h"
#include "document/browse_state.h"
#include "document/preview.h"
#include "document/record_history.h"
#include "workbook/book.h"

#include <array>
#include <functional>
#include <memory>
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
    Preview,     // no settings sheet: the setup came from the preview (the workbook is modified)
    Settings,    // the setup came from the settings sheet
};

// What opening a workbook came to. `error` says why no workbook was read from the file
// (NewWorkbook: it is not there; Unreadable: why it could not be read).
struct OpenOutcome {
    LoadOutcome kind = LoadOutcome::Settings;
    std::optional<Error> error;
};

// How much of the data sheet an open reads, and where its rows go (see Document::open).
struct OpenRows {
    int firstSheetRows = 0; // above 0: only that many rows
    RowBatches batches;     // set: the rows are handed over as they are read, not kept
};

// How filling the records shares out its work. A small sheet is filled on the calling thread
// alone: for it, starting threads costs more than it saves.
struct FillOptions {
    int parallelFrom = 20000; // sheets with fewer rows to read start no thread
    int threads = 0;          // 0: one per core, at most 4
};

// What filling the records came to: how many records the rows gave, and the overlong text
// cells that were cut (" A11 A21 ..."; empty when none). `error` is set when there was no
// data sheet to read.
struct FillOutcome {
    std::size_t records = 0;
    std::string overflow;
    std::optional<Error> error;
};

enum class SaveStatus {
    Saved,     // written; the workbook is no longer modified
    Cancelled, // the user cancelled the file-name dialog or the question about a file that
               // changed on the disk; nothing written
    Failed,    // not written: the user was told why, the workbook stays modified, the file is
               // untouched
    Conflict,  // not written because the file changed since it was read (ChangedFile::Refuse):
               // the user was told, the workbook stays modified
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
    std::optional<Error> error; // set when Failed or Conflict
    // What moving the records could not carry along (merged ranges left in place, array
    // formulas turned into values); set when Saved.
    std::vector<SaveNotice> notices;
    // Why the file the save replaced was not kept among the workbook's versions (the user was
    // told); the save itself went on.
    std::optional<Error> versionNotKept;
};

// The open workbook: the book itself, its column setup, the records read from its data sheet
// and what the last fill (or save) left there, its path and whether it has unsaved changes.
// The window and rowbit-cli both work on one.
struct Document {
    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    std::unique_ptr<Book> book;
    ColumnSetup columns;
    RecordList records;
    FilledRecords filled; // what the last fill (or save) left in the sheet
    std::string path;     // full path of the open workbook
    bool modified = false;
    bool fromFile = true; // the last fill read a workbook that came from a file
    // The record edits since the last fill, to undo and redo; each fill starts it anew.
    RecordHistory history;

    // The file `path` was last read from or saved to by this process, as it was then: a save
    // replaces it only while it still is that file. `diskPath` empty: there is nothing to
    // compare with (the unnamed workbook); `diskIdentity` nullopt: there was no file there.
    std::string diskPath;
    std::optional<FileIdentity> diskIdentity;

    // Set: each save first keeps the file it replaces among the workbook's last versions
    // there. A version that cannot be kept never stops the save; the user is told why.
    std::optional<VersionStore> versions;

    // The data sheet (the first) and the sheet of lookup lists (the last); nullptr without a
    // workbook.
    Sheet* sheet() const { return book && book->sheetCount() ? book->sheet(0) : nullptr; }
    Sheet* lastSheet() const {
        return book && book->sheetCount() ? book->sheet(book->sheetCount() - 1) : nullptr;
    }

    // Opens `path` (the unnamed workbook when empty) into the book and fills the column
    // setup. An existing file that cannot be read is never taken for a new one: the user is
    // told why and gets the new unnamed workbook instead, so a later save asks for a name.
    //
    // `rows.firstSheetRows` above 0 reads only that many rows of the data sheet (enough for a
    // first screen and the preview); the book then says complete() false when there are more,
    // and the whole list comes from a WholeRead (document/whole_read.h) taken in by
    // takeWholeList. With `rows.batches`, the data sheet's rows are not kept but handed to it
    // as they are read (LoadOptions::firstSheetBatches), the column setup taken before the
    // first batch reaches it; the book then holds an empty data sheet and cannot be saved.
    OpenOutcome open(const AppState& display, Prompts& prompts, const TitleRowChooser& preview,
                     const OpenRows& rows = {});

    // The file at `path` could not be read (`error`): the user is told why, and the document
    // becomes the new unnamed workbook with the default setup.
    void openFailed(const AppState& display, Prompts& prompts, const Error& error);

    // The workbook read whole (`whole`, opened from the same file with this setup and filled)
    // takes the place of the first rows read: its book, its setup and its records. The path,
    // the file identity and the modified flag stay.
    void takeWholeList(Document& whole);

    // Empties the records and fills them from the data sheet from the first data row down;
    // rows empty in every shown column are skipped. Remembers what it produced per record
    // (`filled`) and tells the user of overlong text cells. Large sheets are read by several
    // threads at once; the result is the same as reading them row by row, and progress is
    // reported on the calling thread only.
    FillOutcome fill(const AppState& display, Prompts& prompts, const FillOptions& options = {});

    // The Save command: asks for a name for the unnamed workbook, writes the settings sheet
    // and the records into the book and saves it to `path` atomically. Records keep their rows
    // (whole rows move with them), untouched fields keep their cells. A file that changed on
    // the disk since it was read is handled as `changed` says. A saved file that could not
    // keep its owner or group is told, and so is a replaced file that could not be kept among
    // the versions. The caller adds a saved `path` to the recent files.
    SaveOutcome save(const AppState& display, Prompts& prompts,
                     ChangedFile changed = ChangedFile::Ask);
};

// The default setup of a workbook that could not be loaded: columns A to G as text.
void defaultColumns(ColumnSetup& columns);

// Chooses the workbook (command-line tail `commandLine`, the open dialog for "/O" or for the
// unnamed workbook), opens it and fills the records. `prefs` gives the dialog's start folder;
// a workbook really opened goes to the top of `recent`. The caller sets the caption and builds
// the list format afterwards. `firstSheetRows` above 0 reads and fills only the first rows of a
// larger data sheet, as Document::open says.
OpenOutcome chooseAndOpen(Document& doc, AppState& display, Prompts& prompts,
                          const TitleRowChooser& preview, const Preferences& prefs,
                          const std::string& commandLine,
                          std::array<std::string, kRecentFiles>& recent, int firstSheetRows = 0);

// Writing the records into the data sheet of the book (in memory), as a save does after the
// settings. Fails only when rows do not fit the sheet.
Result<void> saveRecordsSheet(Document& doc, const AppState& display);

// The format a file name's ending means: ".xls" binary, ".xlsx" and ".xlsm" XML (any case);
// nullopt for any other ending.
std::optional<BookFormat> formatOfName(const std::string& path);
// The file name a typed save-as name becomes: kept when its ending means a format, else with
// ".xls" appended (".xlsx" when the open workbook `open` is an XML one).
std::string saveAsName(const std::string& chosen, BookFormat open = BookFormat::Xls);

} // namespace rowbit
