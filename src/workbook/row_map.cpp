#include "workbook/row_map.h"

#include <algorithm>

namespace rowbit {

RowMap::RowMap(std::span<const RowMove> moves) {
    // Dense tables over the rows involved: a sort moves every row of a long list, and a
    // lookup per anchor must stay cheap.
    bool any = false;
    for (const RowMove& m : moves) {
        if (m.source == m.target)
            continue;
        const int lo = std::min(m.source, m.target), hi = std::max(m.source, m.target);
        low_ = any ? std::min(low_, lo) : lo;
        high_ = any ? std::max(high_, hi) : hi;
        any = true;
    }
    if (!any)
        return;
    const auto span = static_cast<std::size_t>(high_ - low_ + 1);
    to_.assign(span, kStays);
    std::vector<char> isSource(span, 0);
    for (const RowMove& m : moves) {
        if (m.source >= low_ && m.source <= high_)
            isSource[static_cast<std::size_t>(m.source - low_)] = 1;
    }
    for (const RowMove& m : moves) {
        if (m.source == m.target)
            continue;
        to_[static_cast<std::size_t>(m.source - low_)] = m.target;
        auto& target = to_[static_cast<std::size_t>(m.target - low_)];
        if (!isSource[static_cast<std::size_t>(m.target - low_)] && target == kStays)
            target = kReplaced;
    }
}

RowMap::Fate RowMap::place(int firstRow, int lastRow, int& newRow) const {
    newRow = firstRow;
    if (to_.empty() || lastRow < low_ || firstRow > high_)
        return Fate::Stays;
    auto at = [&](int row) { return to_[static_cast<std::size_t>(row - low_)]; };
    if (firstRow == lastRow) {
        const int to = at(firstRow);
        if (to >= 0) {
            newRow = to;
            return Fate::Moves;
        }
        return to == kReplaced ? Fate::Goes : Fate::Stays;
    }
    for (int r = std::max(firstRow, low_); r <= std::min(lastRow, high_); ++r) {
        if (at(r) != kStays)
            return Fate::Breaks;
    }
    return Fate::Stays;
}

std::vector<CellRange> mergesGivingWay(const RowMap& map, std::span<const CellRange> merges,
                                       const Sheet& sheet) {
    std::vector<CellRange> kept, moved;
    for (const CellRange& m : merges) {
        int newRow = 0;
        switch (map.place(m.firstRow, m.lastRow, newRow)) {
        case RowMap::Fate::Breaks:
            kept.push_back(m);
            break;
        case RowMap::Fate::Moves:
            moved.push_back({newRow, m.firstCol, newRow, m.lastCol});
            break;
        default:
            break;
        }
    }
    // Only the used part of a range can hold values.
    const int rows = sheet.lastRow(), cols = sheet.lastCol();
    auto hides = [&](const CellRange& k) {
        for (int r = k.firstRow; r <= std::min(k.lastRow, rows - 1); ++r) {
            for (int c = k.firstCol; c <= std::min(k.lastCol, cols - 1); ++c) {
                const CellType t = sheet.cellType(r, c);
                if ((r != k.firstRow || c != k.firstCol) && t != CellType::Empty &&
                    t != CellType::Blank)
                    return true;
            }
        }
        return false;
    };
    auto overlapped = [&](const CellRange& k) {
        return std::any_of(moved.begin(), moved.end(), [&](const CellRange& m) {
            return m.firstRow <= k.lastRow && k.firstRow <= m.lastRow && m.firstCol <= k.lastCol &&
                   k.firstCol <= m.lastCol;
        });
    };
    std::erase_if(kept, [&](const CellRange& k) { return !overlapped(k) && !hides(k); });
    return kept;
}

namespace {

void appendCell(std::string& out, int row, int col) {
    std::string letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    out += letters + std::to_string(row + 1);
}

} // namespace

std::string rangeText(int firstRow, int firstCol, int lastRow, int lastCol) {
    std::string out;
    appendCell(out, firstRow, firstCol);
    if (firstRow != lastRow || firstCol != lastCol) {
        out += ':';
        appendCell(out, lastRow, lastCol);
    }
    return out;
}

} // namespace rowbit
