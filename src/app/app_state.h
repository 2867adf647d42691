#pragma once
// The display preferences every window works with: the font of the list and the form, the
// date picture, and the folders an unnamed workbook is placed in. One instance lives for the
// whole run (owned by main, passed by reference). The open workbook is a Document.

#include <string>

namespace rowbit {

// What the record form is asked to do with one record of the list.
enum class RecordCommand {
    Insert,
    Change,
    Delete,
};

struct AppState {
    std::string fontFace;      // list and form font face
    int fontSize = 0;          // font size in points
    std::string datePicture;   // date picture, "@D1" .. "@D9."
    std::string workingFolder; // the folder the program works in
    std::string documentsPath; // where the unnamed workbook goes; empty: the working folder
    int todayYear = 0;         // the year two-digit years are placed around; 0: this year

    // The path of the new, unnamed workbook in the documents folder (else the working folder).
    std::string unnamedPath() const;
    bool isUnnamed(const std::string& path) const { return path == unnamedPath(); }
};

} // namespace rowbit
