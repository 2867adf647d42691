// Writing the workbook stream: globals with a rebuilt SST and sheet offsets, untouched sheets
// as they were, touched sheets with their cell table regenerated around the kept records.
#include "workbook/xls/xls_model.h"

#include <algorithm>
#include <cmath>

namespace rowbit::xls {

namespace {

// A 32-bit field holding an absolute stream position: where it is, and the position relative
// to the start of its substream.
struct Fixup {
    std::size_t at;
    uint32_t relative;
};

bool isBof(uint16_t t) {
    return t == rec::Bof || t == rec::Bof2 || t == rec::Bof3 || t == rec::Bof4;
}

bool isCellTable(uint16_t t) {
    switch (t) {
    case rec::Row:
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
    case rec::String:
    case rec::ShrFmla:
    case rec::Array:
    case rec::Table:
    case rec::DbCell:
        return true;
    default:
        return false;
    }
}

// An untouched substream, appended as it is; INDEX's absolute positions are re-based.
std::vector<Fixup> keepSubstream(std::span<const uint8_t> raw, std::size_t rawStart,
                                 ByteSink& out) {
    std::vector<Fixup> fixups;
    const std::size_t base = out.size();
    out.raw(raw);
    RecordCursor cur(raw);
    RecordView rv;
    int depth = 0;
    while (cur.next(rv)) {
        if (isBof(rv.type)) {
            ++depth;
            continue;
        }
        if (rv.type == rec::Eof && --depth <= 0)
            break;
        if (depth == 1 && rv.type == rec::Index && rv.body.size() >= 16) {
            const std::size_t body = rv.offset + 4;
            auto rebase = [&](std::size_t at) {
                const uint32_t v = rd32(&raw[at]);
                if (v != 0) // 0: no such record; anything else moves with the sheet
                    fixups.push_back({base + at, static_cast<uint32_t>(v - rawStart)});
            };
            rebase(body + 12);
            for (std::size_t p = body + 16; p + 4 <= body + rv.body.size(); p += 4)
                rebase(p);
        }
    }
    return fixups;
}

bool encodeRk(double d, uint32_t& rk) {
    if (std::isfinite(d) && d == std::floor(d) && d >= -536870912.0 && d < 536870912.0) {
        rk = (static_cast<uint32_t>(static_cast<int32_t>(d)) << 2) | 2;
        return true;
    }
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        rk = static_cast<uint32_t>(bits >> 32);
        return true;
    }
    const double h = d * 100;
    if (std::isfinite(h) && h == std::floor(h) && h >= -536870912.0 && h < 536870912.0) {
        const auto i = static_cast<int32_t>(h);
        if (static_cast<double>(i) / 100 == d) {
            rk = (static_cast<uint32_t>(i) << 2) | 3;
            return true;
        }
    }
    return false;
}

class CellTableWriter {
public:
    CellTableWriter(const XlsSheet& s, ByteSink& out) : s_(s), out_(out) {}

    // Rows that get a ROW record, in order.
    std::vector<int> rows() const {
        std::vector<int> r;
        for (std::size_t i = 0; i < s_.rows_.size(); ++i) {
            if (!s_.rows_[i].cells.empty() || s_.rows_[i].hasAttr)
                r.push_back(static_cast<int>(i));
        }
        return r;
    }

    // Writes the blocks of up to 32 rows; returns each DBCELL's position.
    std::vector<std::size_t> write(const std::vector<int>& rows) {
        std::vector<std::size_t> dbcells;
        std::size_t i = 0;
        while (i < rows.size()) {
            std::size_t j = i;
            while (j < rows.size() && rows[j] / 32 == rows[i] / 32)
                ++j;
            const std::size_t firstRow = out_.size();
            for (std::size_t k = i; k < j; ++k)
                writeRow(rows[k]);
            std::vector<std::size_t> starts;
            for (std::size_t k = i; k < j; ++k) {
                starts.push_back(out_.size());
                writeCells(rows[k]);
            }
            const std::size_t db = out_.size();
            dbcells.push_back(db);
            const std::size_t b = out_.begin(rec::DbCell);
            out_.u32(static_cast<uint32_t>(db - firstRow));
            std::size_t prev = firstRow + 20;
            for (std::size_t st : starts) {
                out_.u16(static_cast<uint16_t>(std::min<std::size_t>(st - prev, 0xFFFF)));
                prev = st;
            }
            out_.end(b);
            i = j;
        }
        return dbcells;
    }

private:
    void writeRow(int r) {
        const Row& row = s_.rows_[r];
        std::array<uint8_t, 16> a = row.attr;
        if (!row.hasAttr) {
            a.fill(0);
            wr16(&a[6], 0x00FF); // default height, 12.75 pt
            wr16(&a[12], 0x0100);
            wr16(&a[14], 0x000F);
        }
        wr16(&a[0], static_cast<uint16_t>(r));
        wr16(&a[2], row.cells.empty() ? 0 : row.cells.front().col);
        wr16(&a[4], row.cells.empty() ? 0 : static_cast<uint16_t>(row.cells.back().col + 1));
        out_.record(rec::Row, a);
    }

