#include "workbook/xlsx/sheet.h"

#include "workbook/column_width.h"
#include "workbook/xlsx/formula_shift.h"
#include "workbook/xlsx/sheet_anchors.h"
#include "workbook/xlsx/xml_scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <map>
#include <numeric>
#include <tuple>

namespace rowbit::xlsx {

XlsxSheet::XlsxSheet(BookContext& book, std::string name, std::string part, bool worksheet)
    : book_(book), name_(std::move(name)), part_(std::move(part)), worksheet_(worksheet) {}

void XlsxSheet::makeNew() {
    new_ = true;
    head_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"" +
            book_.mainNamespace + "\" xmlns:r=\"" + book_.relNamespace + "\">";
    hasDimension_ = true;
    afterDim_ = "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews><sheetFormatPr "
                "defaultRowHeight=\"15\"/>";
    tail_ = "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
            "header=\"0.3\" footer=\"0.3\"/></worksheet>";
}

void XlsxSheet::reindex() {
    rowIndex_.assign(rows_.empty() ? 0 : static_cast<std::size_t>(rows_.back().r) + 1, -1);
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rowIndex_[static_cast<std::size_t>(rows_[i].r)] = static_cast<std::int32_t>(i);
    boundsDirty_ = true;
}

const Cell* XlsxSheet::find(int row, int col) const {
    if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= rowIndex_.size())
        return nullptr;
    const std::int32_t pos = rowIndex_[static_cast<std::size_t>(row)];
    if (pos < 0)
        return nullptr;
    const std::vector<Cell>& cells = rows_[static_cast<std::size_t>(pos)].cells;
    if (static_cast<std::size_t>(col) < cells.size() &&
        cells[static_cast<std::size_t>(col)].col == col)
        return &cells[static_cast<std::size_t>(col)];
    const auto it = std::lower_bound(cells.begin(), cells.end(), col,
                                     [](const Cell& c, int k) { return c.col < k; });
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

void XlsxSheet::updateBounds() const {
    if (!boundsDirty_)
        return;
    boundsDirty_ = false;
    firstRow_ = lastRow_ = firstCol_ = lastCol_ = 0;
    bool any = false;
    for (const Row& row : rows_) {
        if (row.cells.empty())
            continue;
        if (!any)
            firstRow_ = row.r;
        any = true;
        lastRow_ = row.r + 1;
        if (lastCol_ == 0 || row.cells.front().col < firstCol_)
            firstCol_ = row.cells.front().col;
        lastCol_ = std::max(lastCol_, row.cells.back().col + 1);
    }
}

int XlsxSheet::lastRow() const {
    updateBounds();
    return lastRow_;
}

int XlsxSheet::lastCol() const {
    updateBounds();
    return lastCol_;
}

CellType XlsxSheet::cellType(int row, int col) const {
    const Cell* c = find(row, col);
    if (!c)
        return CellType::Empty;
    switch (c->kind) {
    case Kind::Number:
        return CellType::Number;
    case Kind::Shared:
    case Kind::Inline:
        return CellType::Text;
    case Kind::Bool:
        return CellType::Boolean;
    case Kind::Error:
        return CellType::Error;
    case Kind::Blank:
        break;
    }
    return CellType::Blank;
}

bool XlsxSheet::isDate(int row, int col) const {
    const Cell* c = find(row, col);
    return c && c->kind == Kind::Number &&
           ((c->flags & IsoDateFlag) || book_.styles.isDate(static_cast<int>(c->style)));
}

bool XlsxSheet::isFormula(int row, int col) const {
    const Cell* c = find(row, col);
    return c && (c->flags & FormulaFlag);
}

double XlsxSheet::readNum(int row, int col) const {
    const Cell* c = find(row, col);
    return c && c->kind == Kind::Number ? c->number : 0.0;
}

std::string XlsxSheet::readStr(int row, int col) const {
    const Cell* c = find(row, col);
    if (!c)
        return {};
    if (c->kind == Kind::Shared)
        return std::string(book_.strings.get(c->ref.a));
    if (c->kind == Kind::Inline)
        return std::string(texts_.get(c->ref.a, c->ref.b));
    return {};
}

bool XlsxSheet::readBool(int row, int col) const {
    const Cell* c = find(row, col);
    return c && c->kind == Kind::Bool && c->ref.a != 0;
}

std::string XlsxSheet::readError(int row, int col) const {
    const Cell* c = find(row, col);
    if (!c || c->kind != Kind::Error)
        return {};
    return std::string(texts_.get(c->ref.a, c->ref.b));
}

int XlsxSheet::cellFormat(int row, int col) const {
    const Cell* c = find(row, col);
    return c ? static_cast<int>(c->style) : 0;
}

std::string XlsxSheet::formula(int row, int col) const {
    const Cell* c = find(row, col);
    if (!c || !(c->flags & ExtraFlag))
        return {};
    const auto it = extras_.find(cellKey(row, col));
    return it != extras_.end() && it->second.hasFormula ? it->second.formula : std::string();
}

double XlsxSheet::colWidth(int col) const {
    for (const ColInfo& info : cols_) {
        if (col >= info.first && col <= info.last)
            return shownColumnWidth(info.width);
    }
    if (defaultWidth_ >= 0)
        return shownColumnWidth(defaultWidth_);
    return defaultColumnWidth(baseWidth_);
}

Cell* XlsxSheet::place(int row, int col) {
    std::int32_t pos = static_cast<std::size_t>(row) < rowIndex_.size()
                           ? rowIndex_[static_cast<std::size_t>(row)]
                           : -1;
    if (pos < 0) {
        Row fresh;
        fresh.r = row;
        if (rows_.empty() || rows_.back().r < row) {
            rows_.push_back(std::move(fresh));
            rowIndex_.resize(static_cast<std::size_t>(row) + 1, -1);
            pos = static_cast<std::int32_t>(rows_.size() - 1);
            rowIndex_[static_cast<std::size_t>(row)] = pos;
        } else {
            const auto it = std::lower_bound(rows_.begin(), rows_.end(), row,
                                             [](const Row& r, int k) { return r.r < k; });
            pos = static_cast<std::int32_t>(it - rows_.begin());
            rows_.insert(it, std::move(fresh));
            for (std::size_t i = static_cast<std::size_t>(pos); i < rows_.size(); ++i)
                rowIndex_[static_cast<std::size_t>(rows_[i].r)] = static_cast<std::int32_t>(i);
        }
    }
    std::vector<Cell>& cells = rows_[static_cast<std::size_t>(pos)].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const Cell& c, int k) { return c.col < k; });
    if (it == cells.end() || it->col != col) {
        it = cells.insert(it, Cell());
        it->col = static_cast<std::uint16_t>(col);
    } else {
        forget(row, *it);
    }
    boundsDirty_ = true;
    touched_ = true;
    return &*it;
}

