#include "app/cp949_text.h"
#include "app/picture.h"
#include "document/row_list.h"
#include "support/list_notation.h"
#include "support/memory_book.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace rowbit {
namespace {

using testing::MemoryBook;
using testing::MemorySheet;
using testing::number;
using testing::ScriptedPrompts;
using testing::text;

double serialOf(int y, int m, int d) {
    return picture::serialFromCivil({y, m, d});
}

TEST(RowListText, NumbersShowGroupedWithTheirOwnDecimals) {
    struct Case {
        double value;
        const char* shown;
    };
    const Case cases[] = {
        {0, ""},
        {2.5, "2.5"},
        {2.50, "2.5"},
        {1e6, "1,000,000"},
        {-1234.5, "-1,234.5"},
        {1234567, "1,234,567"},
        {0.125, "0.125"},
        {-7, "-7"},
        {1e17, "100,000,000,000,000,000"}, // wider than the list: kept whole in the record
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberText(c.value), c.shown) << c.value;
}

TEST(RowListText, NumbersShowAsTheListPictureWouldShowThem) {
    // What the list shows of any number is its plain text's places through "@n-18.dB".
    ColumnSetup columns;
    columns.type[0] = FieldType::Number;
    std::vector<double> values = {1e15,    -1e16,   123456789012345678.0, 1e-7,   0.1 + 0.2,
                                  -0.0004, 999.995, 1234567.891,          -1e-300};
    std::uint64_t seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double scale = std::pow(10.0, static_cast<int>(seed >> 60) - 4);
        values.push_back((static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5) * scale);
        values.push_back(std::round(values.back()));
        // Amounts of a few places, the common case.
        const double unit = std::pow(10.0, static_cast<int>(seed >> 8 & 7));
        values.push_back(std::round(values.back() / 7 * unit) / unit);
    }
    for (double v : values) {
        const std::string plain = picture::plainDecimal(v);
        const auto point = plain.find('.');
        const int places = point == std::string::npos ? 0 : int(plain.size() - point - 1);
        const std::string picture =
            places == 0 ? std::string("N-18B") : "@n-18." + std::to_string(places) + "B";
        std::string expected = picture::formatNumber(v, picture);
        expected.erase(0, expected.find_first_not_of(' ') == std::string::npos
                              ? expected.size()
                              : expected.find_first_not_of(' '));
        if (expected.size() > kListNumberWidth) // the picture's 18 places are all there is
            expected.assign(kListNumberWidth, '#');
        EXPECT_EQ(listFieldText(columns, 0, numberText(v)), expected) << plain;
    }
}

