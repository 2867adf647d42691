#include "document/row_list.h"

#include "app/cp949_text.h"
#include "app/parallel.h"
#include "app/picture.h"
#include "app/progress_steps.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace rowbit {

namespace {

// The date serials a date picture can show (years 1900 to 9999).
constexpr double kLastSerial = 2958465;

const picture::NumericPicture& listPicture(int places) {
    // "N-18B" and "@n-18.<places>B", parsed once.
    static const auto pictures = [] {
        std::array<picture::NumericPicture, 16> all{};
        for (int d = 0; d < 16; ++d) {
            const std::string text = d == 0 ? "N-18B" : "@n-18." + std::to_string(d) + "B";
            all[d] = *picture::parseNumericPicture(text);
        }
        return all;
    }();
    return pictures[std::clamp(places, 0, 15)];
}

std::string datePicture(const AppState& state) {
    return state.datePicture.empty() ? std::string("@D9-") : state.datePicture;
}

template <class Texts>
bool allBlank(const Texts& texts) {
    for (std::string_view text : texts) {
        if (!cp949::trim(text).empty())
            return false;
    }
    return true;
}

ResultLine resultLine(const RecordList& records, std::size_t pos) {
    ResultLine line;
    const Record& record = records.at(pos);
    for (std::size_t k = 0; k < kMaxColumns; ++k)
        line.col[k] = record.col[k];
    line.memo = cp949::cut(record.memo, kResultMemoBytes);
    line.pointer = records.id(pos);
    return line;
}

} // namespace

// The slow way: the plain text's places, then the list's picture.
std::string numberTextByPicture(double value, const std::string& plain) {
    const auto point = plain.find('.');
    const int places = point == std::string::npos ? 0 : static_cast<int>(plain.size() - point - 1);
    std::string text = places < 16
                           ? picture::formatNumber(value, listPicture(places))
                           : picture::formatNumber(value, "@n-18." + std::to_string(places) + "B");
    return std::string(cp949::trim(text));
}

std::string numberText(double value) {
    // The list shows a number with exactly the places of its plain text, so the shown text
    // is the plain text with its whole part grouped: built directly, as a sheet holds
    // millions of them. Anything unusual goes through the picture.
    // Whole numbers of up to 15 digits need no decimal conversion at all.
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        if (value == 0)
            return {};
        auto whole = static_cast<long long>(std::fabs(value));
        char digits[24];
        int n = 0;
        for (int i = 0; whole > 0; ++i, whole /= 10) {
            if (i != 0 && i % 3 == 0)
                digits[n++] = ',';
            digits[n++] = static_cast<char>('0' + whole % 10);
        }
        if (value < 0)
            digits[n++] = '-';
        return std::string(std::make_reverse_iterator(digits + n),
                           std::make_reverse_iterator(digits));
    }
    // Most other numbers carry a few places (prices, amounts). When the value is exactly the
    // nearest double to some whole count of its last place's units, with at most 15 digits,
    // that count is the plain text's digits: the fewest places that read back win, and within
    // 15 digits two texts of the same places are too far apart to read back as one value.
    if (std::fabs(value) < 1e14) {
        static constexpr double kScale[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        for (int places = 1; places < 16; ++places) {
            const double scaled = value * kScale[places];
            if (!(std::fabs(scaled) < 1e15))
                break;
            const long long units = std::llround(scaled);
            if (static_cast<double>(units) / kScale[places] != value)
                continue;
            // Digits from the last place up, the point and the groups put in on the way.
            auto rest = static_cast<unsigned long long>(units < 0 ? -units : units);
            char digits[40];
            int n = 0;
            for (int i = 0; i < places; ++i, rest /= 10)
                digits[n++] = static_cast<char>('0' + rest % 10);
            digits[n++] = '.';
            int whole = 0;
            do {
                if (whole != 0 && whole % 3 == 0)
                    digits[n++] = ',';
                digits[n++] = static_cast<char>('0' + rest % 10);
                rest /= 10;
                ++whole;
            } while (rest > 0);
            if (units < 0)
                digits[n++] = '-';
            return std::string(std::make_reverse_iterator(digits + n),
                               std::make_reverse_iterator(digits));
        }
    }
    // The shortest text that reads back as the value is the plain text whenever it has at
    // most the plain text's 15 significant digits; only longer ones need rounding.
    char shortest[64];
    const auto [end, error] =
        std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed);
    int significant = 0;
    bool leading = true;
    for (const char* p = shortest; error == std::errc() && p != end; ++p) {
        if (*p >= '1' && *p <= '9')
            leading = false;
        if (!leading && *p >= '0' && *p <= '9')
            ++significant;
    }
    const std::string plain = error == std::errc() && significant <= 15
                                  ? std::string(shortest, end)
                                  : picture::plainDecimal(value);
    std::size_t start = plain.empty() || plain[0] != '-' ? 0 : 1;
    const std::size_t point = plain.find('.');
    const std::size_t wholeEnd = point == std::string::npos ? plain.size() : point;
    bool digits = wholeEnd > start;
    for (std::size_t i = start; i < plain.size() && digits; ++i) {
        if (i != point && (plain[i] < '0' || plain[i] > '9'))
            digits = false;
    }
    if (!digits)
        return numberTextByPicture(value, plain);
    if (plain.find_first_not_of("-0.") == std::string::npos)
        return {}; // zero shows blank
    std::string text;
    text.reserve(plain.size() + plain.size() / 3 + 1);
    if (start == 1)
        text += '-';
    const std::size_t wholeDigits = wholeEnd - start;
    for (std::size_t i = 0; i < wholeDigits; ++i) {
        if (i != 0 && (wholeDigits - i) % 3 == 0)
            text += ',';
        text += plain[start + i];
    }
    text.append(plain, wholeEnd, std::string::npos);
    // Kept whole even when wider than the list's picture: totals, sort and saving read the
    // number back from this text. Only the list cuts it (listFieldText).
    return text;
}