namespace {

struct FormulaAttrs {
    std::string type, ref, si;
    std::string rest; // every other attribute, raw
};

FormulaAttrs splitFormulaAttrs(std::string_view raw) {
    FormulaAttrs out;
    xml::AttrReader reader(raw);
    std::string_view name, value;
    while (reader.next(name, value)) {
        if (name == "t")
            out.type = value;
        else if (name == "ref")
            out.ref = value;
        else if (name == "si")
            out.si = value;
        else
            xml::appendRawAttr(out.rest, name, value);
    }
    return out;
}

} // namespace

void XlsxSheet::forget(int row, const Cell& cell) {
    if (!(cell.flags & ExtraFlag))
        return;
    const auto it = extras_.find(cellKey(row, cell.col));
    if (it == extras_.end())
        return;
    if (it->second.hasFormula) {
        book_.formulasChanged = true;
        const FormulaAttrs fa = splitFormulaAttrs(it->second.formulaAttrs);
        // The group's other cells would lose the text they share: they get their own.
        if (fa.type == "shared" && !fa.ref.empty())
            unshare({fa.si});
    }
    extras_.erase(cellKey(row, cell.col));
}

void XlsxSheet::unshare(const std::vector<std::string>& groups) {
    if (groups.empty())
        return;
    struct Master {
        int row = 0, col = 0;
        std::string text;
    };
    std::map<std::string, Master> masters;
    std::vector<std::pair<std::uint64_t, CellExtra*>> members;
    for (auto& [key, extra] : extras_) {
        if (!extra.hasFormula)
            continue;
        const FormulaAttrs fa = splitFormulaAttrs(extra.formulaAttrs);
        if (fa.type != "shared" || std::find(groups.begin(), groups.end(), fa.si) == groups.end())
            continue;
        members.emplace_back(key, &extra);
        if (!fa.ref.empty())
            masters[fa.si] =
                Master{static_cast<int>(key >> 14), static_cast<int>(key & 0x3FFF), extra.formula};
    }
    for (auto& [key, extra] : members) {
        const FormulaAttrs fa = splitFormulaAttrs(extra->formulaAttrs);
        const auto m = masters.find(fa.si);
        if (m != masters.end()) {
            const int row = static_cast<int>(key >> 14);
            const int col = static_cast<int>(key & 0x3FFF);
            extra->formula = shiftFormula(m->second.text, row - m->second.row, col - m->second.col);
        }
        extra->formulaAttrs = fa.rest;
    }
    book_.formulasChanged = true;
    touched_ = true;
}

