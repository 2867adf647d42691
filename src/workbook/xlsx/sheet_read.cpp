// Reading a worksheet part: one pass over the inflated bytes, cells straight into the model.
#include "app/parallel.h"
#include "app/picture.h"
#include "workbook/xlsx/formula_shift.h"
#include "workbook/xlsx/scan_part.h"
#include "workbook/xlsx/sheet.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace rowbit::xlsx {

namespace {

bool toInt(std::string_view text, int& value) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && p == text.data() + text.size();
}

bool toDouble(std::string_view text, double& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\t' ||
                             text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t' ||
                             text.back() == '\r'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && p == text.data() + text.size() && std::isfinite(value);
}

bool digitsAt(std::string_view s, std::size_t pos, std::size_t n, int& value) {
    if (pos + n > s.size())
        return false;
    value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

} // namespace

bool isoToSerial(std::string_view text, bool date1904, double& serial) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    std::size_t pos = 0;
    bool haveDate = false;
    if (text.size() >= 10 && text[4] == '-' && text[7] == '-') {
        if (!digitsAt(text, 0, 4, year) || !digitsAt(text, 5, 2, month) ||
            !digitsAt(text, 8, 2, day) || month < 1 || month > 12 || day < 1 || day > 31)
            return false;
        haveDate = true;
        pos = 10;
        if (pos < text.size() && text[pos] == 'T')
            ++pos;
    }
    if (pos < text.size() && text.size() - pos >= 5 && text[pos + 2] == ':') {
        if (!digitsAt(text, pos, 2, hour) || !digitsAt(text, pos + 3, 2, minute) || hour > 24 ||
            minute > 59)
            return false;
        pos += 5;
        if (pos < text.size() && text[pos] == ':') {
            std::size_t end = pos + 1;
            while (end < text.size() &&
                   ((text[end] >= '0' && text[end] <= '9') || text[end] == '.'))
                ++end;
            if (!toDouble(text.substr(pos + 1, end - pos - 1), second) || second >= 61)
                return false;
            pos = end;
        }
    } else if (!haveDate) {
        return false;
    }
    // A zone suffix (Z, +09:00) is ignored: the workbook's dates carry no zone.
    if (pos < text.size() && text[pos] != 'Z' && text[pos] != '+' && text[pos] != '-')
        return false;
    double days = 0;
    if (haveDate) {
        const std::int32_t n = picture::serialFromCivil(picture::CivilDate{year, month, day});
        if (date1904) {
            days =
                static_cast<double>(n - picture::serialFromCivil(picture::CivilDate{1904, 1, 1}));
        } else {
            days = static_cast<double>(n);
            // Serial 60 is the 29 February 1900 that never was: earlier dates count one less.
            if (days < 61)
                days -= 1;
        }
    }
    serial = days + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return true;
}

class SheetReader {
public:
    explicit SheetReader(XlsxSheet& sheet)
        : sheet_(sheet), sstSize_(sheet.book_.strings.size()), rows_(&sheet.rows_),
          extras_(&sheet.extras_), texts_(&sheet.texts_), rowAttrs_(&sheet.rowAttrs_) {}

    // A piece of <sheetData> cut just after the end of a row, and what reading it on its own
    // gave. Read side by side with other pieces, then merged in order.
    struct Unit {
        std::string bytes;
        std::vector<Row> rows;
        std::unordered_map<std::uint64_t, CellExtra> extras;
        TextArena texts;
        std::vector<std::string> rowAttrs{""};
        std::size_t cells = 0;
        int firstRow = -1; // number of the unit's first row, -1 when it has none
        int lastRow = -1;  // number of its last row
        bool sorted = true;
        bool ok = false; // read as the whole part would have read it (see readUnit)

        // Ready for the next piece, keeping the room its buffers have: a big sheet passes
        // hundreds of pieces through a handful of units, and fresh memory for each would
        // cost a page fault every few kilobytes.
        void recycle() {
            bytes.clear();
            rows.clear();
            extras.clear();
            texts.clear();
            rowAttrs.assign(1, std::string());
            cells = 0;
            firstRow = lastRow = -1;
            sorted = true;
            ok = false;
        }
    };

    std::string error;

    // Whether the scan should stop here so that the rows can be read in pieces: inside
    // <sheetData>, between rows.
    bool pauseScan() const { return splitting_ && atRowLevel(); }
    void setSplitting(bool on) { splitting_ = on; }
    bool atRowLevel() const { return mode_ == Data && !inRow_ && !inCell_ && skipDepth_ == 0; }
    // Whether every row so far came after the one before it.
    bool sorted() const { return sorted_; }
    // The end tag of a row as this part writes it.
    std::string rowEndTag() const { return "</" + sheet_.prefix_ + "row>"; }

