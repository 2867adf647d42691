#include "workbook/row_map.h"

#include "workbook/column_letter.h"

#include <algorithm>
#include <climits>

namespace rowbit {

RowMap::RowMap(std::span<const RowMove> moves, std::span<const int> deletedRows) {
    // Dense tables over the rows involved: a sort moves every row of a long list, and a
    // lookup per anchor must stay cheap.
    bool any = false;
    auto involve = [&](int lo, int hi) {
        low_ = any ? std::min(low_, lo) : lo;
        high_ = any ? std::max(high_, hi) : hi;
        any = true;
    };
    for (const RowMove& m : moves) {
        if (m.source != m.target)
            involve(std::min(m.source, m.target), std::max(m.source, m.target));
    }
    for (const int row : deletedRows)
        involve(row, row);
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
            target = kGone;
    }
    for (const int row : deletedRows) {
        if (!isSource[static_cast<std::size_t>(row - low_)])
            to_[static_cast<std::size_t>(row - low_)] = kGone;
    }
}

std::optional<int> RowMap::rowAfter(int row) const {
    if (to_.empty() || row < low_ || row > high_)
        return row;
    const int to = to_[static_cast<std::size_t>(row - low_)];
    if (to == kGone)
        return std::nullopt;
    return to == kStays ? row : to;
}

void RowMap::buildRangeIndex() const {
    const std::size_t n = to_.size();
    std::vector<char> receives(n, 0);
    for (const int to : to_) {
        if (to >= 0)
            receives[static_cast<std::size_t>(to - low_)] = 1;
    }
    index_.gonePrefix.assign(n + 1, 0);
    index_.emptyPrefix.assign(n + 1, 0);
    std::size_t leaves = 1;
    while (leaves < n)
        leaves *= 2;
    index_.leaves = leaves;
    index_.minTree.assign(2 * leaves, INT_MAX);
    index_.maxTree.assign(2 * leaves, INT_MIN);
    for (std::size_t i = 0; i < n; ++i) {
        const int to = to_[i];
        index_.gonePrefix[i + 1] = index_.gonePrefix[i] + (to == kGone ? 1 : 0);
        index_.emptyPrefix[i + 1] = index_.emptyPrefix[i] + (to != kStays && !receives[i] ? 1 : 0);
        if (to != kGone) {
            const int row = to == kStays ? low_ + static_cast<int>(i) : to;
            index_.minTree[leaves + i] = row;
            index_.maxTree[leaves + i] = row;
        }
    }
    for (std::size_t i = leaves - 1; i >= 1; --i) {
        index_.minTree[i] = std::min(index_.minTree[2 * i], index_.minTree[2 * i + 1]);
        index_.maxTree[i] = std::max(index_.maxTree[2 * i], index_.maxTree[2 * i + 1]);
    }
}

RowMap::RangeAfter RowMap::rangeAfter(int firstRow, int lastRow) const {
    using Kind = RangeAfter::Kind;
    if (to_.empty() || lastRow < low_ || firstRow > high_)
        return {Kind::Same, firstRow, lastRow};
    std::call_once(rangeIndexBuilt_, [this] { buildRangeIndex(); });

    // Rows outside low_..high_ keep their places; the involved part asks the index.
    const int a = std::max(firstRow, low_), b = std::min(lastRow, high_);
    std::size_t lo = static_cast<std::size_t>(a - low_) + index_.leaves;
    std::size_t hi = static_cast<std::size_t>(b - low_) + index_.leaves + 1;
    int newMin = INT_MAX, newMax = INT_MIN;
    for (; lo < hi; lo /= 2, hi /= 2) {
        if (lo & 1) {
            newMin = std::min(newMin, index_.minTree[lo]);
            newMax = std::max(newMax, index_.maxTree[lo++]);
        }
        if (hi & 1) {
            newMin = std::min(newMin, index_.minTree[--hi]);
            newMax = std::max(newMax, index_.maxTree[hi]);
        }
    }
    if (firstRow < a) {
        newMin = std::min(newMin, firstRow);
        newMax = std::max(newMax, a - 1);
    }
    if (lastRow > b) {
        newMin = std::min(newMin, b + 1);
        newMax = std::max(newMax, lastRow);
    }
    auto count = [&](const std::vector<int>& prefix, long long first, long long last) {
        first = std::max<long long>(first, low_);
        last = std::min<long long>(last, high_);
        return first > last ? 0
                            : prefix[static_cast<std::size_t>(last - low_ + 1)] -
                                  prefix[static_cast<std::size_t>(first - low_)];
    };
    const long long survivors =
        static_cast<long long>(lastRow - firstRow + 1) - count(index_.gonePrefix, a, b);
    if (survivors == 0)
        return {Kind::Gone, firstRow, lastRow};
    // New rows are distinct, so the survivors alone hold newMin..newMax when every row there
    // that holds anything afterwards is one of them; rows left empty by the move do not count.
    const long long holding =
        static_cast<long long>(newMax) - newMin + 1 - count(index_.emptyPrefix, newMin, newMax);
    if (holding != survivors)
        return {Kind::Splits, firstRow, lastRow};
    if (newMin == firstRow && newMax == lastRow)
        return {Kind::Same, firstRow, lastRow};
    return {Kind::Moves, newMin, newMax};
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
        return to == kGone ? Fate::Goes : Fate::Stays;
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
    out += columnLetters(col + 1) + std::to_string(row + 1);
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