bool XlsxSheet::writeStr(int row, int col, std::string_view text, int format) {
    if (!worksheet_ || row < 0 || col < 0 || row >= maxRows || col >= maxCols)
        return false;
    std::uint32_t index = 0;
    if (!book_.strings.indexOf(text, index))
        return false;
    Cell* c = place(row, col);
    c->kind = Kind::Shared;
    c->flags = 0;
    c->style = format > 0 && format < book_.styles.count() ? static_cast<std::uint32_t>(format) : 0;
    c->ref.a = index;
    c->ref.b = 0;
    return true;
}

bool XlsxSheet::writeNum(int row, int col, double value, int format) {
    if (!worksheet_ || row < 0 || col < 0 || row >= maxRows || col >= maxCols ||
        !std::isfinite(value))
        return false;
    Cell* c = place(row, col);
    c->kind = Kind::Number;
    c->flags = 0;
    c->style = format > 0 && format < book_.styles.count() ? static_cast<std::uint32_t>(format) : 0;
    c->number = value;
    return true;
}

void XlsxSheet::clear(int firstRow, int lastRow, int firstCol, int lastCol) {
    if (!worksheet_)
        return;
    firstRow = std::max(firstRow, 0);
    firstCol = std::max(firstCol, 0);
    bool removedRow = false;
    for (Row& row : rows_) {
        if (row.r < firstRow || row.r > lastRow)
            continue;
        auto from = std::lower_bound(row.cells.begin(), row.cells.end(), firstCol,
                                     [](const Cell& c, int k) { return c.col < k; });
        auto to = from;
        while (to != row.cells.end() && to->col <= lastCol)
            ++to;
        if (from == to)
            continue;
        for (auto it = from; it != to; ++it)
            forget(row.r, *it);
        // forget() may have rewritten this row's formulas but never its cell vector.
        row.cells.erase(from, to);
        touched_ = true;
        boundsDirty_ = true;
        if (row.cells.empty() && row.attrs == 0)
            removedRow = true;
    }
    if (removedRow) {
        std::erase_if(rows_, [](const Row& r) { return r.cells.empty() && r.attrs == 0; });
        reindex();
    }
}

Result<void> XlsxSheet::moveRows(std::span<const RowMove> moves, std::span<const int> deletedRows) {
    if (!worksheet_)
        return makeError(ErrorCode::Invalid, "rows of a chart sheet cannot move", name_);
    auto involved = involvedRows(moves, deletedRows);
    if (!involved)
        return involved.error();
    if (moves.empty() && deletedRows.empty())
        return {};
    unshareFormulasIn(involved->rows);
    const RowMap map(moves, deletedRows);
    arraysToValues(map);
    followOwnMove(map);
    TakenRows taken = takeSourceRows(moves);
    dropRows(*involved);
    *involved = {};
    placeTakenRows(moves, taken);
    if (map.moves()) {
        tail_ = remapSheetTail(tail_, prefix_, map, *this,
                               [&](SaveNotice::Kind kind, const std::string& range) {
                                   book_.notice({kind, name_, range});
                               });
        rowMoves_.push_back(RowChange{std::vector<RowMove>(moves.begin(), moves.end()),
                                      std::vector<int>(deletedRows.begin(), deletedRows.end())});
    }
    touched_ = true;
    return {};
}