    // Reads a unit from row level, as the whole part would have read it there. A unit read
    // alone may differ from that only if its cut was not between two rows, or if its first
    // row takes its number from the row before; then it is marked not ok and the caller
    // reads the part in one piece instead. A cut inside a comment, CDATA section or
    // instruction leaves the unit before it unclosed (malformed); a cut inside any element
    // leaves that unit off row level.
    static void readUnit(const SheetReader& whole, Unit& unit) {
        SheetReader reader(whole, unit);
        xml::Scanner scanner;
        scanner.reset(unit.bytes.data(), unit.bytes.size(), true);
        xml::Token token;
        bool good = true;
        while (good) {
            const auto status = scanner.next(token);
            if (status != xml::Scanner::Ok) {
                good = status == xml::Scanner::End;
                break;
            }
            good = reader.data(token);
        }
        unit.ok = good && reader.atRowLevel();
        unit.cells = reader.cellCount_;
        unit.lastRow = reader.rowNum_;
        unit.sorted = reader.sorted_;
        unit.bytes.clear(); // its room is used again for a later piece
    }

    // Puts a unit's rows after those read so far; false when it cannot (the part is then
    // read in one piece).
    bool merge(Unit& unit) {
        std::string_view block;
        if (!unit.ok || !unit.texts.single(block))
            return false;
        std::uint32_t base = 0;
        if (!block.empty() && !texts_->add(block, base))
            return false;
        cellCount_ += unit.cells;
        if (cellCount_ > cellLimit)
            return false;
        std::vector<std::uint32_t> attrs(unit.rowAttrs.size(), 0);
        for (std::size_t k = 1; k < unit.rowAttrs.size(); ++k) {
            auto [it, added] = attrIds_.emplace(unit.rowAttrs[k], 0);
            if (added) {
                it->second = static_cast<std::uint32_t>(rowAttrs_->size());
                rowAttrs_->push_back(unit.rowAttrs[k]);
            }
            attrs[k] = it->second;
        }
        if (unit.firstRow >= 0) {
            if (unit.firstRow <= rowNum_ || !unit.sorted)
                sorted_ = false;
            rowNum_ = unit.lastRow;
        }
        for (Row& row : unit.rows) {
            row.attrs = attrs[row.attrs];
            if (base != 0) {
                for (Cell& cell : row.cells) {
                    if (cell.kind == Kind::Inline || cell.kind == Kind::Error)
                        cell.ref.a += base;
                }
            }
            rows_->push_back(std::move(row));
        }
        // A cell written twice: the later one wins, as when read in one piece.
        for (auto& [key, extra] : unit.extras)
            (*extras_)[key] = std::move(extra);
        return extras_->size() <= extraLimit;
    }

    bool onToken(const xml::Token& t, std::uint64_t) {
        if (sheet_.head_.size() + sheet_.afterDim_.size() + sheet_.tail_.size() > keptLimit)
            return fail("the sheet holds too much besides its cells");
        switch (mode_) {
        case Head:
            return head(t);
        case Data:
            return data(t);
        case Tail:
            sheet_.tail_.append(t.raw);
            return true;
        }
        return true;
    }

    bool finish() {
        if (mode_ == Data)
            return fail("the sheet data is cut short");
        if (mode_ == Head) {
            // No <sheetData>: it goes before the root's end tag when the sheet is written.
            std::string& head = sheet_.hasDimension_ ? sheet_.afterDim_ : sheet_.head_;
            if (rootEndAt_ == std::string::npos || rootEndAt_ > head.size() ||
                rootEndInHead_ == sheet_.hasDimension_)
                return fail("the sheet part has no root element");
            sheet_.tail_ = head.substr(rootEndAt_);
            head.erase(rootEndAt_);
        }
        if (!sorted_)
            sortRows();
        sheet_.reindex();
        return true;
    }

private:
    SheetReader(const SheetReader& whole, Unit& unit)
        : sheet_(whole.sheet_), sstSize_(whole.sstSize_), rows_(&unit.rows), extras_(&unit.extras),
          texts_(&unit.texts), rowAttrs_(&unit.rowAttrs), unit_(&unit) {
        mode_ = Data;
    }

    // Bounds on what a small, highly compressed part can make us hold in memory.
    static constexpr std::size_t keptLimit = 256u << 20;
    static constexpr std::size_t cellLimit = 150'000'000;
    static constexpr std::size_t extraLimit = 5'000'000;

    enum Mode { Head, Data, Tail };
    enum Sub { None, V, F, Is, Other };

    bool fail(std::string text) {
        error = std::move(text);
        return false;
    }

    bool head(const xml::Token& t) {
        if (skipDepth_ > 0) {
            skipInside(t);
            return true;
        }
        if (rootEndAt_ != std::string::npos &&
            (t.kind == xml::Token::Start || t.kind == xml::Token::Empty ||
             t.kind == xml::Token::End))
            return fail("the sheet part goes on after its root element");
        std::string& out = sheet_.hasDimension_ ? sheet_.afterDim_ : sheet_.head_;
        if (t.kind != xml::Token::Start && t.kind != xml::Token::Empty)
            return keepHeadText(t, out);
        if (t.kind == xml::Token::Empty && headDepth_ == 0) {
            keepEmptyRoot(t, out);
            return true;
        }
        if (t.kind == xml::Token::Start && headDepth_++ == 0) {
            // Elements this part lacks are written with the root's prefix.
            sheet_.prefix_ = std::string(xml::prefixOf(t.name));
        }
        const std::string_view local = xml::localName(t.name);
        if (local == "sheetData") {
            if (t.kind == xml::Token::Start)
                --headDepth_; // its end tag is met in the data
            sheet_.prefix_ = std::string(xml::prefixOf(t.name));
            mode_ = t.kind == xml::Token::Empty ? Tail : Data;
            return true;
        }
        if (local == "dimension" && !sheet_.hasDimension_) {
            takeDimension(t);
            return true;
        }
        out.append(t.raw);
        takeColumnWidths(local, t.attrs);
        return true;
    }