TEST(RowListText, DatesInEveryDatePicture) {
    MemoryBook book;
    auto* sheet = static_cast<MemorySheet*>(book.addSheet("S"));
    const int dateFormat = book.addFormat(true);
    sheet->setCell(0, 0, number(serialOf(2015, 10, 31) + 0.75, dateFormat)); // with a time
    struct Case {
        const char* datePicture;
        const char* shown;
    };
    const Case cases[] = {
        {"@D1", "10/31/15"}, {"@D1-", "10-31-15"}, {"@D1.", "10.31.15"},
        {"@D5", "31/10/15"}, {"@D5-", "31-10-15"}, {"@D5.", "31.10.15"},
        {"@D9", "15/10/31"}, {"@D9-", "15-10-31"}, {"@D9.", "15.10.31"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cellText(*sheet, 0, 0, c.datePicture), c.shown) << c.datePicture;

    // A workbook counting from 1904 shows the same day.
    sheet->setCell(1, 0, number(picture::serialTo1904(serialOf(2015, 10, 31)), dateFormat));
    EXPECT_EQ(cellText(*sheet, 1, 0, "@D9-", true), "15-10-31");

    // A time with no day shows as the time of day, in either date system.
    sheet->setCell(2, 0, number(0.75, dateFormat));
    EXPECT_EQ(cellText(*sheet, 2, 0, "@D9-"), "18:00");
    EXPECT_EQ(cellText(*sheet, 2, 0, "@D9-", true), "18:00");
}

TEST(RowListText, OtherCellsShowEmpty) {
    MemoryBook book;
    auto* sheet = static_cast<MemorySheet*>(book.addSheet("S"));
    sheet->setCell(0, 0, testing::MemoryCell{CellType::Boolean, 1, {}, 0, false});
    sheet->setCell(0, 1, testing::MemoryCell{CellType::Error, 0, "#N/A", 0, false});
    sheet->setCell(0, 2, text("  kept as is "));
    EXPECT_EQ(cellText(*sheet, 0, 0, "@D9-"), "");
    EXPECT_EQ(cellText(*sheet, 0, 1, "@D9-"), "");
    EXPECT_EQ(cellText(*sheet, 0, 2, "@D9-"), "  kept as is ");
    EXPECT_EQ(cellText(*sheet, 5, 5, "@D9-"), "");
}

// A data sheet with a title row and records below it, shown columns A and C, memo in E.
struct Filled {
    Document doc;
    AppState state;
    BrowseState browse;
    ScriptedPrompts prompts;
    MemorySheet* sheet;
    MemoryBook* book;

    Filled() {
        auto owned = std::make_unique<MemoryBook>();
        book = owned.get();
        sheet = static_cast<MemorySheet*>(owned->addSheet("Data"));
        doc.book = std::move(owned);
        state.datePicture = "@D9-";
        ColumnSetup& columns = doc.columns;
        columns.columnCount = 2;
        columns.sheetColumn = {1, 3};
        columns.title = {"Item", "Price"};
        columns.type = {FieldType::Text, FieldType::Number};
        columns.justify = {Justification::Left, Justification::Right};
        columns.memoColumn = 5;
        columns.memoTitle = "Note";
        columns.firstDataRow = 2;
        sheet->setCell(0, 0, text("Item"));
        sheet->setCell(0, 2, text("Price"));
    }
    FillOutcome outcome; // of the last fill
    void fill() { outcome = fillRecordList(doc, state, prompts); }
};

TEST(RecordListFill, ReadsFromTheStartLineAndSkipsRowsEmptyInShownColumns) {
    Filled f;
    f.sheet->setCell(1, 0, text("사과"));
    f.sheet->setCell(1, 2, number(1000));
    f.sheet->setCell(1, 4, text("memo 1"));
    f.sheet->setCell(2, 4, text("only a memo")); // not a record
    f.sheet->setCell(3, 1, text("unshown"));     // not a record either
    f.sheet->setCell(4, 0, text("   "));         // blanks count as empty
    f.sheet->setCell(5, 2, number(-2.5));
    f.fill();
    ASSERT_EQ(f.doc.records.count(), 2u);
    EXPECT_EQ(f.doc.records.at(1).col[0], "사과");
    EXPECT_EQ(f.doc.records.at(1).col[1], "1,000");
    EXPECT_EQ(f.doc.records.at(1).memo, "memo 1");
    EXPECT_EQ(f.doc.records.at(1).row, 1);
    EXPECT_EQ(f.doc.records.at(2).col[1], "-2.5");
    EXPECT_EQ(f.doc.records.at(2).row, 5);
    EXPECT_EQ(f.outcome.records, 2u);
    EXPECT_TRUE(f.prompts.messages.empty());
}

TEST(RecordListFill, StartLineZeroIsOne) {
    Filled f;
    f.doc.columns.firstDataRow = 0;
    f.fill();
    EXPECT_EQ(f.doc.columns.firstDataRow, 1);
    ASSERT_EQ(f.doc.records.count(), 1u); // the title row is a record now
    EXPECT_EQ(f.doc.records.at(1).col[0], "Item");
}

TEST(RecordListFill, FormatComesFromTheSecondDataRow) {
    Filled f;
    f.doc.columns.format = {0, 77};
    f.sheet->setCell(1, 2, number(1, 5));
    f.fill();
    EXPECT_EQ(f.doc.columns.format[1], 77); // one data row: nothing captured
    f.sheet->setCell(2, 2, number(2, 9));
    f.fill();
    EXPECT_EQ(f.doc.columns.format[1], 9);
}

TEST(RecordListFill, OverlongTextsAreCutAndReportedOncePerFill) {
    Filled f;
    const std::string longText(120, 'x');
    f.sheet->setCell(40, 2, text("short"));
    f.sheet->setCell(40, 0, text(longText));
    std::string syllables;
    for (int i = 0; i < 51; ++i)
        syllables += "가"; // 102 bytes as the workbooks count
    f.sheet->setCell(41, 0, text(syllables));
    f.fill();
    ASSERT_EQ(f.doc.records.count(), 2u);
    EXPECT_EQ(f.doc.records.at(1).col[0], std::string(100, 'x'));
    EXPECT_EQ(f.doc.records.at(2).col[0].size(), 50u * 3); // 50 syllables: never split
    EXPECT_EQ(f.prompts.messageTexts(),
              std::vector<std::string>{"Below Cells are too big to fetch || A41 A42"});
    f.fill();
    EXPECT_EQ(f.prompts.messageTexts().size(), 2u);
    EXPECT_EQ(f.prompts.messageTexts()[1], f.prompts.messageTexts()[0]);
}

TEST(RecordListFill, FieldsAreCutLikeEveryOtherWidth) {
    // Mixed widths around the 100-byte edge, cut exactly as cp949::cut cuts.
    const std::string pieces[] = {"a", "가", "é", "😀", " "};
    std::uint64_t seed = 99;
    for (int i = 0; i < 200; ++i) {
        Filled f;
        std::string textValue;
        while (textValue.size() < 160) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            textValue += pieces[(seed >> 33) % 5];
        }
        f.sheet->setCell(1, 0, text(textValue));
        f.fill();
        ASSERT_EQ(f.doc.records.count(), 1u);
        EXPECT_EQ(f.doc.records.at(1).col[0], cp949::cut(textValue, kFieldBytes)) << textValue;
    }
}

