#include "workbook/xls/formula_tokens.h"

#include "workbook/xls/biff.h"

namespace rowbit::xls {

namespace {

// Reference tokens by their class-free type.
constexpr uint8_t kRef = 0x24, kArea = 0x25, kRefErr = 0x2A, kAreaErr = 0x2B, kRefN = 0x2C,
                  kAreaN = 0x2D, kRef3d = 0x3A, kArea3d = 0x3B, kRefErr3d = 0x3C, kAreaErr3d = 0x3D;

// Operand tokens come in three classes (0x20, 0x40, 0x60) sharing their low five bits.
uint8_t baseOf(uint8_t t) {
    return t < 0x20 ? t : static_cast<uint8_t>(0x20 | (t & 0x1F));
}

uint8_t withBase(uint8_t original, uint8_t base) {
    return static_cast<uint8_t>((original & 0x60) | (base & 0x1F));
}

} // namespace

std::size_t tokenSize(const uint8_t* p, std::size_t avail) {
    if (avail == 0)
        return 0;
    const uint8_t t = p[0];
    std::size_t n = 0;
    if (t < 0x20) {
        switch (t) {
        case 0x01:
        case 0x02:
            n = 5;
            break;
        case 0x17: // a string constant: length, option byte, characters
            if (avail < 3)
                return 0;
            n = 3 + std::size_t{p[1]} * ((p[2] & 1) ? 2 : 1);
            break;
        case 0x19: // attribute; "choose" carries a jump table
            if (avail < 4)
                return 0;
            n = (p[1] & 0x04) ? 4 + 2 * (std::size_t{rd16(p + 2)} + 1) : 4;
            break;
        case 0x1C:
        case 0x1D:
            n = 2;
            break;
        case 0x1E:
            n = 3;
            break;
        case 0x1F:
            n = 9;
            break;
        default:
            if (t >= 0x03 && t <= 0x16)
                n = 1;
            else
                return 0;
        }
    } else {
        switch (baseOf(t)) {
        case 0x20: // array constant: its values follow the whole formula
            n = 8;
            break;
        case 0x21:
        case 0x29:
        case 0x2E: // ptgMemAreaN, ptgMemNoMemN (in names)
        case 0x2F:
            n = 3;
            break;
        case 0x22:
            n = 4;
            break;
        case 0x23:
        case 0x24:
        case 0x2A:
        case 0x2C:
            n = 5;
            break;
        case 0x25:
        case 0x2B:
        case 0x2D:
            n = 9;
            break;
        case 0x26:
        case 0x27:
        case 0x28:
        case 0x39:
        case 0x3A:
        case 0x3C:
            n = 7;
            break;
        case 0x3B:
        case 0x3D:
            n = 11;
            break;
        default:
            return 0;
        }
    }
    return n <= avail ? n : 0;
}

namespace {

constexpr uint8_t kArray = 0x20, kMemArea = 0x26, kMemNoMem = 0x28;

// Size of one PtgExtraArray (an array constant's values) at p, or 0 when it runs past end.
std::size_t extraArraySize(const uint8_t* p, std::size_t avail) {
    if (avail < 3)
        return 0;
    const std::size_t values = (std::size_t{p[0]} + 1) * (std::size_t{rd16(p + 1)} + 1);
    std::size_t at = 3;
    for (std::size_t i = 0; i < values; ++i) {
        if (at >= avail)
            return 0;
        if (p[at] == 0x02) { // a string: length, option byte, characters
            if (at + 4 > avail)
                return 0;
            at += 4 + std::size_t{rd16(p + at + 1)} * ((p[at + 3] & 1) ? 2 : 1);
        } else {
            at += 9;
        }
    }
    return at <= avail ? at : 0;
}

// Drops the cache of every ptgMemArea of `rgce` from `extra` and makes the token a
// ptgMemNoMem (the same size, computed when needed). False when `extra` is not understood.
bool dropAreaCaches(std::vector<uint8_t>& rgce, std::vector<uint8_t>& extra) {
    std::vector<uint8_t> out;
    out.reserve(extra.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < rgce.size();) {
        const std::size_t n = tokenSize(&rgce[i], rgce.size() - i);
        if (n == 0)
            return false;
        const uint8_t t = rgce[i];
        if (t >= 0x20 && baseOf(t) == kArray) {
            const std::size_t k = extraArraySize(extra.data() + at, extra.size() - at);
            if (k == 0)
                return false;
            out.insert(out.end(), extra.begin() + static_cast<std::ptrdiff_t>(at),
                       extra.begin() + static_cast<std::ptrdiff_t>(at + k));
            at += k;
        } else if (t >= 0x20 && baseOf(t) == kMemArea) {
            if (at + 2 > extra.size() || at + 2 + 8 * std::size_t{rd16(&extra[at])} > extra.size())
                return false;
            at += 2 + 8 * std::size_t{rd16(&extra[at])};
            rgce[i] = withBase(t, kMemNoMem);
        }
        i += n;
    }
    out.insert(out.end(), extra.begin() + static_cast<std::ptrdiff_t>(at), extra.end());
    extra.swap(out);
    return true;
}

} // namespace

RefsAfter mapRowRefs(std::vector<uint8_t>& rgce, std::vector<uint8_t>* extra, const RowMap& map,
                     const RefScope& scope) {
    if (!map.moves())
        return RefsAfter::Same;
    // Edits go to a copy: a split range further on keeps the formula as it was.
    std::vector<uint8_t> out;
    bool changed = false, deleted = false, caches = false;
    auto edit = [&](std::size_t i) {
        if (!changed)
            out = rgce;
        changed = true;
        return &out[i];
    };
    auto where = [&](uint8_t kind, uint16_t ixti) {
        if (kind == kRef || kind == kArea)
            return scope.plainRefs ? 1 : 0;
        return ixti < scope.xti.size() ? scope.xti[ixti] : 0;
    };
    for (std::size_t i = 0; i < rgce.size();) {
        const std::size_t n = tokenSize(&rgce[i], rgce.size() - i);
        if (n == 0)
            return RefsAfter::NotUnderstood;
        const uint8_t* p = &rgce[i];
        const uint8_t kind = baseOf(p[0]);
        const bool threeD = kind == kRef3d || kind == kArea3d;
        if (kind == kMemArea)
            caches = true;
        if (kind == kRef || kind == kRef3d) {
            const int scopeOf = where(kind, threeD ? rd16(p + 1) : 0);
            const std::size_t loc = threeD ? 3 : 1;
            const int row = rd16(p + loc);
            const auto after = scopeOf ? map.rowAfter(row) : std::optional<int>(row);
            if (after != row && scopeOf == 2)
                return RefsAfter::Kept;
            if (!after) {
                uint8_t* q = edit(i);
                q[0] = withBase(q[0], kind == kRef ? kRefErr : kRefErr3d);
                deleted = true;
            } else if (*after != row) {
                wr16(edit(i) + loc, static_cast<uint16_t>(*after));
            }
        } else if (kind == kArea || kind == kArea3d) {
            const int scopeOf = where(kind, threeD ? rd16(p + 1) : 0);
            const std::size_t loc = threeD ? 3 : 1;
            const int r0 = rd16(p + loc), r1 = rd16(p + loc + 2);
            const bool wholeCols = r0 == 0 && r1 == kMaxRows - 1;
            if (scopeOf && !wholeCols) {
                const auto range = map.rangeAfter(std::min(r0, r1), std::max(r0, r1));
                using Kind = RowMap::RangeAfter::Kind;
                if (range.kind == Kind::Splits || (range.kind != Kind::Same && scopeOf == 2))
                    return RefsAfter::Kept;
                if (range.kind == Kind::Gone) {
                    uint8_t* q = edit(i);
                    q[0] = withBase(q[0], kind == kArea ? kAreaErr : kAreaErr3d);
                    deleted = true;
                } else if (range.kind == Kind::Moves) {
                    uint8_t* q = edit(i);
                    wr16(q + loc, static_cast<uint16_t>(r0 <= r1 ? range.first : range.last));
                    wr16(q + loc + 2, static_cast<uint16_t>(r0 <= r1 ? range.last : range.first));
                }
            }
        }
        i += n;
    }
    if (!changed)
        return RefsAfter::Same;
    if (caches) {
        if (!extra)
            return RefsAfter::Kept;
        std::vector<uint8_t> kept = *extra;
        if (!dropAreaCaches(out, kept))
            return RefsAfter::Kept;
        extra->swap(kept);
    }
    rgce.swap(out);
    return deleted ? RefsAfter::Deleted : RefsAfter::Changed;
}

std::optional<std::vector<uint8_t>> sharedToPlain(std::span<const uint8_t> rgce, int row, int col) {
    std::vector<uint8_t> out(rgce.begin(), rgce.end());
    auto fix = [&](uint8_t* rw, uint8_t* cl) {
        const uint16_t cf = rd16(cl);
        if (cf & 0x8000)
            wr16(rw, static_cast<uint16_t>((row + static_cast<int16_t>(rd16(rw))) & 0xFFFF));
        if (cf & 0x4000) {
            const int c = (col + static_cast<int8_t>(cf & 0xFF)) & 0xFF;
            wr16(cl, static_cast<uint16_t>((cf & 0xC000) | c));
        }
    };
    std::size_t i = 0;
    while (i < out.size()) {
        const std::size_t n = tokenSize(&out[i], out.size() - i);
        if (n == 0)
            return std::nullopt;
        uint8_t* p = &out[i];
        const uint8_t kind = baseOf(p[0]);
        if (kind == kRefN) {
            p[0] = withBase(p[0], kRef);
            fix(p + 1, p + 3);
        } else if (kind == kAreaN) {
            p[0] = withBase(p[0], kArea);
            fix(p + 1, p + 5);
            fix(p + 3, p + 7);
        } else if (kind == kRef3d) {
            fix(p + 3, p + 5);
        } else if (kind == kArea3d) {
            fix(p + 3, p + 7);
            fix(p + 5, p + 9);
        }
        i += n;
    }
    return out;
}

} // namespace rowbit::xls