    // Within the dimension element, which is written anew: its content is left out.
    void skipInside(const xml::Token& t) {
        if (t.kind == xml::Token::Start)
            ++skipDepth_;
        else if (t.kind == xml::Token::End)
            --skipDepth_;
    }

    // Text, comments and end tags before the cells are kept as they are; the root's end tag
    // marks where cells of a sheet without sheetData would go.
    bool keepHeadText(const xml::Token& t, std::string& out) {
        if (t.kind == xml::Token::End) {
            if (--headDepth_ < 0)
                return fail("an end tag closes no element");
            if (headDepth_ == 0) {
                rootEndAt_ = out.size();
                rootEndInHead_ = !sheet_.hasDimension_;
            }
        }
        out.append(t.raw);
        return true;
    }

    // An empty root: opened and closed apart, so that cells can go in between.
    void keepEmptyRoot(const xml::Token& t, std::string& out) {
        sheet_.prefix_ = std::string(xml::prefixOf(t.name));
        out += '<';
        out.append(t.name);
        out.append(t.attrs);
        out += '>';
        rootEndAt_ = out.size();
        rootEndInHead_ = !sheet_.hasDimension_;
        out += "</";
        out.append(t.name);
        out += '>';
    }

    // The first dimension element is dropped (a save writes the sheet's own); what follows
    // it is kept apart, after where the new one goes.
    void takeDimension(const xml::Token& t) {
        sheet_.hasDimension_ = true;
        sheet_.dimPrefix_ = std::string(xml::prefixOf(t.name));
        if (t.kind == xml::Token::Start) {
            --headDepth_;
            skipDepth_ = 1;
        }
    }

    // The sheet's default and base column widths and each column range's width.
    void takeColumnWidths(std::string_view local, std::string_view attrs) {
        std::string_view v;
        if (local == "sheetFormatPr") {
            double w = 0;
            if (xml::findAttr(attrs, "defaultColWidth", v) && toDouble(v, w) && w >= 0 && w < 256)
                sheet_.defaultWidth_ = w;
            if (xml::findAttr(attrs, "baseColWidth", v) && toDouble(v, w) && w >= 0 && w < 256)
                sheet_.baseWidth_ = w;
        } else if (local == "col") {
            int first = 0, last = 0;
            double w = -1;
            if (xml::findAttr(attrs, "min", v) && toInt(v, first) &&
                xml::findAttr(attrs, "max", v) && toInt(v, last) && first >= 1 && last >= first &&
                first <= maxCols) {
                if (xml::findAttr(attrs, "width", v) && toDouble(v, w) && w >= 0 && w < 65536)
                    sheet_.cols_.push_back({first - 1, std::min(last, maxCols) - 1, w});
            }
        }
    }

    bool data(const xml::Token& t) {
        if (inCell_)
            return cellToken(t);
        if (skipDepth_ > 0) {
            if (t.kind == xml::Token::Start)
                ++skipDepth_;
            else if (t.kind == xml::Token::End)
                --skipDepth_;
            return true;
        }
        if (t.kind == xml::Token::Start || t.kind == xml::Token::Empty) {
            const std::string_view local = xml::localName(t.name);
            if (!inRow_) {
                if (!xml::is(local, "row")) {
                    if (t.kind == xml::Token::Start)
                        skipDepth_ = 1;
                    return true;
                }
                if (!startRow(t.attrs))
                    return false;
                if (t.kind == xml::Token::Empty)
                    return endRow();
                return true;
            }
            if (!xml::is(local, "c")) {
                if (t.kind == xml::Token::Start)
                    skipDepth_ = 1;
                return true;
            }
            if (!startCell(t.attrs))
                return false;
            if (t.kind == xml::Token::Empty)
                return endCell();
            inCell_ = true;
            return true;
        }
        if (t.kind == xml::Token::End) {
            if (inRow_)
                return endRow();
            if (unit_)
                return fail("the sheet data ends inside a unit");
            // </sheetData>
            mode_ = Tail;
            return true;
        }
        return true;
    }

    bool startRow(std::string_view attrs) {
        int r = rowNum_ + 1;
        rowHadR_ = false;
        rowAttrText_.clear();
        xml::AttrReader reader(attrs);
        std::string_view name, value;
        while (reader.next(name, value)) {
            if (xml::is(name, "r")) {
                if (!toInt(value, r) || r < 1 || r > maxRows)
                    return fail("a row number is out of range");
                --r;
                rowHadR_ = true;
            } else if (!xml::is(name, "spans")) {
                xml::appendRawAttr(rowAttrText_, name, value);
            }
        }
        if (reader.bad())
            return fail("a row's attributes are malformed");
        if (unit_ && unit_->firstRow < 0) {
            // The number of a row without one depends on the rows before the unit.
            if (!rowHadR_)
                return fail("the first row of a unit has no number");
            unit_->firstRow = r;
        }
        if (r <= rowNum_)
            sorted_ = false;
        prevRowNum_ = rowNum_ + 1;
        rowNum_ = r;
        colNum_ = -1;
        inRow_ = true;
        rowCells_.clear();
        rowSorted_ = true;
        return true;
    }