// Fills by one thread and by several must not differ in anything a later step reads.
void expectSameFill(Filled& serial, Filled& parallel) {
    const RecordList& a = serial.doc.records;
    const RecordList& b = parallel.doc.records;
    ASSERT_EQ(a.count(), b.count());
    EXPECT_EQ(a.position(), b.position());
    EXPECT_EQ(serial.outcome.records, parallel.outcome.records);
    EXPECT_EQ(serial.doc.columns.format, parallel.doc.columns.format);
    EXPECT_EQ(serial.outcome.overflow, parallel.outcome.overflow);
    EXPECT_EQ(serial.prompts.messageTexts(), parallel.prompts.messageTexts());
    const FilledRecords& fa = serial.doc.filled;
    const FilledRecords& fb = parallel.doc.filled;
    ASSERT_EQ(fa.size(), fb.size());
    EXPECT_EQ(fa.places(), fb.places());
    const int used = serial.doc.columns.shownColumns();
    for (std::size_t pos = 1; pos <= a.count(); ++pos) {
        const Record& ra = a.at(pos);
        const Record& rb = b.at(pos);
        ASSERT_EQ(ra.row, rb.row) << pos;
        EXPECT_EQ(ra.col, rb.col) << "row " << ra.row;
        EXPECT_EQ(ra.memo, rb.memo) << "row " << ra.row;
        ASSERT_EQ(a.id(pos), b.id(pos));
        const auto index = fb.find(b.id(pos));
        ASSERT_TRUE(index) << "row " << ra.row;
        EXPECT_EQ(fb.row(*index), rb.row);
        const FilledRecords::Texts texts = fb.texts(*index);
        for (int k = 0; k < used; ++k) {
            EXPECT_TRUE(fb.unchanged(*index, k, rb.col[k])) << "row " << ra.row << " field " << k;
            EXPECT_FALSE(fb.unchanged(*index, k, std::string(rb.col[k]) + "!"));
            EXPECT_EQ(texts[k], std::optional<std::string_view>(rb.col[k]));
        }
        if (used < kMaxColumns) {
            EXPECT_FALSE(texts[used]); // fields not filled are absent
        }
        EXPECT_TRUE(fb.unchanged(*index, kMaxColumns, rb.memo)) << "row " << ra.row;
        EXPECT_EQ(texts[kMaxColumns], std::optional<std::string_view>(rb.memo));
    }
}

TEST(FilledRecords, TextsStayFoundAcrossArenasAndAppendedParts) {
    // Enough text for several arenas, in a list, an appended part and adds after it.
    auto recordOf = [](int i) {
        Record record;
        record.col[0] = "c" + std::to_string(i);
        record.memo = std::string(static_cast<std::size_t>(500 + i % 700), char('a' + i % 26));
        return record;
    };
    FilledRecords filled, part;
    for (int i = 0; i < 6000; ++i)
        filled.add(static_cast<RecordId>(i + 1), i, recordOf(i), 1, true);
    for (int i = 0; i < 9000; ++i)
        part.add(static_cast<RecordId>(i), 6000 + i, recordOf(6000 + i), 1, true);
    filled.append(std::move(part), 6001);
    for (int i = 15000; i < 15100; ++i)
        filled.add(static_cast<RecordId>(i + 1), i, recordOf(i), 1, true);
    ASSERT_EQ(filled.size(), 15100u);
    for (int i = 0; i < 15100; ++i) {
        const auto index = filled.find(static_cast<RecordId>(i + 1));
        ASSERT_TRUE(index) << i;
        ASSERT_EQ(filled.row(*index), i);
        const Record record = recordOf(i);
        ASSERT_TRUE(filled.unchanged(*index, 0, record.col[0])) << i;
        ASSERT_TRUE(filled.unchanged(*index, kMaxColumns, record.memo)) << i;
        ASSERT_FALSE(filled.unchanged(*index, kMaxColumns, std::string(record.memo) + "x")) << i;
    }
}

