#pragma once
// Column totals: over all records, per number column, the sum, the count, the average,
// the count of non-zero values and their average.

#include "app/list_format.h"
#include "app/records.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace rowbit {

inline constexpr const char* kNoNumberColumns =
    " 계산할 숫자필드가 없습니다. [Setting]에서 숫자필드를 지정해 주삼 ";
inline constexpr const char* kTotalsCaption = "Total SumUp";

struct TotalsLine {
    std::string subj;                         // "합 계", "건 수", ...
    std::vector<std::optional<double>> value; // per number column; nullopt: no value (x / 0)
};

struct Totals {
    // 0-based setup slots of the number columns, in slot order ("slots" is a word Qt takes)
    std::vector<int> numberSlots;
    std::array<TotalsLine, 6> lines;
};

// The totals; nullopt when the setup has no number column.
std::optional<Totals> sumNumberColumns(const ColumnSetup& columns, const RecordList& records);
// A value as the totals window shows it: "@N-25B", leading blanks removed ("" for 0 and none).
std::string totalsText(const std::optional<double>& value);
// The totals list's columns: the line's name (field 1), then one per number column (fields 2
// on) showing its value in the "@N-25B" picture; and the window's width in dialog units.
std::vector<browse::ListColumn> totalsColumns(const ColumnSetup& columns);
int totalsWindowWidth(const ColumnSetup& columns);

} // namespace rowbit
