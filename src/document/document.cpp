#include "document/document.h"

#include "app/cp949_text.h"
#include "app/picture.h"
#include "app/preferences.h"
#include "document/file_messages.h"
#include "document/row_list.h"
#include "document/settings_sheet.h"
#include "workbook/column_letter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numeric>
#include <optional>
#include <system_error>

namespace rowbit {

namespace {

// A new workbook with the sheets every new workbook gets.
std::unique_ptr<Book> newWorkbook(BookFormat format) {
    auto book = createBook(format);
    book->addSheet("Sheet1");
    book->addSheet(kSettingsSheetName);
    book->setDefaultFont(kDefaultFontFace, kDefaultFontSize);
    return book;
}

void makeCurrent(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_directory(folder, ec))
        std::filesystem::current_path(folder, ec);
}

} // namespace

void defaultColumns(ColumnSetup& columns) {
    columns.columnCount = 7;
    columns.firstDataRow = 1;
    for (int k = 0; k < 7; ++k) {
        columns.sheetColumn[k] = k + 1;
        columns.title[k] = columnLetters(k + 1);
    }
    for (int k = 0; k < kMaxColumns; ++k) {
        columns.type[k] = FieldType::Text;
        columns.unknownType[k].reset();
        columns.size[k] = 30;
        columns.justify[k] = Justification::Left;
    }
}

namespace {

// The column setup of a workbook just read: from its settings sheet, else from the preview of
// its first rows (the workbook is then modified).
LoadOutcome takeSetup(Document& doc, const Book& book, const AppState& display,
                      const TitleRowChooser& preview) {
    if (const Sheet* settings = settingsSheet(book)) {
        readSettings(*settings, doc.columns);
        return LoadOutcome::Settings;
    }
    const std::vector<PreviewRow> rows =
        previewRows(book, display.datePicture.empty() ? "@D9-" : display.datePicture);
    const std::optional<int> title = preview ? preview(rows, preselectedRow(rows)) : std::nullopt;
    if (title && *title >= 1 && *title <= kPreviewRows && book.sheetCount() > 0)
        makeSetup(*book.sheet(0), *title, doc.columns);
    doc.modified = true;
    return LoadOutcome::Preview;
}

} // namespace

OpenOutcome Document::open(const AppState& display, Prompts& prompts,
                           const TitleRowChooser& preview, const OpenRows& rows) {
    columns.clear();
    if (path.empty())
        path = display.unnamedPath();

    // Taken before the read: a file replaced while it is read differs from it at the save.
    const std::string trimmed(cp949::trimRight(path));
    diskPath = trimmed;
    diskIdentity = identityOf(trimmed);
    LoadOptions options{
        .progress =
            [&prompts](double fraction) { prompts.progress(ProgressStage::Reading, fraction); },
        .firstSheetRows = std::max(rows.firstSheetRows, 0),
        .firstSheetBatches = {}};
    std::optional<LoadOutcome> setUp;
    if (rows.batches) {
        options.firstSheetBatches = [&](const RowBatch& batch) {
            if (!setUp) {
                // The preview shows the first rows and the title row's next: they come first.
                if (!batch.last && batch.toRow <= kPreviewRows + 1 && !settingsSheet(batch.book))
                    return BatchReply::Keep;
                setUp = takeSetup(*this, batch.book, display, preview);
            }
            return rows.batches(batch);
        };
    }
    auto loaded = loadBook(trimmed, options);
    if (!loaded) {
        fromFile = false;
        if (loaded.error().code == ErrorCode::NotFound) {
            // A file that is not there yet: the new workbook, named as asked.
            // The ending decides the format; a name with no workbook ending gets ".xls".
            path = saveAsName(path, BookFormat::Xls);
            // Whatever takes the name before the first save is someone else's.
            diskPath = std::string(cp949::trimRight(path));
            diskIdentity.reset();
            book = newWorkbook(*formatOfName(path));
            defaultColumns(columns);
            return {LoadOutcome::NewWorkbook, loaded.error()};
        }
        openFailed(display, prompts, loaded.error());
        return {LoadOutcome::Unreadable, loaded.error()};
    }
    book = std::move(loaded).value();
    fromFile = true;
    if (!setUp)
        setUp = takeSetup(*this, *book, display, preview);
    return {*setUp, std::nullopt};
}