Row* XlsxSheet::storedRow(int r) {
    if (static_cast<std::size_t>(r) >= rowIndex_.size())
        return nullptr;
    const std::int32_t pos = rowIndex_[static_cast<std::size_t>(r)];
    return pos < 0 ? nullptr : &rows_[static_cast<std::size_t>(pos)];
}

Result<XlsxSheet::InvolvedRows> XlsxSheet::involvedRows(std::span<const RowMove> moves,
                                                        std::span<const int> deletedRows) const {
    // Marks per row rather than sets or sorted lists: a sort moves every row of a
    // million-row sheet. The first fault in the order of the moves is the one reported.
    InvolvedRows involved;
    std::vector<std::uint8_t>& marks = involved.marks;
    constexpr std::uint8_t kSource = 1, kTarget = 2, kDeleted = 4;
    auto mark = [&](int row) -> std::uint8_t& {
        const auto high = static_cast<std::size_t>(row) + 1;
        if (marks.size() < high)
            marks.resize(std::max(high, std::min<std::size_t>(2 * marks.size(), maxRows)));
        return marks[static_cast<std::size_t>(row)];
    };
    for (const RowMove& m : moves) {
        if (m.target < 0 || m.target >= maxRows || m.source < 0 || m.source >= maxRows)
            return makeError(ErrorCode::Invalid, "a row to move lies outside the sheet", name_);
        mark(std::max(m.target, m.source));
        std::uint8_t& target = mark(m.target);
        std::uint8_t& source = mark(m.source);
        if ((target & kTarget) || (source & kSource))
            return makeError(ErrorCode::Invalid, "a row is moved twice", name_);
        target |= kTarget;
        source |= kSource;
    }
    for (const int row : deletedRows) {
        if (row < 0 || row >= maxRows)
            return makeError(ErrorCode::Invalid, "a deleted row lies outside the sheet", name_);
    }
    for (const int row : deletedRows)
        mark(row) |= kDeleted;
    involved.rows.reserve(moves.size() + deletedRows.size());
    for (std::size_t r = 0; r < marks.size(); ++r) {
        if (marks[r])
            involved.rows.push_back(static_cast<int>(r));
    }
    return involved;
}

// Shared formulas touching any of `rows` become plain first.
void XlsxSheet::unshareFormulasIn(const std::vector<int>& rows) {
    std::vector<std::string> groups;
    for (const int r : rows) {
        const Row* row = storedRow(r);
        if (!row)
            continue;
        for (const Cell& c : row->cells) {
            if (!(c.flags & FormulaFlag))
                continue;
            book_.formulasChanged = true;
            const auto it = extras_.find(cellKey(r, c.col));
            if (it == extras_.end())
                continue;
            const FormulaAttrs fa = splitFormulaAttrs(it->second.formulaAttrs);
            if (fa.type == "shared" &&
                std::find(groups.begin(), groups.end(), fa.si) == groups.end())
                groups.push_back(fa.si);
        }
    }
    unshare(groups);
}

// Every reference to the cells that move or go follows them, in this sheet's formulas
// (while they still stand where they were), in other sheets' and in defined names.
void XlsxSheet::followOwnMove(const RowMap& map) {
    if (book_.rowsMoved) {
        book_.rowsMoved(*this, map);
    } else {
        MovedSheet self;
        self.names = {name_};
        self.order = {name_};
        followMovedRows(self, map, true);
    }
}

// Takes the source rows out with their side tables, each given its target's number.
XlsxSheet::TakenRows XlsxSheet::takeSourceRows(std::span<const RowMove> moves) {
    TakenRows taken;
    taken.rows.reserve(moves.size());
    for (const RowMove& m : moves) {
        Row moved;
        std::vector<std::pair<int, CellExtra>> extras;
        if (Row* row = storedRow(m.source)) {
            for (const Cell& c : row->cells) {
                if (!(c.flags & ExtraFlag))
                    continue;
                auto it = extras_.find(cellKey(m.source, c.col));
                if (it != extras_.end()) {
                    extras.emplace_back(c.col, std::move(it->second));
                    extras_.erase(it);
                }
            }
            // Each row is the source of one move at most, and every source is emptied below.
            moved = std::move(*row);
        }
        moved.r = m.target;
        taken.rows.push_back(std::move(moved));
        taken.extras.push_back(std::move(extras));
    }
    return taken;
}

