#include "workbook/xls/xls_book.h"

#include "workbook/column_width.h"
#include "workbook/huge_pages.h"
#include "workbook/row_map.h"

#include "workbook/xls/formula_tokens.h"
#include "workbook/xls/xls_model.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace rowbit::xls {

namespace {

constexpr uint16_t kFormulaShared = 0x0008;

std::string errorName(uint8_t code) {
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    case 0x2A:
        return "#N/A";
    default:
        return "#ERR" + std::to_string(code) + "!";
    }
}

// Text of a formula's cached result or of a cell, for a cell being turned into a constant.
void makeConstant(XlsBook& book, Cell& c, const FormulaData& f) {
    switch (c.cached) {
    case Cached::Number:
        c.kind = Kind::Number;
        break;
    case Cached::Text:
        c.kind = Kind::Text;
        c.ref = book.addString(f.text);
        break;
    case Cached::Bool:
        c.kind = Kind::Bool;
        break;
    case Cached::Error:
        c.kind = Kind::Error;
        break;
    }
}

std::span<const uint8_t> rgceOf(const FormulaData& f) {
    if (f.body.size() < 22)
        return {};
    const std::size_t cce = rd16(&f.body[20]);
    return std::span<const uint8_t>(f.body).subspan(22, std::min(cce, f.body.size() - 22));
}

void replaceRgce(FormulaData& f, const std::vector<uint8_t>& rgce,
                 std::span<const uint8_t> trailing) {
    std::vector<uint8_t> body(f.body.begin(), f.body.begin() + 22);
    body.insert(body.end(), rgce.begin(), rgce.end());
    body.insert(body.end(), trailing.begin(), trailing.end());
    wr16(&body[20], static_cast<uint16_t>(rgce.size()));
    f.body.swap(body);
}

// The anchor a formula points at through ptgExp / ptgTbl, if it is one of a group's members.
bool groupAnchor(const FormulaData& f, int& row, int& col) {
    const auto rgce = rgceOf(f);
    if (rgce.size() != 5 || (rgce[0] != 0x01 && rgce[0] != 0x02))
        return false;
    row = rd16(&rgce[1]);
    col = rd16(&rgce[3]);
    return true;
}

// The rows an array formula's ARRAY record (after its anchor) covers; false when it has none.
bool arrayRows(const FormulaData& f, int& first, int& last, int& firstCol, int& lastCol) {
    if (f.extra.size() < 4 + 14 || rd16(&f.extra[0]) != rec::Array)
        return false;
    const uint8_t* b = &f.extra[4];
    first = rd16(b);
    last = rd16(b + 2);
    firstCol = b[4];
    lastCol = b[5];
    return rd16(&f.extra[2]) + 4u == f.extra.size() && rd16(&f.extra[2]) >= 14;
}

// An array formula's cell moving with its row: the anchor it points at moves along, and the
// anchor's ARRAY record (whose references follow their cells like any formula's).
void moveArrayCell(FormulaData& f, int source, int target) {
    wr16(&f.body[23], static_cast<uint16_t>(target)); // the ptgExp's anchor row
    int first = 0, last = 0, c0 = 0, c1 = 0;
    if (!arrayRows(f, first, last, c0, c1) || first != source)
        return;
    uint8_t* b = &f.extra[4];
    wr16(b, static_cast<uint16_t>(target));
    wr16(b + 2, static_cast<uint16_t>(target));
}

