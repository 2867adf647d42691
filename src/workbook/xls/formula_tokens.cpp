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

bool shiftRow(uint8_t* field, int delta) {
    const int row = rd16(field) + delta;
    if (row < 0 || row >= kMaxRows)
        return false;
    wr16(field, static_cast<uint16_t>(row));
    return true;
}

} // namespace

bool shiftRelativeRows(std::vector<uint8_t>& rgce, int delta) {
    std::vector<uint8_t> out = rgce;
    std::size_t i = 0;
    while (i < out.size()) {
        const std::size_t n = tokenSize(&out[i], out.size() - i);
        if (n == 0)
            return false;
        uint8_t* p = &out[i];
        const uint8_t kind = baseOf(p[0]);
        if (kind == kRef || kind == kRef3d) {
            uint8_t* loc = p + (kind == kRef3d ? 3 : 1);
            if ((rd16(loc + 2) & 0x8000) && !shiftRow(loc, delta))
                p[0] = withBase(p[0], kind == kRef ? kRefErr : kRefErr3d);
        } else if (kind == kArea || kind == kArea3d) {
            uint8_t* loc = p + (kind == kArea3d ? 3 : 1);
            const bool wholeCols = rd16(loc) == 0 && rd16(loc + 2) == 0xFFFF;
            if (!wholeCols) {
                bool ok = true;
                if (rd16(loc + 4) & 0x8000)
                    ok = shiftRow(loc, delta) && ok;
                if (rd16(loc + 6) & 0x8000)
                    ok = shiftRow(loc + 2, delta) && ok;
                if (!ok)
                    p[0] = withBase(p[0], kind == kArea ? kAreaErr : kAreaErr3d);
            }
        }
        i += n;
    }
    rgce.swap(out);
    return true;
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