    bool endRow() {
        inRow_ = false;
        std::uint32_t attrs = 0;
        if (!rowAttrText_.empty()) {
            auto [it, added] = attrIds_.emplace(rowAttrText_, 0);
            if (added) {
                it->second = static_cast<std::uint32_t>(rowAttrs_->size());
                rowAttrs_->push_back(rowAttrText_);
            }
            attrs = it->second;
        }
        if (rowCells_.empty() && attrs == 0)
            return true;
        if (!rowSorted_) {
            std::stable_sort(rowCells_.begin(), rowCells_.end(),
                             [](const Cell& a, const Cell& b) { return a.col < b.col; });
            // A repeated cell: the last one written wins.
            std::vector<Cell> unique;
            for (const Cell& c : rowCells_) {
                if (!unique.empty() && unique.back().col == c.col)
                    unique.back() = c;
                else
                    unique.push_back(c);
            }
            rowCells_.swap(unique);
        }
        Row row;
        row.r = rowNum_;
        row.attrs = attrs;
        row.cells.assign(rowCells_.begin(), rowCells_.end());
        rows_->push_back(std::move(row));
        return true;
    }

    bool startCell(std::string_view attrs) {
        int col = colNum_ + 1;
        style_ = 0;
        type_ = 'n';
        cellAttrs_.clear();
        xml::AttrReader reader(attrs);
        std::string_view name, value;
        while (reader.next(name, value)) {
            if (xml::is(name, "r")) {
                int row = 0;
                if (!parseCellRef(value, row, col))
                    return fail("a cell reference is malformed or out of range");
                if (row != rowNum_) {
                    // A row without a number takes it from its first cell.
                    if (rowHadR_ || !rowCells_.empty() || row < prevRowNum_)
                        return fail("a cell lies outside its row");
                    rowNum_ = row;
                    rowHadR_ = true;
                }
            } else if (xml::is(name, "s")) {
                int s = 0;
                if (!toInt(value, s) || s < 0)
                    return fail("a cell's style index is malformed");
                style_ = static_cast<std::uint32_t>(s);
            } else if (xml::is(name, "t")) {
                if (xml::is(value, "s"))
                    type_ = 's';
                else if (xml::is(value, "inlineStr"))
                    type_ = 'i';
                else if (xml::is(value, "str"))
                    type_ = 'f';
                else if (xml::is(value, "b"))
                    type_ = 'b';
                else if (xml::is(value, "e"))
                    type_ = 'e';
                else if (xml::is(value, "d"))
                    type_ = 'd';
                else if (xml::is(value, "n"))
                    type_ = 'n';
                else
                    return fail("a cell has an unknown type");
            } else {
                xml::appendRawAttr(cellAttrs_, name, value);
            }
        }
        if (reader.bad())
            return fail("a cell's attributes are malformed");
        if (col >= maxCols)
            return fail("a cell lies beyond the last column");
        if (col <= colNum_)
            rowSorted_ = false;
        colNum_ = col;
        haveV_ = haveF_ = haveIs_ = rich_ = false;
        value_.clear();
        formula_.clear();
        formulaAttrs_.clear();
        isText_.clear();
        isRaw_.clear();
        children_.clear();
        sub_ = None;
        return true;
    }

    bool appendText(std::string& out, const xml::Token& t) {
        if (t.kind == xml::Token::CData) {
            out.append(t.text);
            return true;
        }
        if (!xml::appendDecoded(out, t.text))
            return fail("a text holds an unknown entity");
        return true;
    }

    bool cellToken(const xml::Token& t) {
        switch (sub_) {
        case None:
            if (t.kind == xml::Token::Start || t.kind == xml::Token::Empty) {
                startChild(t);
                return true;
            }
            if (t.kind == xml::Token::End) {
                inCell_ = false;
                return endCell();
            }
            return true;
        case V:
        case F:
            if (t.kind == xml::Token::End) {
                sub_ = None;
                return true;
            }
            if (t.kind == xml::Token::Text || t.kind == xml::Token::CData)
                return appendText(sub_ == V ? value_ : formula_, t);
            return true;
        case Is:
            return inlineStringToken(t);
        case Other:
            children_.append(t.raw);
            if (t.kind == xml::Token::Start)
                ++subDepth_;
            else if (t.kind == xml::Token::End && --subDepth_ == 0)
                sub_ = None;
            return true;
        }
        return true;
    }