void Document::openFailed(const AppState& display, Prompts& prompts, const Error& error) {
    // A file that is there but cannot be read is never taken for a new one: saving over it
    // would destroy it. The user hears why and works in the unnamed workbook.
    prompts.message(openFailedMessage(path, error));
    fromFile = false;
    path = display.unnamedPath();
    diskPath.clear();
    diskIdentity.reset();
    book = newWorkbook(BookFormat::Xls);
    columns.clear();
    defaultColumns(columns);
    records.clear();
    filled.clear();
}

void Document::takeWholeList(Document& whole) {
    book = std::move(whole.book);
    columns = whole.columns;
    std::swap(records, whole.records);
    std::swap(filled, whole.filled);
    fromFile = true;
    // The history's steps name records of the list just replaced.
    history.restart(modified);
}

FillOutcome Document::fill(const AppState& display, Prompts& prompts, const FillOptions& options) {
    return fillRecordList(*this, display, prompts, options);
}

OpenOutcome chooseAndOpen(Document& doc, AppState& display, Prompts& prompts,
                          const TitleRowChooser& preview, const Preferences& prefs,
                          const std::string& commandLine,
                          std::array<std::string, kRecentFiles>& recent, int firstSheetRows) {
    std::error_code ec;
    display.workingFolder = std::filesystem::current_path(ec).string();

    const std::string tail(cp949::trim(commandLine));
    if (cp949::upper(tail) == "/O" || display.isUnnamed(doc.path)) {
        const std::string folder = prefs.readOpenFolder();
        makeCurrent(folder);
        const auto chosen =
            prompts.openFile(FileDialogRequest{kOpenTitle, kOpenFilter, doc.path, folder});
        if (chosen && !chosen->empty()) {
            doc.path = canonicalPath(*chosen);
            makeCurrent(std::filesystem::path(*chosen).parent_path());
        }
    } else if (!tail.empty()) {
        // Absolute, so that a file dialog making another folder current later cannot send the
        // save elsewhere.
        doc.path = canonicalPath(tail);
    }
    OpenOutcome outcome = doc.open(display, prompts, preview,
                                   OpenRows{.firstSheetRows = firstSheetRows, .batches = {}});
    // Only a workbook that was really opened is a recent file; a new one becomes one when it
    // is first saved.
    if (outcome.kind == LoadOutcome::Settings || outcome.kind == LoadOutcome::Preview)
        recentFiles(recent, doc.path);
    doc.fill(display, prompts);
    return outcome;
}

std::optional<BookFormat> formatOfName(const std::string& path) {
    const std::string file =
        std::filesystem::path(std::string(cp949::trimRight(path))).filename().string();
    const auto stop = file.rfind('.');
    if (stop == std::string::npos)
        return std::nullopt;
    const std::string ending = cp949::upper(file.substr(stop + 1));
    if (ending == "XLS")
        return BookFormat::Xls;
    if (ending == "XLSX" || ending == "XLSM")
        return BookFormat::Xlsx;
    return std::nullopt;
}

std::string saveAsName(const std::string& chosen, BookFormat open) {
    const std::string name(cp949::trimRight(chosen));
    if (formatOfName(name))
        return name;
    return name + (open == BookFormat::Xlsx ? ".xlsx" : ".xls");
}

namespace {

// The year of the date a cell holds, if it holds one.
std::optional<int> heldYear(const Book& book, const Sheet& sheet, int row, int col) {
    if (sheet.cellType(row, col) != CellType::Number || !sheet.isDate(row, col))
        return std::nullopt;
    double serial = sheet.readNum(row, col);
    if (book.date1904())
        serial = picture::serialFrom1904(serial);
    constexpr double kAfterLastDay = 2958466; // 1 January 10000
    if (!(serial >= 1 && serial < kAfterLastDay))
        return std::nullopt;
    return picture::civilFromSerial(static_cast<std::int32_t>(std::floor(serial))).year;
}

// Writes an edited or inserted field by its column's type.
bool writeField(Book& book, Sheet& sheet, const ColumnSetup& columns, int k, int row,
                std::string_view text, const std::string& datePicture, int todayYear,
                int& dateFormat) {
    const int col = columns.sheetColumn[k] - 1;
    const int format = columns.format[k];
    const std::string value(cp949::trimRight(text));
    if (columns.type[k] == FieldType::Number)
        return sheet.writeNum(row, col, picture::readNumber(value), format);
    if (columns.type[k] == FieldType::Date) {
        // The list shows two-digit years: an edited date keeps the century its cell held
        // when the two digits are still that year's.
        const picture::YearWindow window{todayYear, heldYear(book, sheet, row, col)};
        if (const auto serial = picture::readDate(value, datePicture, window)) {
            // A date stays a date: a serial with a date format, the column's own when it is one.
            if (dateFormat < 0)
                dateFormat = book.isDateFormat(format) ? format : book.dateFormat(format);
            const double stored = book.date1904() ? picture::serialTo1904(*serial) : *serial;
            return sheet.writeNum(row, col, stored, dateFormat);
        }
    }
    return sheet.writeStr(row, col, value, format);
}

} // namespace

