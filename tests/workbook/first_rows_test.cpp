#include "support/test_paths.h"
#include "workbook/book.h"
#include "workbook/xlsx/sheet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace rowbit {
namespace {

constexpr int kRows = 5000;

// A workbook whose first sheet has kRows rows (a gap now and then, a third column in some),
// and a second sheet.
std::string writeBook(const testing::ScratchDir& dir, BookFormat format) {
    auto book = createBook(format);
    Sheet* data = book->addSheet("Data");
    for (int r = 0; r < kRows; ++r) {
        if (r % 17 == 5)
            continue;
        data->writeStr(r, 0, "행 " + std::to_string(r));
        data->writeNum(r, 1, r * 1.5);
        if (r % 3 == 0)
            data->writeStr(r, 3, "x");
    }
    book->addSheet("Other")->writeStr(0, 0, "kept");
    const auto path = dir / (format == BookFormat::Xls ? "rows.xls" : "rows.xlsx");
    EXPECT_TRUE(book->save(path.string()).ok());
    return path.string();
}

void expectSameRows(const Sheet& read, const Sheet& whole, int from, int to) {
    for (int r = from; r < to; ++r) {
        for (int c = 0; c < 4; ++c) {
            ASSERT_EQ(read.cellType(r, c), whole.cellType(r, c)) << r << "," << c;
            ASSERT_EQ(read.readStr(r, c), whole.readStr(r, c)) << r << "," << c;
            ASSERT_EQ(read.readNum(r, c), whole.readNum(r, c)) << r << "," << c;
        }
    }
}

// Sheets cut into pieces of `bytes` for the test's run (SIZE_MAX: one piece).
struct Pieces {
    explicit Pieces(std::size_t bytes) { xlsx::setSheetPiecesForTesting(bytes); }
    ~Pieces() { xlsx::setSheetPiecesForTesting(0); }
};

// A row limit reads the first sheet's rows before it, as the whole read has them, and no
// more; the book is partial (and refuses to save) only when rows were left out.
TEST(FirstSheetRows, ReadsTheRowsBeforeTheLimitAsTheWholeRead) {
    testing::ScratchDir dir;
    struct Case {
        BookFormat format;
        int limit;
        bool complete;
    };
    const Case cases[] = {
        {BookFormat::Xls, 200, false},   {BookFormat::Xls, kRows, true},
        {BookFormat::Xls, 9000, true},   {BookFormat::Xlsx, 200, false},
        {BookFormat::Xlsx, kRows, true}, {BookFormat::Xlsx, 9000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.format)) + " limit " +
                     std::to_string(c.limit));
        const std::string path = writeBook(dir, c.format);
        auto whole = loadBook(path);
        ASSERT_TRUE(whole.ok()) << whole.error().describe();
        auto read = loadBook(
            path, LoadOptions{.progress = {}, .firstSheetRows = c.limit, .firstSheetBatches = {}});
        ASSERT_TRUE(read.ok()) << read.error().describe();
        const Sheet& first = *(*read)->sheet(0);
        EXPECT_LE(first.lastRow(), c.limit);
        expectSameRows(first, *(*whole)->sheet(0), 0, std::min(c.limit, kRows));
        EXPECT_EQ((*read)->sheet(1)->readStr(0, 0), "kept");
        EXPECT_EQ((*read)->complete(), c.complete);
        const auto saved = (*read)->save((dir / "copy").string() +
                                         (c.format == BookFormat::Xls ? ".xls" : ".xlsx"));
        EXPECT_EQ(saved.ok(), c.complete);
        if (!saved.ok()) {
            EXPECT_EQ(saved.error().code, ErrorCode::Invalid);
        }
    }
}

// Rows handed over in batches follow each other without a gap, each batch holding the cells
// the whole read holds for its rows; a reader can keep a batch for the next one or stop.
TEST(FirstSheetRows, HandsTheRowsOverInBatchesAsTheWholeRead) {
    testing::ScratchDir dir;
    struct Case {
        BookFormat format;
        std::size_t pieceBytes;
        BatchReply firstReply;
        bool stopSecond;
    };
    const Case cases[] = {
        {BookFormat::Xls, SIZE_MAX, BatchReply::Drop, false},
        {BookFormat::Xlsx, SIZE_MAX, BatchReply::Drop, false},
        {BookFormat::Xlsx, SIZE_MAX, BatchReply::Keep, false},
        {BookFormat::Xlsx, 4096, BatchReply::Drop, false},
        {BookFormat::Xlsx, 4096, BatchReply::Keep, false},
        {BookFormat::Xlsx, 4096, BatchReply::Drop, true},
        {BookFormat::Xlsx, SIZE_MAX, BatchReply::Drop, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.format)) + " pieces " +
                     std::to_string(c.pieceBytes) + " reply " +
                     std::to_string(static_cast<int>(c.firstReply)) + " stop " +
                     std::to_string(c.stopSecond));
        const std::string path = writeBook(dir, c.format);
        auto whole = loadBook(path);
        ASSERT_TRUE(whole.ok()) << whole.error().describe();
        const Sheet& all = *(*whole)->sheet(0);
        const Pieces pieces(c.pieceBytes);
        int batches = 0, reached = 0, lasts = 0;
        auto read =
            loadBook(path, LoadOptions{.progress = {},
                                       .firstSheetRows = 0,
                                       .firstSheetBatches = [&](const RowBatch& batch) {
                                           ++batches;
                                           EXPECT_EQ(batch.book.sheet(1)->readStr(0, 0), "kept");
                                           EXPECT_EQ(batch.fromRow, reached);
                                           const Sheet& rows = *batch.book.sheet(0);
                                           EXPECT_LE(rows.lastRow(), batch.toRow);
                                           expectSameRows(rows, all, batch.fromRow, batch.toRow);
                                           lasts += batch.last ? 1 : 0;
                                           const BatchReply reply =
                                               batches == 1 && !batch.last    ? c.firstReply
                                               : c.stopSecond && batches == 2 ? BatchReply::Stop
                                                                              : BatchReply::Drop;
                                           if (reply != BatchReply::Keep)
                                               reached = batch.toRow;
                                           return reply;
                                       }});
        ASSERT_TRUE(read.ok()) << read.error().describe();
        EXPECT_FALSE((*read)->complete());
        EXPECT_EQ((*read)->sheet(0)->lastRow(), 0);
        if (c.stopSecond) {
            EXPECT_EQ(batches, 2);
        } else {
            EXPECT_EQ(lasts, 1);
            EXPECT_EQ(reached, all.lastRow());
            EXPECT_GT(batches, c.format == BookFormat::Xlsx ? 1 : 0);
        }
    }
}

} // namespace
} // namespace rowbit