std::string listFieldText(const ColumnSetup& columns, int k, std::string_view text) {
    if (k < 0 || k >= kMaxColumns || columns.type[k] != FieldType::Number ||
        text.size() <= kListNumberWidth)
        return std::string(text);
    return std::string(kListNumberWidth, '#');
}

namespace {

template <class DateText>
std::string cellTextWith(const Sheet& sheet, int row, int col, bool date1904, DateText&& dateText) {
    switch (sheet.cellType(row, col)) {
    case CellType::Number: {
        const double value = sheet.readNum(row, col);
        if (sheet.isDate(row, col)) {
            // A number with no whole day is a time of day (a cell formatted as hours and
            // minutes): day 0 is no date anyone means, so it shows as 18:00, not 99-12-30.
            if (value >= 0 && value < 1)
                return picture::formatTime(value, "T1");
            const double serial = date1904 ? picture::serialFrom1904(value) : value;
            // A date format on a number no calendar holds shows the number instead.
            if (serial >= 0 && serial <= kLastSerial)
                return dateText(serial);
        }
        return numberText(value);
    }
    case CellType::Text:
        return sheet.readStr(row, col);
    default:
        return {};
    }
}

} // namespace

std::string cellText(const Sheet& sheet, int row, int col, const std::string& datePicture,
                     bool date1904) {
    return cellTextWith(sheet, row, col, date1904, [&datePicture](double serial) {
        return picture::formatDate(serial, datePicture.empty() ? "@D9-" : datePicture);
    });
}