// The name of a defined name's NAME record body, for telling the user about it.
std::string definedName(std::span<const uint8_t> b) {
    static constexpr const char* builtIn[] = {
        "Consolidate_Area", "Auto_Open",       "Auto_Close",   "Extract",        "Database",
        "Criteria",         "Print_Area",      "Print_Titles", "Recorder",       "Data_Form",
        "Auto_Activate",    "Auto_Deactivate", "Sheet_Title",  "_FilterDatabase"};
    const std::size_t cch = b[3];
    const bool wide = b[14] & 1;
    if (b.size() < 15 + cch * (wide ? 2 : 1))
        return {};
    if ((rd16(&b[0]) & 0x0020) && cch >= 1 && !wide && b[15] < std::size(builtIn))
        return builtIn[b[15]];
    std::string out;
    if (wide) {
        std::vector<uint16_t> units(cch);
        for (std::size_t i = 0; i < cch; ++i)
            units[i] = rd16(&b[15 + 2 * i]);
        appendUtf8FromUtf16(out, units.data(), cch);
    } else {
        appendUtf8FromLatin1(out, &b[15], cch);
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------- Sheet

void XlsSheet::setName(std::string_view name) {
    name_ = std::string(name);
    renamed_ = true;
}

const Cell* XlsSheet::find(int row, int col) const {
    if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return nullptr;
    const auto& cells = rows_[row].cells;
    // Rows filled from column A on hold column c at index c: no search needed.
    if (static_cast<std::size_t>(col) < cells.size() && cells[col].col == col)
        return &cells[col];
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const Cell& c, int v) { return c.col < v; });
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

Cell* XlsSheet::findMutable(int row, int col) {
    return const_cast<Cell*>(find(row, col));
}

Cell& XlsSheet::place(int row, int col) {
    if (rows_.size() <= static_cast<std::size_t>(row))
        rows_.resize(static_cast<std::size_t>(row) + 1);
    auto& cells = rows_[row].cells;
    if (cells.empty() || cells.back().col < col) {
        cells.push_back(Cell{});
        cells.back().col = static_cast<uint16_t>(col);
        return cells.back();
    }
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const Cell& c, int v) { return c.col < v; });
    if (it != cells.end() && it->col == col)
        return *it;
    Cell c;
    c.col = static_cast<uint16_t>(col);
    return *cells.insert(it, c);
}

void XlsSheet::finishLoad() {
    lastRowCache_ = lastColCache_ = -1;
}

int XlsSheet::lastRow() const {
    if (lastRowCache_ < 0) {
        int last = 0;
        for (std::size_t r = rows_.size(); r > 0; --r) {
            if (!rows_[r - 1].cells.empty()) {
                last = static_cast<int>(r);
                break;
            }
        }
        lastRowCache_ = last;
    }
    return lastRowCache_;
}

int XlsSheet::lastCol() const {
    if (lastColCache_ < 0) {
        int last = 0;
        for (const auto& r : rows_) {
            if (!r.cells.empty())
                last = std::max(last, r.cells.back().col + 1);
        }
        lastColCache_ = last;
    }
    return lastColCache_;
}

CellType XlsSheet::cellType(int row, int col) const {
    const Cell* c = find(row, col);
    if (!c)
        return CellType::Empty;
    switch (c->kind) {
    case Kind::Blank:
        return CellType::Blank;
    case Kind::Number:
        return CellType::Number;
    case Kind::Text:
        return CellType::Text;
    case Kind::Bool:
        return CellType::Boolean;
    case Kind::Error:
        return CellType::Error;
    case Kind::Formula:
        switch (c->cached) {
        case Cached::Number:
            return CellType::Number;
        case Cached::Text:
            return CellType::Text;
        case Cached::Bool:
            return CellType::Boolean;
        case Cached::Error:
            return CellType::Error;
        }
    }
    return CellType::Empty;
}

bool XlsSheet::isDate(int row, int col) const {
    const Cell* c = find(row, col);
    return c && cellType(row, col) == CellType::Number && book_->xfIsDate(c->xf);
}

bool XlsSheet::isFormula(int row, int col) const {
    const Cell* c = find(row, col);
    return c && c->kind == Kind::Formula;
}

double XlsSheet::readNum(int row, int col) const {
    const Cell* c = find(row, col);
    return c && cellType(row, col) == CellType::Number ? c->num : 0.0;
}

std::string XlsSheet::readStr(int row, int col) const {
    const Cell* c = find(row, col);
    if (!c)
        return {};
    if (c->kind == Kind::Text)
        return std::string(book_->str(c->ref));
    if (c->kind == Kind::Formula && c->cached == Cached::Text && c->ref < formulas_.size())
        return formulas_[c->ref].text;
    return {};
}

bool XlsSheet::readBool(int row, int col) const {
    const Cell* c = find(row, col);
    return c && cellType(row, col) == CellType::Boolean && c->small != 0;
}

std::string XlsSheet::readError(int row, int col) const {
    const Cell* c = find(row, col);
    return c && cellType(row, col) == CellType::Error ? errorName(c->small) : std::string();
}

