#include "report/totals.h"

#include "app/cp949_text.h"
#include "app/picture.h"

namespace rowbit {

std::optional<Totals> sumNumberColumns(const ColumnSetup& setup, const RecordList& records) {
    Totals totals;
    for (int i = 0; i < kMaxColumns && setup.sheetColumn[i] != 0; ++i) {
        if (setup.type[i] == FieldType::Number)
            totals.numberSlots.push_back(i);
    }
    if (totals.numberSlots.empty())
        return std::nullopt;

    const std::size_t columns = totals.numberSlots.size();
    std::vector<double> sum(columns, 0), count(columns, 0), nonZero(columns, 0);
    for (std::size_t pos = 1; pos <= records.count(); ++pos) {
        const Record& record = records.at(pos);
        for (std::size_t k = 0; k < columns; ++k) {
            const double value = picture::readNumber(record.col[totals.numberSlots[k]]);
            sum[k] += value;
            count[k] += 1;
            if (value != 0)
                nonZero[k] += 1;
        }
    }
    auto ratio = [](double a, double b) -> std::optional<double> {
        if (b == 0)
            return std::nullopt;
        return a / b;
    };
    static const char* const kSubjects[6] = {"합 계", "건 수",       "평 균",
                                             "",      "건수(0제외)", "평균(0제외)"};
    for (int line = 0; line < 6; ++line) {
        totals.lines[line].subj = kSubjects[line];
        totals.lines[line].value.resize(columns);
    }
    for (std::size_t k = 0; k < columns; ++k) {
        totals.lines[0].value[k] = sum[k];
        totals.lines[1].value[k] = count[k];
        totals.lines[2].value[k] = ratio(sum[k], count[k]);
        totals.lines[3].value[k] = 0.0;
        totals.lines[4].value[k] = nonZero[k];
        totals.lines[5].value[k] = ratio(sum[k], nonZero[k]);
    }
    return totals;
}

std::string totalsText(const std::optional<double>& value) {
    if (!value)
        return {};
    return std::string(cp949::trim(picture::formatNumber(*value, "@N-25B")));
}

std::vector<browse::ListColumn> totalsColumns(const ColumnSetup& columns) {
    std::vector<browse::ListColumn> list{
        browse::ruledColumn(50, Justification::Center, " ", Justification::Center, "s30", 1)};
    for (int i = 0; i < std::min(columns.columnCount, kMaxColumns); ++i) {
        if (columns.type[i] != FieldType::Number)
            continue;
        const int field = static_cast<int>(list.size()) + 1;
        list.push_back(browse::ruledColumn(50, columns.justify[i],
                                           std::string(cp949::trimRight(columns.title[i])),
                                           Justification::Center, "N-25B", field));
    }
    return list;
}

int totalsWindowWidth(const ColumnSetup& columns) {
    int c = 0;
    for (int i = 0; i < std::min(columns.columnCount, kMaxColumns); ++i) {
        if (columns.type[i] == FieldType::Number)
            ++c;
    }
    return (c + 1) * 50 + 40;
}

} // namespace rowbit