namespace {

// What every thread of a fill reads; none of it changes while they run.
struct FillSource {
    const Sheet* sheet = nullptr;
    std::array<int, kMaxColumns> sheetColumn{};
    int used = 0;
    int memoColumn = 0;
    std::string datePicture;
    bool date1904 = false;
    std::size_t rows = 0; // rows to read in all
    // Every column letter of the report is one ASCII letter, so each entry makes the report
    // longer until it is full; with other letters the merge looks at every overlong cell.
    bool asciiEntries = false;
};

// The texts of the days a thread showed last: a sheet holds millions of dates but seldom
// more than a few thousand different days, and a date shows only its day.
class DateTexts {
public:
    // Room for as many days as there are rows, up to kMaxSlots: a small sheet costs little.
    DateTexts(const std::string& picture, std::size_t rows)
        : picture_(picture), slots_(std::bit_ceil(std::clamp<std::size_t>(rows, 64, kMaxSlots))) {}
    std::string operator()(double serial) {
        const auto day = static_cast<std::int32_t>(std::floor(serial));
        Slot& slot = slots_[static_cast<std::size_t>(day) & (slots_.size() - 1)];
        if (slot.day != day) {
            slot.text = picture::formatDate(serial, picture_);
            slot.day = day;
        }
        return slot.text;
    }

private:
    static constexpr std::size_t kMaxSlots = 16384;
    struct Slot {
        std::int32_t day = -1;
        std::string text;
    };
    const std::string& picture_;
    std::vector<Slot> slots_;
};

// The overflow report holds this many bytes.
constexpr std::size_t kReportBytes = 100;

// What one thread makes of its rows [from, to).
struct FillPart {
    std::size_t index = 0; // in sheet order; the first part's records become the list
    int from = 0;
    int to = 0;
    std::size_t capacity = 0; // records reserved for
    std::shared_ptr<TextArena> arena = std::make_shared<TextArena>();
    std::vector<Record> records; // texts in `arena`
    FilledRecords filled;        // identities count from 0 within the part
    // Text cells too long for a field, as (row, shown column), in sheet order: whether they
    // still fit into the report depends on the parts before, so the merge decides.
    std::vector<std::pair<int, int>> overlong;
    // Bytes of the report this part could still fill on its own: once they are used up, the
    // report is full whatever the parts before held, and no more cells need looking at.
    long reportRoom = kReportBytes;
};

// Parts per thread: enough that the merge mostly overlaps the filling.
constexpr std::size_t kPartsPerThread = 16;

// A report entry: a blank, the column letter, the row number.
long entryLength(int row) {
    long length = 2;
    for (int shown = row + 1; shown > 0; shown /= 10)
        ++length;
    return length;
}

// Threads add to the shared row count in batches, so that they seldom touch it.
constexpr int kCountBatch = 1024;

// Reports in steps of a hundredth at most, never backwards; only the calling thread calls it.
class ListingProgress {
public:
    ListingProgress(Prompts& prompts, std::size_t rows)
        : steps_([&prompts](double f) { prompts.progress(ProgressStage::Listing, f); }, rows) {
        steps_.at(0);
    }
    void update(std::size_t done) { steps_.at(done); }
    void finish() { steps_.finish(); }

private:
    ProgressSteps steps_;
};

void fillRows(const FillSource& source, FillPart& part, std::atomic<std::size_t>& rowsDone,
              ListingProgress* progress, DateTexts& dates) {
    const Sheet& sheet = *source.sheet;
    part.records.reserve(part.capacity);
    part.filled.keep(part.arena);
    // The texts of the row being read: blank rows never reach the list.
    std::array<std::string, kMaxColumns> texts;
    int counted = part.from;
    for (int row = part.from; row < part.to; ++row) {
        if (row - counted == kCountBatch) {
            counted = row;
            const std::size_t done =
                rowsDone.fetch_add(kCountBatch, std::memory_order_relaxed) + kCountBatch;
            if (progress)
                progress->update(done);
        }
        for (int n = 0; n < source.used; ++n) {
            const int col = source.sheetColumn[n] - 1;
            std::string& text = texts[static_cast<std::size_t>(n)];
            text = cellTextWith(sheet, row, col, source.date1904, dates);
            // A character never takes more CP949 bytes than UTF-8 bytes: short texts fit.
            std::size_t cutAt = 0;
            std::size_t bytes = 0;
            if (text.size() > kFieldBytes &&
                (bytes = cp949::byteLength(text, kFieldBytes, cutAt)) > kFieldBytes) {
                if (part.reportRoom > 0) {
                    const std::string_view trimmed = cp949::trimRight(text);
                    if (trimmed.size() != text.size())
                        bytes = cp949::byteLength(trimmed);
                    if (bytes > kFieldBytes && sheet.cellType(row, col) == CellType::Text) {
                        part.overlong.emplace_back(row, n);
                        if (source.asciiEntries)
                            part.reportRoom -= entryLength(row);
                    }
                }
                text.resize(cutAt);
            }
        }
        if (allBlank(texts))
            continue;
        Record& record = part.records.emplace_back();
        std::string_view views[kMaxColumns];
        for (int n = 0; n < source.used; ++n)
            views[n] = texts[static_cast<std::size_t>(n)];
        record.col.packed().adopt(part.arena->pack(views, kMaxColumns));
        if (source.memoColumn != 0) {
            std::string memo = sheet.readStr(row, source.memoColumn - 1);
            memo.resize(cp949::cutLength(memo, kMemoBytes));
            if (!memo.empty()) {
                const std::string_view text = memo;
                record.memo.packed().adopt(part.arena->pack(&text, 1));
            }
        }
        record.row = row;
        part.filled.add(part.records.size() - 1, row, record, source.used, source.memoColumn != 0);
    }
    rowsDone.fetch_add(static_cast<std::size_t>(part.to - counted), std::memory_order_relaxed);
}

void noteOverlong(std::string& overflow, int sheetColumn, int row) {
    // Once the report is full (its entries are ASCII) nothing more fits into it.
    if (overflow.size() >= kReportBytes)
        return;
    const std::string entry = std::string(cp949::trimRight(overflow)) + " " +
                              static_cast<char>(64 + sheetColumn) + std::to_string(row + 1);
    overflow = cp949::cut(entry, kReportBytes);
}

int fillThreads(const FillOptions& options, std::size_t rows) {
    if (rows == 0 || rows < static_cast<std::size_t>(std::max(options.parallelFrom, 0)))
        return 1;
    const int wanted = options.threads > 0 ? options.threads : static_cast<int>(workerCount());
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(wanted), rows));
}