// Rows of every kind the fill treats differently, the kinds repeating at unrelated periods so
// that the threads' borders fall next to each of them.
void fillVariedSheet(Filled& f, int rows) {
    const int dateFormat = f.book->addFormat(true);
    const std::string longText(120, 'L');
    std::string longMemo;
    for (int i = 0; i < 260; ++i)
        longMemo += "메"; // 520 bytes as the workbooks count
    const int shownB = f.doc.columns.sheetColumn[1] - 1;
    for (int r = 1; r <= rows; ++r) {
        if (r % 7 == 3) {
            f.sheet->setCell(r, 4, text("memo of a blank row")); // blank in every shown column
            continue;
        }
        if (r % 11 == 5)
            continue; // wholly empty
        f.sheet->setCell(r, 0,
                         r % 13 == 0 ? text(longText + std::to_string(r))
                                     : text("item" + std::to_string(r)));
        if (r % 5 == 0)
            f.sheet->setCell(
                r, shownB, // days 16384 apart, alike to a cache by day
                number(serialOf(2000, 1, 1) + (r % 10 == 0 ? r - 5 + 16384 : r + 0.5), dateFormat));
        else if (r % 17 == 0)
            f.sheet->setCell(r, shownB, text(std::string(101, 'x') + "  ")); // cut, reported
        else if (r % 19 == 0)
            f.sheet->setCell(r, shownB, text(std::string(99, 'y') + "      ")); // cut, not reported
        else
            f.sheet->setCell(r, shownB, number(r * 1.25 - 40, r % 4));
        f.sheet->setCell(r, 4, text(r % 9 == 0 ? longMemo : "memo " + std::to_string(r)));
    }
}

TEST(RecordListFill, ThreadsFillExactlyAsOneThreadDoes) {
    // The second setup shows a column past Z, whose report letters are no longer plain letters.
    for (const int shownB : {3, 28}) {
        for (const int threads : {2, 3, 4, 7}) {
            for (const int firstDataRow : {1, 2, 150}) {
                Filled serial, parallel;
                for (Filled* f : {&serial, &parallel}) {
                    f->doc.columns.sheetColumn = {1, shownB};
                    f->doc.columns.firstDataRow = firstDataRow;
                    fillVariedSheet(*f, 400);
                }
                serial.doc.columns.format = parallel.doc.columns.format = {0, 0};
                serial.outcome = fillRecordList(serial.doc, serial.state, serial.prompts,
                                                FillOptions{.parallelFrom = 1 << 30});
                parallel.outcome =
                    fillRecordList(parallel.doc, parallel.state, parallel.prompts,
                                   FillOptions{.parallelFrom = 1, .threads = threads});
                SCOPED_TRACE(::testing::Message() << "column " << shownB << ", " << threads
                                                  << " threads, start line " << firstDataRow);
                expectSameFill(serial, parallel);
                ASSERT_FALSE(serial.outcome.overflow.empty());
                // And both show each cell as cellText does.
                for (std::size_t pos = 1; pos <= serial.doc.records.count(); ++pos) {
                    const Record& record = serial.doc.records.at(pos);
                    for (int k = 0; k < 2; ++k) {
                        const std::string shown =
                            cellText(*serial.sheet, record.row,
                                     serial.doc.columns.sheetColumn[k] - 1, "@D9-");
                        EXPECT_EQ(record.col[k], cp949::cut(shown, kFieldBytes));
                    }
                }
            }
        }
    }
}

TEST(RecordListFill, ReportFullInOnePartStillTakesTheEarlierPartsFirst) {
    // Each part of the second half alone has enough overlong cells to fill the report; the
    // first half's few come first all the same.
    Filled serial, parallel;
    for (Filled* f : {&serial, &parallel}) {
        for (int r = 1; r < 1000; ++r)
            f->sheet->setCell(r, 0, text(r == 10 || r == 20 ? std::string(101, 'a') : "a"));
        for (int r = 1000; r < 2000; ++r)
            f->sheet->setCell(r, 0, text(std::string(101, 'b')));
    }
    serial.outcome = fillRecordList(serial.doc, serial.state, serial.prompts,
                                    FillOptions{.parallelFrom = 1 << 30});
    parallel.outcome = fillRecordList(parallel.doc, parallel.state, parallel.prompts,
                                      FillOptions{.parallelFrom = 1, .threads = 2});
    EXPECT_EQ(serial.outcome.overflow.substr(0, 8), " A11 A21");
    expectSameFill(serial, parallel);
}

