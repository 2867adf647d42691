// What is anchored to rows of a binary worksheet follows its rows when they move: merged
// ranges, links, notes, conditional formats and validations. The records are rewritten in the
// sheet's kept bytes; the cell table is regenerated anyway.
#include "workbook/row_map.h"
#include "workbook/xls/xls_model.h"

#include <algorithm>

namespace rowbit::xls {

namespace {

struct Ref8 {
    int r0, r1, c0, c1;
};

// Ref8 with 16-bit columns (MERGEDCELLS, HLINK) or Ref8U with 16-bit ones too (CONDFMT, DV).
Ref8 readRef(const uint8_t* p) {
    return {rd16(p), rd16(p + 2), rd16(p + 4), rd16(p + 6)};
}

void moveRef(uint8_t* p, int newRow) {
    wr16(p, static_cast<uint16_t>(newRow));
    wr16(p + 2, static_cast<uint16_t>(newRow));
}

// A list of ranges (count, then 8 bytes each) at `at`: ranges within a moving row move, those
// of a replaced row go, the rest stay. Returns the new list; `left` hears of each range over
// several rows that stays, and drops it by answering false.
std::vector<uint8_t> remapList(std::span<const uint8_t> b, std::size_t at, const RowMap& map,
                               const std::function<bool(const Ref8&)>& left) {
    std::vector<uint8_t> out(2, 0);
    const std::size_t n = at + 2 <= b.size() ? rd16(&b[at]) : 0;
    uint16_t kept = 0;
    for (std::size_t i = 0; i < n && at + 2 + 8 * (i + 1) <= b.size(); ++i) {
        const uint8_t* p = &b[at + 2 + 8 * i];
        const Ref8 r = readRef(p);
        int newRow = 0;
        const auto fate = map.place(r.r0, r.r1, newRow);
        if (fate == RowMap::Fate::Goes || (fate == RowMap::Fate::Breaks && left && !left(r)))
            continue;
        const std::size_t o = out.size();
        out.insert(out.end(), p, p + 8);
        if (fate == RowMap::Fate::Moves)
            moveRef(&out[o], newRow);
        ++kept;
    }
    wr16(out.data(), kept);
    return out;
}

// Where a DV record's list of ranges starts: after its flags, four strings and two formulas.
std::size_t dvRangesAt(std::span<const uint8_t> b) {
    std::size_t at = 4;
    for (int i = 0; i < 4; ++i) {
        if (at + 3 > b.size())
            return b.size();
        const std::size_t cch = rd16(&b[at]);
        at += 3 + cch * ((b[at + 2] & 1) ? 2 : 1);
    }
    for (int i = 0; i < 2; ++i) {
        if (at + 4 > b.size())
            return b.size();
        at += 4 + rd16(&b[at]);
    }
    return at;
}

// Every merged range of the sheet's substream.
std::vector<CellRange> mergesOf(std::span<const uint8_t> raw) {
    std::vector<CellRange> merges;
    RecordCursor cur(raw);
    RecordView rv;
    int depth = 0;
    while (cur.next(rv)) {
        if (rv.type == rec::Bof || rv.type == rec::Bof2 || rv.type == rec::Bof3 ||
            rv.type == rec::Bof4)
            ++depth;
        else if (rv.type == rec::Eof)
            --depth;
        if (depth != 1 || rv.type != rec::MergedCells || rv.body.size() < 2)
            continue;
        const std::size_t n = rd16(rv.body.data());
        for (std::size_t i = 0; i < n && 2 + 8 * (i + 1) <= rv.body.size(); ++i) {
            const Ref8 r = readRef(&rv.body[2 + 8 * i]);
            merges.push_back({r.r0, r.c0, r.r1, r.c1});
        }
    }
    return merges;
}

} // namespace

void XlsSheet::remapAnchors(const RowMap& map) {
    if (!map.moves())
        return;
    ByteSink out;
    out.bytes.reserve(raw_.size());
    RecordCursor cur(raw_);
    RecordView rv;
    int depth = 0;
    bool dropCf = false; // the CF records of a dropped CONDFMT go with it
    std::size_t dvalAt = 0;
    bool haveDval = false;
    uint32_t dvs = 0;
    const std::vector<CellRange> undo = mergesGivingWay(map, mergesOf(raw_), *this);
    auto keepMerge = [&](const Ref8& r) {
        const bool keep =
            std::find(undo.begin(), undo.end(), CellRange{r.r0, r.c0, r.r1, r.c1}) == undo.end();
        book_->notice({keep ? SaveNotice::Kind::MergeKept : SaveNotice::Kind::MergeUndone, name_,
                       rangeText(r.r0, r.c0, r.r1, r.c1)});
        return keep;
    };
    while (cur.next(rv)) {
        const auto& b = rv.body;
        if (rv.type == rec::Bof || rv.type == rec::Bof2 || rv.type == rec::Bof3 ||
            rv.type == rec::Bof4)
            ++depth;
        else if (rv.type == rec::Eof)
            --depth;
        if (depth != 1 || rv.type == rec::Eof) {
            out.raw(raw_.data() + rv.offset, 4 + b.size());
            continue;
        }
        if (rv.type != rec::Cf)
            dropCf = false;
        int newRow = 0;
        switch (rv.type) {
        case rec::MergedCells: {
            auto list = remapList(b, 0, map, keepMerge);
            if (rd16(list.data()) != 0)
                out.record(rv.type, list);
            continue;
        }
        case rec::HLink:
        case rec::HLinkTooltip: {
            const std::size_t at = rv.type == rec::HLink ? 0 : 2;
            if (b.size() < at + 8)
                break;
            const Ref8 r = readRef(&b[at]);
            const auto fate = map.place(r.r0, r.r1, newRow);
            if (fate == RowMap::Fate::Goes)
                continue;
            if (fate == RowMap::Fate::Moves) {
                std::vector<uint8_t> body(b.begin(), b.end());
                moveRef(&body[at], newRow);
                out.record(rv.type, body);
                continue;
            }
            break;
        }
        case rec::Note:
            if (b.size() >= 4 &&
                map.place(rd16(&b[0]), rd16(&b[0]), newRow) == RowMap::Fate::Moves) {
                std::vector<uint8_t> body(b.begin(), b.end());
                wr16(&body[0], static_cast<uint16_t>(newRow));
                out.record(rv.type, body);
                continue;
            }
            if (b.size() >= 4 && map.place(rd16(&b[0]), rd16(&b[0]), newRow) == RowMap::Fate::Goes)
                continue;
            break;
        case rec::CondFmt: {
            if (b.size() < 14)
                break;
            auto list = remapList(b, 12, map, {});
            if (rd16(list.data()) == 0) {
                dropCf = true;
                continue;
            }
            std::vector<uint8_t> body(b.begin(), b.begin() + 12);
            // The bounding range of what is left.
            Ref8 bound = readRef(&list[2]);
            for (std::size_t i = 1; i < rd16(list.data()); ++i) {
                const Ref8 r = readRef(&list[2 + 8 * i]);
                bound = {std::min(bound.r0, r.r0), std::max(bound.r1, r.r1),
                         std::min(bound.c0, r.c0), std::max(bound.c1, r.c1)};
            }
            wr16(&body[4], static_cast<uint16_t>(bound.r0));
            wr16(&body[6], static_cast<uint16_t>(bound.r1));
            wr16(&body[8], static_cast<uint16_t>(bound.c0));
            wr16(&body[10], static_cast<uint16_t>(bound.c1));
            body.insert(body.end(), list.begin(), list.end());
            out.record(rv.type, body);
            continue;
        }
        case rec::Cf:
            if (dropCf)
                continue;
            break;
        case rec::DVal:
            if (b.size() >= 18) {
                dvalAt = out.size() + 4;
                haveDval = true;
            }
            break;
        case rec::Dv: {
            const std::size_t at = dvRangesAt(b);
            if (at + 2 > b.size())
                break;
            auto list = remapList(b, at, map, {});
            if (rd16(list.data()) == 0)
                continue;
            std::vector<uint8_t> body(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(at));
            body.insert(body.end(), list.begin(), list.end());
            out.record(rv.type, body);
            ++dvs;
            continue;
        }
        default:
            break;
        }
        if (rv.type == rec::Dv)
            ++dvs;
        out.raw(raw_.data() + rv.offset, 4 + b.size());
    }
    if (haveDval)
        wr32(&out.bytes[dvalAt + 14], dvs);
    ownRaw_ = std::move(out.bytes);
    raw_ = ownRaw_;
}

} // namespace rowbit::xls
