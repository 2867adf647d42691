#pragma once
// A workbook held entirely in memory, behind the engine's Book and Sheet interface: for
// testing the document layer without a file codec. Formats are plain indexes; a format is a
// date format when marked so. Saving can be made to fail.

#include "workbook/book.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rowbit::testing {

struct MemoryCell {
    CellType type = CellType::Empty;
    double num = 0;
    std::string str;
    int format = 0;
    bool formula = false;
};

class MemorySheet : public Sheet {
public:
    explicit MemorySheet(std::string name) : name_(std::move(name)) {}

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
    bool writeStr(int row, int col, std::string_view text, int format = 0) override;
    bool writeNum(int row, int col, double value, int format = 0) override;
    void clear(int firstRow, int lastRow, int firstCol, int lastCol) override;
    Result<void> moveRows(std::span<const RowMove> moves,
                          std::span<const int> deletedRows) override;
    using Sheet::moveRows;

    // Test set-up.
    void setCell(int row, int col, MemoryCell cell) { cells_[{row, col}] = std::move(cell); }
    void setColWidth(int col, double width) { widths_[col] = width; }
    const MemoryCell* cell(int row, int col) const;
    // Forces lastCol() (the settings writer's rename rule looks at it).
    int forcedLastCol = -1;
    std::vector<bool>* dateFormats = nullptr; // owned by the book
    int writes = 0;                           // cells written since set-up

private:
    std::string name_;
    std::map<std::pair<int, int>, MemoryCell> cells_;
    std::map<int, double> widths_;
};

class MemoryBook : public Book {
public:
    explicit MemoryBook(BookFormat format = BookFormat::Xls);

    BookFormat format() const override { return format_; }
    int sheetCount() const override { return static_cast<int>(sheets_.size()); }
    Sheet* sheet(int index) override;
    const Sheet* sheet(int index) const override;
    Sheet* addSheet(std::string_view name) override;
    bool date1904() const override { return date1904_; }
    void setDefaultFont(std::string_view face, int size) override;
    int dateFormat(int like = 0) override;
    bool isDateFormat(int format) const override;
    using Book::save;
    Result<SavedFile> save(const std::string& path, const SaveExpectation& expected) override;

    MemorySheet& at(int index) { return *sheets_.at(static_cast<std::size_t>(index)); }
    // A new format index; a date format when `date`.
    int addFormat(bool date);

    bool date1904_ = false;
    std::string fontFace;
    int fontSize = 0;
    std::optional<Error> saveError; // set: save fails with it
    std::vector<std::string> savedTo;
    std::vector<SaveExpectation::Kind> savedExpecting;
    // Set: what the disk says to each save (after saveError); a save that it lets through is
    // recorded as above.
    std::function<Result<SavedFile>(const std::string& path, const SaveExpectation& expected)> disk;

private:
    BookFormat format_;
    std::vector<std::unique_ptr<MemorySheet>> sheets_;
    std::vector<bool> dateFormats_{false};
};

// Cells for set-up.
inline MemoryCell text(std::string s, int format = 0) {
    return MemoryCell{CellType::Text, 0, std::move(s), format, false};
}
inline MemoryCell number(double v, int format = 0) {
    return MemoryCell{CellType::Number, v, {}, format, false};
}

} // namespace rowbit::testing