int XlsSheet::cellFormat(int row, int col) const {
    const Cell* c = find(row, col);
    return c ? c->xf : 0;
}

double XlsSheet::colWidth(int col) const {
    for (const auto& ci : colInfos_) {
        if (col >= ci.first && col <= ci.last)
            return (ci.flags & 0x0001) ? 0.0 : shownColumnWidth(ci.width / 256.0);
    }
    if (standardWidth_ >= 0)
        return shownColumnWidth(standardWidth_ / 256.0);
    // DEFCOLWIDTH counts digits without the padding.
    return defaultColumnWidth(defColWidth_);
}

// True for a cell of an array formula that lies within `row`: it moves whole with the row.
bool XlsSheet::inSingleRowArray(int row, const FormulaData& f, int col) const {
    int ar = 0, ac = 0;
    if (!groupAnchor(f, ar, ac) || ar != row || rgceOf(f)[0] != 0x01)
        return false;
    const FormulaData* anchor = &f;
    if (ac != col) {
        const Cell* a = find(ar, ac);
        if (!a || a->kind != Kind::Formula || a->ref >= formulas_.size())
            return false;
        anchor = &formulas_[a->ref];
    }
    int first = 0, last = 0, c0 = 0, c1 = 0;
    return arrayRows(*anchor, first, last, c0, c1) && first == row && last == row;
}

void XlsSheet::dissolveGroupsAt(int row, int col) {
    Cell* a = findMutable(row, col);
    if (!a || a->kind != Kind::Formula || a->ref >= formulas_.size() ||
        formulas_[a->ref].extra.empty())
        return;
    const std::vector<uint8_t> extra = std::move(formulas_[a->ref].extra);
    formulas_[a->ref].extra.clear();
    RecordCursor cur(extra);
    RecordView rv;
    while (cur.next(rv)) {
        const auto& b = rv.body;
        if (b.size() < 6)
            continue;
        const int r0 = rd16(&b[0]), r1 = rd16(&b[2]), c0 = b[4], c1 = b[5];
        formulasMoved_ = true;
        if (rv.type == rec::Array && r0 != r1)
            book_->notice({SaveNotice::Kind::ArrayToValues, name_, rangeText(r0, c0, r1, c1)});
        std::span<const uint8_t> rgce, rgcb;
        if (rv.type == rec::ShrFmla && b.size() >= 10) {
            const std::size_t cce = std::min<std::size_t>(rd16(&b[8]), b.size() - 10);
            rgce = b.subspan(10, cce);
            rgcb = b.subspan(10 + cce);
        }
        for (int r = r0; r <= r1 && static_cast<std::size_t>(r) < rows_.size(); ++r) {
            for (auto& c : rows_[r].cells) {
                if (c.col < c0 || c.col > c1 || c.kind != Kind::Formula ||
                    c.ref >= formulas_.size())
                    continue;
                FormulaData& f = formulas_[c.ref];
                int ar = 0, ac = 0;
                if (!groupAnchor(f, ar, ac) || ar != row || ac != col)
                    continue;
                std::optional<std::vector<uint8_t>> plain;
                if (rv.type == rec::ShrFmla)
                    plain = sharedToPlain(rgce, r, c.col);
                if (plain) {
                    replaceRgce(f, *plain, rgcb);
                    wr16(&f.body[14], static_cast<uint16_t>(rd16(&f.body[14]) & ~kFormulaShared));
                } else {
                    // An array or table result, or tokens we cannot rewrite: keep the value.
                    makeConstant(*book_, c, f);
                }
            }
        }
    }
}

bool XlsSheet::writeStr(int row, int col, std::string_view text, int format) {
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxCols)
        return false;
    dissolveGroupsAt(row, col);
    formulasMoved_ = formulasMoved_ || isFormula(row, col);
    const uint32_t ref = book_->addString(text);
    Cell& c = place(row, col);
    c.kind = Kind::Text;
    c.ref = ref;
    c.xf = static_cast<uint16_t>(book_->cellXf(format));
    invalidate();
    return true;
}

