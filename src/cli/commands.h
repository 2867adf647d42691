#pragma once
// rowbit-cli's commands. Each takes the arguments after its name and returns the exit status.
// stdout carries only the command's output; what the program would show in a message box
// goes to stderr.

#include "app/app_state.h"
#include "app/version_store.h"
#include "report/page_model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rowbit {
struct Document;
}

namespace rowbit::cli {

using Args = std::vector<std::string>;

int sheets(const Args& args);
int cells(const Args& args);
int list(const Args& args);
int setup(const Args& args);
int configure(const Args& args);
int totals(const Args& args);
int search(const Args& args);
int sort(const Args& args);
int resave(const Args& args);
int report(const Args& args);
int add(const Args& args);
int change(const Args& args);
int remove(const Args& args);
int versions(const Args& args);

// The store of kept versions in the user's data folder ($XDG_DATA_HOME/rowbit/versions).
VersionStore keptVersions();

// A record edit as the form would do it: `values` for fields 1, 2, ... ("" leaves a field as
// the form starts it), `number` the 1-based record for change and delete.
struct RecordEdit {
    RecordCommand command = RecordCommand::Insert;
    std::size_t number = 0;
    std::vector<std::string> values;
    std::optional<std::string> memo;
    std::int32_t today = 0; // serial
};
inline constexpr int kEditUsage = 64;
inline constexpr int kEditRefused = 1;
// Carries the edit out on the loaded records (0), or tells why not on stderr (kEditRefused)
// or returns kEditUsage for a record number outside the list or too many values.
int editRecord(Document& doc, const AppState& display, const RecordEdit& edit);
// YYYY-MM-DD as a serial; nullopt when it is no date.
std::optional<std::int32_t> parseToday(const std::string& text);

// Text for a TAB-separated line: backslash, TAB, CR and LF as \\, \t, \r, \n.
std::string escapeField(const std::string& text);
// Shortest text that reads back as the same double.
std::string shortestNumber(double value);
// Writes the report's pages to a PDF file; false (and a line on stderr) when it cannot.
bool writeReportPdf(const std::vector<report::Page>& pages, const std::string& path);
// The value after `--name` in args, or nullptr.
const std::string* option(const Args& args, const std::string& name);

} // namespace rowbit::cli