    // Each record is put together in a small buffer and appended at once: a large sheet
    // has close to a million of them.
    struct Rec {
        uint8_t b[32];
        std::size_t n = 4;
        explicit Rec(uint16_t type) { wr16(b, type); }
        void u16(uint16_t v) {
            wr16(b + n, v);
            n += 2;
        }
        void u32(uint32_t v) {
            wr32(b + n, v);
            n += 4;
        }
        void head(uint16_t row, uint16_t col, uint16_t xf) {
            u16(row);
            u16(col);
            u16(xf);
        }
    };
    void put(Rec& rec) {
        wr16(rec.b + 2, static_cast<uint16_t>(rec.n - 4));
        out_.raw(rec.b, rec.n);
    }

    void writeCells(int r) {
        const auto& cells = s_.rows_[r].cells;
        const auto row = static_cast<uint16_t>(r);
        rk_.resize(cells.size());
        rkOk_.resize(cells.size());
        for (std::size_t k = 0; k < cells.size(); ++k)
            rkOk_[k] = cells[k].kind == Kind::Number && encodeRk(cells[k].num, rk_[k]);
        std::size_t i = 0;
        while (i < cells.size()) {
            const Cell& c = cells[i];
            switch (c.kind) {
            case Kind::Blank: {
                std::size_t j = i + 1;
                while (j < cells.size() && cells[j].kind == Kind::Blank &&
                       cells[j].col == cells[j - 1].col + 1)
                    ++j;
                if (j - i == 1) {
                    Rec rec(rec::Blank);
                    rec.head(row, c.col, c.xf);
                    put(rec);
                } else {
                    const std::size_t b = out_.begin(rec::MulBlank);
                    out_.u16(row);
                    out_.u16(c.col);
                    for (std::size_t k = i; k < j; ++k)
                        out_.u16(cells[k].xf);
                    out_.u16(cells[j - 1].col);
                    out_.end(b);
                }
                i = j;
                continue;
            }
            case Kind::Number:
                if (rkOk_[i]) {
                    std::size_t j = i + 1;
                    while (j < cells.size() && rkOk_[j] && cells[j].col == cells[j - 1].col + 1)
                        ++j;
                    if (j - i == 1) {
                        Rec rec(rec::Rk);
                        rec.head(row, c.col, c.xf);
                        rec.u32(rk_[i]);
                        put(rec);
                    } else {
                        const std::size_t b = out_.begin(rec::MulRk);
                        uint8_t pair[6];
                        out_.u16(row);
                        out_.u16(c.col);
                        for (std::size_t k = i; k < j; ++k) {
                            wr16(pair, cells[k].xf);
                            wr32(pair + 2, rk_[k]);
                            out_.raw(pair, 6);
                        }
                        out_.u16(cells[j - 1].col);
                        out_.end(b);
                    }
                    i = j;
                    continue;
                } else {
                    Rec rec(rec::Number);
                    rec.head(row, c.col, c.xf);
                    std::memcpy(rec.b + rec.n, &c.num, 8);
                    rec.n += 8;
                    put(rec);
                }
                break;
            case Kind::Text: {
                Rec rec(rec::LabelSst);
                rec.head(row, c.col, c.xf);
                rec.u32(c.ref);
                put(rec);
                break;
            }
            case Kind::Bool:
            case Kind::Error: {
                Rec rec(rec::BoolErr);
                rec.head(row, c.col, c.xf);
                rec.b[rec.n++] = c.small;
                rec.b[rec.n++] = c.kind == Kind::Error ? 1 : 0;
                put(rec);
                break;
            }
            case Kind::Formula:
                writeFormula(row, c);
                break;
            }
            ++i;
        }
    }

