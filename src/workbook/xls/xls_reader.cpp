// Reading a BIFF8 workbook stream into the model.
#include "app/progress_steps.h"
#include "workbook/number_format.h"
#include "workbook/xls/xls_model.h"

#include <algorithm>
#include <cstdio>

namespace rowbit::xls {

namespace {

std::string at(std::size_t offset, const char* what) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "Workbook stream offset 0x%zx (%s)", offset, what);
    return buf;
}

// Reads a record body and the CONTINUE records after it as one sequence of segments, the way
// BIFF8 strings continue: a string's characters resume after a fresh option byte.
class SegReader {
public:
    void add(std::span<const uint8_t> s) { segs_.push_back(s); }
    bool ok() const { return ok_; }
    bool atEnd() {
        settle();
        return seg_ >= segs_.size();
    }

    uint8_t u8() {
        settle();
        if (seg_ >= segs_.size()) {
            ok_ = false;
            return 0;
        }
        return segs_[seg_][off_++];
    }
    uint16_t u16() {
        const uint16_t a = u8();
        return static_cast<uint16_t>(a | (u8() << 8));
    }
    uint32_t u32() {
        const uint32_t a = u16();
        return a | (static_cast<uint32_t>(u16()) << 16);
    }
    void bytes(std::size_t n, std::vector<uint8_t>* out) {
        while (n > 0) {
            settle();
            if (seg_ >= segs_.size()) {
                ok_ = false;
                return;
            }
            const std::size_t k = std::min(n, segs_[seg_].size() - off_);
            if (out)
                out->insert(out->end(), segs_[seg_].begin() + off_, segs_[seg_].begin() + off_ + k);
            off_ += k;
            n -= k;
        }
    }
    // cch characters, the first run in the given width; each continuation restates it.
    void chars(std::size_t cch, bool high, std::string& out) {
        bool first = true;
        while (cch > 0) {
            if (seg_ < segs_.size() && off_ >= segs_[seg_].size()) {
                ++seg_;
                off_ = 0;
                if (seg_ >= segs_.size() || segs_[seg_].empty()) {
                    ok_ = false;
                    return;
                }
                high = (segs_[seg_][off_++] & 1) != 0;
            } else if (seg_ >= segs_.size()) {
                ok_ = false;
                return;
            }
            (void)first;
            first = false;
            const auto seg = segs_[seg_];
            const std::size_t avail = (seg.size() - off_) / (high ? 2 : 1);
            const std::size_t k = std::min(cch, avail);
            if (k == 0) {
                if (high && seg.size() - off_ == 1) { // a split character: give up on it
                    ok_ = false;
                    return;
                }
                off_ = seg.size();
                continue;
            }
            if (high) {
                tmp_.resize(k);
                std::memcpy(tmp_.data(), seg.data() + off_, k * 2);
                appendUtf8FromUtf16(out, tmp_.data(), k);
                off_ += k * 2;
            } else {
                appendUtf8FromLatin1(out, seg.data() + off_, k);
                off_ += k;
            }
            cch -= k;
        }
    }

private:
    void settle() {
        while (seg_ < segs_.size() && off_ >= segs_[seg_].size()) {
            ++seg_;
            off_ = 0;
        }
    }
    std::vector<std::span<const uint8_t>> segs_;
    std::size_t seg_ = 0, off_ = 0;
    bool ok_ = true;
    std::vector<uint16_t> tmp_;
};

// A string inside one record body (XLUnicodeString: 16-bit length, or 8-bit for names).
bool readInlineString(std::span<const uint8_t> b, std::size_t pos, bool shortLen,
                      std::string& out) {
    SegReader r;
    if (pos > b.size())
        return false;
    r.add(b.subspan(pos));
    const std::size_t cch = shortLen ? r.u8() : r.u16();
    const uint8_t flags = r.u8();
    if (!r.ok())
        return false;
    std::size_t runs = 0, ext = 0;
    if (!shortLen && (flags & 0x08))
        runs = r.u16();
    if (!shortLen && (flags & 0x04))
        ext = r.u32();
    (void)runs;
    (void)ext;
    r.chars(cch, flags & 1, out);
    return r.ok();
}

