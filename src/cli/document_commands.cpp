// list, setup, totals, search, sort, resave: the document layer from a shell.
#include "app/app_state.h"
#include "app/cp949_text.h"
#include "app/list_format.h"
#include "app/picture.h"
#include "app/preferences.h"
#include "browse/search_sort.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/output_format.h"
#include "document/browse_state.h"
#include "document/document.h"
#include "document/row_list.h"
#include "document/save_notices.h"
#include "document/settings_sheet.h"
#include "report/list_print.h"
#include "report/totals.h"
#include "setup/setup_draft.h"
#include "workbook/column_letter.h"

#include <QStandardPaths>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace rowbit::cli {

namespace {

constexpr int kUsage = kExitUsage;
constexpr int kSaveFailed = kExitCantCreate;

// What the program would show in a box goes to stderr, one line per "|" line. No dialog is
// ever answered: a file name comes from the command line.
class StderrPrompts : public Prompts {
public:
    int message(const MessageRequest& request) override {
        std::string text = request.text;
        for (char& c : text) {
            if (c == '|')
                c = '\n';
        }
        std::fprintf(stderr, "%s\n", text.c_str());
        if (!request.details.empty())
            std::fprintf(stderr, "%s\n", request.details.c_str());
        return 1;
    }
    int popupMenu(const std::string&) override { return 0; }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    bool startProcess(const std::string&, const std::vector<std::string>&) override {
        return false;
    }
    bool openUrl(const std::string&) override { return false; }
};

class QuietPrompts : public StderrPrompts {
public:
    int message(const MessageRequest&) override { return 1; }
};

int usageError(const char* text) {
    std::fprintf(stderr, "rowbit-cli: %s\n", text);
    return kUsage;
}

// The n-th argument that is neither an option nor an option's value.
const std::string* positional(const Args& args, std::size_t n) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0 && args[i].size() > 2) {
            ++i; // skip the option's value
            continue;
        }
        if (seen++ == n)
            return &args[i];
    }
    return nullptr;
}

std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || p != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Where every command's messages go.
StderrPrompts toStderr;

// Loads FILE as the program opens a workbook: the setup, then the list. The title row of the
// preview comes from --title-row (0 = cancelled), else the preselected row. With `batches`
// the data sheet's rows go there as they are read, and no list is filled.
std::optional<int> open(Document& doc, AppState& display, const Args& args,
                        const RowBatches& batches = {}) {
    const std::string* file = positional(args, 0);
    if (!file)
        return usageError("no file given");
    std::optional<int> titleRow;
    if (const std::string* n = option(args, "--title-row")) {
        titleRow = wholeNumber(*n);
        if (!titleRow || *titleRow < 0 || *titleRow > 10)
            return usageError("--title-row needs a number from 0 to 10");
    }

    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    display.workingFolder = here.string();
    // The program's preferences file, as the window reads it.
    const Preferences prefs(preferencesFolder(
        std::filesystem::read_symlink("/proc/self/exe", ec).parent_path(),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString()));
    if (std::filesystem::exists(prefs.path(), ec))
        prefs.readDisplay(display);
    else
        display.datePicture = datePictureFor("yy-mm-dd");
    if (const std::string* fmt = option(args, "--date-format"))
        display.datePicture = datePictureFor(*fmt);

    doc.path = *file;
    // A missing file would be a new workbook in the program; here it is an error.
    if (!std::filesystem::exists(*file, ec)) {
        std::fprintf(stderr, "rowbit-cli: cannot open the file: it does not exist (%s)\n",
                     file->c_str());
        return kExitNoInput;
    }
    const TitleRowChooser preview = [&](const std::vector<PreviewRow>&,
                                        int preselected) -> std::optional<int> {
        const int row = titleRow ? *titleRow : preselected;
        if (row == 0)
            return std::nullopt;
        return row;
    };
    // The load's own message would take several lines; the one line below says it.
    QuietPrompts quiet;
    const OpenOutcome outcome =
        doc.open(display, quiet, preview, OpenRows{.firstSheetRows = 0, .batches = batches});
    if (outcome.kind == LoadOutcome::Unreadable || outcome.kind == LoadOutcome::NewWorkbook) {
        // The program told the user in a box; the tool says it in one line instead.
        const std::string why =
            outcome.error ? outcome.error->describe() : std::string("cannot open the file");
        std::fprintf(stderr, "rowbit-cli: %s\n", why.c_str());
        return outcome.error ? loadFailureStatus(outcome.error->code) : kExitBadData;
    }
    if (!batches)
        doc.fill(display, toStderr);
    return std::nullopt;
}