    void writeFormula(uint16_t row, const Cell& c) {
        if (c.ref >= s_.formulas_.size())
            return;
        const FormulaData& f = s_.formulas_[c.ref];
        std::vector<uint8_t> body = f.body;
        wr16(&body[0], row);
        wr16(&body[2], c.col);
        wr16(&body[4], c.xf);
        bool string = false;
        switch (c.cached) {
        case Cached::Number: {
            uint8_t d[8];
            std::memcpy(d, &c.num, 8);
            std::copy(d, d + 8, body.begin() + 6);
            break;
        }
        case Cached::Text:
            string = !f.text.empty();
            std::fill(body.begin() + 6, body.begin() + 14, 0);
            body[6] = string ? 0 : 3;
            wr16(&body[12], 0xFFFF);
            break;
        case Cached::Bool:
        case Cached::Error:
            std::fill(body.begin() + 6, body.begin() + 14, 0);
            body[6] = c.cached == Cached::Bool ? 1 : 2;
            body[8] = c.small;
            wr16(&body[12], 0xFFFF);
            break;
        }
        out_.record(rec::Formula, body);
        out_.raw(f.extra);
        if (string) {
            const std::u16string u = utf16FromUtf8(f.text);
            const std::size_t n = std::min<std::size_t>(u.size(), 0xFFFF);
            std::vector<uint8_t> sb;
            sb.reserve(3 + 2 * n);
            sb.push_back(static_cast<uint8_t>(n));
            sb.push_back(static_cast<uint8_t>(n >> 8));
            sb.push_back(1);
            for (std::size_t k = 0; k < n; ++k) {
                sb.push_back(static_cast<uint8_t>(u[k]));
                sb.push_back(static_cast<uint8_t>(u[k] >> 8));
            }
            if (sb.size() <= kMaxRecordBody) {
                out_.record(rec::String, sb);
            } else {
                // Split between characters; each continuation restates the option byte.
                constexpr std::size_t perRecord = (kMaxRecordBody - 1) / 2 * 2;
                std::size_t done = 3 + (kMaxRecordBody - 3) / 2 * 2;
                out_.record(rec::String, std::span<const uint8_t>(sb).first(done));
                while (done < sb.size()) {
                    const std::size_t k = std::min(sb.size() - done, perRecord);
                    std::vector<uint8_t> cb{1};
                    cb.insert(cb.end(), sb.begin() + done, sb.begin() + done + k);
                    out_.record(rec::Continue, cb);
                    done += k;
                }
            }
        }
    }