namespace {

// Positions - 1 of the list's records in the order of their identities. Identities are given
// out one after another, so they mostly lie close together: placed by identity in one pass
// then, sorted otherwise.
std::vector<std::uint32_t> positionsByIdentity(const RecordList& records) {
    const std::size_t count = records.count();
    std::vector<std::uint32_t> order(count);
    if (count == 0)
        return order;
    RecordId low = records.id(1), high = low;
    for (std::size_t p = 2; p <= count; ++p) {
        low = std::min(low, records.id(p));
        high = std::max(high, records.id(p));
    }
    if (high - low < 4 * static_cast<RecordId>(count)) {
        constexpr std::uint32_t kNone = UINT32_MAX;
        std::vector<std::uint32_t> slot(static_cast<std::size_t>(high - low) + 1, kNone);
        for (std::size_t p = 1; p <= count; ++p)
            slot[static_cast<std::size_t>(records.id(p) - low)] = static_cast<std::uint32_t>(p - 1);
        std::size_t n = 0;
        for (const std::uint32_t p : slot) {
            if (p != kNone)
                order[n++] = p;
        }
        return order;
    }
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&records](std::uint32_t a, std::uint32_t b) {
        return records.id(a + 1) < records.id(b + 1);
    });
    return order;
}

} // namespace