// Standard output written as a list is made: each batch as soon as it is complete. Once the
// reader has gone (EPIPE, when SIGPIPE is ignored; otherwise SIGPIPE ends the process at
// once) nothing more is written.
class StreamedOutput {
public:
    // Writes what `text` holds and empties it; false once the reader has gone.
    bool write(std::string& text) {
        std::size_t done = 0;
        while (!gone_ && done < text.size()) {
            const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
            if (n >= 0) {
                done += static_cast<std::size_t>(n);
            } else if (errno != EINTR) {
                gone_ = true;
            }
        }
        text.clear();
        return !gone_;
    }
    bool gone() const { return gone_; }

private:
    bool gone_ = false;
};

// The status of a command whose reader went away: that of a process SIGPIPE ended.
constexpr int kReaderGone = 128 + SIGPIPE;

void printLine(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += '\t';
        out += escapeField(std::string(cp949::trimRight(fields[i])));
    }
    out += '\n';
}

void printHeader(std::string& out, const ColumnSetup& columns) {
    std::vector<std::string> titles;
    for (int k = 0; k < std::min(columns.columnCount, kMaxColumns); ++k)
        titles.push_back(columns.title[k]);
    if (columns.memoColumn != 0)
        titles.push_back(columns.memoTitle);
    printLine(out, titles);
}

void printRecord(std::string& out, const ColumnSetup& columns, const Record& record) {
    std::vector<std::string> fields;
    for (int k = 0; k < std::min(columns.columnCount, kMaxColumns); ++k)
        fields.emplace_back(record.col[k]);
    if (columns.memoColumn != 0)
        fields.push_back(record.memo);
    printLine(out, fields);
}

std::string letter(int sheetColumn) {
    return sheetColumn <= 26 ? columnLetters(sheetColumn) : "";
}

// Saves as the Save command does, to `out`; a name with no workbook ending gets the open
// workbook's, as a typed save-as name does. With --keep-version the file replaced is first
// kept among the workbook's versions.
int saveTo(Document& doc, const AppState& display, const std::string& out, const Args& args) {
    const BookFormat format = doc.book->format();
    const std::string name = saveAsName(out, format);
    if (formatOfName(name) != format) {
        std::fprintf(stderr, "rowbit-cli: %s must end in %s, as the workbook's format is\n",
                     out.c_str(), format == BookFormat::Xlsx ? ".xlsx or .xlsm" : ".xls");
        return kUsage;
    }
    doc.path = name;
    if (option(args, "--keep-version"))
        doc.versions.emplace(keptVersions());
    // No one is there to ask: a file that changed since it was read is left as it is.
    const SaveOutcome saved = doc.save(display, toStderr, ChangedFile::Refuse);
    if (const std::string notices = saveNoticesMessage(saved.notices); !notices.empty())
        toStderr.tell(notices);
    if (saved.status == SaveStatus::Conflict)
        return kExitFileChanged;
    return saved.status == SaveStatus::Saved ? 0 : kSaveFailed;
}

// The records at `positions` of the list in a --format other than text.
std::string rawRecords(const Document& doc, const std::vector<std::size_t>& positions,
                       OutputFormat format) {
    RawTable table;
    table.titles = rawTitles(doc);
    for (std::size_t pos : positions)
        table.rows.push_back(rawRecord(doc, doc.records.at(pos)));
    return writeTable(table, format);
}

} // namespace

// Prints the records as the rows are read: the same lines as a list filled whole would give,
// without holding more than a batch of rows and its records.
int list(const Args& args) {
    const auto format = outputFormat(args);
    if (!format)
        return usageError("--format is one of text, tsv, csv, json");
    Document doc;
    AppState display;
    StreamedOutput output;
    std::string out;
    std::optional<RecordBatchFill> records;
    std::optional<TableWriter> table;
    auto begin = [&] {
        if (*format == OutputFormat::Text) {
            printHeader(out, doc.columns);
            return;
        }
        table.emplace(*format, rawTitles(doc));
        table->begin(out);
    };
    const RowBatches batches = [&](const RowBatch& batch) {
        const Sheet* sheet = batch.book.sheet(0);
        if (!records) {
            records.emplace(batch.book, doc.columns, display);
            begin();
        }
        if (sheet) {
            const RecordList& filled = records->fill(*sheet, batch.fromRow, batch.toRow);
            for (std::size_t pos = 1; pos <= filled.count(); ++pos) {
                if (table)
                    table->row(out, rawRecord(&batch.book, sheet, doc.columns, filled.at(pos)));
                else
                    printRecord(out, doc.columns, filled.at(pos));
            }
        }
        return output.write(out) ? BatchReply::Drop : BatchReply::Stop;
    };
    if (auto failed = open(doc, display, args, batches))
        return output.gone() ? kReaderGone : *failed;
    if (output.gone())
        return kReaderGone;
    if (!records)
        begin();
    if (table)
        table->end(out);
    if (!output.write(out))
        return kReaderGone;
    if (records && !records->overflow().empty())
        toStderr.tell(kOverflowMessage + std::string(cp949::trimRight(records->overflow())));
    return 0;
}