bool XlsSheet::writeNum(int row, int col, double value, int format) {
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxCols)
        return false;
    dissolveGroupsAt(row, col);
    formulasMoved_ = formulasMoved_ || isFormula(row, col);
    Cell& c = place(row, col);
    c.kind = Kind::Number;
    c.num = value;
    c.xf = static_cast<uint16_t>(book_->cellXf(format));
    invalidate();
    return true;
}

void XlsSheet::clear(int firstRow, int lastRowIn, int firstCol, int lastColIn) {
    firstRow = std::max(firstRow, 0);
    firstCol = std::max(firstCol, 0);
    lastRowIn = std::min(lastRowIn, static_cast<int>(rows_.size()) - 1);
    lastColIn = std::min(lastColIn, kMaxCols - 1);
    if (firstRow > lastRowIn || firstCol > lastColIn)
        return;
    for (int r = firstRow; r <= lastRowIn; ++r) {
        auto& cells = rows_[r].cells;
        for (const auto& c : std::vector<Cell>(cells)) {
            if (c.col >= firstCol && c.col <= lastColIn && c.kind == Kind::Formula) {
                dissolveGroupsAt(r, c.col);
                formulasMoved_ = true;
            }
        }
        std::erase_if(cells,
                      [&](const Cell& c) { return c.col >= firstCol && c.col <= lastColIn; });
    }
    invalidate();
}

Result<void> XlsSheet::moveRows(std::span<const RowMove> moves, std::span<const int> deletedRows) {
    std::vector<uint8_t> isTarget(kMaxRows, 0), isSource(kMaxRows, 0);
    for (const auto& m : moves) {
        if (m.target < 0 || m.target >= kMaxRows || m.source < 0 || m.source >= kMaxRows)
            return makeError(ErrorCode::Invalid, "a row to move lies outside the sheet");
        if (isTarget[m.target]++ || isSource[m.source]++)
            return makeError(ErrorCode::Invalid, "a row is moved twice or receives two rows");
    }
    for (const int row : deletedRows) {
        if (row < 0 || row >= kMaxRows)
            return makeError(ErrorCode::Invalid, "a deleted row lies outside the sheet");
    }
    const RowMap map(moves, deletedRows);
    if (!map.moves())
        return {};

    // Rows whose content leaves them: moved away, deleted, or replaced by another row's.
    std::vector<int> leaving;
    for (const auto& m : moves) {
        if (m.target == m.source)
            continue;
        leaving.push_back(m.source);
        if (!isSource[m.target])
            leaving.push_back(m.target);
    }
    for (const int row : deletedRows) {
        if (!isSource[row])
            leaving.push_back(row);
    }
    std::sort(leaving.begin(), leaving.end());
    leaving.erase(std::unique(leaving.begin(), leaving.end()), leaving.end());
    // Groups (shared, array, table formulas) that reach into those rows are dissolved first:
    // their members would otherwise point at an anchor that moved away or went.
    for (const int r : leaving) {
        if (static_cast<std::size_t>(r) >= rows_.size())
            continue;
        const auto& cells = rows_[r].cells;
        if (std::none_of(cells.begin(), cells.end(),
                         [](const Cell& c) { return c.kind == Kind::Formula; }))
            continue;
        const bool movesWhole = isSource[r] && map.rowAfter(r).has_value();
        // A copy: dissolving a group rewrites cells of this row.
        for (const auto& c : std::vector<Cell>(cells)) {
            if (c.kind != Kind::Formula || c.ref >= formulas_.size() ||
                (movesWhole && inSingleRowArray(r, formulas_[c.ref], c.col)))
                continue;
            dissolveGroupsAt(r, c.col);
            int ar = 0, ac = 0;
            if (groupAnchor(formulas_[c.ref], ar, ac))
                dissolveGroupsAt(ar, ac);
        }
    }
    const std::vector<uint8_t> xti = xtiScopes();
    for (auto& sheet : book_->sheets_)
        sheet->dissolveSharedGroupsThatChange(map, {sheet.get() == this, xti});

    std::vector<std::pair<int, Row>> taken;
    taken.reserve(moves.size());
    for (const auto& m : moves) {
        Row row;
        if (static_cast<std::size_t>(m.source) < rows_.size())
            row = std::move(rows_[m.source]);
        if (m.target != m.source) {
            for (auto& c : row.cells) {
                if (c.kind != Kind::Formula || c.ref >= formulas_.size())
                    continue;
                // A formula keeps its tokens when it moves: its references follow their
                // cells below, wherever they went. What still points at an anchor in its own
                // row belongs to an array within the row, which moves whole.
                FormulaData& f = formulas_[c.ref];
                int ar = 0, ac = 0;
                if (groupAnchor(f, ar, ac) && rgceOf(f)[0] == 0x01 && ar == m.source)
                    moveArrayCell(f, m.source, m.target);
                formulasMoved_ = true;
            }
        }
        taken.emplace_back(m.target, std::move(row));
    }
    for (const auto& m : moves) {
        if (!isTarget[m.source] && static_cast<std::size_t>(m.source) < rows_.size())
            rows_[m.source] = Row{};
    }
    for (const int row : deletedRows) {
        if (!isTarget[row] && static_cast<std::size_t>(row) < rows_.size())
            rows_[row] = Row{};
    }
    for (auto& [target, row] : taken) {
        if (row.cells.empty() && !row.hasAttr) {
            if (static_cast<std::size_t>(target) < rows_.size())
                rows_[target] = Row{};
            continue;
        }
        if (rows_.size() <= static_cast<std::size_t>(target))
            rows_.resize(static_cast<std::size_t>(target) + 1);
        rows_[target] = std::move(row);
    }
    invalidate(); // the merged ranges are judged by the cells in their new rows
    for (auto& sheet : book_->sheets_)
        sheet->followReferences(map, {sheet.get() == this, xti});
    followNames(map, xti);
    remapAnchors(map);
    return {};
}