// Empties every involved row: what a source held was taken, what a target held is replaced.
void XlsxSheet::dropRows(const InvolvedRows& involved) {
    for (const int r : involved.rows) {
        if (Row* row = storedRow(r)) {
            for (const Cell& c : row->cells) {
                if (c.flags & ExtraFlag)
                    extras_.erase(cellKey(r, c.col));
            }
        }
    }
    const std::vector<std::uint8_t>& marks = involved.marks;
    std::erase_if(rows_, [&](const Row& r) {
        return static_cast<std::size_t>(r.r) < marks.size() &&
               marks[static_cast<std::size_t>(r.r)] != 0;
    });
}

// The formula's text already names where its references went; an array formula within one
// row keeps its range on the row it now stands in.
void XlsxSheet::moveArrayRange(CellExtra& extra, int source, int target) {
    if (!extra.hasFormula || target == source || extra.formulaAttrs.empty())
        return;
    const FormulaAttrs fa = splitFormulaAttrs(extra.formulaAttrs);
    int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    const auto colon = fa.ref.find(':');
    const std::string_view ref(fa.ref);
    if (fa.type == "array" && parseCellRef(ref.substr(0, colon), r0, c0) &&
        (colon == std::string::npos || parseCellRef(ref.substr(colon + 1), r1, c1))) {
        if (colon == std::string::npos)
            c1 = c0;
        extra.formulaAttrs = " t=\"array\" ref=\"" +
                             rangeText(target, std::min(c0, c1), target, std::max(c0, c1)) + "\"" +
                             fa.rest;
    }
}

// The rows that stay are in order; the moved ones join them in the order of their targets.
void XlsxSheet::placeTakenRows(std::span<const RowMove> moves, TakenRows& taken) {
    std::vector<std::uint32_t> byTarget(taken.rows.size());
    std::iota(byTarget.begin(), byTarget.end(), 0u);
    std::sort(byTarget.begin(), byTarget.end(),
              [&](std::uint32_t a, std::uint32_t b) { return moves[a].target < moves[b].target; });
    for (std::size_t i = 0; i < taken.rows.size(); ++i) {
        const int target = moves[i].target;
        for (auto& [col, extra] : taken.extras[i]) {
            moveArrayRange(extra, moves[i].source, target);
            extras_[cellKey(target, col)] = std::move(extra);
        }
    }
    const std::size_t staying = rows_.size();
    rows_.reserve(staying + taken.rows.size());
    for (const std::uint32_t i : byTarget) {
        if (!taken.rows[i].cells.empty() || taken.rows[i].attrs != 0)
            rows_.push_back(std::move(taken.rows[i]));
    }
    taken = {};
    std::inplace_merge(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(staying),
                       rows_.end(), [](const Row& a, const Row& b) { return a.r < b.r; });
    reindex();
}