double decodeRk(uint32_t rk) {
    double v;
    if (rk & 2) {
        v = static_cast<double>(static_cast<int32_t>(rk) >> 2);
    } else {
        const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, 8);
    }
    return (rk & 1) ? v / 100 : v;
}

void parseSst(XlsBook& book, SegReader& r) {
    r.u32(); // total references: recounted on save
    const uint32_t unique = r.u32();
    if (!r.ok())
        return;
    std::vector<uint8_t> runs, ext;
    for (uint32_t i = 0; i < unique && !r.atEnd(); ++i) {
        const uint16_t cch = r.u16();
        const uint8_t flags = r.u8();
        uint16_t cRun = 0;
        uint32_t cbExt = 0;
        if (flags & 0x08)
            cRun = r.u16();
        if (flags & 0x04)
            cbExt = r.u32();
        if (!r.ok())
            break;
        r.chars(cch, flags & 1, book.strChars_);
        runs.clear();
        ext.clear();
        if (cRun)
            r.bytes(std::size_t{cRun} * 4, &runs);
        if (cbExt)
            r.bytes(cbExt, &ext);
        book.strStart_.push_back(static_cast<uint32_t>(book.strChars_.size()));
        if (!r.ok())
            break;
        if (cRun || cbExt)
            book.strExtra_[i] = {runs, ext};
    }
}

// The bytes of one substream starting at a BOF, up to its EOF (nested BOF/EOF pairs of
// embedded charts included). A substream cut short gets its own copy with an EOF added.
std::span<const uint8_t> cutSubstream(std::span<const uint8_t> stream, std::size_t start,
                                      std::vector<uint8_t>& own) {
    RecordCursor cur(stream, start);
    RecordView rv;
    int depth = 0;
    std::size_t end = start;
    bool closed = false;
    while (cur.next(rv)) {
        end = cur.position();
        if (rv.type == rec::Bof || rv.type == rec::Bof2 || rv.type == rec::Bof3 ||
            rv.type == rec::Bof4) {
            ++depth;
        } else if (rv.type == rec::Eof) {
            if (--depth <= 0) {
                closed = true;
                break;
            }
        }
    }
    if (closed)
        return stream.subspan(start, end - start);
    own.assign(stream.begin() + start, stream.begin() + end);
    own.insert(own.end(), {0x0A, 0x00, 0x00, 0x00});
    return own;
}

void addCell(XlsSheet& s, uint16_t row, uint16_t col, uint16_t xf, Kind kind, double num,
             uint32_t ref = 0, uint8_t small = 0) {
    if (col >= kMaxCols)
        return;
    Cell& c = s.place(row, col);
    c.xf = xf;
    c.kind = kind;
    c.num = num;
    c.ref = ref;
    c.small = small;
}

bool isBofType(int type) {
    return type == rec::Bof || type == rec::Bof2 || type == rec::Bof3 || type == rec::Bof4;
}

// NUMBER: one cell holding a double.
void readNumberRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() >= 14)
        addCell(s, rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), Kind::Number, rdDouble(&b[6]));
}

// RK: one cell holding a compressed number.
void readRkRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() >= 10)
        addCell(s, rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), Kind::Number, decodeRk(rd32(&b[6])));
}

// MULRK: a run of compressed numbers along one row.
void readMulRkRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() < 6)
        return;
    const uint16_t row = rd16(&b[0]);
    const uint16_t first = rd16(&b[2]);
    const std::size_t n = (b.size() - 6) / 6;
    for (std::size_t i = 0; i < n && first + i < kMaxCols; ++i)
        addCell(s, row, static_cast<uint16_t>(first + i), rd16(&b[4 + 6 * i]), Kind::Number,
                decodeRk(rd32(&b[6 + 6 * i])));
}