// Records the progress reports and the thread each came from.
class ProgressRecorder : public ScriptedPrompts {
public:
    struct Report {
        ProgressStage stage;
        double fraction;
        std::thread::id thread;
    };
    std::vector<Report> reports;
    void progress(ProgressStage stage, double fraction) override {
        reports.push_back({stage, fraction, std::this_thread::get_id()});
    }
};

TEST(RecordListFill, ProgressRisesToOneOnTheCallingThreadOnly) {
    // What a listener may rely on whatever the timing: reports on the calling thread only, in
    // order, within 0..1, starting at 0 and ending at 1 once; how many fall between depends on
    // how the threads share the rows, except on one thread.
    for (const int threads : {1, 3}) {
        Filled f;
        for (int r = 1; r <= 30000; ++r)
            f.sheet->setCell(r, 0, text("x"));
        ProgressRecorder recorder;
        fillRecordList(f.doc, f.state, recorder,
                       FillOptions{.parallelFrom = 1, .threads = threads});
        const auto& reports = recorder.reports;
        ASSERT_GE(reports.size(), 2u) << threads;
        EXPECT_LE(reports.size(), 101u);
        if (threads == 1) {
            EXPECT_GT(reports.size(), 10u); // alone, the thread passes every hundredth
        }
        EXPECT_EQ(reports.front().fraction, 0.0);
        EXPECT_EQ(reports.back().fraction, 1.0);
        for (std::size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].stage, ProgressStage::Listing);
            EXPECT_EQ(reports[i].thread, std::this_thread::get_id());
            if (i > 0) {
                EXPECT_GT(reports[i].fraction, reports[i - 1].fraction);
            }
        }
    }
    // No rows to read still ends the stage.
    Filled empty;
    empty.doc.columns.firstDataRow = 5;
    ProgressRecorder recorder;
    fillRecordList(empty.doc, empty.state, recorder);
    ASSERT_FALSE(recorder.reports.empty());
    EXPECT_EQ(recorder.reports.back().fraction, 1.0);
}

// A sheet whose reading fails in one row, as when memory runs out.
class FailingSheet : public MemorySheet {
public:
    using MemorySheet::MemorySheet;
    int failAt = -1;
    CellType cellType(int row, int col) const override {
        if (row == failAt)
            throw std::bad_alloc();
        return MemorySheet::cellType(row, col);
    }
};

class FailingBook : public MemoryBook {
public:
    FailingSheet failing{"Data"};
    FailingBook() { addSheet("Data"); }
    Sheet* sheet(int) override { return &failing; }
    const Sheet* sheet(int) const override { return &failing; }
};

TEST(RecordListFill, AFailureOnAnyThreadReachesTheCaller) {
    for (const int failAt : {3, 900, 1999}) {
        Document doc;
        AppState state;
        BrowseState browse;
        ScriptedPrompts prompts;
        auto book = std::make_unique<FailingBook>();
        for (int r = 0; r < 2000; ++r)
            book->failing.setCell(r, 0, text("row"));
        book->failing.failAt = failAt;
        doc.book = std::move(book);
        doc.columns.sheetColumn = {1};
        doc.columns.firstDataRow = 1;
        EXPECT_THROW(
            fillRecordList(doc, state, prompts, FillOptions{.parallelFrom = 1, .threads = 4}),
            std::bad_alloc)
            << failAt;
        EXPECT_EQ(doc.records.count(), 0u); // nothing half-filled is left behind
        EXPECT_EQ(doc.filled.size(), 0u);
    }
}

TEST(RecordListFill, AProgressReportThatThrowsLeavesNoThreadRunning) {
    class ThrowingProgress : public ScriptedPrompts {
    public:
        void progress(ProgressStage, double fraction) override {
            if (fraction > 0.3)
                throw std::runtime_error("cancelled");
        }
    };
    Filled f;
    for (int r = 1; r <= 30000; ++r)
        f.sheet->setCell(r, 0, text("x"));
    ThrowingProgress prompts;
    EXPECT_THROW(
        fillRecordList(f.doc, f.state, prompts, FillOptions{.parallelFrom = 1, .threads = 3}),
        std::runtime_error);
    EXPECT_EQ(f.doc.records.count(), 0u); // nothing half-filled is left behind
    EXPECT_EQ(f.doc.filled.size(), 0u);
}

