#include "document/settings_sheet.h"
#include "report/totals.h"
#include "support/list_notation.h"

#include <gtest/gtest.h>

namespace rowbit {
namespace {

struct Table {
    ColumnSetup columns;
    RecordList records;
    Table(std::vector<std::string> types, std::vector<std::vector<std::string>> rows) {
        for (std::size_t k = 0; k < types.size(); ++k) {
            columns.sheetColumn[k] = static_cast<int>(k + 1);
            columns.type[k] = fieldTypeOfLetter(types[k]).value();
            columns.justify[k] = types[k] == "N" ? Justification::Right : Justification::Left;
            columns.title[k] = "c" + std::to_string(k + 1);
        }
        columns.columnCount = static_cast<int>(types.size());
        for (const auto& row : rows) {
            records.buffer.clear();
            for (std::size_t k = 0; k < row.size(); ++k)
                records.buffer.col[k] = row[k];
            records.add();
        }
    }
    std::vector<std::string> shown(int column) const {
        const auto totals = sumNumberColumns(columns, records);
        std::vector<std::string> lines;
        for (const TotalsLine& line : totals->lines)
            lines.push_back(totalsText(line.value[static_cast<std::size_t>(column)]));
        return lines;
    }
};

TEST(Totals, SumCountAverageAndTheirNonZeroForms) {
    Table t({"S", "N"}, {{"a", "10"}, {"b", "0"}, {"c", "4"}});
    const auto totals = sumNumberColumns(t.columns, t.records);
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->numberSlots, std::vector<int>{1});
    std::vector<std::string> subjects;
    for (const TotalsLine& line : totals->lines)
        subjects.push_back(line.subj);
    EXPECT_EQ(subjects, (std::vector<std::string>{"합 계", "건 수", "평 균", "", "건수(0제외)",
                                                  "평균(0제외)"}));
    EXPECT_EQ(t.shown(0), (std::vector<std::string>{"14", "3", "5", "", "2", "7"}));
}

TEST(Totals, FormattedTextsCountAsTheirNumbers) {
    struct Case {
        std::vector<std::vector<std::string>> rows;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {{{"1,234"}, {"-1,234"}}, {"", "2", "", "", "2", ""}},
        {{{"n/a"}, {""}}, {"", "2", "", "", "", ""}}, // no value: averages stay empty
        {{{"1,234.5"}, {"12원"}}, {"1,247", "2", "623", "", "2", "623"}},
        {{}, {"", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        Table t({"N"}, c.rows);
        EXPECT_EQ(t.shown(0), c.shown);
    }
}

TEST(Totals, OnlyNumberColumns) {
    Table none({"S", "D"}, {{"a", "15-10-31"}});
    EXPECT_FALSE(sumNumberColumns(none.columns, none.records));
    EXPECT_EQ(totalsWindowWidth(none.columns), 90);

    Table two({"N", "S", "N"}, {{"1", "x", "2"}});
    two.columns.title[0] = "금액";
    two.columns.title[2] = "수량  ";
    EXPECT_EQ(testing::listNotation(totalsColumns(two.columns)),
              "50C(2)|_M~ ~C(0)@s30@50R(2)|_M~금액~C(0)@N-25B@"
              "50R(2)|_M~수량~C(0)@N-25B@");
    EXPECT_EQ(totalsWindowWidth(two.columns), 190);
    EXPECT_EQ(two.shown(1), (std::vector<std::string>{"2", "1", "2", "", "1", "2"}));
}

} // namespace
} // namespace rowbit