std::vector<uint8_t> XlsSheet::xtiScopes() const {
    int tab = -1;
    for (std::size_t i = 0; i < book_->substreams_.size(); ++i) {
        const int index = book_->substreams_[i].sheet;
        if (index >= 0 && book_->sheets_[static_cast<std::size_t>(index)].get() == this)
            tab = static_cast<int>(i);
    }
    // EXTERNSHEET (perhaps continued) lists the XTIs; SUPBOOK records are counted in order to
    // know which one is this workbook's own.
    int supBooks = 0, own = -1;
    std::vector<uint8_t> xtis;
    bool inXtis = false;
    for (const auto& g : book_->globals_) {
        if (g.type == 0x01AE) { // SUPBOOK
            if (g.body.size() == 4 && rd16(&g.body[2]) == 0x0401)
                own = supBooks;
            ++supBooks;
        }
        if (g.type == 0x0017) // EXTERNSHEET
            xtis = g.body;
        else if (g.type == rec::Continue && inXtis)
            xtis.insert(xtis.end(), g.body.begin(), g.body.end());
        inXtis = g.type == 0x0017 || (g.type == rec::Continue && inXtis);
    }
    std::vector<uint8_t> scopes;
    if (xtis.size() < 2 || tab < 0)
        return scopes;
    const std::size_t n = std::min<std::size_t>(rd16(xtis.data()), (xtis.size() - 2) / 6);
    scopes.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t* x = &xtis[2 + 6 * i];
        const int first = rd16(x + 2), last = rd16(x + 4);
        if (rd16(x) != own || first >= 0xFFFE || last >= 0xFFFE)
            continue;
        if (first == tab && last == tab)
            scopes[i] = 1;
        else if (std::min(first, last) <= tab && tab <= std::max(first, last))
            scopes[i] = 2;
    }
    return scopes;
}

void XlsSheet::tell(RefsAfter outcome, const std::string& range) {
    if (outcome == RefsAfter::Deleted)
        book_->notice({SaveNotice::Kind::RefDeleted, name_, range});
    else if (outcome == RefsAfter::Kept || outcome == RefsAfter::NotUnderstood)
        book_->notice({SaveNotice::Kind::FormulaKept, name_, range});
}