    const XlsSheet& s_;
    ByteSink& out_;
    std::vector<uint32_t> rk_;
    std::vector<uint8_t> rkOk_;
};

// A touched worksheet: every record kept in order except the cell table, INDEX and
// DIMENSIONS, which are written anew; the cell table goes where the first stood.
std::vector<Fixup> regenerateSheet(const XlsSheet& s, ByteSink& out) {
    std::vector<Fixup> fixups;
    const std::size_t base = out.size();
    CellTableWriter table(s, out);
    const std::vector<int> rows = table.rows();
    std::size_t blocks = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        blocks += (i == 0 || rows[i] / 32 != rows[i - 1] / 32) ? 1 : 0;

    RecordCursor cur(s.raw_);
    RecordView rv;
    int depth = 0;
    bool tableDone = false, pending = false, skipping = false;
    std::size_t indexBody = 0;
    bool haveIndex = false;
    std::size_t defColWidthAt = 0;
    std::vector<std::size_t> dbcells;

    auto emitTable = [&] {
        dbcells = table.write(rows);
        tableDone = true;
        pending = false;
    };

    while (cur.next(rv)) {
        if (depth == 1 && !isBof(rv.type)) {
            if (rv.type == rec::Continue && skipping)
                continue;
            skipping = false;
            if (isCellTable(rv.type)) {
                if (!tableDone)
                    emitTable();
                skipping = true;
                continue;
            }
            if (pending || (!tableDone && (rv.type == rec::Window2 || rv.type == rec::Eof)))
                emitTable();
            if (rv.type == rec::Index) {
                const std::size_t b = out.begin(rec::Index);
                indexBody = b;
                haveIndex = true;
                out.u32(0);
                out.u32(rows.empty() ? 0 : static_cast<uint32_t>(rows.front()));
                out.u32(rows.empty() ? 0 : static_cast<uint32_t>(rows.back() + 1));
                out.u32(0);
                for (std::size_t k = 0; k < blocks; ++k)
                    out.u32(0);
                out.end(b);
                continue;
            }
            if (rv.type == rec::Dimensions) {
                const std::size_t b = out.begin(rec::Dimensions);
                const int lastRow = s.lastRow(), lastCol = s.lastCol();
                int firstRow = 0, firstCol = lastCol;
                for (std::size_t r = 0; r < s.rows_.size(); ++r) {
                    if (!s.rows_[r].cells.empty()) {
                        firstRow = static_cast<int>(r);
                        break;
                    }
                }
                for (const auto& r : s.rows_) {
                    if (!r.cells.empty())
                        firstCol = std::min<int>(firstCol, r.cells.front().col);
                }
                out.u32(static_cast<uint32_t>(lastRow ? firstRow : 0));
                out.u32(static_cast<uint32_t>(lastRow));
                out.u16(static_cast<uint16_t>(lastCol ? firstCol : 0));
                out.u16(static_cast<uint16_t>(lastCol));
                out.u16(0);
                out.end(b);
                pending = true;
                continue;
            }
            if (rv.type == rec::DefColWidth)
                defColWidthAt = out.size();
        }
        if (depth == 1 && rv.type == rec::Uncalced && s.formulasMoved_)
            continue; // written once, after the BOF
        if (isBof(rv.type))
            ++depth;
        else if (rv.type == rec::Eof)
            --depth;
        out.raw(s.raw_.data() + rv.offset, 4 + rv.body.size());
        if (depth == 1 && isBof(rv.type) && s.formulasMoved_) {
            // Formulas moved: their cached results are stale until recalculated on open.
            const std::size_t b = out.begin(rec::Uncalced);
            out.u16(0);
            out.end(b);
        }
        if (depth <= 0)
            break;
    }
    if (haveIndex) {
        if (defColWidthAt)
            fixups.push_back({indexBody + 12, static_cast<uint32_t>(defColWidthAt - base)});
        for (std::size_t k = 0; k < dbcells.size() && k < blocks; ++k)
            fixups.push_back({indexBody + 16 + 4 * k, static_cast<uint32_t>(dbcells[k] - base)});
    }
    return fixups;
}

// The shared string table: every string of the pool (the table only grows, so untouched
// sheets keep pointing at the right strings), split over CONTINUE records, and its index.
void writeSst(ByteSink& out, const XlsBook& book, uint32_t totalRefs) {
    const uint32_t count = book.stringCount();
    const uint32_t perBucket = std::max<uint32_t>(8, count / 128 + 1);
    struct Bucket {
        uint32_t pos;
        uint16_t inRecord;
    };
    std::vector<Bucket> buckets;

    std::size_t body = out.begin(rec::Sst);
    out.u32(totalRefs);
    out.u32(count);
    auto room = [&] { return kMaxRecordBody - (out.size() - body); };
    auto next = [&] {
        out.end(body);
        body = out.begin(rec::Continue);
    };
    std::u16string u;
    out.bytes.reserve(out.size() + book.strChars_.size() + std::size_t{count} * 4 + 4096);
    for (uint32_t i = 0; i < count; ++i) {
        utf16FromUtf8(book.str(i), u);
        if (u.size() > 0xFFFF)
            u.resize(0xFFFF);
        bool wide = false;
        if (u.size() != book.str(i).size()) { // only non-ASCII text can need two bytes
            for (char16_t ch : u) {
                if (ch > 0xFF) {
                    wide = true;
                    break;
                }
            }
        }
        const std::vector<uint8_t>* runs = nullptr;
        const std::vector<uint8_t>* ext = nullptr;
        if (auto it = book.strExtra_.find(i); it != book.strExtra_.end()) {
            if (!it->second.first.empty())
                runs = &it->second.first;
            if (!it->second.second.empty())
                ext = &it->second.second;
        }
        const std::size_t header = 3 + (runs ? 2 : 0) + (ext ? 4 : 0);
        const std::size_t unit = wide ? 2 : 1;
        if (room() < header + (u.empty() ? 0 : unit))
            next();
        if (i % perBucket == 0)
            buckets.push_back(
                {static_cast<uint32_t>(out.size()), static_cast<uint16_t>(out.size() - body + 4)});
        out.u16(static_cast<uint16_t>(u.size()));
        out.u8(static_cast<uint8_t>((wide ? 1 : 0) | (ext ? 4 : 0) | (runs ? 8 : 0)));
        if (runs)
            out.u16(static_cast<uint16_t>(runs->size() / 4));
        if (ext)
            out.u32(static_cast<uint32_t>(ext->size()));
        std::size_t done = 0;
        while (done < u.size()) {
            std::size_t k = std::min(u.size() - done, room() / unit);
            if (k == 0) {
                next();
                out.u8(wide ? 1 : 0);
                continue;
            }
            const std::size_t at = out.bytes.size();
            out.bytes.resize(at + k * unit);
            uint8_t* d = out.bytes.data() + at;
            for (std::size_t e = done + k; done < e; ++done) {
                *d++ = static_cast<uint8_t>(u[done]);
                if (wide)
                    *d++ = static_cast<uint8_t>(u[done] >> 8);
            }
        }
        if (runs) {
            for (std::size_t p = 0; p + 4 <= runs->size(); p += 4) {
                if (room() < 4)
                    next();
                out.raw(runs->data() + p, 4);
            }
        }
        if (ext) {
            std::size_t p = 0;
            while (p < ext->size()) {
                if (room() == 0)
                    next();
                const std::size_t k = std::min(room(), ext->size() - p);
                out.raw(ext->data() + p, k);
                p += k;
            }
        }
    }
    out.end(body);

    const std::size_t b = out.begin(rec::ExtSst);
    out.u16(static_cast<uint16_t>(perBucket));
    for (const auto& bk : buckets) {
        out.u32(bk.pos);
        out.u16(bk.inRecord);
        out.u16(0);
    }
    out.end(b);
}

std::vector<uint8_t> boundSheetName(const std::string& name) {
    std::u16string u = utf16FromUtf8(name);
    if (u.size() > 31)
        u.resize(31);
    bool wide = false;
    for (char16_t ch : u)
        wide = wide || ch > 0xFF;
    std::vector<uint8_t> out{static_cast<uint8_t>(u.size()), static_cast<uint8_t>(wide ? 1 : 0)};
    for (char16_t ch : u) {
        out.push_back(static_cast<uint8_t>(ch));
        if (wide)
            out.push_back(static_cast<uint8_t>(ch >> 8));
    }
    return out;
}

} // namespace