// Empties the list and what is remembered of it.
void startEmptyList(Document& doc) {
    doc.records.clear();
    doc.filled.clear();
}

// What the fill reads from the sheet, and how.
FillSource describeSource(const Document& doc, const AppState& display, Sheet& sheet) {
    const ColumnSetup& columns = doc.columns;
    FillSource source;
    source.sheet = &sheet;
    source.sheetColumn = columns.sheetColumn;
    source.used = columns.shownColumns();
    source.memoColumn = columns.memoColumn;
    source.datePicture = datePicture(display);
    source.date1904 = doc.book->date1904();
    source.asciiEntries =
        std::all_of(columns.sheetColumn.begin(), columns.sheetColumn.begin() + source.used,
                    [](int sheetColumn) { return sheetColumn >= 1 && sheetColumn <= 26; });
    return source;
}

// Takes the list's formats from the row below the start line, blank or not, and returns the
// end of the rows to read. The engines work their bounds out on first demand: they are asked
// here, before threads read the sheet.
int prepareSheet(Sheet& sheet, ColumnSetup& columns, int used) {
    const int end = sheet.lastRow();
    sheet.lastCol();
    if (columns.firstDataRow < end) {
        for (int n = 0; n < used; ++n)
            columns.format[n] = sheet.cellFormat(columns.firstDataRow, columns.sheetColumn[n] - 1);
    }
    return end;
}

// The rows from `first` on, cut into parts. More parts than threads: whichever thread is free
// takes the next part, and the calling thread merges finished parts between its own, so that
// little is left to merge when the last part is done.
std::vector<std::unique_ptr<FillPart>> cutIntoParts(int first, std::size_t rows, int threads) {
    const std::size_t count =
        threads == 1 ? 1 : std::min(rows, static_cast<std::size_t>(threads) * kPartsPerThread);
    std::vector<std::unique_ptr<FillPart>> parts(count);
    for (std::size_t k = 0; k < count; ++k) {
        parts[k] = std::make_unique<FillPart>();
        FillPart& part = *parts[k];
        part.index = k;
        part.from = first + static_cast<int>(rows * k / count);
        part.to = first + static_cast<int>(rows * (k + 1) / count);
        // The first part becomes the list, which then takes the others without growing.
        part.capacity = k == 0 ? rows : rows / count + 1;
    }
    return parts;
}

// Appends a filled part to the list, in sheet order.
void mergePart(Document& doc, std::string& overflow, FillPart& part) {
    const RecordId firstId = doc.records.append(std::move(part.records), part.arena);
    doc.filled.append(std::move(part.filled), firstId);
    for (const auto& [row, n] : part.overlong)
        noteOverlong(overflow, doc.columns.sheetColumn[n], row);
}