// LABELSST: a text cell pointing into the shared string table.
void readSharedStringLabel(XlsBook& book, XlsSheet& s, std::span<const uint8_t> b,
                           uint32_t sstCount) {
    if (b.size() < 10)
        return;
    const uint32_t idx = rd32(&b[6]);
    // An index past the table reads as an empty text, as other readers do.
    const uint32_t ref = idx < sstCount ? idx : book.addString({});
    addCell(s, rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), Kind::Text, 0, ref);
    ++s.sstRefs_;
}

// LABEL / RSTRING: a text cell carrying its own string, added to the book's strings.
void readInlineLabel(XlsBook& book, XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() < 9)
        return;
    std::string text;
    readInlineString(b, 6, false, text);
    addCell(s, rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), Kind::Text, 0, book.addString(text));
}

// BLANK: one formatted empty cell.
void readBlankRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() >= 6)
        addCell(s, rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), Kind::Blank, 0);
}

// MULBLANK: a run of formatted empty cells along one row.
void readMulBlankRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() < 6)
        return;
    const uint16_t row = rd16(&b[0]);
    const uint16_t first = rd16(&b[2]);
    const std::size_t n = (b.size() - 6) / 2;
    for (std::size_t i = 0; i < n && first + i < kMaxCols; ++i)
        addCell(s, row, static_cast<uint16_t>(first + i), rd16(&b[4 + 2 * i]), Kind::Blank, 0);
}

// BOOLERR: a true/false cell or an error cell, its code kept in the cell's small value.
void readBoolErrRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() >= 8)
        addCell(s, rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), b[7] ? Kind::Error : Kind::Bool, 0, 0,
                b[6]);
}

struct CachedResult {
    Cached kind = Cached::Number;
    uint8_t small = 0; // a boolean's value or an error's code
    double num = 0;
};

// The result a FORMULA record stored when it was last calculated.
CachedResult readCachedResult(std::span<const uint8_t> b) {
    CachedResult res;
    if (rd16(&b[12]) != 0xFFFF) {
        res.num = rdDouble(&b[6]);
        return res;
    }
    switch (b[6]) {
    case 0:
    case 3:
        res.kind = Cached::Text;
        break;
    case 1:
        res.kind = Cached::Bool;
        res.small = b[8];
        break;
    case 2:
        res.kind = Cached::Error;
        res.small = b[8];
        break;
    default:
        res.kind = Cached::Number;
        res.num = rdDouble(&b[6]);
    }
    return res;
}

// A formula's text result: the STRING record just read and the CONTINUE records after it.
void readFormulaText(RecordCursor& cur, const RecordView& stringRecord, std::string& text) {
    SegReader r;
    r.add(stringRecord.body);
    while (cur.peekType() == rec::Continue) {
        RecordView c;
        if (!cur.next(c))
            break;
        r.add(c.body);
    }
    const uint16_t cch = r.u16();
    const uint8_t flags = r.u8();
    if (r.ok())
        r.chars(cch, flags & 1, text);
}

// The records that belong to a formula: a shared or array definition, a table (kept whole, with
// their headers), and the text result.
void readFormulaFollowers(RecordCursor& cur, std::span<const uint8_t> raw, bool wantString,
                          FormulaData& f) {
    for (;;) {
        const int t = cur.peekType();
        if (t != rec::ShrFmla && t != rec::Array && t != rec::Table &&
            !(t == rec::String && wantString))
            break;
        RecordView next;
        if (!cur.next(next))
            break;
        if (t == rec::String) {
            readFormulaText(cur, next, f.text);
            break;
        }
        f.extra.insert(f.extra.end(), raw.begin() + next.offset,
                       raw.begin() + next.offset + 4 + next.body.size());
    }
}

