#pragma once
// The workbook engine's one interface. The rest of the program sees a workbook only through
// Book and Sheet; the binary (.xls, BIFF8) and XML (.xlsx, .xlsm) codecs sit behind it.
//
// Rows and columns are zero-based. Texts are UTF-8. A sheet returned by Book stays valid for
// the Book's lifetime (sheets are never removed).

#include "app/atomic_file.h"
#include "app/result.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit {

enum class BookFormat { Xls, Xlsx };

// Cell kinds; 1 and 2 are the codes callers compare with, the rest are their own codes.
enum class CellType : int {
    Empty = 0,   // no cell
    Number = 1,  // a number, or a formula whose cached result is a number
    Text = 2,    // a text, or a formula whose cached result is a text
    Boolean = 3, // TRUE / FALSE (also as a formula result)
    Error = 4,   // #DIV/0!, #N/A, ... (also as a formula result)
    Blank = 5,   // a cell that carries only a format
};

// One placement of a whole row: the row `source` (as it was before the call) goes to `target`.
struct RowMove {
    int target = 0;
    int source = 0;
};

// Something moving rows could not carry along, for the user to hear once after the save.
struct SaveNotice {
    enum class Kind {
        MergeKept,     // a merged range over several moved rows stayed where it was
        MergeUndone,   // such a range was unmerged: it would have hidden values or overlapped
        ArrayToValues, // an array formula over several moved rows became its values
        RefDeleted,    // a formula's reference to a deleted cell became #REF! (range: the formula)
        FormulaKept,   // a formula's range would split, so it kept its text and cached value
    };
    Kind kind = Kind::MergeKept;
    std::string sheet;
    std::string range; // "B3:C5"
    bool operator==(const SaveNotice&) const = default;
};

class Sheet {
public:
    virtual ~Sheet() = default;

    virtual std::string name() const = 0;
    virtual void setName(std::string_view name) = 0;

    // Index of the row (column) after the last used one; 0 for an empty sheet.
    virtual int lastRow() const = 0;
    virtual int lastCol() const = 0;

    virtual CellType cellType(int row, int col) const = 0;
    // True when a number cell carries a date or time number format.
    virtual bool isDate(int row, int col) const = 0;
    virtual bool isFormula(int row, int col) const = 0;
    // The number of a number cell (the raw serial for a date); 0 for any other cell.
    virtual double readNum(int row, int col) const = 0;
    // The text of a text cell; empty for any other cell.
    virtual std::string readStr(int row, int col) const = 0;
    virtual bool readBool(int row, int col) const = 0;
    // The name of an error cell ("#DIV/0!", "#N/A", ...); empty for any other cell.
    virtual std::string readError(int row, int col) const = 0;
    // The cell's format handle: an index into the workbook's cell formats (0 = default).
    virtual int cellFormat(int row, int col) const = 0;

    // The column's width as a spreadsheet program shows it to the user, in characters.
    virtual double colWidth(int col) const = 0;

    // Writes replace the cell (and any formula in it). False when the position lies outside
    // the format's grid (65,536 x 256 for .xls, 1,048,576 x 16,384 for .xlsx).
    virtual bool writeStr(int row, int col, std::string_view text, int format = 0) = 0;
    virtual bool writeNum(int row, int col, double value, int format = 0) = 0;
    // Empties every cell of the inclusive range (the cells go away, formats too).
    virtual void clear(int firstRow, int lastRow, int firstCol, int lastCol) = 0;

    // Places whole rows at once: every cell and row attribute of each source row moves to its
    // target (a permutation: rows may swap), with its links, comments and merges. The content
    // of `deletedRows`, and of targets that are no source, goes with its links, comments and
    // merges. Rows that were a source and are nobody's target are emptied; all other rows
    // stay as they are. Every reference to this sheet, in formulas of any sheet and in
    // defined names, keeps pointing at the same cells wherever they went, as a spreadsheet
    // program updates references when rows are cut and pasted or deleted: a range that lost
    // rows shrinks; a reference to a deleted cell becomes #REF!, and a formula whose range
    // would split keeps its text and cached value; both are told through takeNotices().
    // Fails (changing nothing) when a target or source repeats or lies outside the grid.
    virtual Result<void> moveRows(std::span<const RowMove> moves,
                                  std::span<const int> deletedRows) = 0;
    Result<void> moveRows(std::span<const RowMove> moves) { return moveRows(moves, {}); }