namespace {

constexpr std::uint32_t kNotFilled = UINT32_MAX;

// Where a save puts each record and where it takes it from.
struct RowPlan {
    std::vector<std::int32_t> places;  // the rows the records were read from, in sheet order
    std::vector<int> target;           // by list position: the row the record is written to
    std::vector<std::uint32_t> source; // by list position: its index in `filled`, or kNotFilled
    std::vector<RowMove> moves;        // filled records whose row changes
    int rowsUsed = 0;                  // rows in use once the new records are placed
};

// Gives every record its row: the places in sheet order, then new rows after `lastUsedRow`.
// Notes which filled record each one was read as and which of those rows move.
RowPlan planRowMoves(const RecordList& records, const FilledRecords& filled, int lastUsedRow) {
    const std::size_t count = records.count();
    RowPlan plan;
    plan.places = filled.places();
    plan.rowsUsed = lastUsedRow;
    plan.target.resize(count);
    plan.source.assign(count, kNotFilled);
    for (std::size_t p = 0; p < count; ++p) {
        const int to = p < plan.places.size() ? plan.places[p] : plan.rowsUsed++;
        plan.target[p] = to;
        if (const auto index = filled.find(records.id(p + 1))) {
            plan.source[p] = static_cast<std::uint32_t>(*index);
            const int from = filled.row(*index);
            if (from != to) {
                if (plan.moves.empty())
                    plan.moves.reserve(count - p);
                plan.moves.push_back(RowMove{to, from});
            }
        }
    }
    return plan;
}

// Refuses a save whose records run past the format's last row. It is asked before anything is
// touched: a half-done save would leave the sheet and the remembered places out of step.
Result<void> checkRowLimit(const Book& book, int rowsUsed) {
    const int rowLimit = book.format() == BookFormat::Xls ? 65536 : 1048576;
    if (rowsUsed > rowLimit)
        return makeError(ErrorCode::Limit,
                         "the data sheet has no room for " + std::to_string(rowsUsed - rowLimit) +
                             " more record(s)",
                         "row " + std::to_string(rowLimit));
    return {};
}

// The rows of the filled records that no record in the list comes from any more.
std::vector<int> deletedRowsOf(const FilledRecords& filled,
                               const std::vector<std::uint32_t>& source) {
    std::vector<int> deletedRows;
    std::vector<char> kept(filled.size(), 0);
    for (const std::uint32_t index : source) {
        if (index != kNotFilled)
            kept[index] = 1;
    }
    for (std::size_t i = 0; i < filled.size(); ++i) {
        if (!kept[i])
            deletedRows.push_back(filled.row(i));
    }
    return deletedRows;
}

// Empties every cell of `row` in the first `lastCol` columns.
void emptyRow(Sheet& sheet, int row, int lastCol) {
    sheet.clear(row, row, 0, lastCol - 1);
}

// Moves the rows of kept records to their new places and deletes the rows of deleted records:
// their cells go with their links, comments and merges, and formulas that named them learn it,
// as when a spreadsheet program deletes a row. Both lists are given back when done.
Result<void> moveRecordRows(Sheet& sheet, std::vector<RowMove> moves, std::vector<int> deletedRows,
                            int lastCol) {
    if (moves.empty() && deletedRows.empty())
        return {};
    // A place whose record was deleted may receive another record: empty it first so
    // nothing of the deleted record stays behind, whatever else the move keeps.
    std::vector<int> sources;
    sources.reserve(moves.size());
    for (const RowMove& m : moves)
        sources.push_back(m.source);
    std::sort(sources.begin(), sources.end());
    for (const RowMove& m : moves) {
        if (!std::binary_search(sources.begin(), sources.end(), m.target))
            emptyRow(sheet, m.target, lastCol);
    }
    sources = {};
    if (auto moved = sheet.moveRows(moves, deletedRows); !moved)
        return moved.error();
    return {};
}

// Empties the places no filled record moved into: those an inserted record takes over from a
// deleted one, and those left over when the list holds fewer records than were filled.
void clearVacatedPlaces(Sheet& sheet, const RowPlan& plan, int lastCol) {
    const std::size_t count = plan.target.size();
    for (std::size_t p = 0; p < count; ++p) {
        if (plan.source[p] == kNotFilled && p < plan.places.size())
            emptyRow(sheet, plan.target[p], lastCol); // an inserted record in a deleted one's place
    }
    for (std::size_t p = count; p < plan.places.size(); ++p)
        emptyRow(sheet, plan.places[p], lastCol); // places left over after deletes
}

// Writes records' fields into their rows, skipping those that still hold the text filled from
// the same sheet column. Dates written into a column share one date format.
class FieldWriter {
public:
    FieldWriter(Book& book, Sheet& sheet, const ColumnSetup& columns, const FilledRecords& filled,
                const std::string& datePicture, int todayYear)
        : book_(book), sheet_(sheet), columns_(columns), filled_(filled), datePicture_(datePicture),
          todayYear_(todayYear), used_(columns.shownColumns()) {
        dateFormats_.fill(-1);
    }

    // Writes the record at list position `position` (from 0) into `row`; `source` is the index
    // of the filled record it was read as, kNotFilled for a new one.
    Result<void> write(const Record& record, std::size_t position, std::uint32_t source, int row) {
        const std::optional<std::size_t> from =
            source == kNotFilled ? std::nullopt : std::optional<std::size_t>(source);
        // A record that still holds the very texts filled needs no comparing field by field.
        const bool same = from && filled_.sameTexts(*from, record);
        const FilledRecords::Texts before =
            from && !same ? filled_.texts(*from) : FilledRecords::Texts{};
        for (int k = 0; k < used_; ++k) {
            if (from && filled_.sheetColumn[k] == columns_.sheetColumn[k] &&
                filled_.hasField(*from, k) && (same || *before[k] == record.col[k]))
                continue;
            const std::string_view text = record.col[k];
            if (!writeField(book_, sheet_, columns_, k, row, text, datePicture_, todayYear_,
                            dateFormats_[k]))
                return noRoom(position, row);
        }
        if (columns_.memoColumn != 0) {
            if (from && filled_.memoColumn == columns_.memoColumn &&
                filled_.hasField(*from, kMaxColumns) &&
                (same || *before[kMaxColumns] == record.memo))
                return {};
            if (!sheet_.writeStr(row, columns_.memoColumn - 1, cp949::trimRight(record.memo)))
                return noRoom(position, row);
        }
        return {};
    }

private:
    static Result<void> noRoom(std::size_t position, int row) {
        return makeError(ErrorCode::Limit,
                         "no room in the data sheet for record " + std::to_string(position + 1),
                         "row " + std::to_string(row + 1));
    }

