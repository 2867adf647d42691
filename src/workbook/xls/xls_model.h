#pragma once
// The in-memory model of a binary workbook: cells parsed compactly (strings as indices into
// one string pool), everything else kept as the records it was read from.

#include "workbook/book.h"
#include "workbook/xls/biff.h"
#include "workbook/xls/compound_file.h"
#include "workbook/xls/formula_tokens.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rowbit::xls {

enum class Kind : uint8_t { Blank, Number, Text, Bool, Error, Formula };
// What a formula's cached result is.
enum class Cached : uint8_t { Number, Text, Bool, Error };

struct Cell {
    uint16_t col = 0;
    uint16_t xf = 0;
    Kind kind = Kind::Blank;
    Cached cached = Cached::Number; // for formulas
    uint8_t small = 0;              // a boolean's value or an error's code
    uint32_t ref = 0;               // Text: string pool index; Formula: index into formulas
    double num = 0;                 // Number, or a formula's numeric result
};

struct FormulaData {
    std::vector<uint8_t> body;  // the FORMULA record body as read (row/col/xf/result stale)
    std::vector<uint8_t> extra; // SHRFMLA / ARRAY / TABLE records that followed, with headers
    std::string text;           // a text result
};

struct Row {
    std::vector<Cell> cells;        // sorted by column
    std::array<uint8_t, 16> attr{}; // the ROW record body
    bool hasAttr = false;
};

class XlsBook;

class XlsSheet final : public Sheet {
public:
    XlsSheet(XlsBook& book, std::string name) : book_(&book), name_(std::move(name)) {}

    std::string name() const override { return name_; }
    void setName(std::string_view name) override;
    int lastRow() const override;
    int lastCol() const override;
    CellType cellType(int row, int col) const override;
    bool isDate(int row, int col) const override;
    bool isFormula(int row, int col) const override;
    double readNum(int row, int col) const override;
    std::string readStr(int row, int col) const override;
    bool readBool(int row, int col) const override;
    std::string readError(int row, int col) const override;
    int cellFormat(int row, int col) const override;
    double colWidth(int col) const override;
    bool writeStr(int row, int col, std::string_view text, int format) override;
    bool writeNum(int row, int col, double value, int format) override;
    void clear(int firstRow, int lastRow, int firstCol, int lastCol) override;
    Result<void> moveRows(std::span<const RowMove> moves,
                          std::span<const int> deletedRows) override;
    using Sheet::moveRows;
    void visitCells(const std::function<void(int row, int col)>& visit) const override {
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            for (const Cell& c : rows_[r].cells)
                visit(static_cast<int>(r), c.col);
        }
    }

    // --- used by the reader and writer ---
    const Cell* find(int row, int col) const;
    Cell& place(int row, int col); // creates the cell (and the row) when missing
    void finishLoad();             // sorts rows, computes extents

    XlsBook* book_;
    std::string name_;
    bool renamed_ = false;
    bool touched_ = false; // cells changed: the cell table is regenerated on save
    // The substream as read (BOF .. EOF): a view into the workbook stream, or ownRaw_.
    std::span<const uint8_t> raw_;
    std::vector<uint8_t> ownRaw_;
    std::size_t rawStart_ = 0; // where it started in the workbook stream it came from
    std::vector<Row> rows_;
    std::vector<FormulaData> formulas_;
    struct ColInfo {
        uint16_t first, last, width, xf, flags;
    };
    std::vector<ColInfo> colInfos_;
    int defColWidth_ = 8;        // DEFCOLWIDTH, characters
    int standardWidth_ = -1;     // STANDARDWIDTH, 1/256 characters; -1 when absent
    uint32_t sstRefs_ = 0;       // LABELSST cells counted while reading
    bool formulasMoved_ = false; // formulas moved or rewritten: recalculated on open
    mutable int lastRowCache_ = -1;
    mutable int lastColCache_ = -1;

private:
    Cell* findMutable(int row, int col);
    void dissolveGroupsAt(int row, int col);
    bool inSingleRowArray(int row, const FormulaData& f, int col) const;
    void remapAnchors(const RowMap& map);
    // Per XTI of the workbook, whether it names this sheet (see RefScope).
    std::vector<uint8_t> xtiScopes() const;
    // Shared formulas whose cells would point elsewhere once references follow `map` become
    // plain formulas, each then followed on its own.
    void dissolveSharedGroupsThatChange(const RowMap& map, const RefScope& scope);
    // The references of this sheet's formulas (and of its array formulas) follow `map`.
    void followReferences(const RowMap& map, const RefScope& scope);
    // The references of the workbook's defined names to this sheet follow `map`.
    void followNames(const RowMap& map, std::span<const uint8_t> xti);
    // Tells what mapping a formula's references did, for the formula at `range`.
    void tell(RefsAfter outcome, const std::string& range);
    void invalidate() {
        touched_ = true;
        lastRowCache_ = lastColCache_ = -1;
    }
};