    // A child of the cell: its value, formula, inline string, or another element kept whole.
    void startChild(const xml::Token& t) {
        const bool open = t.kind == xml::Token::Start;
        const std::string_view local = xml::localName(t.name);
        if (xml::is(local, "v")) {
            haveV_ = true;
            sub_ = open ? V : None;
        } else if (xml::is(local, "f")) {
            haveF_ = true;
            formulaAttrs_.assign(t.attrs);
            sub_ = open ? F : None;
        } else if (xml::is(local, "is")) {
            haveIs_ = true;
            isRaw_.assign(t.raw);
            isDepth_ = 1;
            phonetic_ = 0;
            inT_ = false;
            sub_ = open ? Is : None;
        } else {
            children_.append(t.raw);
            subDepth_ = 1;
            sub_ = open ? Other : None;
        }
    }

    // Within an inline string: its raw element is kept, and the text of its runs (phonetic
    // runs aside) gathered.
    bool inlineStringToken(const xml::Token& t) {
        isRaw_.append(t.raw);
        if (t.kind == xml::Token::Start || t.kind == xml::Token::Empty) {
            const std::string_view local = xml::localName(t.name);
            if (xml::is(local, "r"))
                rich_ = true;
            if (t.kind == xml::Token::Start) {
                ++isDepth_;
                if (xml::is(local, "rPh") || xml::is(local, "phoneticPr"))
                    ++phonetic_;
                else if (xml::is(local, "t"))
                    inT_ = true;
            } else if (xml::is(local, "rPh")) {
                rich_ = true;
            }
            if (xml::is(local, "rPh") || xml::is(local, "phoneticPr"))
                rich_ = true; // keep the raw element so nothing is lost
            return true;
        }
        if (t.kind == xml::Token::End) {
            const std::string_view local = xml::localName(t.name);
            if (--isDepth_ == 0) {
                sub_ = None;
                return true;
            }
            if (xml::is(local, "rPh") || xml::is(local, "phoneticPr"))
                --phonetic_;
            else if (xml::is(local, "t"))
                inT_ = false;
            return true;
        }
        if (inT_ && phonetic_ == 0 && (t.kind == xml::Token::Text || t.kind == xml::Token::CData))
            return appendText(isText_, t);
        return true;
    }

    bool storeText(std::string_view text, Cell& cell) {
        std::uint32_t offset = 0;
        const bool escaped = text.find("_x") != std::string_view::npos;
        const std::string decoded = escaped ? xml::decodeEscapes(text) : std::string();
        const std::string_view stored = escaped ? std::string_view(decoded) : text;
        if (!texts_->add(stored, offset))
            return fail("the sheet's texts are too large");
        cell.kind = Kind::Inline;
        cell.ref.a = offset;
        cell.ref.b = static_cast<std::uint32_t>(stored.size());
        return true;
    }

    bool endCell() {
        Cell cell;
        cell.col = static_cast<std::uint16_t>(colNum_);
        cell.style = style_;
        bool extra = haveF_ || !cellAttrs_.empty() || !children_.empty();
        if (!takeValue(cell, extra))
            return false;
        if (haveF_)
            cell.flags |= FormulaFlag;
        if (extra) {
            cell.flags |= ExtraFlag;
            keepExtra();
        }
        if (++cellCount_ > cellLimit || extras_->size() > extraLimit)
            return fail("the sheet holds too many cells to load");
        rowCells_.push_back(cell);
        return true;
    }

    // The cell's value by its type; `extra` is set when the cell keeps more than the value
    // (rich inline text, an ISO date as written).
    bool takeValue(Cell& cell, bool& extra) {
        switch (type_) {
        case 'n':
            if (haveV_ && !value_.empty()) {
                if (!toDouble(value_, cell.number))
                    return fail("a number cell holds no number");
                cell.kind = Kind::Number;
            }
            break;
        case 's':
            if (haveV_) {
                int index = 0;
                if (!toInt(value_, index) || index < 0 ||
                    static_cast<std::size_t>(index) >= sstSize_)
                    return fail("a cell refers to a shared string that does not exist");
                cell.kind = Kind::Shared;
                cell.ref.a = static_cast<std::uint32_t>(index);
            }
            break;
        case 'i':
            if (haveIs_ || haveV_) {
                if (!storeText(haveIs_ ? std::string_view(isText_) : std::string_view(value_),
                               cell))
                    return false;
                if (rich_)
                    extra = true;
            }
            break;
        case 'f':
            if (haveV_ || haveF_) {
                if (!storeText(value_, cell))
                    return false;
            }
            break;
        case 'b':
            if (haveV_) {
                cell.kind = Kind::Bool;
                cell.ref.a = (value_ == "1" || value_ == "true") ? 1 : 0;
            }
            break;
        case 'e':
            if (haveV_) {
                std::uint32_t offset = 0;
                if (!texts_->add(value_, offset))
                    return fail("the sheet's texts are too large");
                cell.kind = Kind::Error;
                cell.ref.a = offset;
                cell.ref.b = static_cast<std::uint32_t>(value_.size());
            }
            break;
        case 'd':
            if (haveV_ && !value_.empty()) {
                if (!isoToSerial(value_, sheet_.book_.date1904, cell.number))
                    return fail("a date cell holds no ISO 8601 date");
                cell.kind = Kind::Number;
                cell.flags |= IsoDateFlag;
                extra = true;
            }
            break;
        default:
            break;
        }
        return true;
    }