// FORMULA: a formula cell with its cached result; the records that follow it are taken too.
void readFormulaRecord(XlsSheet& s, RecordCursor& cur, std::span<const uint8_t> raw,
                       std::span<const uint8_t> b) {
    if (b.size() < 22)
        return;
    const uint16_t row = rd16(&b[0]), col = rd16(&b[2]);
    FormulaData f;
    f.body.assign(b.begin(), b.end());
    const CachedResult cached = readCachedResult(b);
    const bool wantString = cached.kind == Cached::Text && b[6] == 0;
    readFormulaFollowers(cur, raw, wantString, f);
    if (col >= kMaxCols)
        return;
    const auto index = static_cast<uint32_t>(s.formulas_.size());
    s.formulas_.push_back(std::move(f));
    Cell& c = s.place(row, col);
    c.xf = rd16(&b[4]);
    c.kind = Kind::Formula;
    c.cached = cached.kind;
    c.small = cached.small;
    c.num = cached.num;
    c.ref = index;
}

// ROW: the row's attributes, kept as read, and room reserved for its cells.
void readRowRecord(XlsSheet& s, std::span<const uint8_t> b) {
    if (b.size() < 16)
        return;
    const uint16_t row = rd16(&b[0]);
    if (s.rows_.size() <= row)
        s.rows_.resize(row + 1u);
    std::copy(b.begin(), b.begin() + 16, s.rows_[row].attr.begin());
    s.rows_[row].hasAttr = true;
    // The row's column span: room for its cells in one allocation.
    const uint16_t first = rd16(&b[2]), last = rd16(&b[4]);
    if (last > first && last <= kMaxCols && s.rows_[row].cells.empty())
        s.rows_[row].cells.reserve(last - first);
}

// COLINFO / DEFCOLWIDTH / STANDARDWIDTH: the sheet's column widths.
void readColumnWidthRecord(XlsSheet& s, const RecordView& rv) {
    const auto& b = rv.body;
    switch (rv.type) {
    case rec::ColInfo:
        if (b.size() >= 10 && s.colInfos_.size() < 256)
            s.colInfos_.push_back(
                {rd16(&b[0]), rd16(&b[2]), rd16(&b[4]), rd16(&b[6]), rd16(&b[8])});
        break;
    case rec::DefColWidth:
        if (b.size() >= 2)
            s.defColWidth_ = rd16(&b[0]);
        break;
    case rec::StandardWidth:
        if (b.size() >= 2)
            s.standardWidth_ = rd16(&b[0]);
        break;
    default:
        break;
    }
}

// One record of the sheet's own level, handed to the step for its kind; others are skipped.
void readSheetRecord(XlsBook& book, XlsSheet& s, RecordCursor& cur, std::span<const uint8_t> raw,
                     const RecordView& rv, uint32_t sstCount) {
    const auto& b = rv.body;
    switch (rv.type) {
    case rec::Number:
        readNumberRecord(s, b);
        break;
    case rec::Rk:
    case rec::Rk4:
        readRkRecord(s, b);
        break;
    case rec::MulRk:
        readMulRkRecord(s, b);
        break;
    case rec::LabelSst:
        readSharedStringLabel(book, s, b, sstCount);
        break;
    case rec::Label:
    case rec::RString:
        readInlineLabel(book, s, b);
        break;
    case rec::Blank:
        readBlankRecord(s, b);
        break;
    case rec::MulBlank:
        readMulBlankRecord(s, b);
        break;
    case rec::BoolErr:
        readBoolErrRecord(s, b);
        break;
    case rec::Formula:
    case rec::Formula3:
    case rec::Formula4:
        readFormulaRecord(s, cur, raw, b);
        break;
    case rec::Row:
        readRowRecord(s, b);
        break;
    case rec::ColInfo:
    case rec::DefColWidth:
    case rec::StandardWidth:
        readColumnWidthRecord(s, rv);
        break;
    default:
        break;
    }
}

// The records that place a cell or a row: each starts with its row number.
bool placesARow(uint16_t type) {
    switch (type) {
    case rec::Number:
    case rec::Rk:
    case rec::Rk4:
    case rec::MulRk:
    case rec::LabelSst:
    case rec::Label:
    case rec::RString:
    case rec::Blank:
    case rec::MulBlank:
    case rec::BoolErr:
    case rec::Formula:
    case rec::Formula3:
    case rec::Formula4:
    case rec::Row:
        return true;
    default:
        return false;
    }
}