    Book& book_;
    Sheet& sheet_;
    const ColumnSetup& columns_;
    const FilledRecords& filled_;
    const std::string& datePicture_;
    const int todayYear_;
    const int used_;
    std::array<int, kMaxColumns> dateFormats_;
};

// Writes every record's changed fields into the row the plan gives it.
Result<void> writeChangedFields(const RecordList& records, const RowPlan& plan,
                                FieldWriter& writer) {
    for (std::size_t p = 0; p < plan.target.size(); ++p) {
        if (auto written = writer.write(records.at(p + 1), p, plan.source[p], plan.target[p]);
            !written)
            return written;
    }
    return {};
}

// Remembers the saved sheet as filled: every record in its new row with its present texts, in
// the order of their identities. Each record learns its row.
void rememberSavedRows(RecordList& records, FilledRecords& filled, const ColumnSetup& columns,
                       const std::vector<int>& target) {
    const int used = columns.shownColumns();
    std::vector<std::uint32_t> byId = positionsByIdentity(records);
    filled.clear();
    filled.reserve(records.count());
    filled.keep(records.arenas());
    filled.sheetColumn = columns.sheetColumn;
    filled.memoColumn = columns.memoColumn;
    for (const std::uint32_t p : byId) {
        Record& record = records.at(p + 1);
        record.row = target[p];
        filled.add(records.id(p + 1), target[p], record, used, columns.memoColumn != 0);
    }
}

} // namespace

Result<void> saveRecordsSheet(Document& doc, const AppState& display) {
    ColumnSetup& columns = doc.columns;
    Book* book = doc.book.get();
    Sheet* sheet = doc.sheet();
    if (!book || !sheet)
        return makeError(ErrorCode::Invalid, "the workbook has no data sheet");
    if (columns.firstDataRow < 1)
        columns.firstDataRow = 1;

    RecordList& records = doc.records;
    FilledRecords& filled = doc.filled;
    const std::string datePicture =
        display.datePicture.empty() ? std::string("@D9-") : display.datePicture;

    // A million records make every per-record vector here count: they are kept small and
    // given back as soon as they are used up.
    RowPlan plan =
        planRowMoves(records, filled, std::max(sheet->lastRow(), columns.firstDataRow - 1));
    if (auto fits = checkRowLimit(*book, plan.rowsUsed); !fits)
        return fits;

    const int lastCol = std::max(sheet->lastCol(), 1);
    if (auto moved = moveRecordRows(*sheet, std::move(plan.moves),
                                    deletedRowsOf(filled, plan.source), lastCol);
        !moved)
        return moved;
    clearVacatedPlaces(*sheet, plan, lastCol);
    plan.places = {};

    FieldWriter writer(*book, *sheet, columns, filled, datePicture, display.todayYear);
    if (auto written = writeChangedFields(records, plan, writer); !written)
        return written;

    plan.source = {};
    rememberSavedRows(records, filled, columns, plan.target);
    return {};
}

namespace {

// What the file at `path` must still be for this save: the file the workbook was read from
// (or its absence) when the save goes there; anything at a path the user named for this save.
SaveExpectation expectationFor(const Document& doc, const std::string& path) {
    if (doc.diskPath.empty() || path != doc.diskPath)
        return SaveExpectation::anything();
    return doc.diskIdentity ? SaveExpectation::same(*doc.diskIdentity) : SaveExpectation::absent();
}

// The name the user gives for saving the open workbook elsewhere; its ending follows the
// workbook's format. nullopt when the user cancelled.
std::optional<std::string> askOtherName(Prompts& prompts, BookFormat format) {
    const bool xml = format == BookFormat::Xlsx;
    const auto chosen = prompts.saveFile(
        FileDialogRequest{kSaveTitle, xml ? "엑셀파일(*.xlsx)|*.xlsx" : kSaveFilter, {}, {}});
    if (!chosen || cp949::trim(*chosen).empty())
        return std::nullopt;
    std::string name = saveAsName(*chosen, format);
    if (formatOfName(name) != format)
        name += xml ? ".xlsx" : ".xls";
    return name;
}

} // namespace

