#pragma once
// The --format of list, search and totals: text is what the list shows; tsv, csv and json
// give the cells' own values (numbers as numbers, dates as ISO 8601), for scripts.

#include "cli/commands.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace rowbit {
class Book;
class Sheet;
struct ColumnSetup;
struct Document;
struct Record;
} // namespace rowbit

namespace rowbit::cli {

enum class OutputFormat { Text, Tsv, Csv, Json };

// The names --format takes, in the order the help lists them.
inline constexpr const char* kOutputFormatNames[] = {"text", "tsv", "csv", "json"};

// The format named by `--format` in args; Text when absent, nullopt for an unknown name.
std::optional<OutputFormat> outputFormat(const Args& args);

// One value of a table: nothing, a number, a text, a truth value, or a day ("2026-01-02").
struct IsoDate {
    std::string text;
};
using RawValue = std::variant<std::monostate, double, std::string, bool, IsoDate>;

struct RawTable {
    std::vector<std::string> titles;
    std::vector<std::vector<RawValue>> rows;
};

// The cells of a record's columns (and its memo) as the sheet holds them.
std::vector<RawValue> rawRecord(const Document& doc, const Record& record);
// The same from the data sheet `sheet` of `book` (nullptr: the record's own texts).
std::vector<RawValue> rawRecord(const Book* book, const Sheet* sheet, const ColumnSetup& columns,
                                const Record& record);
// The list's column titles, and the memo's when the setup has one.
std::vector<std::string> rawTitles(const Document& doc);

// The table in tsv (a header line, TAB-separated, escaped as the text output), csv (RFC 4180)
// or json (an array of objects keyed by the titles, one record a line).
std::string writeTable(const RawTable& table, OutputFormat format);

// The same a row at a time, for a table written as its rows come: the header, each row,
// then the end, each appended to `out`.
class TableWriter {
public:
    TableWriter(OutputFormat format, std::vector<std::string> titles);
    void begin(std::string& out) const;
    void row(std::string& out, const std::vector<RawValue>& values);
    void end(std::string& out) const;

private:
    void line(std::string& out, const std::vector<std::string>& fields) const;

    OutputFormat format_;
    std::vector<std::string> titles_;
    std::vector<std::string> keys_; // json
    std::size_t rows_ = 0;
};

// An ISO 8601 day (YYYY-MM-DD) as the form's date field takes it: six digits in the order of
// the date picture `datePicture`. Other texts come back unchanged; nullopt for a day outside the
// hundred years a two-digit year stands for around `todayYear` (80 back, 19 ahead).
std::optional<std::string> isoDateForEntry(const std::string& value, const std::string& datePicture,
                                           int todayYear);

} // namespace rowbit::cli