int setup(const Args& args) {
    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    const ColumnSetup& columns = doc.columns;
    nlohmann::ordered_json json;
    json["ccount"] = columns.columnCount;
    json["startline"] = columns.firstDataRow;
    json["columns"] = nlohmann::ordered_json::array();
    for (int k = 0; k < std::min(columns.columnCount, kMaxColumns); ++k) {
        nlohmann::ordered_json column;
        column["cno"] = letter(columns.sheetColumn[k]);
        column["name"] = columns.title[k];
        column["type"] = typeLetterOf(columns, k);
        column["justify"] = justifyLetter(columns.justify[k]);
        column["size"] = columns.size[k];
        column["formula"] = columns.formula[k];
        column["lookup"] = columns.hasLookup[k] != 0;
        json["columns"].push_back(column);
    }
    if (columns.memoColumn != 0) {
        nlohmann::ordered_json memo;
        memo["cno"] = settingsColumnCode(columns.memoColumn);
        memo["name"] = columns.memoTitle;
        memo["width"] = columns.memoWidth;
        memo["height"] = columns.memoHeight;
        json["memo"] = memo;
    } else {
        json["memo"] = nullptr;
    }
    std::cout << json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << '\n';
    return 0;
}

namespace {

// A field of a setup given as JSON; absent or null gives `fallback`, a field of another kind
// is refused by the caller's catch.
template <class T>
T field(const nlohmann::json& object, const char* name, T fallback) {
    const auto it = object.find(name);
    if (it == object.end() || it->is_null())
        return fallback;
    return it->get<T>();
}

// The setup of `json` applied to the dialog's draft as a user would set the controls: the
// columns in slot order, the slots after them emptied, the memo and the start row.
// justify, lookup and the sizes of number and date columns follow from the type, as in the
// dialog, whatever the input says. A memo size above what the dialog's field holds is taken
// only when it is the size the workbook holds already (`keptWidth`, `keptHeight`).
Result<void> applyJson(const nlohmann::json& json, const ColumnSetup& held, SetupDraft& draft,
                       bool& keptWidth, bool& keptHeight) {
    const nlohmann::json columns = json.value("columns", nlohmann::json::array());
    if (!columns.is_array() || columns.size() > kMaxColumns)
        return makeError(ErrorCode::Invalid, "columns must be a list of at most 10 columns");
    for (int i = 0; i < kMaxColumns; ++i) {
        SlotInput input;
        if (static_cast<std::size_t>(i) < columns.size()) {
            const nlohmann::json& column = columns[static_cast<std::size_t>(i)];
            input.letter = field<std::string>(column, "cno", "");
            input.title = field<std::string>(column, "name", "");
            input.type = field<std::string>(column, "type", "S");
            input.formula = field<std::string>(column, "formula", "");
            const std::optional<FieldType> type = fieldTypeOfLetter(input.type);
            input.size = type == FieldType::Number ? 20
                         : type == FieldType::Date ? 12
                                                   : field<int>(column, "size", 0);
        }
        if (auto set = setSlot(draft, i, input); !set)
            return set;
    }
    const auto memo = json.find("memo");
    if (memo == json.end() || memo->is_null()) {
        draft.memoColumn.clear();
    } else {
        int width = field<int>(*memo, "width", 0);
        int height = field<int>(*memo, "height", 0);
        keptWidth = width > kMaxMemoSize && width == held.memoWidth;
        keptHeight = height > kMaxMemoSize && height == held.memoHeight;
        if (auto set = setMemo(
                draft, field<std::string>(*memo, "cno", ""), field<std::string>(*memo, "name", ""),
                keptWidth ? draft.memoWidth : width, keptHeight ? draft.memoHeight : height);
            !set)
            return set;
    }
    return setStartLine(draft, field<long long>(json, "startline", held.firstDataRow));
}

} // namespace