    // Calls `visit` for every stored cell (blank ones too), row by row, in column order.
    virtual void visitCells(const std::function<void(int row, int col)>& visit) const {
        for (int r = 0; r < lastRow(); ++r) {
            for (int c = 0; c < lastCol(); ++c) {
                if (cellType(r, c) != CellType::Empty)
                    visit(r, c);
            }
        }
    }
};

// Sheet names compare without regard to case: a workbook never holds two that match.
bool sameSheetName(std::string_view a, std::string_view b);

class Book {
public:
    virtual ~Book() = default;

    virtual BookFormat format() const = 0;
    virtual int sheetCount() const = 0;
    virtual Sheet* sheet(int index) = 0; // nullptr when out of range
    virtual const Sheet* sheet(int index) const = 0;
    // Appended as the last sheet; nullptr when a sheet of that name (in any case) exists.
    virtual Sheet* addSheet(std::string_view name) = 0;

    // True for workbooks that count dates from 1 January 1904.
    virtual bool date1904() const = 0;
    // The default font of a new workbook ("돋움", 11).
    virtual void setDefaultFont(std::string_view face, int size) = 0;

    // A format handle that shows numbers as dates and otherwise looks like `like` (font,
    // alignment, borders); `like` itself when it already is a date format.
    virtual int dateFormat(int like = 0) = 0;
    virtual bool isDateFormat(int format) const = 0;

    // What row moves could not carry along since the last call, each once. The document
    // layer takes them after a successful save (a failed one keeps them for the next).
    virtual std::vector<SaveNotice> takeNotices() { return {}; }

    // Writes the workbook to `path` atomically: a temporary file beside it, flushed and
    // renamed over the target, under the lock and the check of saveGuarded (a file that is not
    // what `expected` says fails with ErrorCode::Conflict). On failure the target is untouched.
    // A book read only in part (LoadOptions::firstSheetRows) fails with ErrorCode::Invalid.
    virtual Result<SavedFile> save(const std::string& path, const SaveExpectation& expected) = 0;
    // A save that replaces whatever is at `path`.
    Result<void> save(const std::string& path) {
        auto saved = save(path, SaveExpectation::anything());
        if (!saved)
            return saved.error();
        return {};
    }

    // False for a book read only in part (LoadOptions::firstSheetRows): it is there to be
    // looked at, never saved.
    bool complete() const { return complete_; }
    void markPartial() { complete_ = false; }

protected:
    // What save() says for a book read only in part.
    Result<SavedFile> refusePartial(const std::string& path) const;

private:
    bool complete_ = true;
};

// How far a long load got, from 0 to 1; called now and then on the thread that loads.
using LoadProgress = std::function<void(double fraction)>;

// Rows of the first sheet handed over while a book is read (LoadOptions::firstSheetBatches).
// The book's first sheet holds only the rows of this batch, at their own row numbers: those
// from `fromRow` up to `toRow` (exclusive). Batches come in row order, after every other sheet
// has been read.
struct RowBatch {
    Book& book;
    int fromRow = 0;
    int toRow = 0;
    bool last = false; // no rows follow
};
// What the reader of a batch wants next: its rows dropped, kept (the next batch then holds
// them too, from the same fromRow), or the read stopped there.
enum class BatchReply { Drop, Keep, Stop };
using RowBatches = std::function<BatchReply(const RowBatch& batch)>;

struct LoadOptions {
    LoadProgress progress;
    // More than 0: the first sheet is read only as far as its first `firstSheetRows` rows
    // (every other sheet whole), enough for a first screen of records while the whole book is
    // read behind it. The book then says complete() false when the sheet has more rows, and
    // never saves.
    int firstSheetRows = 0;
    // Set: the first sheet's rows are not kept but handed over in batches as they are read,
    // at least one batch (the last) whenever the read gets that far. The book that comes back
    // holds an empty first sheet and says complete() false. Rows must come in order: a row
    // placed before rows already handed over fails the read (ErrorCode::Damaged).
    RowBatches firstSheetBatches;
};

// Reads a workbook, choosing the codec by the file's content (compound file or zip).
Result<std::unique_ptr<Book>> loadBook(const std::string& path, const LoadOptions& options);
inline Result<std::unique_ptr<Book>> loadBook(const std::string& path,
                                              const LoadProgress& progress = {}) {
    return loadBook(
        path, LoadOptions{.progress = progress, .firstSheetRows = 0, .firstSheetBatches = {}});
}
// A new, empty workbook (no sheets).
std::unique_ptr<Book> createBook(BookFormat format);

} // namespace rowbit