void XlsSheet::dissolveSharedGroupsThatChange(const RowMap& map, const RefScope& scope) {
    if (formulas_.empty())
        return;
    std::vector<std::pair<int, int>> anchors;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const Cell& a : rows_[r].cells) {
            if (a.kind != Kind::Formula || a.ref >= formulas_.size())
                continue;
            const auto& extra = formulas_[a.ref].extra;
            if (extra.size() < 4 + 10 || rd16(&extra[0]) != rec::ShrFmla)
                continue;
            const std::size_t len = std::min<std::size_t>(rd16(&extra[2]), extra.size() - 4);
            const std::span<const uint8_t> b(&extra[4], len);
            const int r0 = rd16(&b[0]), r1 = rd16(&b[2]), c0 = b[4], c1 = b[5];
            const auto rgce = b.subspan(10, std::min<std::size_t>(rd16(&b[8]), len - 10));
            bool changes = false;
            for (int mr = r0; mr <= r1 && !changes && static_cast<std::size_t>(mr) < rows_.size();
                 ++mr) {
                for (const Cell& m : rows_[mr].cells) {
                    int ar = 0, ac = 0;
                    if (m.col < c0 || m.col > c1 || m.kind != Kind::Formula ||
                        m.ref >= formulas_.size() || !groupAnchor(formulas_[m.ref], ar, ac) ||
                        ar != static_cast<int>(r) || ac != a.col)
                        continue;
                    auto plain = sharedToPlain(rgce, mr, m.col);
                    if (!plain) {
                        tell(RefsAfter::NotUnderstood, rangeText(mr, m.col, mr, m.col));
                        continue;
                    }
                    if (mapRowRefs(*plain, nullptr, map, scope) != RefsAfter::Same) {
                        changes = true;
                        break;
                    }
                }
            }
            if (changes)
                anchors.emplace_back(static_cast<int>(r), a.col);
        }
    }
    for (const auto& [r, c] : anchors)
        dissolveGroupsAt(r, c);
    if (!anchors.empty())
        invalidate();
}

void XlsSheet::followReferences(const RowMap& map, const RefScope& scope) {
    if (formulas_.empty())
        return;
    bool changed = false;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const Cell& c : rows_[r].cells) {
            if (c.kind != Kind::Formula || c.ref >= formulas_.size())
                continue;
            FormulaData& f = formulas_[c.ref];
            const auto rgce = rgceOf(f);
            std::vector<uint8_t> tokens(rgce.begin(), rgce.end());
            std::vector<uint8_t> trailing(
                f.body.begin() + 22 + static_cast<std::ptrdiff_t>(rgce.size()), f.body.end());
            const RefsAfter outcome = mapRowRefs(tokens, &trailing, map, scope);
            if (outcome == RefsAfter::Changed || outcome == RefsAfter::Deleted) {
                replaceRgce(f, tokens, trailing);
                changed = true;
            }
            tell(outcome, rangeText(static_cast<int>(r), c.col, static_cast<int>(r), c.col));
            // An array formula's tokens stand in the ARRAY record after its anchor.
            int first = 0, last = 0, c0 = 0, c1 = 0;
            if (!arrayRows(f, first, last, c0, c1))
                continue;
            const std::size_t len = rd16(&f.extra[2]);
            const std::size_t cce = std::min<std::size_t>(rd16(&f.extra[4 + 12]), len - 14);
            std::vector<uint8_t> arrayTokens(
                f.extra.begin() + 18, f.extra.begin() + 18 + static_cast<std::ptrdiff_t>(cce));
            std::vector<uint8_t> arrayExtra(f.extra.begin() + 18 + static_cast<std::ptrdiff_t>(cce),
                                            f.extra.begin() + 4 + static_cast<std::ptrdiff_t>(len));
            const RefsAfter arrayOutcome = mapRowRefs(arrayTokens, &arrayExtra, map, scope);
            if (arrayOutcome == RefsAfter::Changed || arrayOutcome == RefsAfter::Deleted) {
                std::vector<uint8_t> body(f.extra.begin() + 4, f.extra.begin() + 4 + 12);
                body.push_back(static_cast<uint8_t>(arrayTokens.size()));
                body.push_back(static_cast<uint8_t>(arrayTokens.size() >> 8));
                body.insert(body.end(), arrayTokens.begin(), arrayTokens.end());
                body.insert(body.end(), arrayExtra.begin(), arrayExtra.end());
                std::vector<uint8_t> extra{
                    static_cast<uint8_t>(rec::Array), static_cast<uint8_t>(rec::Array >> 8),
                    static_cast<uint8_t>(body.size()), static_cast<uint8_t>(body.size() >> 8)};
                extra.insert(extra.end(), body.begin(), body.end());
                extra.insert(extra.end(), f.extra.begin() + 4 + static_cast<std::ptrdiff_t>(len),
                             f.extra.end());
                f.extra.swap(extra);
                changed = true;
            }
            tell(arrayOutcome, rangeText(first, c0, last, c1));
        }
    }
    if (changed) {
        // Cached results of changed formulas may be stale: recalculated on open.
        formulasMoved_ = true;
        invalidate();
    }
}