    // What the cell holds besides its value, written back as it was.
    void keepExtra() {
        CellExtra& e = (*extras_)[cellKey(rowNum_, colNum_)];
        e = CellExtra{};
        e.attrs = cellAttrs_;
        e.hasFormula = haveF_;
        e.formulaAttrs = formulaAttrs_;
        e.formula = formula_;
        if (rich_)
            e.richInline = isRaw_;
        if (type_ == 'd')
            e.isoValue = value_;
        e.children = children_;
    }

    void sortRows() {
        auto& rows = sheet_.rows_;
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row& a, const Row& b) { return a.r < b.r; });
        // A repeated row: its cells join the earlier one's, later ones winning.
        std::vector<Row> merged;
        for (Row& row : rows) {
            if (!merged.empty() && merged.back().r == row.r) {
                Row& into = merged.back();
                for (const Cell& c : row.cells) {
                    auto it = std::lower_bound(
                        into.cells.begin(), into.cells.end(), c.col,
                        [](const Cell& x, std::uint16_t col) { return x.col < col; });
                    if (it != into.cells.end() && it->col == c.col)
                        *it = c;
                    else
                        into.cells.insert(it, c);
                }
                if (row.attrs)
                    into.attrs = row.attrs;
            } else {
                merged.push_back(std::move(row));
            }
        }
        rows.swap(merged);
    }

    XlsxSheet& sheet_;
    std::size_t sstSize_;
    // Where the rows go: the sheet, or a unit read on its own.
    std::vector<Row>* rows_;
    std::unordered_map<std::uint64_t, CellExtra>* extras_;
    TextArena* texts_;
    std::vector<std::string>* rowAttrs_;
    Unit* unit_ = nullptr;
    bool splitting_ = false;
    Mode mode_ = Head;
    int headDepth_ = 0;
    std::size_t cellCount_ = 0;
    std::size_t rootEndAt_ = std::string::npos;
    bool rootEndInHead_ = false;
    int skipDepth_ = 0;

    bool inRow_ = false;
    int rowNum_ = -1;
    int prevRowNum_ = 0;
    bool rowHadR_ = false;
    bool sorted_ = true;
    std::string rowAttrText_;
    std::unordered_map<std::string, std::uint32_t> attrIds_;
    std::vector<Cell> rowCells_;
    bool rowSorted_ = true;

    bool inCell_ = false;
    int colNum_ = -1;
    std::uint32_t style_ = 0;
    char type_ = 'n';
    std::string cellAttrs_;
    Sub sub_ = None;
    int subDepth_ = 0;
    bool haveV_ = false, haveF_ = false, haveIs_ = false, rich_ = false;
    std::string value_, formula_, formulaAttrs_, isText_, isRaw_, children_;
    int isDepth_ = 0;
    int phonetic_ = 0;
    bool inT_ = false;
};

// Hands the rows a sheet holds over as a batch (RowReading::batches) and then drops them,
// unless the reader keeps them. Remembers how far it got, so that a read that starts again
// from the part's beginning hands nothing over twice.
class RowHandOver {
public:
    RowHandOver(XlsxSheet& sheet, RowReading& reading) : sheet_(sheet), reading_(reading) {}

    // Hands the rows held over; false when the reader stopped the read.
    bool handOver(bool last) {
        std::vector<Row>& rows = sheet_.rows_;
        if (rows.empty() && !last)
            return true;
        sheet_.reindex();
        const int to = rows.empty() ? from_ : rows.back().r + 1;
        const BatchReply reply = reading_.batches(from_, to, last);
        if (reply == BatchReply::Stop) {
            stopped_ = true;
            reading_.cut = true;
        }
        if (reply == BatchReply::Keep && !last)
            return true;
        from_ = to;
        dropRows();
        return !stopped_;
    }

    // Rows read again after a restart that were handed over already.
    bool handedOver(int row) const { return row < from_; }
    void dropRows() {
        sheet_.rows_.clear();
        sheet_.rowIndex_.clear();
        sheet_.extras_.clear();
        sheet_.texts_ = TextArena();
        sheet_.boundsDirty_ = true;
    }

    // The rows left at the end of the part, as the last batch; they must all come after
    // those handed over.
    Result<void> finish(const std::string& where) {
        if (stopped_)
            return {};
        if (!sheet_.rows_.empty() && sheet_.rows_.front().r < from_)
            return outOfOrder(where);
        handOver(true);
        return {};
    }

    static Error outOfOrder(const std::string& where) {
        return makeError(ErrorCode::Damaged,
                         "the sheet's rows are out of order: they cannot be read as they come",
                         where);
    }
    bool stopped() const { return stopped_; }

private:
    XlsxSheet& sheet_;
    RowReading& reading_;
    int from_ = 0;
    bool stopped_ = false;
};

// A sheet part read in one piece while its rows are watched as they are added: the read stops
// at the first cell past the row limit, or hands the rows over in batches. Once a row comes
// before the one above it, the rest is read whole (the reader sorts the rows at the end).
class WatchedReader {
public:
    WatchedReader(SheetReader& reader, XlsxSheet& sheet, int limit, RowHandOver* handOver)
        : reader_(reader), sheet_(sheet), limit_(limit), handOver_(handOver) {}