int configure(const Args& args) {
    const std::string* file = positional(args, 0);
    const std::string* source = positional(args, 1);
    if (!file || !source)
        return usageError("configure needs FILE SETUP.json (- reads standard input)");
    std::string text;
    if (*source == "-") {
        std::stringstream in;
        in << std::cin.rdbuf();
        text = in.str();
    } else {
        std::ifstream in(*source, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "rowbit-cli: cannot read the setup file %s\n", source->c_str());
            return kExitNoInput;
        }
        std::stringstream read;
        read << in.rdbuf();
        text = read.str();
    }
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        std::fprintf(stderr,
                     "rowbit-cli: the setup is not a JSON object as rowbit-cli setup prints it\n");
        return kExitBadData;
    }

    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    ColumnSetup& columns = doc.columns;
    const ColumnSetup held = columns;
    SetupDraft draft = openDraft(columns);
    bool keptWidth = false, keptHeight = false;
    Result<void> applied = makeError(ErrorCode::Invalid, "");
    try {
        applied = applyJson(json, held, draft, keptWidth, keptHeight);
    } catch (const nlohmann::json::exception& e) {
        applied = makeError(ErrorCode::Invalid,
                            std::string("a setup field has the wrong kind: ") + e.what());
    }
    if (!applied) {
        std::fprintf(stderr, "rowbit-cli: %s\n", applied.error().describe().c_str());
        return kExitBadData;
    }

    // As the dialog's OK: a change of the cells wanted reads the rows again before saving,
    // so that no record's texts are written into the columns of the new setup.
    const bool reload = needsReload(draft, columns);
    if (auto stored = saveToFile(draft, columns); !stored) {
        toStderr.tell(stored.error().message);
        return 1;
    }
    if (keptWidth)
        columns.memoWidth = held.memoWidth;
    if (keptHeight)
        columns.memoHeight = held.memoHeight;
    if (reload)
        doc.fill(display, toStderr);
    return saveTo(doc, display, *file, args);
}

int totals(const Args& args) {
    const auto format = outputFormat(args);
    if (!format)
        return usageError("--format is one of text, tsv, csv, json");
    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    const auto result = sumNumberColumns(doc.columns, doc.records);
    if (!result) {
        toStderr.tell(kNoNumberColumns);
        return 1;
    }
    if (*format != OutputFormat::Text) {
        // One row per totals line: its name, then each number column's value.
        RawTable table;
        table.titles.emplace_back("항목");
        for (int slot : result->numberSlots)
            table.titles.emplace_back(cp949::trim(doc.columns.title[slot]));
        for (const TotalsLine& line : result->lines) {
            if (cp949::trim(line.subj).empty())
                continue; // the window's blank line between the two groups
            std::vector<RawValue> row{std::string(cp949::trim(line.subj))};
            for (const auto& value : line.value)
                row.push_back(value ? RawValue(*value) : RawValue());
            table.rows.push_back(std::move(row));
        }
        std::cout << writeTable(table, *format);
        return 0;
    }
    std::string out;
    for (const TotalsLine& line : result->lines) {
        out += cp949::trimRight(line.subj);
        for (const auto& value : line.value) {
            out += '\t';
            out += totalsText(value);
        }
        out += '\n';
    }
    std::cout << out;
    return 0;
}

int search(const Args& args) {
    const std::string* text = positional(args, 1);
    if (!text)
        return usageError("no search text given");
    const auto format = outputFormat(args);
    if (!format)
        return usageError("--format is one of text, tsv, csv, json");
    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    BrowseState browse;
    const SearchStatus status = runSearch(doc.records, browse, toStderr, *text);
    if (*format != OutputFormat::Text) {
        std::vector<std::size_t> found;
        for (const ResultLine& line : browse.searchResults) {
            if (const auto pos = doc.records.find(line.pointer))
                found.push_back(*pos);
        }
        std::cout << rawRecords(doc, found, *format);
        return status == SearchStatus::Found ? 0 : 1;
    }
    std::string out;
    printHeader(out, doc.columns);
    for (const ResultLine& line : browse.searchResults) {
        if (const auto pos = doc.records.find(line.pointer))
            printRecord(out, doc.columns, doc.records.at(*pos));
    }
    std::cout << out;
    return status == SearchStatus::Found ? 0 : 1;
}