void XlsSheet::followNames(const RowMap& map, std::span<const uint8_t> xti) {
    bool changed = false;
    for (auto& g : book_->globals_) {
        auto& b = g.body;
        if (g.type != 0x0018 || b.size() < 15) // NAME
            continue;
        const std::size_t at = 15 + std::size_t{b[3]} * ((b[14] & 1) ? 2 : 1);
        const std::size_t cce = rd16(&b[4]);
        if (at + cce > b.size())
            continue; // continued in CONTINUE records: a name this long is left alone
        std::vector<uint8_t> tokens(b.begin() + static_cast<std::ptrdiff_t>(at),
                                    b.begin() + static_cast<std::ptrdiff_t>(at + cce));
        const RefsAfter outcome = mapRowRefs(tokens, nullptr, map, {false, xti});
        if (outcome == RefsAfter::Changed || outcome == RefsAfter::Deleted) {
            std::copy(tokens.begin(), tokens.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
            changed = true;
        }
        tell(outcome, definedName(b));
    }
    if (changed)
        formulasMoved_ = true;
}

// ---------------------------------------------------------------- Book

Sheet* XlsBook::sheet(int index) {
    return index >= 0 && index < sheetCount() ? sheets_[index].get() : nullptr;
}

const Sheet* XlsBook::sheet(int index) const {
    return index >= 0 && index < sheetCount() ? sheets_[index].get() : nullptr;
}

uint32_t XlsBook::addString(std::string_view text) {
    // An open-addressing table of pool indices, built at the first write: cheaper than a map
    // of string copies for the hundred thousand strings of a large workbook.
    auto hashOf = [](std::string_view t) { return std::hash<std::string_view>{}(t); };
    if (strTable_.size() < std::size_t{stringCount()} * 2 + 16) {
        std::size_t size = 64;
        while (size < std::size_t{stringCount()} * 4 + 16)
            size *= 2;
        strTable_.assign(size, UINT32_MAX);
        for (uint32_t i = 0; i < stringCount(); ++i) {
            std::size_t slot = hashOf(str(i)) & (size - 1);
            while (strTable_[slot] != UINT32_MAX && str(strTable_[slot]) != str(i))
                slot = (slot + 1) & (size - 1);
            if (strTable_[slot] == UINT32_MAX)
                strTable_[slot] = i;
        }
    }
    const std::size_t mask = strTable_.size() - 1;
    std::size_t slot = hashOf(text) & mask;
    while (strTable_[slot] != UINT32_MAX) {
        if (str(strTable_[slot]) == text)
            return strTable_[slot];
        slot = (slot + 1) & mask;
    }
    const uint32_t index = stringCount();
    strChars_.append(text);
    strStart_.push_back(static_cast<uint32_t>(strChars_.size()));
    strTable_[slot] = index;
    return index;
}

int XlsBook::cellXf(int format) const {
    if (format > 0 && static_cast<std::size_t>(format) < xfFormat_.size())
        return format;
    return defaultXf();
}

bool XlsBook::isDateFormat(int format) const {
    return xfIsDate(cellXf(format));
}

int XlsBook::dateFormat(int like) {
    const int base = cellXf(like);
    if (xfIsDate(base))
        return base;
    if (auto it = dateXfFor_.find(base); it != dateXfFor_.end())
        return it->second;
    // Find the XF record of `base`, copy it with the built-in date format 14.
    int seen = -1;
    std::size_t lastXf = 0, baseAt = 0;
    bool found = false;
    for (std::size_t i = 0; i < globals_.size(); ++i) {
        if (globals_[i].type != rec::Xf)
            continue;
        ++seen;
        lastXf = i;
        if (seen == base) {
            baseAt = i;
            found = true;
        }
    }
    if (!found || xfFormat_.size() >= 4000 || globals_[baseAt].body.size() < 10)
        return base;
    GlobalRecord xf = globals_[baseAt];
    wr16(&xf.body[2], 14);
    if (xf.body[4] & 0x04) {
        // A style XF cannot format a cell: make a cell XF whose parent is that style.
        wr16(&xf.body[4], static_cast<uint16_t>((rd16(&xf.body[4]) & 0x0003) | (base << 4)));
        xf.body[9] = 0x04;
    } else {
        xf.body[9] |= 0x04; // the number format is the cell's own, not its style's
    }
    globals_.insert(globals_.begin() + static_cast<std::ptrdiff_t>(lastXf) + 1, std::move(xf));
    const int index = static_cast<int>(xfFormat_.size());
    xfFormat_.push_back(14);
    xfDate_.push_back(true);
    dateXfFor_[base] = index;
    return index;
}

void XlsBook::setDefaultFont(std::string_view face, int size) {
    std::u16string name = utf16FromUtf8(face);
    if (name.size() > 31)
        name.resize(31);
    bool wide = false;
    for (char16_t ch : name)
        wide = wide || ch > 0xFF;
    int fonts = 0;
    for (auto& g : globals_) {
        if (g.type != rec::Font || g.body.size() < 14)
            continue;
        // The first four fonts are the workbook's default font in its plain variants.
        if (fonts++ >= 4)
            break;
        std::vector<uint8_t> body(g.body.begin(), g.body.begin() + 14);
        wr16(&body[0], static_cast<uint16_t>(std::clamp(size, 1, 409) * 20));
        body[12] = wide ? 0x81 : 0x00; // Hangul character set for a Korean face
        body.push_back(static_cast<uint8_t>(name.size()));
        body.push_back(wide ? 1 : 0);
        for (char16_t ch : name) {
            body.push_back(static_cast<uint8_t>(ch));
            if (wide)
                body.push_back(static_cast<uint8_t>(ch >> 8));
        }
        g.body.swap(body);
    }
}

// ---------------------------------------------------------------- entry points

namespace {

Result<std::unique_ptr<Book>> loadFromMemory(const uint8_t* data, std::size_t size,
                                             const std::string& where, const LoadProgress& progress,
                                             int firstSheetRows) {
    auto file = readCompoundFile(data, size, where);
    if (!file)
        return file.error();
    auto book = parseWorkbook(std::move(*file), where, progress, firstSheetRows);
    if (!book)
        return book.error();
    if (progress)
        progress(1.0);
    return std::unique_ptr<Book>(std::move(*book));
}

} // namespace

Result<std::unique_ptr<Book>> loadXlsBookFromMemory(const uint8_t* data, std::size_t size,
                                                    const std::string& where) {
    return loadFromMemory(data, size, where, {}, 0);
}

Result<std::unique_ptr<Book>> loadXlsBook(const std::string& path, const LoadProgress& progress,
                                          int firstSheetRows) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return makeError(ErrorCode::NotFound, "cannot open the file", path);
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::streamoff>(in.tellg());
    if (size < 0 || static_cast<std::size_t>(size) > kMaxCompoundBytes)
        return makeError(ErrorCode::Limit, "the file is too large", path);
    in.seekg(0);
    // Room without zeroing it first: the read fills every byte.
    const std::unique_ptr<uint8_t[]> bytes(new uint8_t[static_cast<std::size_t>(size)]);
    adviseHugePages(bytes.get(), static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.get()), size))
        return makeError(ErrorCode::Io, "cannot read the file", path);
    return loadFromMemory(bytes.get(), static_cast<std::size_t>(size), path, progress,
                          firstSheetRows);
}

std::unique_ptr<Book> createXlsBook() {
    CompoundFile file;
    file.workbookName = "Workbook";
    file.workbook = newWorkbookStream();
    auto book = parseWorkbook(std::move(file), "new workbook");
    if (!book)
        return nullptr;
    return std::unique_ptr<Book>(std::move(*book));
}

Result<SavedFile> XlsBook::save(const std::string& path, const SaveExpectation& expected) {
    if (!complete())
        return refusePartial(path);
    auto stream = buildStream();
    if (!stream)
        return stream.error();
    return writeCompoundFile(file_, *stream, path, expected);
}

} // namespace rowbit::xls