    std::string error;

    bool onToken(const xml::Token& t, std::uint64_t offset) {
        if (!reader_.onToken(t, offset)) {
            error = reader_.error;
            return false;
        }
        std::vector<Row>& rows = sheet_.rows_;
        if (rows.size() == seen_)
            return true;
        const Row& row = rows.back();
        if (row.r <= lastRow_)
            inOrder_ = false;
        lastRow_ = row.r;
        if (limit_ > 0 && inOrder_ && row.r >= limit_ && !row.cells.empty()) {
            rows.pop_back();
            stopped_ = true;
            error = "stopped at the row limit";
            return false;
        }
        if (handOver_ && handOver_->handedOver(row.r)) {
            rows.pop_back();
            if (rows.empty())
                handOver_->dropRows();
        } else if (handOver_ && inOrder_ && rows.size() >= nextBatch_ && reader_.atRowLevel()) {
            if (!handOver_->handOver(false)) {
                stopped_ = true;
                error = "stopped by the reader of the rows";
                return false;
            }
            nextBatch_ = rows.size() + kBatchRows;
        }
        seen_ = rows.size();
        return true;
    }

    bool finish() {
        if (reader_.finish())
            return true;
        error = reader_.error;
        return false;
    }

    bool stopped() const { return stopped_; }

private:
    static constexpr std::size_t kBatchRows = 4096;

    SheetReader& reader_;
    XlsxSheet& sheet_;
    int limit_;
    RowHandOver* handOver_;
    std::size_t seen_ = 0;
    std::size_t nextBatch_ = kBatchRows;
    int lastRow_ = -1;
    bool inOrder_ = true;
    bool stopped_ = false;
};

namespace {

// Big sheets are read in pieces of about this size, side by side with the inflating.
constexpr std::size_t kUnitBytes = 4u << 20;
// Rows this long cannot be cut into pieces that fit one text segment: read in one piece.
constexpr std::size_t kUnitLimit = 10u << 20;
static_assert(kUnitLimit + (4u << 20) < TextArena::segmentSize);
constexpr std::uint64_t kSplitFrom = 8u << 20;
std::atomic<std::size_t> testUnitBytes{0};
std::atomic<std::size_t> unitsMerged{0};

// Reads the rows of a sheet part in pieces on worker threads while the calling thread
// inflates the part and cuts it after row ends. Any doubt about a piece (see readUnit) fails:
// the caller then reads the part in one piece, which decides.
Result<void> readInPieces(XlsxSheet& sheet, const Package& package, int index,
                          const std::string& where, PartProgress* progress, RowHandOver* handOver) {
    using Unit = SheetReader::Unit;
    SheetReader reader(sheet);
    reader.setSplitting(true);
    PartScanner<SheetReader> scanner(reader, where);
    std::optional<OrderedWorkers<Unit>> workers;
    const unsigned threads = workerCount();
    std::string carry;
    std::uint64_t carryOffset = 0;
    std::string endTag;
    bool cutting = false;
    bool again = false;
    const std::size_t unitBytes =
        testUnitBytes ? std::max<std::size_t>(testUnitBytes, 16) : kUnitBytes;

    // Merged units wait here to take the next pieces.
    std::vector<std::unique_ptr<Unit>> spare;
    // Handing rows over: once they come out of order, the rest is held and handed over at the
    // end, sorted.
    bool holding = false;
    auto merge = [&](std::unique_ptr<Unit> unit) {
        if (!reader.merge(*unit))
            return false;
        ++unitsMerged;
        unit->recycle();
        spare.push_back(std::move(unit));
        if (!handOver)
            return true;
        holding = holding || !reader.sorted();
        return holding || handOver->handOver(false);
    };
    // Merges the finished units at the front (wait: every unit, as it finishes).
    auto mergeFinished = [&](bool wait) {
        while (auto unit = workers->takeFinished(wait)) {
            if (!merge(std::move(unit)))
                return false;
        }
        return true;
    };
    std::size_t start = 0; // carry[start] is the first byte not in a unit yet
    auto dispatch = [&](std::size_t length) {
        std::unique_ptr<Unit> unit;
        if (spare.empty()) {
            unit = std::make_unique<Unit>();
        } else {
            unit = std::move(spare.back());
            spare.pop_back();
        }
        if (start == 0 && carry.size() - length < length / 4) {
            // Streaming, the rest after the cut is a few rows: take the buffer, copy those
            // into the unit's old one, which has room for the next chunks.
            std::swap(unit->bytes, carry);
            carry.reserve(2 * unitBytes);
            carry.assign(unit->bytes, length, std::string::npos);
            unit->bytes.resize(length);
            carryOffset += length;
        } else {
            unit->bytes.assign(carry, start, length);
            start += length;
        }
        if (!workers)
            workers.emplace(threads, OrderedWorkers<Unit>::Steps{
                                         .inOrder = {}, .run = [&reader](Unit& u, std::size_t) {
                                             SheetReader::readUnit(reader, u);
                                         }});
        workers->submit(std::move(unit));
        // A few units ahead of the merging, no more: they hold memory until merged.
        while (workers->outstanding() > 2 * threads) {
            if (!merge(workers->takeFinished(true)))
                return false;
        }
        return mergeFinished(false);
    };
    enum Cut { Wait, Stop, Failed };
    // Cuts whole rows off the carried bytes, a unit of about `unitBytes` at a time (at the
    // end: all of them). Stop: the rest is to be read in one piece.
    auto cutUnits = [&](bool final) {
        while (true) {
            const std::size_t left = carry.size() - start;
            if (left == 0 || (!final && left < unitBytes))
                return final ? Stop : Wait;
            std::size_t at = std::string::npos;
            if (left > unitBytes)
                at = carry.find(endTag, start + std::max(unitBytes, endTag.size()) - endTag.size());
            if (at == std::string::npos || at + endTag.size() - start > kUnitLimit) {
                // The last row end within reach of one unit.
                const std::size_t reach = std::min(left, kUnitLimit);
                at = reach < endTag.size() ? std::string::npos
                                           : carry.rfind(endTag, start + reach - endTag.size());
                if (at != std::string::npos && at < start)
                    at = std::string::npos;
            }
            if (at == std::string::npos)
                return final || left >= kUnitLimit ? Stop : Wait;
            if (!dispatch(at + endTag.size() - start))
                return Failed;
        }
    };
    // From here on the scanner reads the rest in one piece.
    auto stopCutting = [&] {
        if (workers && !mergeFinished(true))
            return false;
        reader.setSplitting(false);
        cutting = false;
        carry.erase(0, start);
        scanner.resume(std::move(carry), carryOffset + start);
        return true;
    };
    const Error retry =
        makeError(ErrorCode::Damaged, "the sheet is read again in one piece", where);

    auto result = package.stream(index, [&](const char* data, std::size_t size) -> Result<void> {
        if (progress)
            progress->advance(size);
        const bool final = size == 0;
        if (!cutting) {
            if (auto r = scanner.feed(data, size); !r || !scanner.paused())
                return r;
            // Inside <sheetData>, between rows: the rest goes into pieces.
            cutting = true;
            endTag = reader.rowEndTag();
            carry = scanner.takeRest(carryOffset);
            start = 0;
        } else {
            if (start > 0) {
                carry.erase(0, start);
                carryOffset += start;
                start = 0;
            }
            carry.append(data ? data : "", size);
        }
        const Cut cut = cutUnits(final);
        if (cut == Wait)
            return {};
        // The end of the part, or a row too long to cut: the rest is read in one piece.
        if (cut == Failed || !stopCutting()) {
            again = true;
            return retry;
        }
        return final ? scanner.feed(nullptr, 0) : Result<void>();
    });
    if (handOver && handOver->stopped())
        return {};
    if (again)
        return retry;
    return result;
}

} // namespace

