#include "report/list_report.h"

#include "app/cp949_text.h"
#include "app/picture.h"

#include <algorithm>
#include <cmath>

namespace rowbit::report {

namespace {

// The designed layout, in thousandths of an inch. Band items are placed from the band's top
// left corner; the bands stand at the left of the body.
constexpr int kBodyTop = 1885;
constexpr int kBodyWidth = 8260;
constexpr int kBodyHeight = 9365;
constexpr int kLandscapeBodyWidth = 11688;
constexpr int kLandscapeBodyHeight = 6000;
constexpr int kHeaderTop = 452;
constexpr int kFrameLeft = 396;
constexpr int kFrameWidth = 7427; // header rule, title box, totals box; the detail rule always
constexpr int kColumnLeft = 542;
constexpr int kDetailHeight = 208;
constexpr int kFooterHeight = 417;
constexpr int kBodyTextHeight = 167;
constexpr int kTitleTextHeight = 250;

int bytesThatFit(int width) {
    return width <= 0 ? 0 : static_cast<int>(std::floor(width / kBodyByteWidth));
}

// A cell's text: through its string picture, then cut to what its width shows.
std::string cellText(std::string_view text, int pictureBytes, int width) {
    const int bytes = std::min(pictureBytes, bytesThatFit(width));
    return cp949::cut(text, static_cast<std::size_t>(bytes));
}

std::string_view trimLeft(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

} // namespace

std::vector<ReportColumn> placeColumns(const ColumnSetup& setup, int boxWidth) {
    const int count = setup.usedColumns();
    long long sum = 0; // every column counts, the narrow ones too
    for (int i = 0; i < count; ++i)
        sum += std::max(0, setup.listWidth[static_cast<std::size_t>(i)]);

    std::vector<ReportColumn> columns;
    int xprev = 0;
    int share = 0;
    for (int i = 0; i < count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (setup.listWidth[slot] < 10)
            continue;
        ReportColumn column;
        column.slot = i;
        // The first printed column stands at the designed place even when column 1 was left
        // out: placed after nothing, it would start at the paper's edge, where no printer
        // prints.
        column.x = columns.empty() ? kColumnLeft : xprev + share;
        column.totalled = i != 0 && setup.type[slot] == FieldType::Number;
        column.title = std::string(cp949::trimRight(setup.title[slot]));
        columns.push_back(column);
        xprev = column.x;
        share =
            static_cast<int>(static_cast<long long>(boxWidth - 100) * setup.listWidth[slot] / sum);
    }
    // A cell reaches to the next column, one blank short; the last to the box's right edge.
    const int boxRight = kFrameLeft + boxWidth;
    const int blank = static_cast<int>(kBodyByteWidth);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const int end = k + 1 < columns.size() ? columns[k + 1].x : boxRight;
        columns[k].width = std::max(0, end - columns[k].x - blank);
    }
    return columns;
}

std::string reportTitle(std::string_view filename) {
    const std::string_view path = cp949::trimRight(filename);
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string progressText(int percent) {
    return picture::formatNumber(percent, "N3") + "% 진행중";
}

void ReportProgress::show(int percent) {
    if (percent == thermometer)
        return;
    thermometer = percent;
    text = progressText(percent);
}

ListReport::ListReport(const ColumnSetup& columns, const RecordList& records,
                       std::string_view filename, bool landscape, ReportStamps stamps)
    : setup_(columns), records_(records),
      title_(picture::formatString(reportTitle(filename), "s200")),
      date_(picture::formatDate(stamps.date, "D10-")),
      time_(picture::formatTimeOfDay(stamps.seconds, "T3")) {
    const int bodyWidth = landscape ? kLandscapeBodyWidth : kBodyWidth;
    paperWidth_ = landscape ? kPaperLong : kPaperShort;
    paperHeight_ = landscape ? kPaperShort : kPaperLong;
    bodyHeight_ = landscape ? kLandscapeBodyHeight : kBodyHeight;
    frameWidth_ = kFrameWidth + (bodyWidth - kBodyWidth);
    left_ = (paperWidth_ - bodyWidth) / 2;
    // The totals box takes the foot of the body; detail lines fill what is above it.
    linesPerPage_ = std::max(1, (bodyHeight_ - kFooterHeight) / kDetailHeight);
    columns_ = placeColumns(columns, frameWidth_);
    totals_.assign(columns_.size(), 0.0);
    pages_.reserve((records.count() + static_cast<std::size_t>(linesPerPage_) - 1) /
                   static_cast<std::size_t>(linesPerPage_));
}

int ListReport::percent() const {
    const std::size_t count = records_.count();
    if (count == 0)
        return 100;
    return static_cast<int>(std::min<std::size_t>(100, next_ * 100 / count));
}

bool ListReport::layOutNextBatch() {
    const int left = left_;
    for (int n = 0; n < kRecordsPerCycle && !done(); ++n) {
        const Record& record = records_.at(next_);
        ++next_;
        if (!pageOpen_ || lineOnPage_ == linesPerPage_) {
            if (pageOpen_)
                endPage();
            startPage();
        }
        Page& page = pages_.back();
        const int top = kBodyTop + lineOnPage_ * kDetailHeight;
        for (std::size_t k = 0; k < columns_.size(); ++k) {
            const ReportColumn& column = columns_[k];
            const std::string value =
                cp949::cut(trimLeft(record.col[static_cast<std::size_t>(column.slot)]), 30);
            if (setup_.type[static_cast<std::size_t>(column.slot)] == FieldType::Number)
                totals_[k] += picture::readNumber(value);
            std::string shown = cellText(value, 20, column.width);
            if (!shown.empty())
                page.texts.push_back({left + column.x, top + 42, column.width, kBodyTextHeight,
                                      FontRole::Body, std::move(shown)});
        }
        page.lines.push_back({left + kFrameLeft, top + kDetailHeight, kFrameWidth});
        ++lineOnPage_;
    }
    return done();
}

bool ListReport::tick(ReportProgress& progress) {
    progress.show(percent());
    return layOutNextBatch();
}

void ListReport::startPage() {
    const int left = left_;
    Page page;
    page.number = static_cast<int>(pages_.size()) + 1;
    page.width = paperWidth_;
    page.height = paperHeight_;
    page.texts.reserve(static_cast<std::size_t>(linesPerPage_) * (columns_.size() + 1) + 16);
    page.lines.reserve(static_cast<std::size_t>(linesPerPage_) + 1);
    const int top = kHeaderTop;
    auto body = [&](int x, int y, int width, std::string text) {
        page.texts.push_back(
            {left + x, top + y, width, kBodyTextHeight, FontRole::Body, std::move(text)});
    };
    page.texts.push_back({left + 885, top + 396, 6531, kTitleTextHeight, FontRole::Title, title_});
    page.lines.push_back({left + kFrameLeft, top + 729, frameWidth_});
    body(4635, 948, 5281 - 4635, "출력일자 :");
    body(5281, 948, 6042 - 5281, date_);
    body(6042, 948, 7104 - 6042, time_);
    body(7104, 948, kFrameLeft + kFrameWidth - 7104, picture::formatPage(page.number));
    page.rects.push_back({left + kFrameLeft, top + 1125, frameWidth_, 313});
    for (const ReportColumn& column : columns_) {
        std::string shown = cellText(column.title, 30, column.width);
        if (!shown.empty())
            body(column.x, 1229, column.width, std::move(shown));
    }
    pages_.push_back(std::move(page));
    lineOnPage_ = 0;
    pageOpen_ = true;
}

void ListReport::endPage() {
    const int left = left_;
    Page& page = pages_.back();
    const int top = kBodyTop + bodyHeight_ - kFooterHeight;
    page.rects.push_back({left + kFrameLeft, top + 10, frameWidth_, 238});
    for (std::size_t k = 0; k < columns_.size(); ++k) {
        if (!columns_[k].totalled)
            continue;
        page.texts.push_back({left + columns_[k].x, top + 42, columns_[k].width, kBodyTextHeight,
                              FontRole::Body,
                              cellText(picture::plainDecimal(totals_[k]), 20, columns_[k].width)});
    }
    pageOpen_ = false;
}

std::vector<Page> ListReport::takePages() {
    if (pageOpen_)
        endPage();
    return std::move(pages_);
}

} // namespace rowbit::report