void XlsxSheet::followMovedRows(const MovedSheet& moved, const RowMap& map, bool self) {
    if (!worksheet_ || !map.moves())
        return;
    struct Told {
        int row, col;
        SaveNotice::Kind kind;
    };
    std::vector<Told> told;
    auto tell = [&](const MappedFormula& m, std::uint64_t key) {
        if (!m.refDeleted && !m.kept)
            return;
        const int row = static_cast<int>(key >> 14), col = static_cast<int>(key & 0x3FFF);
        // Named where the formula stands after the move.
        told.push_back({self ? map.rowAfter(row).value_or(row) : row, col,
                        m.kept ? SaveNotice::Kind::FormulaKept : SaveNotice::Kind::RefDeleted});
    };
    bool changed = false;
    // Shared formulas by group: the master's text, shifted to each member, is what they say.
    struct Group {
        std::uint64_t master = 0;
        bool hasMaster = false;
        std::vector<std::uint64_t> members;
    };
    std::map<std::string, Group> groups;
    for (auto& [key, extra] : extras_) {
        if (!extra.hasFormula)
            continue;
        if (self && !map.rowAfter(static_cast<int>(key >> 14)))
            continue; // the formula goes with its row
        if (!extra.formulaAttrs.empty()) {
            const FormulaAttrs fa = splitFormulaAttrs(extra.formulaAttrs);
            if (fa.type == "shared") {
                Group& g = groups[fa.si];
                g.members.push_back(key);
                if (!fa.ref.empty()) {
                    g.master = key;
                    g.hasMaster = true;
                }
                continue;
            }
        }
        // Another sheet's formula names this one's cells only with a '!'.
        if (!self && extra.formula.find('!') == std::string::npos)
            continue;
        MappedFormula m = mapFormulaRows(extra.formula, moved, self, map);
        tell(m, key);
        if (m.changed) {
            extra.formula = std::move(m.text);
            changed = true;
        }
    }
    for (auto& [si, g] : groups) {
        if (!g.hasMaster)
            continue;
        const std::string text = extras_[g.master].formula;
        if (!self && text.find('!') == std::string::npos)
            continue;
        const int masterRow = static_cast<int>(g.master >> 14);
        const int masterCol = static_cast<int>(g.master & 0x3FFF);
        std::sort(g.members.begin(), g.members.end());
        std::vector<MappedFormula> mapped;
        mapped.reserve(g.members.size());
        bool differs = false;
        for (const std::uint64_t key : g.members) {
            const int dRow = static_cast<int>(key >> 14) - masterRow;
            const int dCol = static_cast<int>(key & 0x3FFF) - masterCol;
            mapped.push_back(mapFormulaRows(
                dRow == 0 && dCol == 0 ? text : shiftFormula(text, dRow, dCol), moved, self, map));
            differs = differs || mapped.back().changed;
            tell(mapped.back(), key);
        }
        if (!differs)
            continue;
        // The members no longer differ only by where they stand: each gets its own text.
        for (std::size_t k = 0; k < g.members.size(); ++k) {
            CellExtra& extra = extras_[g.members[k]];
            extra.formula = std::move(mapped[k].text);
            extra.formulaAttrs = splitFormulaAttrs(extra.formulaAttrs).rest;
        }
        changed = true;
    }
    std::sort(told.begin(), told.end(), [](const Told& a, const Told& b) {
        return std::tie(a.row, a.col) < std::tie(b.row, b.col);
    });
    std::vector<SaveNotice> notices;
    notices.reserve(told.size());
    for (const Told& t : told)
        notices.push_back({t.kind, name_, rangeText(t.row, t.col, t.row, t.col)});
    book_.noticeAll(std::move(notices));
    if (changed) {
        book_.formulasChanged = true;
        touched_ = true;
    }
}

// An array formula over several rows cannot follow one record: when any of its rows moves,
// its cells keep their values and the formula goes.
void XlsxSheet::arraysToValues(const RowMap& map) {
    if (!map.moves())
        return;
    std::vector<std::uint64_t> anchors;
    for (auto& [key, extra] : extras_) {
        if (!extra.hasFormula)
            continue;
        const FormulaAttrs fa = splitFormulaAttrs(extra.formulaAttrs);
        int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
        const auto colon = fa.ref.find(':');
        if (fa.type != "array" || colon == std::string::npos ||
            !parseCellRef(std::string_view(fa.ref).substr(0, colon), r0, c0) ||
            !parseCellRef(std::string_view(fa.ref).substr(colon + 1), r1, c1) || r0 == r1)
            continue;
        int newRow = 0;
        if (map.place(std::min(r0, r1), std::max(r0, r1), newRow) != RowMap::Fate::Breaks)
            continue;
        anchors.push_back(key);
    }
    std::sort(anchors.begin(), anchors.end()); // told in the sheet's order
    for (const std::uint64_t key : anchors) {
        book_.notice({SaveNotice::Kind::ArrayToValues, name_,
                      splitFormulaAttrs(extras_[key].formulaAttrs).ref});
        const int row = static_cast<int>(key >> 14);
        const int col = static_cast<int>(key & 0x3FFF);
        CellExtra& extra = extras_[key];
        extra.hasFormula = false;
        extra.formula.clear();
        extra.formulaAttrs.clear();
        if (Cell* c = const_cast<Cell*>(find(row, col))) {
            c->flags = static_cast<std::uint8_t>(c->flags & ~FormulaFlag);
            if (extra.attrs.empty() && extra.richInline.empty() && extra.isoValue.empty() &&
                extra.children.empty()) {
                c->flags = static_cast<std::uint8_t>(c->flags & ~ExtraFlag);
                extras_.erase(key);
            }
        }
        book_.formulasChanged = true;
    }
}