// Fills `parts` on `threads` threads, the calling thread among them, and hands each to `merge`
// in sheet order as soon as it and those before it are done. Progress is reported on the
// calling thread only. A failure on any thread is thrown here, once no thread runs any more.
void fillParts(const FillSource& source, std::vector<std::unique_ptr<FillPart>> parts, int threads,
               ListingProgress& progress, const std::function<void(FillPart&)>& merge) {
    // The record vectors of parts other than the first go round: once merged, a part's vector
    // is emptied and taken by a later part, so that the records are not written into fresh
    // memory twice.
    std::mutex poolLock;
    std::vector<std::vector<Record>> pool;
    std::atomic<std::size_t> rowsDone{0};
    // The date texts each thread has worked out (0: the calling thread's).
    std::vector<std::unique_ptr<DateTexts>> dates(static_cast<std::size_t>(threads));
    auto fill = [&](FillPart& part, std::size_t worker) {
        if (part.index != 0) {
            const std::lock_guard<std::mutex> hold(poolLock);
            if (!pool.empty()) {
                part.records = std::move(pool.back());
                pool.pop_back();
            }
        }
        std::unique_ptr<DateTexts>& known = dates[worker];
        if (!known)
            known = std::make_unique<DateTexts>(source.datePicture, source.rows);
        fillRows(source, part, rowsDone, worker == 0 ? &progress : nullptr, *known);
    };
    auto mergeAndRecycle = [&](FillPart& part) {
        merge(part);
        if (part.index != 0) {
            part.records.clear();
            const std::lock_guard<std::mutex> hold(poolLock);
            pool.push_back(std::move(part.records));
        }
    };

    // However the calling thread leaves, the workers are joined before the locals they use go.
    OrderedWorkers<FillPart> workers(static_cast<std::size_t>(threads - 1),
                                     {.inOrder = {}, .run = fill});
    for (std::unique_ptr<FillPart>& part : parts)
        workers.submit(std::move(part));
    while (workers.runNext()) {
        progress.update(rowsDone.load(std::memory_order_relaxed));
        while (auto part = workers.takeFinished(false))
            mergeAndRecycle(*part);
    }
    while (auto part = workers.takeFinished(true)) {
        mergeAndRecycle(*part);
        progress.update(rowsDone.load(std::memory_order_relaxed));
    }
}

} // namespace

FillOutcome fillRecordList(Document& doc, const AppState& display, Prompts& prompts,
                           const FillOptions& options) {
    FillOutcome outcome;
    startEmptyList(doc);
    // The edits of the records read before cannot be undone on the ones read now.
    doc.history.restart(doc.modified);
    Sheet* sheet = doc.sheet();
    if (!sheet) {
        outcome.error = makeError(ErrorCode::Invalid, "the workbook has no data sheet");
        return outcome;
    }
    ColumnSetup& columns = doc.columns;
    if (columns.firstDataRow < 1)
        columns.firstDataRow = 1;
    FillSource source = describeSource(doc, display, *sheet);
    doc.filled.sheetColumn = columns.sheetColumn;
    doc.filled.memoColumn = columns.memoColumn;

    const int first = columns.firstDataRow - 1;
    const int end = prepareSheet(*sheet, columns, source.used);
    source.rows = end > first ? static_cast<std::size_t>(end - first) : 0;
    const int threads = fillThreads(options, source.rows);
    ListingProgress progress(prompts, source.rows);
    try {
        fillParts(source, cutIntoParts(first, source.rows, threads), threads, progress,
                  [&](FillPart& part) { mergePart(doc, outcome.overflow, part); });
        doc.records.buffer.clear();
        outcome.records = doc.records.count();
        progress.finish();
    } catch (...) {
        startEmptyList(doc); // nothing half-filled is left behind
        throw;
    }

    // The first rows of a larger sheet are filled again with the rest: the cells too long are
    // told once, by that fill.
    if (!outcome.overflow.empty() && doc.book->complete())
        prompts.tell(kOverflowMessage + std::string(cp949::trimRight(outcome.overflow)));
    return outcome;
}