Result<std::vector<uint8_t>> XlsBook::buildStream() const {
    uint64_t totalRefs = 0;
    std::size_t estimate = strChars_.size() + 65536;
    for (const auto& e : substreams_) {
        if (e.sheet < 0) {
            estimate += e.raw.size();
            continue;
        }
        const XlsSheet& s = *sheets_[e.sheet];
        estimate += s.raw_.size() + 4096;
        if (!s.touched_) {
            totalRefs += s.sstRefs_;
            continue;
        }
        for (const auto& r : s.rows_) {
            for (const auto& c : r.cells)
                totalRefs += c.kind == Kind::Text ? 1 : 0;
        }
    }

    bool formulasMoved = false;
    for (const auto& sh : sheets_)
        formulasMoved = formulasMoved || sh->formulasMoved_;
    ByteSink g;
    g.bytes.reserve(estimate);
    std::vector<std::size_t> plyPos;
    bool sheetsDone = false, sstDone = false;
    const int sheetTotal = static_cast<int>(substreams_.size());
    auto emitSheets = [&] {
        for (const auto& e : substreams_) {
            const std::size_t b = g.begin(rec::BoundSheet);
            plyPos.push_back(g.size());
            g.u32(0);
            g.u8(e.state[0]);
            g.u8(e.state[1]);
            if (e.sheet >= 0 && (sheets_[e.sheet]->renamed_ || e.rawName.empty()))
                g.raw(boundSheetName(sheets_[e.sheet]->name_));
            else
                g.raw(e.rawName);
            g.end(b);
        }
        sheetsDone = true;
    };
    auto emitSst = [&] {
        writeSst(g, *this, static_cast<uint32_t>(std::min<uint64_t>(totalRefs, 0xFFFFFFFF)));
        sstDone = true;
    };
    for (const auto& rec : globals_) {
        switch (rec.type) {
        case rec::BoundSheet:
            if (!sheetsDone)
                emitSheets();
            continue;
        case rec::Sst:
            if (!sheetsDone)
                emitSheets();
            if (!sstDone)
                emitSst();
            continue;
        case rec::Eof:
            if (!sheetsDone)
                emitSheets();
            if (!sstDone)
                emitSst();
            break;
        case rec::RecalcId:
            // An engine id older than any: spreadsheet programs recalculate everything on
            // open, so moved formulas show fresh results.
            if (rec.body.size() >= 8 && formulasMoved) {
                std::vector<uint8_t> b = rec.body;
                wr32(&b[4], 0);
                g.record(rec.type, b);
                continue;
            }
            break;
        case 0x01AE: // SUPBOOK: the workbook's own entry counts its sheets
            if (rec.body.size() == 4 && rd16(&rec.body[2]) == 0x0401) {
                std::vector<uint8_t> b = rec.body;
                wr16(&b[0], static_cast<uint16_t>(sheetTotal));
                g.record(rec.type, b);
                continue;
            }
            break;
        default:
            break;
        }
        g.record(rec.type, rec.body);
    }

    // The sheets follow the globals; their positions are known only now.
    for (std::size_t i = 0; i < substreams_.size(); ++i) {
        const auto& e = substreams_[i];
        const std::size_t start = g.size();
        if (start > 0xFFFFFFFFu)
            return makeError(ErrorCode::Limit, "the workbook is too large to save");
        wr32(&g.bytes[plyPos[i]], static_cast<uint32_t>(start));
        std::vector<Fixup> fixups;
        if (e.sheet < 0)
            fixups = keepSubstream(e.raw, e.rawStart, g);
        else if (sheets_[e.sheet]->touched_)
            fixups = regenerateSheet(*sheets_[e.sheet], g);
        else
            fixups = keepSubstream(sheets_[e.sheet]->raw_, sheets_[e.sheet]->rawStart_, g);
        for (const auto& f : fixups)
            wr32(&g.bytes[f.at], static_cast<uint32_t>(start + f.relative));
    }
    return std::move(g.bytes);
}