std::size_t XlsxSheet::sharedStringRefs() const {
    std::size_t n = 0;
    for (const Row& row : rows_) {
        for (const Cell& c : row.cells)
            n += c.kind == Kind::Shared;
    }
    return n;
}

// Writes the part: the bytes it had around <sheetData>, the rows from the model between them.
class SheetWriter {
public:
    explicit SheetWriter(const XlsxSheet& sheet)
        : s_(sheet), rowOpen_('<' + sheet.prefix_ + "row r=\""),
          rowClose_("</" + sheet.prefix_ + "row>"), cellOpen_('<' + sheet.prefix_ + "c r=\""),
          cellClose_("</" + sheet.prefix_ + "c>"), vOpen_('<' + sheet.prefix_ + "v>"),
          vClose_("</" + sheet.prefix_ + "v>"),
          isOpen_('<' + sheet.prefix_ + "is><" + sheet.prefix_ + 't'),
          isClose_("</" + sheet.prefix_ + "t></" + sheet.prefix_ + "is>") {}
    SheetWriter(const SheetWriter&) = delete; // rowDigits_ points into digits_
    SheetWriter& operator=(const SheetWriter&) = delete;

    Result<std::size_t> read(char* buffer, std::size_t size) {
        while (pos_ >= pending_.size()) {
            pending_.clear();
            pos_ = 0;
            if (!refill())
                return std::size_t{0};
        }
        const std::size_t n = std::min(size, pending_.size() - pos_);
        std::copy_n(pending_.data() + pos_, n, buffer);
        pos_ += n;
        return n;
    }

private:
    bool refill() {
        const std::string& p = s_.prefix_;
        switch (phase_) {
        case 0:
            pending_ = s_.head_;
            if (s_.hasDimension_) {
                s_.updateBounds();
                pending_ += '<' + s_.dimPrefix_ + "dimension ref=\"";
                appendCellRef(pending_, s_.firstRow_, s_.firstCol_);
                if (s_.lastRow_ > 0 &&
                    (s_.lastRow_ - 1 != s_.firstRow_ || s_.lastCol_ - 1 != s_.firstCol_)) {
                    pending_ += ':';
                    appendCellRef(pending_, s_.lastRow_ - 1, s_.lastCol_ - 1);
                }
                pending_ += "\"/>";
            }
            pending_ += s_.afterDim_;
            pending_ += '<' + p + "sheetData>";
            phase_ = 1;
            return true;
        case 1:
            for (int n = 0; n < 512 && row_ < s_.rows_.size(); ++n, ++row_)
                appendRow(s_.rows_[row_]);
            if (row_ >= s_.rows_.size())
                phase_ = 2;
            return true;
        case 2:
            pending_ = "</" + p + "sheetData>";
            pending_ += s_.tail_;
            phase_ = 3;
            return true;
        default:
            return false;
        }
    }

    void appendNumber(double v) {
        char buf[32];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
        pending_.append(buf, ec == std::errc() ? static_cast<std::size_t>(end - buf) : 0);
    }
    void appendInt(std::uint64_t v) {
        char buf[24];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
        pending_.append(buf, static_cast<std::size_t>(end - buf));
    }
    void appendText(std::string_view text) { xml::appendCellText(pending_, text); }

    void appendRow(const Row& row) {
        // The row number once; each cell's reference is its column letters and these digits.
        auto [end, ec] =
            std::to_chars(digits_, digits_ + sizeof digits_, static_cast<std::uint64_t>(row.r) + 1);
        rowDigits_ = std::string_view(digits_, ec == std::errc() ? end - digits_ : 0);
        pending_ += rowOpen_;
        pending_ += rowDigits_;
        pending_ += '"';
        pending_ += s_.rowAttrs_[row.attrs];
        if (row.cells.empty()) {
            pending_ += "/>";
            return;
        }
        pending_ += '>';
        for (const Cell& c : row.cells)
            appendCell(row.r, c);
        pending_ += rowClose_;
    }