struct RecordBatchFill::State {
    State(const Book& book, const ColumnSetup& setup, const AppState& display)
        : columns(setup), dateText(datePicture(display)), dates(dateText, kDateRows) {
        source.sheetColumn = columns.sheetColumn;
        source.used = columns.shownColumns();
        source.memoColumn = columns.memoColumn;
        source.datePicture = dateText;
        source.date1904 = book.date1904();
        source.asciiEntries =
            std::all_of(columns.sheetColumn.begin(), columns.sheetColumn.begin() + source.used,
                        [](int sheetColumn) { return sheetColumn >= 1 && sheetColumn <= 26; });
    }
    // Days a batch's dates show: as many as a sheet's rows would reserve.
    static constexpr std::size_t kDateRows = 1u << 20;
    const ColumnSetup& columns;
    std::string dateText;
    FillSource source;
    DateTexts dates;
    RecordList records;
    std::string overflow;
};

RecordBatchFill::RecordBatchFill(const Book& book, const ColumnSetup& columns,
                                 const AppState& display)
    : state_(std::make_unique<State>(book, columns, display)) {}

RecordBatchFill::~RecordBatchFill() = default;

const RecordList& RecordBatchFill::fill(const Sheet& sheet, int fromRow, int toRow) {
    State& s = *state_;
    s.records.clear();
    const int first = std::max(s.columns.firstDataRow, 1) - 1;
    FillPart part;
    part.from = std::max(fromRow, first);
    part.to = std::max(part.from, std::min(toRow, sheet.lastRow()));
    part.capacity = static_cast<std::size_t>(part.to - part.from);
    s.source.sheet = &sheet;
    s.source.rows = part.capacity;
    std::atomic<std::size_t> rowsDone{0};
    fillRows(s.source, part, rowsDone, nullptr, s.dates);
    s.records.append(std::move(part.records), part.arena);
    for (const auto& [row, n] : part.overlong)
        noteOverlong(s.overflow, s.columns.sheetColumn[n], row);
    return s.records;
}

const std::string& RecordBatchFill::overflow() const {
    return state_->overflow;
}

std::vector<browse::ListColumn> listColumns(const Document& doc) {
    const ColumnSetup& columns = doc.columns;
    const Sheet* sheet = doc.fromFile ? doc.sheet() : nullptr;
    auto widthOf = [&](int sheetColumn, int fallback) {
        if (!sheet || sheetColumn < 1)
            return fallback;
        const double chars = sheet->colWidth(sheetColumn - 1);
        if (!std::isfinite(chars) || chars < 0)
            return 0;
        return static_cast<int>(std::trunc(std::trunc(chars) * 5));
    };
    std::vector<browse::ListColumn> list;
    for (int n = 0; n < std::min(columns.columnCount, kMaxColumns); ++n)
        list.push_back(browse::ruledColumn(widthOf(columns.sheetColumn[n], 70), columns.justify[n],
                                           std::string(cp949::trimRight(columns.title[n])),
                                           Justification::Center, "s128", n + 1));
    if (columns.memoColumn != 0)
        list.push_back(browse::ruledColumn(widthOf(columns.memoColumn, 100), Justification::Left,
                                           std::string(cp949::trimRight(columns.memoTitle)),
                                           Justification::Left, "s128", kMaxColumns + 1));
    return list;
}

void addResultLine(const RecordList& records, BrowseState& browse, std::size_t pos) {
    if (pos < 1 || pos > records.count())
        return;
    browse.searchResults.push_back(resultLine(records, pos));
}

void refreshResultLine(const RecordList& records, BrowseState& browse, std::size_t line) {
    if (line < 1 || line > browse.searchResults.size())
        return;
    const auto pos = records.find(browse.searchResults[line - 1].pointer);
    if (pos)
        browse.searchResults[line - 1] = resultLine(records, *pos);
}

void removeResultLine(BrowseState& browse, std::size_t line) {
    if (line < 1 || line > browse.searchResults.size())
        return;
    browse.searchResults.erase(browse.searchResults.begin() +
                               static_cast<std::ptrdiff_t>(line - 1));
}

std::size_t recordPosition(const RecordList& records, const BrowseState& browse,
                           std::size_t selectedLine) {
    if (selectedLine < 1)
        return 0;
    if (browse.shownList != ShownList::SearchResults)
        return selectedLine <= records.count() ? selectedLine : 0;
    if (selectedLine > browse.searchResults.size())
        return 0;
    return records.find(browse.searchResults[selectedLine - 1].pointer).value_or(0);
}

} // namespace rowbit
