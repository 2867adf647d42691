#pragma once
// The list report: the row list as a table of pages. A page header (title, print date and
// time, page number, boxed column titles), one detail line per record with a rule under it,
// and at the foot of every page's body a box with the running totals of the number columns
// through that page's last line.
//
// The report is laid out in batches of 200 records, so that a window can show progress and
// stay ready for Cancel between batches.

#include "app/records.h"
#include "report/page_model.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rowbit::report {

inline constexpr const char* kReportDocumentName = "현금통장 잔액표";
inline constexpr const char* kNoData = "기간 중 처리할 자료가 없습니다.";
inline constexpr int kRecordsPerCycle = 200;

// The moment the report is set up; passed in so that a test fixes it.
struct ReportStamps {
    std::int32_t date = 0; // day serial
    int seconds = 0;       // since midnight
};

// One printed column (columns narrowed to under 10 units on screen are left out).
struct ReportColumn {
    int slot = 0;  // 0-based setup slot
    int x = 0;     // left edge of its cells, from the band's left
    int width = 0; // up to the next printed column or the title box's right edge
    bool totalled = false;
    std::string title;

    bool operator==(const ReportColumn&) const = default;
};

// Column placement over a title box of `boxWidth`: each column after the first printed one
// starts where the previous one started plus its share of (boxWidth - 100), in proportion to
// its on-screen width among all columns.
std::vector<ReportColumn> placeColumns(const ColumnSetup& columns, int boxWidth);

// The report's title: the file name after its last "/" or "\".
std::string reportTitle(std::string_view filename);

// The progress window's text for a percentage: " 40% 진행중".
std::string progressText(int percent);

// What the progress window shows, moved on by each tick.
struct ReportProgress {
    int thermometer = 0;
    std::string text; // empty until the percentage first differs from 0

    void show(int percent);
};

class ListReport {
public:
    ListReport(const ColumnSetup& columns, const RecordList& records, std::string_view filename,
               bool landscape, ReportStamps stamps);

    // The percentage done before the next batch: p / records * 100, cut, at most 100.
    int percent() const;
    // Lays out up to 200 records; true when every record is laid out.
    bool layOutNextBatch();
    bool done() const { return next_ > records_.count(); }
    // One tick of the progress window: shows the percentage, lays out a batch; true when done.
    bool tick(ReportProgress& progress);

    // Hands the pages over (the last one ended); the report is used up.
    std::vector<Page> takePages();

    const std::vector<ReportColumn>& columns() const { return columns_; }
    const std::string& title() const { return title_; }

private:
    void startPage();
    void endPage();

    const ColumnSetup& setup_;
    const RecordList& records_;
    std::string title_;
    std::string date_;
    std::string time_;
    int left_; // the body's left edge on the paper
    int paperWidth_;
    int paperHeight_;
    int bodyHeight_;
    int frameWidth_; // header rule, title box and totals box
    int linesPerPage_;
    std::vector<ReportColumn> columns_;
    std::vector<double> totals_; // per column of columns_
    std::vector<Page> pages_;
    int lineOnPage_ = 0;
    std::size_t next_ = 1; // p: the next record to lay out
    bool pageOpen_ = false;
};

} // namespace rowbit::report