    void appendCell(int r, const Cell& c) {
        const std::string& p = s_.prefix_;
        const CellExtra* extra = nullptr;
        if (c.flags & ExtraFlag) {
            const auto it = s_.extras_.find(cellKey(r, c.col));
            if (it != s_.extras_.end())
                extra = &it->second;
        }
        const bool formula = extra && extra->hasFormula;
        pending_ += cellOpen_;
        pending_ += columnLetters(c.col + 1);
        pending_ += rowDigits_;
        pending_ += '"';
        if (c.style != 0) {
            pending_ += " s=\"";
            appendInt(c.style);
            pending_ += '"';
        }
        switch (c.kind) {
        case Kind::Number:
            if ((c.flags & IsoDateFlag) && extra)
                pending_ += " t=\"d\"";
            break;
        case Kind::Shared:
            pending_ += " t=\"s\"";
            break;
        case Kind::Inline:
            pending_ += formula ? " t=\"str\"" : " t=\"inlineStr\"";
            break;
        case Kind::Bool:
            pending_ += " t=\"b\"";
            break;
        case Kind::Error:
            pending_ += " t=\"e\"";
            break;
        case Kind::Blank:
            break;
        }
        if (extra)
            pending_ += extra->attrs;
        const std::size_t open = pending_.size();
        pending_ += '>';
        if (formula) {
            pending_ += '<';
            pending_ += p;
            pending_ += 'f';
            pending_ += extra->formulaAttrs;
            if (extra->formula.empty()) {
                pending_ += "/>";
            } else {
                pending_ += '>';
                xml::appendEscaped(pending_, extra->formula);
                pending_ += "</";
                pending_ += p;
                pending_ += "f>";
            }
        }
        const std::string& v = vOpen_;
        const std::string& endV = vClose_;
        switch (c.kind) {
        case Kind::Number:
            pending_ += v;
            if ((c.flags & IsoDateFlag) && extra)
                xml::appendEscaped(pending_, extra->isoValue);
            else
                appendNumber(c.number);
            pending_ += endV;
            break;
        case Kind::Shared:
            pending_ += v;
            appendInt(c.ref.a);
            pending_ += endV;
            break;
        case Kind::Inline: {
            const std::string_view text = s_.texts_.get(c.ref.a, c.ref.b);
            if (formula) {
                pending_ += v;
                appendText(text);
                pending_ += endV;
            } else if (extra && !extra->richInline.empty()) {
                pending_ += extra->richInline;
            } else {
                pending_ += isOpen_;
                if (!text.empty() &&
                    (text.front() == ' ' || text.back() == ' ' || text.front() == '\n' ||
                     text.back() == '\n' || text.front() == '\t' || text.back() == '\t'))
                    pending_ += " xml:space=\"preserve\"";
                pending_ += '>';
                appendText(text);
                pending_ += isClose_;
            }
            break;
        }
        case Kind::Bool:
            pending_ += v;
            pending_ += c.ref.a ? '1' : '0';
            pending_ += endV;
            break;
        case Kind::Error:
            pending_ += v;
            xml::appendEscaped(pending_, s_.texts_.get(c.ref.a, c.ref.b));
            pending_ += endV;
            break;
        case Kind::Blank:
            break;
        }
        if (extra)
            pending_ += extra->children;
        if (pending_.size() == open + 1) {
            pending_.back() = '/';
            pending_ += '>';
        } else {
            pending_ += cellClose_;
        }
    }

    const XlsxSheet& s_;
    // The row's and cells' tags with the sheet's namespace prefix, made once.
    const std::string rowOpen_, rowClose_, cellOpen_, cellClose_, vOpen_, vClose_, isOpen_,
        isClose_;
    char digits_[12] = {};
    std::string_view rowDigits_; // the row being written, one-based, in digits_
    int phase_ = 0;
    std::size_t row_ = 0;
    std::string pending_;
    std::size_t pos_ = 0;
};

Package::OutPart::Producer XlsxSheet::writer() const {
    auto w = std::make_shared<SheetWriter>(*this);
    return [w](char* buffer, std::size_t size) { return w->read(buffer, size); };
}

} // namespace rowbit::xlsx
