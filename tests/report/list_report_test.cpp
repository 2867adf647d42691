#include "app/picture.h"
#include "document/settings_sheet.h"
#include "report/list_print.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

namespace rowbit::report {
namespace {

ColumnSetup setupOf(std::vector<std::string> types, std::vector<int> widths) {
    ColumnSetup columns;
    for (std::size_t k = 0; k < types.size(); ++k) {
        columns.sheetColumn[k] = static_cast<int>(k + 1);
        columns.type[k] = fieldTypeOfLetter(types[k]).value();
        columns.title[k] = "c" + std::to_string(k + 1) + "  ";
        columns.listWidth[k] = widths[k];
    }
    columns.columnCount = static_cast<int>(types.size());
    return columns;
}

void addRecords(RecordList& records, int count, std::vector<std::string> fields) {
    for (int n = 1; n <= count; ++n) {
        records.buffer.clear();
        for (std::size_t k = 0; k < fields.size(); ++k)
            records.buffer.col[k] = fields[k] == "#" ? std::to_string(n) : fields[k];
        records.add();
    }
}

// The texts of a page that stand at one height, in order of x.
std::vector<std::string> textsAt(const Page& page, int y) {
    std::vector<std::string> texts;
    for (const PageText& t : page.texts) {
        if (t.y == y)
            texts.push_back(t.text);
    }
    return texts;
}

std::vector<Page> layOut(const ColumnSetup& columns, const RecordList& records, bool landscape) {
    ListReport report(columns, records, "/home/kim/장부/cash.xls", landscape,
                      {picture::serialFromCivil({2026, 12, 7}), 17 * 3600 + 30 * 60});
    while (!report.layOutNextBatch()) {
    }
    return report.takePages();
}

TEST(ListReport, ColumnsTakeSharesOfTheTitleBoxNarrowOnesLeftOut) {
    struct Case {
        std::vector<std::string> types;
        std::vector<int> widths;
        int box;
        std::vector<ReportColumn> expected;
    };
    const std::vector<Case> cases = {
        // 542 + 7327 * 100 / 205 = 4116; a cell ends one blank before the next column.
        {{"S", "N", "N"},
         {100, 5, 100},
         7427,
         {{0, 542, 3512, false, "c1"}, {2, 4116, 3645, true, "c3"}}},
        {{"S", "N", "N"},
         {100, 5, 100},
         10855,
         {{0, 542, 5184, false, "c1"}, {2, 5788, 5401, true, "c3"}}},
        // The first column is never totalled, nor text and date columns.
        {{"N", "N", "S", "D"},
         {50, 50, 50, 50},
         7427,
         {{0, 542, 1769, false, "c1"},
          {1, 2373, 1769, true, "c2"},
          {2, 4204, 1769, false, "c3"},
          {3, 6035, 1726, false, "c4"}}},
        // Column 1 left out: the first printed column still stands at 542.
        {{"S", "N"}, {9, 100}, 7427, {{1, 542, 7219, true, "c2"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeColumns(setupOf(c.types, c.widths), c.box), c.expected);
}

TEST(ListReport, TitleIsTheFileNameAfterTheLastSlashOfEitherKind) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\data\\cash.xls", "cash.xls"},
        {"/home/kim/cash.xls  ", "cash.xls"},
        {"/tmp/start/Noname.xls", "Noname.xls"},
        {"/mixed\\dir/a\\b.xlsx", "b.xlsx"},
        {"plain.xls", "plain.xls"},
    };
    for (const auto& [path, title] : cases)
        EXPECT_EQ(reportTitle(path), title) << path;
}

TEST(ListReport, PagesCarryHeaderDetailRulesAndRunningTotals) {
    const ColumnSetup columns = setupOf({"N", "N", "S"}, {60, 60, 20});
    RecordList records;
    addRecords(records, 100, {"#", "1,234.50", "가나다라마바사아자차카타파하"});
    struct Case {
        bool landscape;
        std::vector<std::size_t> lines; // detail lines per page
        std::vector<std::string> totals;
        int frame;
    };
    const std::vector<Case> cases = {
        {false, {43, 43, 14}, {"53083.5", "106167", "123450"}, 7427},
        {true, {26, 26, 26, 22}, {"32097", "64194", "96291", "123450"}, 10855},
    };
    for (const Case& c : cases) {
        const std::vector<Page> pages = layOut(columns, records, c.landscape);
        ASSERT_EQ(pages.size(), c.lines.size());
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const Page& page = pages[p];
            EXPECT_EQ(page.landscape(), c.landscape);
            EXPECT_EQ(textsAt(page, 452 + 396), std::vector<std::string>{"cash.xls"});
            const std::string number = picture::formatPage(static_cast<int>(p) + 1);
            const int left = page.landscape() ? 2 : 4;
            EXPECT_EQ(textsAt(page, 452 + 948),
                      (std::vector<std::string>{"출력일자 :", "2026-12-07", "5:30PM", number}));
            EXPECT_EQ(textsAt(page, 452 + 1229), (std::vector<std::string>{"c1", "c2", "c3"}));
            // Header rule and one rule under every line; the detail rule never widens.
            ASSERT_EQ(page.lines.size(), c.lines[p] + 1);
            EXPECT_EQ(page.lines[0], (PageLine{left + 396, 452 + 729, c.frame}));
            EXPECT_EQ(page.lines[1], (PageLine{left + 396, 1885 + 208, 7427}));
            EXPECT_EQ(page.rects.front(), (PageRect{left + 396, 452 + 1125, c.frame, 313}));
            // The first line's texts: the number column as shown, the text cut to its cell.
            const auto first = textsAt(page, 1885 + 42);
            ASSERT_EQ(first.size(), 3u);
            EXPECT_EQ(first[0], std::to_string(p * c.lines[0] + 1));
            EXPECT_EQ(first[1], "1,234.50");
            EXPECT_EQ(first[2], c.landscape ? "가나다라마바사아자차" : "가나다라마바사");
            // Totals through the page's last line, at the foot of the body.
            const int foot = 1885 + (c.landscape ? 6000 : 9365) - 417;
            EXPECT_EQ(page.rects.back(), (PageRect{left + 396, foot + 10, c.frame, 238}));
            EXPECT_EQ(textsAt(page, foot + 42), std::vector<std::string>{c.totals[p]});
        }
    }
}

TEST(ListReport, BatchesOf200ShowTheirPercentBeforeEachBatch) {
    const ColumnSetup columns = setupOf({"S"}, {50});
    RecordList records;
    addRecords(records, 400, {"#"});
    ListReport report(columns, records, "a.xls", false, {});
    ReportProgress progress;
    std::vector<std::pair<int, std::string>> seen;
    bool done = false;
    while (!done) {
        done = report.tick(progress);
        seen.emplace_back(progress.thermometer, progress.text);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{0, ""}, {50, " 50% 진행중"}}));
    EXPECT_EQ(report.takePages().size(), 10u);
}