Sheet* XlsBook::addSheet(std::string_view name) {
    if (substreams_.size() >= 4096)
        return nullptr;
    for (const auto& s : sheets_) {
        if (sameSheetName(s->name_, name))
            return nullptr;
    }
    SubstreamEntry e;
    e.sheet = static_cast<int>(sheets_.size());
    auto sheet = std::make_unique<XlsSheet>(*this, std::string(name));
    sheet->ownRaw_ = newSheetStream(sheets_.empty());
    sheet->raw_ = sheet->ownRaw_;
    sheet->touched_ = true;
    sheet->renamed_ = true;
    substreams_.push_back(std::move(e));
    sheets_.push_back(std::move(sheet));
    return sheets_.back().get();
}

// ---------------------------------------------------------------- new workbooks

namespace {

void bof(ByteSink& s, uint16_t kind) {
    const std::size_t b = s.begin(rec::Bof);
    s.u16(0x0600);
    s.u16(kind);
    s.u16(0x0DBB);
    s.u16(0x07CC);
    s.u32(0);
    s.u32(0x0006);
    s.end(b);
}

void simple(ByteSink& s, uint16_t type, std::initializer_list<uint16_t> values) {
    const std::size_t b = s.begin(type);
    for (uint16_t v : values)
        s.u16(v);
    s.end(b);
}

void font(ByteSink& s, uint16_t twips, uint16_t weight) {
    const std::size_t b = s.begin(rec::Font);
    s.u16(twips);
    s.u16(0);      // no italic, strike-out, outline
    s.u16(0x7FFF); // automatic colour
    s.u16(weight);
    s.u16(0);
    s.u8(0);
    s.u8(0);
    s.u8(0);
    s.u8(0);
    const char name[] = "Arial";
    s.u8(sizeof name - 1);
    s.u8(0);
    s.raw(reinterpret_cast<const uint8_t*>(name), sizeof name - 1);
    s.end(b);
}

void xf(ByteSink& s, uint16_t fontIndex, bool style, uint8_t used) {
    const std::size_t b = s.begin(rec::Xf);
    s.u16(fontIndex);
    s.u16(0);                       // General
    s.u16(style ? 0xFFF5 : 0x0001); // locked; a style XF has no parent
    s.u8(0x20);                     // bottom-aligned
    s.u8(0);
    s.u8(0);
    s.u8(used);
    s.u32(0);
    s.u32(0);
    s.u16(0x20C0); // automatic pattern colours
    s.end(b);
}

} // namespace