struct SubstreamEntry {
    std::array<uint8_t, 2> state{}; // BOUNDSHEET hsState and dt
    std::vector<uint8_t> rawName;   // BOUNDSHEET name bytes (ShortXLUnicodeString) as read
    int sheet = -1;                 // index into sheets_ for worksheets, -1 otherwise
    std::span<const uint8_t> raw;   // the substream of a chart / macro sheet, kept as is
    std::vector<uint8_t> ownRaw;
    std::size_t rawStart = 0;
};

// A global record kept for writing back; SST, EXTSST and BOUNDSHEET are rebuilt.
struct GlobalRecord {
    uint16_t type;
    std::vector<uint8_t> body; // CONTINUE records that follow are kept as their own entries
};

class XlsBook final : public Book {
public:
    BookFormat format() const override { return BookFormat::Xls; }
    int sheetCount() const override { return static_cast<int>(sheets_.size()); }
    Sheet* sheet(int index) override;
    const Sheet* sheet(int index) const override;
    Sheet* addSheet(std::string_view name) override;
    bool date1904() const override { return date1904_; }
    void setDefaultFont(std::string_view face, int size) override;
    int dateFormat(int like) override;
    bool isDateFormat(int format) const override;
    using Book::save;
    Result<SavedFile> save(const std::string& path, const SaveExpectation& expected) override;
    std::vector<SaveNotice> takeNotices() override { return std::exchange(notices_, {}); }

    // --- used by the reader and writer ---
    void notice(SaveNotice n) {
        if (std::find(notices_.begin(), notices_.end(), n) == notices_.end())
            notices_.push_back(std::move(n));
    }
    std::vector<SaveNotice> notices_;
    std::string_view str(uint32_t index) const {
        if (index + 1 >= strStart_.size())
            return {};
        return std::string_view(strChars_).substr(strStart_[index],
                                                  strStart_[index + 1] - strStart_[index]);
    }
    uint32_t addString(std::string_view text);
    uint32_t stringCount() const { return static_cast<uint32_t>(strStart_.size() - 1); }
    bool xfIsDate(int xf) const {
        return xf >= 0 && static_cast<std::size_t>(xf) < xfDate_.size() && xfDate_[xf];
    }
    Result<std::vector<uint8_t>> buildStream() const;
    // The XF a write uses for a format handle (0 or an unknown handle: the default cell XF).
    int cellXf(int format) const;
    int defaultXf() const { return xfFormat_.size() > 15 ? 15 : 0; }

    CompoundFile file_;
    std::vector<GlobalRecord> globals_;
    std::vector<SubstreamEntry> substreams_;
    std::vector<std::unique_ptr<XlsSheet>> sheets_;
    bool date1904_ = false;

    std::string strChars_;
    std::vector<uint32_t> strStart_{0};
    // Rich-text runs and phonetic data of SST strings, kept for writing back.
    std::unordered_map<uint32_t, std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> strExtra_;
    std::vector<uint32_t> strTable_; // string lookup for writes, built at the first one

    std::vector<uint16_t> xfFormat_; // number format id of each XF
    std::vector<bool> xfDate_;
    std::unordered_map<int, std::string> formats_; // custom format codes by id
    std::unordered_map<int, int> dateXfFor_;       // dateFormat() results by base XF
};

// The workbook stream of a new workbook: globals with the standard fonts and style XFs.
std::vector<uint8_t> newWorkbookStream();
// The substream of a new, empty worksheet.
std::vector<uint8_t> newSheetStream(bool first);

// `progress` hears how far into the workbook stream the parse got (see loadXlsBook).
// `firstSheetRows` above 0 keeps only that many rows of the first worksheet (the book is then
// partial when it had more).
Result<std::unique_ptr<XlsBook>> parseWorkbook(CompoundFile file, const std::string& where,
                                               const LoadProgress& progress = {},
                                               int firstSheetRows = 0);
// Recomputes which XFs show dates from xfFormat_ and formats_.
void classifyXfs(XlsBook& book);

} // namespace rowbit::xls
