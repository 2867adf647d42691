#pragma once
// One sheet of an XML workbook: its cells in the compact model, read by streaming its part,
// and written back as the part's own bytes around a regenerated <sheetData>.

#include "workbook/book.h"
#include "workbook/row_map.h"
#include "workbook/xlsx/formula_shift.h"
#include "workbook/xlsx/model.h"
#include "workbook/xlsx/package.h"
#include "workbook/xlsx/styles.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace rowbit::xlsx {

class PartProgress;
class XlsxSheet;

// What the sheets of one workbook share.
struct BookContext {
    SharedStrings strings;
    Styles styles;
    bool date1904 = false;
    bool formulasChanged = false; // a formula cell was overwritten, cleared or moved
    std::vector<SaveNotice> notices;
    // Called while rows of `sheet` move, before its cells do: every formula and defined name
    // of the workbook that names the sheet's cells follows them through `map`.
    std::function<void(XlsxSheet& sheet, const RowMap& map)> rowsMoved;
    void notice(SaveNotice n) {
        for (const auto& had : notices) {
            if (had == n)
                return;
        }
        notices.push_back(std::move(n));
    }
    // Many at once, each told once: a sort may have something to tell of every row.
    void noticeAll(std::vector<SaveNotice> batch) {
        auto key = [](const SaveNotice& n) {
            return std::to_string(static_cast<int>(n.kind)) + '\0' + n.sheet + '\0' + n.range;
        };
        std::unordered_set<std::string> seen;
        for (const auto& had : notices)
            seen.insert(key(had));
        for (auto& n : batch) {
            if (seen.insert(key(n)).second)
                notices.push_back(std::move(n));
        }
    }
    std::string mainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    std::string relNamespace =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
};

// How much of a sheet's rows a load keeps (the first sheet's, for a first screen or a stream).
struct RowReading {
    // More than 0: only the rows before this one are read; the read stops at the first cell
    // past them while the rows come in order.
    int limit = 0;
    // Set: the rows are handed over in batches as they are read (see LoadOptions).
    std::function<BatchReply(int fromRow, int toRow, bool last)> batches;
    bool cut = false; // set by the load: rows were left out, or the batches were stopped
};

class XlsxSheet : public Sheet {
public:
    // `worksheet` false: a chart, dialog or macro sheet, kept as it is and never written to.
    XlsxSheet(BookContext& book, std::string name, std::string part, bool worksheet);

    Result<void> load(const Package& package, int index, PartProgress* progress = nullptr,
                      RowReading* reading = nullptr);
    void makeNew();

    const std::string& part() const { return part_; }
    bool isWorksheet() const { return worksheet_; }
    bool isNew() const { return new_; }
    bool touched() const { return touched_ || new_; }
    std::size_t sharedStringRefs() const;
    Package::OutPart::Producer writer() const;

    std::string name() const override { return name_; }
    void setName(std::string_view name) override { name_ = std::string(name); }
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
        for (const Row& row : rows_) {
            for (const Cell& c : row.cells)
                visit(row.r, c.col);
        }
    }

    // Every row move since loading, in order: the comments and note shapes in their own parts
    // follow them when the workbook is saved.
    struct RowChange {
        std::vector<RowMove> moves;
        std::vector<int> deletedRows;
    };
    const std::vector<RowChange>& rowMoves() const { return rowMoves_; }

    // Rewrites this sheet's formulas that name cells of `moved` to follow them through `map`;
    // `self` when this is the moved sheet, whose cells have not moved yet.
    void followMovedRows(const MovedSheet& moved, const RowMap& map, bool self);

    // The formula text of a cell (as stored, without "="), empty when it has none.
    std::string formula(int row, int col) const;

private:
    friend class SheetReader;
    friend class SheetWriter;
    friend class RowHandOver;
    friend class WatchedReader;
    struct ColInfo {
        int first = 0, last = 0; // zero-based, inclusive
        double width = 0;
    };

    const Cell* find(int row, int col) const;
    Cell* place(int row, int col);
    void forget(int row, const Cell& cell); // before a cell is replaced or removed
    void unshare(const std::vector<std::string>& groups);
    void reindex();
    void forgetLoaded(); // back to nothing read, before reading the part again
    void updateBounds() const;
    void arraysToValues(const RowMap& map);

    // The steps of moveRows, in order.
    struct InvolvedRows {
        std::vector<std::uint8_t> marks; // per row: nonzero when it moves, is a target or goes
        std::vector<int> rows;           // the rows marked, ascending
    };
    struct TakenRows {
        std::vector<Row> rows;                                      // numbered as their targets
        std::vector<std::vector<std::pair<int, CellExtra>>> extras; // per row: column, extra
    };
    Row* storedRow(int r); // nullptr when the row holds nothing
    Result<InvolvedRows> involvedRows(std::span<const RowMove> moves,
                                      std::span<const int> deletedRows) const;
    void unshareFormulasIn(const std::vector<int>& rows);
    void followOwnMove(const RowMap& map);
    TakenRows takeSourceRows(std::span<const RowMove> moves);
    void dropRows(const InvolvedRows& involved);
    static void moveArrayRange(CellExtra& extra, int source, int target);
    void placeTakenRows(std::span<const RowMove> moves, TakenRows& taken);

    BookContext& book_;
    std::string name_;
    std::string part_;
    bool worksheet_;
    bool new_ = false;
    bool touched_ = false;

    std::vector<Row> rows_;
    std::vector<std::int32_t> rowIndex_; // row number -> position in rows_, -1 when absent
    std::unordered_map<std::uint64_t, CellExtra> extras_;
    TextArena texts_;                       // inline texts, formula text results, errors
    std::vector<std::string> rowAttrs_{""}; // distinct raw row attributes; 0 = none
    std::vector<ColInfo> cols_;
    double defaultWidth_ = -1; // stored default (defaultColWidth), or -1
    double baseWidth_ = 8;

    // The part's bytes around <sheetData> and the dimension element, for writing.
    std::string head_;      // up to the dimension element (or to <sheetData>)
    std::string afterDim_;  // between the dimension element and <sheetData>
    std::string tail_;      // from </sheetData> on
    std::string prefix_;    // namespace prefix of the sheet's elements ("" or "x:")
    std::string dimPrefix_; // set when there was a dimension element
    bool hasDimension_ = false;
    std::vector<RowChange> rowMoves_;

    mutable bool boundsDirty_ = true;
    mutable int firstRow_ = 0, lastRow_ = 0, firstCol_ = 0, lastCol_ = 0;
};

// Big sheets are read in pieces on several threads. Tests set the size of a piece (and then
// read every sheet in pieces, however small), SIZE_MAX to read every sheet in one piece, or
// 0 for the usual choice.
void setSheetPiecesForTesting(std::size_t unitBytes);
// Pieces merged into sheets so far.
std::size_t piecesMergedForTesting();

// Days since 30 December 1899 (or 1 January 1904) for an ISO 8601 date or time; false when
// the text is not one.
bool isoToSerial(std::string_view text, bool date1904, double& serial);

} // namespace rowbit::xlsx