// Walks the sheet's substream, reading the records of its own level (not those of embedded
// charts), then lets the sheet settle its loaded cells. With a `rowLimit` above 0 the cells
// and rows from that row on are left out; `cut` tells whether a cell was.
Result<void> parseSheet(XlsBook& book, XlsSheet& s, ProgressSteps& progress, int rowLimit,
                        bool& cut) {
    const std::span<const uint8_t> raw = s.raw_;
    RecordCursor cur(raw);
    RecordView rv;
    int depth = 0;
    const uint32_t sstCount = book.stringCount();
    bool inOrder = true;
    int lastCellRow = 0;
    while (cur.next(rv)) {
        progress.at(s.rawStart_ + rv.offset);
        if (isBofType(rv.type)) {
            ++depth;
            continue;
        }
        if (rv.type == rec::Eof) {
            if (--depth <= 0)
                break;
            continue;
        }
        if (depth != 1)
            continue;
        if (rowLimit > 0 && placesARow(rv.type) && rv.body.size() >= 2) {
            // Row records come ahead of their block of cells: only the cells tell the order.
            const int row = rd16(&rv.body[0]);
            const bool cell = rv.type != rec::Row;
            inOrder = inOrder && (!cell || row >= lastCellRow);
            if (cell)
                lastCellRow = row;
            if (row >= rowLimit) {
                cut = cut || cell;
                // Cells in row order: none of those left holds a row before the limit.
                if (cell && inOrder)
                    break;
                continue;
            }
        }
        readSheetRecord(book, s, cur, raw, rv, sstCount);
    }
    s.finishLoad();
    return {};
}

} // namespace

void classifyXfs(XlsBook& book) {
    book.xfDate_.assign(book.xfFormat_.size(), false);
    for (std::size_t i = 0; i < book.xfFormat_.size(); ++i) {
        const int id = book.xfFormat_[i];
        const auto it = book.formats_.find(id);
        book.xfDate_[i] = it != book.formats_.end() ? numfmt::isDateFormatCode(it->second)
                                                    : numfmt::isBuiltinDateFormat(id);
    }
}

