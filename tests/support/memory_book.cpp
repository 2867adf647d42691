#include "support/memory_book.h"

#include <algorithm>
#include <set>

namespace rowbit::testing {

int MemorySheet::lastRow() const {
    int last = 0;
    for (const auto& [pos, cell] : cells_)
        last = std::max(last, pos.first + 1);
    return last;
}

int MemorySheet::lastCol() const {
    if (forcedLastCol >= 0)
        return forcedLastCol;
    int last = 0;
    for (const auto& [pos, cell] : cells_)
        last = std::max(last, pos.second + 1);
    return last;
}

const MemoryCell* MemorySheet::cell(int row, int col) const {
    const auto it = cells_.find({row, col});
    return it == cells_.end() ? nullptr : &it->second;
}

CellType MemorySheet::cellType(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c ? c->type : CellType::Empty;
}

bool MemorySheet::isDate(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c && c->type == CellType::Number && dateFormats &&
           c->format < static_cast<int>(dateFormats->size()) && (*dateFormats)[c->format];
}

bool MemorySheet::isFormula(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c && c->formula;
}

double MemorySheet::readNum(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c && c->type == CellType::Number ? c->num : 0;
}

std::string MemorySheet::readStr(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c && c->type == CellType::Text ? c->str : std::string();
}

bool MemorySheet::readBool(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c && c->type == CellType::Boolean && c->num != 0;
}

std::string MemorySheet::readError(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c && c->type == CellType::Error ? c->str : std::string();
}

int MemorySheet::cellFormat(int row, int col) const {
    const MemoryCell* c = cell(row, col);
    return c ? c->format : 0;
}

double MemorySheet::colWidth(int col) const {
    const auto it = widths_.find(col);
    return it == widths_.end() ? 8.43 : it->second;
}

bool MemorySheet::writeStr(int row, int col, std::string_view text, int format) {
    if (row < 0 || col < 0 || row >= 65536 || col >= 256)
        return false;
    cells_[{row, col}] = MemoryCell{CellType::Text, 0, std::string(text), format, false};
    ++writes;
    return true;
}

bool MemorySheet::writeNum(int row, int col, double value, int format) {
    if (row < 0 || col < 0 || row >= 65536 || col >= 256)
        return false;
    cells_[{row, col}] = MemoryCell{CellType::Number, value, {}, format, false};
    ++writes;
    return true;
}

void MemorySheet::clear(int firstRow, int lastRowIndex, int firstCol, int lastColIndex) {
    for (auto it = cells_.begin(); it != cells_.end();) {
        const auto [r, c] = it->first;
        if (r >= firstRow && r <= lastRowIndex && c >= firstCol && c <= lastColIndex)
            it = cells_.erase(it);
        else
            ++it;
    }
}

Result<void> MemorySheet::moveRows(std::span<const RowMove> moves,
                                   std::span<const int> deletedRows) {
    for (const int row : deletedRows)
        clear(row, row, 0, lastCol());
    std::set<int> targets, sources;
    for (const RowMove& m : moves) {
        if (m.target < 0 || m.source < 0 || m.target >= 65536 || m.source >= 65536 ||
            !targets.insert(m.target).second || !sources.insert(m.source).second)
            return makeError(ErrorCode::Invalid, "bad row move");
    }
    std::map<std::pair<int, int>, MemoryCell> moved;
    for (auto it = cells_.begin(); it != cells_.end();) {
        const int row = it->first.first;
        if (sources.count(row) || targets.count(row)) {
            for (const RowMove& m : moves) {
                if (m.source == row)
                    moved[{m.target, it->first.second}] = it->second;
            }
            // A target that was no source keeps nothing of its own.
            it = cells_.erase(it);
        } else {
            ++it;
        }
    }
    // Rows that are targets but not sources lose their cells; rows that are sources but no
    // target are emptied: both happened above. Cells of targets that were also not moved
    // into stay gone, as the whole row is replaced.
    for (auto& [pos, c] : moved)
        cells_[pos] = std::move(c);
    return {};
}

MemoryBook::MemoryBook(BookFormat format) : format_(format) {}

Sheet* MemoryBook::sheet(int index) {
    if (index < 0 || index >= sheetCount())
        return nullptr;
    return sheets_[static_cast<std::size_t>(index)].get();
}

const Sheet* MemoryBook::sheet(int index) const {
    if (index < 0 || index >= sheetCount())
        return nullptr;
    return sheets_[static_cast<std::size_t>(index)].get();
}

Sheet* MemoryBook::addSheet(std::string_view name) {
    for (const auto& s : sheets_) {
        if (sameSheetName(s->name(), name))
            return nullptr; // as the codecs do
    }
    sheets_.push_back(std::make_unique<MemorySheet>(std::string(name)));
    sheets_.back()->dateFormats = &dateFormats_;
    return sheets_.back().get();
}

void MemoryBook::setDefaultFont(std::string_view face, int size) {
    fontFace = std::string(face);
    fontSize = size;
}

int MemoryBook::addFormat(bool date) {
    dateFormats_.push_back(date);
    return static_cast<int>(dateFormats_.size()) - 1;
}

int MemoryBook::dateFormat(int like) {
    if (isDateFormat(like))
        return like;
    return addFormat(true);
}

bool MemoryBook::isDateFormat(int format) const {
    return format >= 0 && format < static_cast<int>(dateFormats_.size()) &&
           dateFormats_[static_cast<std::size_t>(format)];
}

Result<SavedFile> MemoryBook::save(const std::string& path, const SaveExpectation& expected) {
    if (saveError)
        return *saveError;
    SavedFile saved;
    if (disk) {
        auto answer = disk(path, expected);
        if (!answer)
            return answer;
        saved = *answer;
    }
    savedTo.push_back(path);
    savedExpecting.push_back(expected.kind);
    return saved;
}

} // namespace rowbit::testing