TEST(ListReport, FlowFromPrintCommandToPrinter) {
    struct Case {
        int records;
        bool renders; // false: Cancel in the progress window
        int verdict;
        PrintOutcome printed;
        int answer; // to the no-printer question
        ListPrintOutcome outcome;
        std::vector<std::string> messages;
        std::string calls;
    };
    const std::vector<Case> cases = {
        {0, true, 1, PrintOutcome::Printed, 1, ListPrintOutcome::NoData, {kNoData}, ""},
        {3, false, 1, PrintOutcome::Printed, 1, ListPrintOutcome::Cancelled, {}, "render "},
        {3, true, 2, PrintOutcome::Printed, 1, ListPrintOutcome::NotPrinted, {}, "render preview "},
        {3,
         true,
         1,
         PrintOutcome::Printed,
         1,
         ListPrintOutcome::Printed,
         {},
         "render preview print "},
        {3,
         true,
         1,
         PrintOutcome::NoPrinter,
         1,
         ListPrintOutcome::NotPrinted,
         {kNoPrinter},
         "render preview print pdf "},
        {3,
         true,
         1,
         PrintOutcome::NoPrinter,
         2,
         ListPrintOutcome::NotPrinted,
         {kNoPrinter},
         "render preview print "},
        {3,
         true,
         1,
         PrintOutcome::Failed,
         1,
         ListPrintOutcome::NotPrinted,
         {kPrintFailed},
         "render preview print "},
    };
    for (const Case& c : cases) {
        const ColumnSetup columns = setupOf({"S"}, {50});
        RecordList records;
        addRecords(records, c.records, {"#"});
        testing::ScriptedPrompts prompts;
        prompts.messageAnswers = {c.answer};
        std::string calls;
        ListPrintWindows windows;
        windows.render = [&](ListReport& report) {
            calls += "render ";
            while (c.renders && !report.layOutNextBatch()) {
            }
            return c.renders;
        };
        windows.preview = [&](const std::vector<Page>& pages) {
            calls += "preview ";
            EXPECT_EQ(pages.size(), 1u);
            return c.verdict;
        };
        windows.print = [&](const std::vector<Page>&) {
            calls += "print ";
            return c.printed;
        };
        windows.savePdf = [&](const std::vector<Page>&) { calls += "pdf "; };
        EXPECT_EQ(printList(columns, records, "", prompts, false, {}, windows), c.outcome);
        EXPECT_EQ(prompts.messageTexts(), c.messages);
        EXPECT_EQ(calls, c.calls);
    }
}

} // namespace
} // namespace rowbit::report