Result<std::unique_ptr<XlsBook>> parseWorkbook(CompoundFile file, const std::string& where,
                                               const LoadProgress& report, int firstSheetRows) {
    auto book = std::make_unique<XlsBook>();
    book->file_ = std::move(file);
    const std::span<const uint8_t> stream(book->file_.workbook);
    // The last hundredth is left to the caller, who knows when the workbook is really loaded.
    ProgressSteps progress(report, stream.size());
    progress.at(0);

    RecordCursor cur(stream);
    RecordView rv;
    if (!cur.next(rv))
        return makeError(ErrorCode::Damaged, "the workbook stream is empty or cut short",
                         where + ": " + at(0, "BOF"));
    if (rv.type == rec::Bof2 || rv.type == rec::Bof3 || rv.type == rec::Bof4 ||
        (rv.type == rec::Bof && (rv.body.size() < 4 || rd16(&rv.body[0]) != 0x0600)))
        return makeError(ErrorCode::Unsupported,
                         "a workbook in an old binary format (before BIFF8) is not supported",
                         where + ": " + at(0, "BOF"));
    if (rv.type != rec::Bof)
        return makeError(ErrorCode::Damaged, "the workbook stream does not start with BOF",
                         where + ": " + at(0, "BOF"));
    if (rd16(&rv.body[2]) != 0x0005)
        return makeError(ErrorCode::Unsupported, "the workbook stream holds no workbook globals",
                         where + ": " + at(0, "BOF"));
    book->globals_.push_back({rv.type, {rv.body.begin(), rv.body.end()}});

    bool sawEof = false, sawSst = false;
    std::vector<uint32_t> positions;
    while (cur.next(rv)) {
        progress.at(rv.offset);
        const auto& b = rv.body;
        switch (rv.type) {
        case rec::Filepass:
            return makeError(ErrorCode::Encrypted, "the workbook is protected by a password",
                             where + ": " + at(rv.offset, "FILEPASS"));
        case rec::DateMode:
            book->date1904_ = b.size() >= 2 && rd16(&b[0]) == 1;
            break;
        case rec::Format:
            if (b.size() >= 5) {
                std::string code;
                if (readInlineString(b, 2, false, code))
                    book->formats_[rd16(&b[0])] = std::move(code);
            }
            break;
        case rec::Xf:
            if (b.size() >= 4 && book->xfFormat_.size() < 65536)
                book->xfFormat_.push_back(rd16(&b[2]));
            break;
        case rec::BoundSheet:
            if (b.size() >= 8) {
                SubstreamEntry e;
                e.state = {b[4], b[5]};
                e.rawName.assign(b.begin() + 6, b.end());
                positions.push_back(rd32(&b[0]));
                if (book->substreams_.size() >= 4096)
                    return makeError(ErrorCode::Limit, "the workbook has too many sheets",
                                     where + ": " + at(rv.offset, "BOUNDSHEET"));
                book->substreams_.push_back(std::move(e));
                book->globals_.push_back({rec::BoundSheet, {}});
                continue;
            }
            return makeError(ErrorCode::Damaged, "a sheet entry is too short",
                             where + ": " + at(rv.offset, "BOUNDSHEET"));
        case rec::Sst: {
            if (sawSst)
                break;
            sawSst = true;
            SegReader r;
            r.add(b);
            while (cur.peekType() == rec::Continue) {
                RecordView c;
                if (!cur.next(c))
                    break;
                r.add(c.body);
            }
            parseSst(*book, r);
            book->globals_.push_back({rec::Sst, {}});
            continue;
        }
        case rec::ExtSst:
            continue; // rebuilt with the SST
        case rec::Eof:
            sawEof = true;
            break;
        default:
            break;
        }
        if (rv.type == rec::Continue && !book->globals_.empty() &&
            (book->globals_.back().type == rec::Sst ||
             book->globals_.back().type == rec::BoundSheet))
            continue;
        book->globals_.push_back({rv.type, {rv.body.begin(), rv.body.end()}});
        if (sawEof)
            break;
    }
    if (!sawEof)
        return makeError(ErrorCode::Damaged, "the workbook globals end without EOF",
                         where + ": " + at(cur.position(), "globals"));
    const auto sstStrings = book->stringCount();
    (void)sstStrings;

    for (std::size_t i = 0; i < book->substreams_.size(); ++i) {
        auto& e = book->substreams_[i];
        const std::size_t pos = positions[i];
        RecordCursor probe(stream, pos);
        RecordView bof;
        if (pos >= stream.size() || !probe.next(bof) || bof.type != rec::Bof || bof.body.size() < 4)
            return makeError(ErrorCode::Damaged, "a sheet's position does not point at its start",
                             where + ": " + at(pos, "BOUNDSHEET"));
        const bool worksheet = e.state[1] == 0 && rd16(&bof.body[2]) == 0x0010;
        if (!worksheet) {
            e.raw = cutSubstream(stream, pos, e.ownRaw);
            e.rawStart = pos;
            continue;
        }
        std::string name;
        {
            const std::vector<uint8_t>& nameRec = e.rawName;
            readInlineString(nameRec, 0, true, name);
        }
        auto sheet = std::make_unique<XlsSheet>(*book, std::move(name));
        sheet->raw_ = cutSubstream(stream, pos, sheet->ownRaw_);
        sheet->rawStart_ = pos;
        bool cut = false;
        const int rowLimit = book->sheets_.empty() ? firstSheetRows : 0;
        if (auto r = parseSheet(*book, *sheet, progress, rowLimit, cut); !r)
            return r.error();
        if (cut)
            book->markPartial();
        e.sheet = static_cast<int>(book->sheets_.size());
        book->sheets_.push_back(std::move(sheet));
    }
    classifyXfs(*book);
    return book;
}

} // namespace rowbit::xls