int sort(const Args& args) {
    const std::string* column = positional(args, 1);
    const std::string* out = option(args, "--out");
    if (!column || !out)
        return usageError("sort needs FILE COLUMN --out OUT");
    const auto c = wholeNumber(*column);
    if (!c || *c < 1)
        return usageError("COLUMN is a list column number from 1");
    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    if (*c > doc.columns.usedColumns())
        return usageError("COLUMN is not a column of the list");
    sortList(doc.records, doc.columns, *c);
    doc.modified = true;
    return saveTo(doc, display, *out, args);
}

int resave(const Args& args) {
    const std::string* out = option(args, "--out");
    if (!out)
        return usageError("resave needs FILE --out OUT");
    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    return saveTo(doc, display, *out, args);
}

int report(const Args& given) {
    // A flag without a value: taken out before the positional arguments are counted.
    Args args;
    bool landscape = false;
    for (const std::string& arg : given) {
        if (arg == "--landscape")
            landscape = true;
        else
            args.push_back(arg);
    }
    const std::string* out = positional(args, 1);
    if (!out)
        return usageError("report needs FILE OUT.pdf");
    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    if (doc.records.count() == 0) {
        toStderr.tell(report::kNoData);
        return 1;
    }
    // The columns as wide as the list shows them before the user drags any.
    const std::vector<browse::ListColumn> columns = listColumns(doc);
    for (int c = 0; c < std::min(doc.columns.columnCount, kMaxColumns); ++c) {
        if (static_cast<std::size_t>(c) < columns.size())
            doc.columns.listWidth[static_cast<std::size_t>(c)] =
                columns[static_cast<std::size_t>(c)].width;
    }
    report::ListReport layout(doc.columns, doc.records, doc.path, landscape, report::stampsNow());
    while (!layout.layOutNextBatch()) {
    }
    return writeReportPdf(layout.takePages(), *out) ? 0 : kSaveFailed;
}

} // namespace rowbit::cli

namespace rowbit::cli {

namespace {

// add, change and delete: load, edit through the form's model, save over FILE.
int recordCommand(const Args& args, RecordCommand command) {
    RecordEdit edit;
    edit.command = command;
    edit.today = picture::today();
    if (const std::string* today = option(args, "--today")) {
        const auto serial = parseToday(*today);
        if (!serial)
            return usageError("--today needs a date YYYY-MM-DD");
        edit.today = *serial;
    }
    if (const std::string* memo = option(args, "--memo"))
        edit.memo = *memo;
    std::size_t next = 1;
    if (command != RecordCommand::Insert) {
        const std::string* n = positional(args, next++);
        const auto number = n ? wholeNumber(*n) : std::nullopt;
        if (!number || *number < 1)
            return usageError("N is a record number from 1");
        edit.number = static_cast<std::size_t>(*number);
    }
    while (const std::string* value = positional(args, next++))
        edit.values.push_back(*value);

    Document doc;
    AppState display;
    if (auto failed = open(doc, display, args))
        return *failed;
    display.todayYear = picture::civilFromSerial(edit.today).year;
    // A date given as YYYY-MM-DD is typed as the date picture shows it, with its full year.
    for (std::size_t i = 0; i < edit.values.size() && i < kMaxColumns; ++i) {
        if (doc.columns.type[i] != FieldType::Date)
            continue;
        const auto typed = isoDateForEntry(edit.values[i], display.datePicture, display.todayYear);
        if (!typed) {
            std::fprintf(stderr,
                         "rowbit-cli: field %zu: %s is outside the years the list's two-digit "
                         "years stand for (%d to %d)\n",
                         i + 1, edit.values[i].c_str(), display.todayYear - 80,
                         display.todayYear + 19);
            return kExitRefused;
        }
        edit.values[i] = *typed;
    }
    if (edit.number > doc.records.count())
        return usageError("no such record in the list");
    const int status = editRecord(doc, display, edit);
    if (status == kEditUsage)
        return usageError("more values than the form has fields");
    if (status != 0)
        return status;
    return saveTo(doc, display, doc.path, args);
}

} // namespace

int add(const Args& args) {
    return recordCommand(args, RecordCommand::Insert);
}

int change(const Args& args) {
    return recordCommand(args, RecordCommand::Change);
}

int remove(const Args& args) {
    return recordCommand(args, RecordCommand::Delete);
}

} // namespace rowbit::cli
