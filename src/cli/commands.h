#pragma once
// rowbit-cli's commands. Each takes the arguments after its name and returns the exit status.
// stdout carries only the command's output; what the program would show in a message box
// goes to stderr.

#include "report/page_model.h"

#include <string>
#include <vector>

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

// Text for a TAB-separated line: backslash, TAB, CR and LF as \\, \t, \r, \n.
std::string escapeField(const std::string& text);
// Shortest text that reads back as the same double.
std::string shortestNumber(double value);
// Writes the report's pages to a PDF file; false (and a line on stderr) when it cannot.
bool writeReportPdf(const std::vector<report::Page>& pages, const std::string& path);
// The value after `--name` in args, or nullptr.
const std::string* option(const Args& args, const std::string& name);

} // namespace rowbit::cli