SaveOutcome Document::save(const AppState& display, Prompts& prompts, ChangedFile changed) {
    Document& doc = *this;
    const bool unnamed = display.isUnnamed(doc.path);
    if (unnamed) {
        const auto chosen = prompts.saveFile(FileDialogRequest{kSaveTitle, kSaveFilter, {}, {}});
        if (!chosen || cp949::trim(*chosen).empty())
            return {SaveStatus::Cancelled, std::nullopt};
        doc.path = saveAsName(*chosen, doc.book ? doc.book->format() : BookFormat::Xls);
        makeCurrent(std::filesystem::path(doc.path).parent_path());
        // The ending decides the format: .xlsx and .xlsm are XML workbooks, .xls binary.
        doc.book = newWorkbook(*formatOfName(doc.path));
        // Nothing of the list stands in the new workbook yet: every record is new there.
        doc.filled.clear();
    }
    if (!doc.book)
        doc.book = newWorkbook(BookFormat::Xls);

    auto fail = [&](const Error& error) {
        doc.modified = true;
        prompts.message(saveFailedMessage(doc.path, error));
        // A first save that failed names nothing: the next Save asks for a name again.
        if (unnamed)
            doc.path = display.unnamedPath();
        return SaveOutcome{SaveStatus::Failed, error};
    };
    if (settingsTarget(*doc.book).kind == SettingsTarget::Kind::NameTaken) {
        // Nothing is written: the settings would have to go into the data sheet itself.
        doc.modified = true;
        prompts.tell(kSettingsNameTakenMessage);
        return SaveOutcome{SaveStatus::Failed,
                           makeError(ErrorCode::Invalid, "the data sheet is named SetupQ")};
    }
    if (!writeSettings(*doc.book, doc.columns))
        return fail(makeError(ErrorCode::Invalid, "cannot add the settings sheet"));
    if (auto rows = saveRecordsSheet(doc, display); !rows)
        return fail(rows.error());
    std::string target(cp949::trimRight(doc.path));
    // Whatever file a save replaces is first kept among the versions of the workbook at that
    // path; a save that then fails drops the version again (the file is still there).
    std::optional<KeepOutcome> kept;
    auto saveBook = [&](const std::string& to, SaveExpectation expected) {
        if (doc.versions) {
            expected.keepReplaced = [&, to](const std::string& oldContent,
                                            const FileIdentity& replaced) {
                kept = doc.versions->keep(to, oldContent, replaced);
            };
        }
        auto result = doc.book->save(to, expected);
        if (!result && kept) {
            if (!kept->kept.empty())
                doc.versions->discard(kept->kept);
            kept.reset();
        }
        return result;
    };
    // A name chosen in the dialog just now: whatever is there, the user agreed to replace.
    auto saved =
        saveBook(target, unnamed ? SaveExpectation::anything() : expectationFor(doc, target));
    if (!saved && saved.error().code == ErrorCode::Conflict) {
        // Another program (or another copy of this one) saved the file since it was read:
        // replacing it would lose what that save wrote.
        if (changed == ChangedFile::Refuse) {
            doc.modified = true;
            prompts.message(changedFileRefusedMessage(target, saved.error()));
            return SaveOutcome{SaveStatus::Conflict, saved.error()};
        }
        auto cancelled = [&] {
            doc.modified = true;
            if (unnamed)
                doc.path = display.unnamedPath();
            return SaveOutcome{SaveStatus::Cancelled, std::nullopt};
        };
        const int choice = prompts.message(changedFileQuestion(target, saved.error()));
        if (choice == kChangedFileSaveAs) {
            const auto other = askOtherName(prompts, doc.book->format());
            if (!other)
                return cancelled();
            target = *other;
            makeCurrent(std::filesystem::path(target).parent_path());
        } else if (choice != kChangedFileOverwrite) {
            return cancelled();
        }
        const std::string before = doc.path;
        doc.path = target;
        saved = saveBook(target, SaveExpectation::anything());
        if (!saved && choice == kChangedFileSaveAs) {
            SaveOutcome failed = fail(saved.error());
            doc.path = before; // the workbook stays what it was
            return failed;
        }
    }
    if (!saved)
        return fail(saved.error());

    doc.modified = false;
    doc.fromFile = true;
    doc.diskPath = target;
    doc.diskIdentity = saved->identity;
    if (!saved->ownerKept)
        prompts.message(ownerChangedMessage(target, *saved));
    SaveOutcome outcome{SaveStatus::Saved, std::nullopt, doc.book->takeNotices()};
    if (kept && !kept->kept.empty()) {
        doc.versions->rotate(target, kept->kept);
    } else if (kept) {
        prompts.message(versionNotKeptMessage(target, *kept));
        outcome.versionNotKept = kept->error;
    }
    return outcome;
}

} // namespace rowbit