void setSheetPiecesForTesting(std::size_t unitBytes) {
    testUnitBytes = unitBytes;
}

std::size_t piecesMergedForTesting() {
    return unitsMerged;
}

void XlsxSheet::forgetLoaded() {
    rows_.clear();
    rowIndex_.clear();
    extras_.clear();
    texts_ = TextArena();
    rowAttrs_.assign(1, std::string());
    cols_.clear();
    defaultWidth_ = -1;
    baseWidth_ = 8;
    head_.clear();
    afterDim_.clear();
    tail_.clear();
    prefix_.clear();
    dimPrefix_.clear();
    hasDimension_ = false;
    boundsDirty_ = true;
}

Result<void> XlsxSheet::load(const Package& package, int index, PartProgress* progress,
                             RowReading* reading) {
    std::optional<RowHandOver> handOver;
    if (reading && reading->batches)
        handOver.emplace(*this, *reading);
    if (!worksheet_) {
        if (handOver)
            handOver->handOver(true);
        return {};
    }
    const std::string where = package.where() + ": " + part_;
    const int limit = reading ? reading->limit : 0;
    const std::size_t testUnits = testUnitBytes;
    // A few rows are read soonest in one piece.
    if (limit == 0 && testUnits != SIZE_MAX &&
        (testUnits != 0 ||
         (workerCount() >= 2 &&
          package.entries()[static_cast<std::size_t>(index)].size >= kSplitFrom))) {
        // Any doubt or damage: the one-piece reading decides, and says where it failed.
        if (readInPieces(*this, package, index, where, progress, handOver ? &*handOver : nullptr)
                .ok())
            return handOver ? handOver->finish(where) : Result<void>();
        forgetLoaded();
    }
    SheetReader reader(*this);
    if (!reading)
        return scanPart(package, index, where, reader, progress);
    WatchedReader watched(reader, *this, limit, handOver ? &*handOver : nullptr);
    auto read = scanPart(package, index, where, watched, progress);
    if (watched.stopped()) {
        // Rows were left out: what was read is all there is.
        reindex();
        reading->cut = true;
        return {};
    }
    if (!read)
        return read;
    return handOver ? handOver->finish(where) : Result<void>();
}

} // namespace rowbit::xlsx