std::vector<uint8_t> newWorkbookStream() {
    ByteSink s;
    bof(s, 0x0005);
    simple(s, rec::InterfaceHdr, {1200});
    simple(s, rec::Mms, {0});
    simple(s, rec::InterfaceEnd, {});
    {
        const std::size_t b = s.begin(rec::WriteAccess);
        const char user[] = "Rowbit";
        s.u16(sizeof user - 1);
        s.u8(0);
        s.raw(reinterpret_cast<const uint8_t*>(user), sizeof user - 1);
        while (s.size() - b < 112)
            s.u8(' ');
        s.end(b);
    }
    simple(s, rec::CodePage, {1200});
    simple(s, rec::Dsf, {0});
    simple(s, rec::FnGroupCount, {14});
    simple(s, rec::WindowProtect, {0});
    simple(s, rec::Protect, {0});
    simple(s, rec::Password, {0});
    simple(s, rec::Prot4Rev, {0});
    simple(s, rec::Prot4RevPass, {0});
    simple(s, rec::Window1, {0x0168, 0x001E, 0x3A5C, 0x2328, 0x0038, 0, 0, 1, 0x0258});
    simple(s, rec::Backup, {0});
    simple(s, rec::HideObj, {0});
    simple(s, rec::DateMode, {0});
    simple(s, rec::Precision, {1});
    simple(s, rec::RefreshAll, {0});
    simple(s, rec::BookBool, {0});
    // Fonts 0-3 are the default font's variants; index 4 does not exist in BIFF.
    font(s, 200, 400);
    font(s, 200, 700);
    font(s, 200, 400);
    font(s, 200, 700);
    font(s, 200, 400);
    // The 15 style XFs and the default cell XF (15) every workbook has.
    xf(s, 0, true, 0x00);
    for (int i = 1; i < 15; ++i)
        xf(s, i <= 2 ? 1 : (i <= 4 ? 2 : 0), true, 0xF4);
    xf(s, 0, false, 0x00);
    {
        const std::size_t b = s.begin(rec::Style);
        s.u16(0x8000); // built-in style "Normal" on XF 0
        s.u8(0);
        s.u8(0xFF);
        s.end(b);
    }
    simple(s, rec::UsesElfs, {0});
    simple(s, rec::Country, {1, 82});
    simple(s, rec::Eof, {});
    return s.bytes;
}

std::vector<uint8_t> newSheetStream(bool first) {
    ByteSink s;
    bof(s, 0x0010);
    {
        const std::size_t b = s.begin(rec::Index);
        s.u32(0);
        s.u32(0);
        s.u32(0);
        s.u32(0);
        s.end(b);
    }
    simple(s, rec::CalcMode, {1});
    simple(s, rec::CalcCount, {100});
    simple(s, rec::RefMode, {1});
    simple(s, rec::Iteration, {0});
    {
        const std::size_t b = s.begin(rec::Delta);
        s.f64(0.001);
        s.end(b);
    }
    simple(s, rec::SaveRecalc, {1});
    simple(s, 0x002A, {0}); // PRINTHEADERS
    simple(s, 0x002B, {0}); // PRINTGRIDLINES
    simple(s, rec::GridSet, {1});
    simple(s, rec::Guts, {0, 0, 0, 0});
    simple(s, rec::DefaultRowHeight, {0, 0x00FF});
    simple(s, rec::WsBool, {0x04C1});
    simple(s, rec::HCenter, {0});
    simple(s, rec::VCenter, {0});
    simple(s, rec::DefColWidth, {8});
    {
        const std::size_t b = s.begin(rec::Dimensions);
        s.u32(0);
        s.u32(0);
        s.u16(0);
        s.u16(0);
        s.u16(0);
        s.end(b);
    }
    {
        const std::size_t b = s.begin(rec::Window2);
        s.u16(first ? 0x06B6 : 0x00B6);
        s.u16(0);
        s.u16(0);
        s.u32(64);
        s.u16(0);
        s.u16(0);
        s.u32(0);
        s.end(b);
    }
    simple(s, rec::Eof, {});
    return s.bytes;
}

} // namespace rowbit::xls
