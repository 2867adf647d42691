#pragma once
// The process-wide single values every window works on, with the row list and the column
// setup. One instance lives for the whole run (owned by main, passed by reference).

#include "app/file_identity.h"
#include "app/records.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace rowbit {

class Book;
class Sheet;

// ACTION codes between the browse window and the record form or the setup dialog.
enum Action : int {
    kActionDone = 0,
    kActionInsert = 1,
    kActionChange = 2,
    kActionDelete = 3,
    kActionReload = 5,
};

struct AppState {
    AppState();
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    RecordList records;  // Q1
    ColumnSetup columns; // G1

    std::unique_ptr<Book> book; // BOOK
    std::string filename;       // FILENAME: full path of the open workbook (127 bytes at most)
    int changed = 0;            // CHANGED
    int action = 0;             // ACTION
    std::string fontFace;       // GFONT: list and form font face
    int fontSize = 0;           // GSIZE: font size in points
    int gcharset = 0;           // GCHARSET
    std::string datePicture;    // GDATE: date picture, "@D1" .. "@D9."
    std::string workingFolder;  // STARTPATH: the working folder
    std::string documentsPath;  // where the unnamed workbook goes; empty: STARTPATH
    std::string sourceDir;      // MEM:SOURCEDIR
    int globalResponse = 0;     // GLOBALRESPONSE: 1 print, 2 cancelled
    int todayYear = 0;          // the year two-digit years are placed around; 0: this year

    // The file FILENAME was last read from or saved to by this process, as it was then: a
    // save replaces it only while it still is that file. `diskPath` empty: there is nothing to
    // compare with (the unnamed workbook); `diskIdentity` nullopt: there was no file there.
    std::string diskPath;
    std::optional<FileIdentity> diskIdentity;

    // SHEET and LASTSHEET: fetched again from BOOK by each use; nullptr without a workbook.
    Sheet* sheet() const;
    Sheet* lastSheet() const;

    // The path of the new, unnamed workbook in the documents folder (else the start folder).
    std::string unnamedPath() const;
    bool isUnnamed() const { return filename == unnamedPath(); }
};

} // namespace rowbit