TEST(ListColumns, FollowSheetWidthsTitlesAndTheMemo) {
    // Each case changes the list of the case before it.
    struct Case {
        std::function<void(Filled&)> change;
        std::string columns;
    };
    const Case cases[] = {
        {[](Filled& f) { f.doc.fromFile = true; },
         "50L(2)|_M~Item~C(0)@s128@60R(2)|_M~Price~C(0)@s128@150L(2)|_M~Note~L(0)@s128@#11#"},
        {[](Filled& f) { f.doc.fromFile = false; }, // no sheet to measure
         "70L(2)|_M~Item~C(0)@s128@70R(2)|_M~Price~C(0)@s128@100L(2)|_M~Note~L(0)@s128@#11#"},
        {[](Filled& f) {
             f.doc.columns.memoColumn = 0;
             f.sheet->setColWidth(0, 0);
             f.doc.fromFile = true;
         },
         "0L(2)|_M~Item~C(0)@s128@60R(2)|_M~Price~C(0)@s128@"},
        {[](Filled& f) {
             f.doc.columns.title = {"품명  ", "금액"};
         },
         "0L(2)|_M~품명~C(0)@s128@60R(2)|_M~금액~C(0)@s128@"},
        // A title is shown whole, whatever characters it holds.
        {[](Filled& f) {
             f.doc.columns.title = {"a~b", "#1#@x@"};
         },
         "0L(2)|_M~a~b~C(0)@s128@60R(2)|_M~#1#@x@~C(0)@s128@"},
    };
    Filled f;
    f.sheet->setColWidth(0, 10.71);
    f.sheet->setColWidth(2, 12);
    f.sheet->setColWidth(4, 30);
    for (const Case& c : cases) {
        c.change(f);
        EXPECT_EQ(testing::listNotation(listColumns(f.doc)), c.columns);
    }
    const auto columns = listColumns(f.doc);
    EXPECT_EQ(columns[0].header, "a~b");
    EXPECT_EQ(columns[1].header, "#1#@x@");
}

TEST(ResultLines, FollowTheirRecordsThroughSortAndDelete) {
    Filled f;
    const char* items[] = {"c", "a", "b"};
    for (int i = 0; i < 3; ++i) {
        f.sheet->setCell(1 + i, 0, text(items[i]));
        f.sheet->setCell(1 + i, 4, text(std::string(150, 'm')));
    }
    f.fill();
    f.browse.shownList = ShownList::SearchResults;
    addResultLine(f.doc.records, f.browse, 1); // "c"
    addResultLine(f.doc.records, f.browse, 3); // "b"
    EXPECT_EQ(f.browse.searchResults[0].memo.size(), 100u);

    f.doc.records.sort([](const Record& a, const Record& b) { return a.col[0] < b.col[0]; });
    EXPECT_EQ(recordPosition(f.doc.records, f.browse, 1), 3u);
    EXPECT_EQ(recordPosition(f.doc.records, f.browse, 2), 2u);
    ASSERT_TRUE(f.doc.records.get(recordPosition(f.doc.records, f.browse, 2)));
    EXPECT_EQ(f.doc.records.buffer.col[0], "b");

    // The record of line 2 changes; then "c" is deleted.
    f.doc.records.buffer.col[0] = "bb";
    f.doc.records.put();
    refreshResultLine(f.doc.records, f.browse, 2);
    EXPECT_EQ(f.browse.searchResults[1].col[0], "bb");
    ASSERT_TRUE(f.doc.records.get(3));
    f.doc.records.remove();
    EXPECT_FALSE(f.doc.records.get(recordPosition(f.doc.records, f.browse, 1)));
    removeResultLine(f.browse, 1);
    EXPECT_EQ(recordPosition(f.doc.records, f.browse, 1), 2u);

    EXPECT_FALSE(f.doc.records.get(recordPosition(f.doc.records, f.browse, 0))); // nothing selected
    f.browse.shownList = ShownList::Records;
    EXPECT_TRUE(f.doc.records.get(recordPosition(f.doc.records, f.browse, 1)));
    EXPECT_FALSE(f.doc.records.get(recordPosition(f.doc.records, f.browse, 3)));
}

} // namespace
} // namespace rowbit
