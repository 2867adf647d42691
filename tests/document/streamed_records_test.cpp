#include "document/document.h"
#include "document/row_list.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "workbook/xlsx/sheet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rowbit {
namespace {

using testing::ScratchDir;
using testing::ScriptedPrompts;

// A titled sheet of some thousands of rows: texts, numbers, dates, blank rows, overlong texts.
std::string writeBook(const ScratchDir& dir, BookFormat format) {
    auto book = createBook(format);
    Sheet* data = book->addSheet("Data");
    data->writeStr(0, 0, "품명");
    data->writeStr(0, 1, "금액");
    data->writeStr(0, 2, "날짜");
    const int date = book->dateFormat();
    for (int r = 1; r < 9000; ++r) {
        if (r % 23 == 7)
            continue;
        data->writeStr(r, 0, r % 1000 == 3 ? std::string(150, 'w') : "항목 " + std::to_string(r));
        data->writeNum(r, 1, r * 12.25);
        data->writeNum(r, 2, 45000 + r % 400, date);
    }
    const auto path = dir / (format == BookFormat::Xls ? "list.xls" : "list.xlsx");
    EXPECT_TRUE(book->save(path.string()).ok());
    return path.string();
}

struct Listed {
    std::vector<std::string> lines; // row, then each field
    std::string overflow;
};

void add(Listed& listed, const ColumnSetup& columns, const Record& record) {
    std::string line = std::to_string(record.row);
    for (int k = 0; k < columns.shownColumns(); ++k)
        line += "|" + std::string(record.col[k]);
    listed.lines.push_back(line);
}

struct Pieces {
    explicit Pieces(std::size_t bytes) { xlsx::setSheetPiecesForTesting(bytes); }
    ~Pieces() { xlsx::setSheetPiecesForTesting(0); }
};

// Records filled a batch at a time while the rows are read are the records of the whole fill,
// with the same overlong cells noted.
TEST(StreamedRecords, AreTheRecordsOfTheWholeFill) {
    ScratchDir dir;
    struct Case {
        BookFormat format;
        std::size_t pieceBytes;
    };
    const Case cases[] = {
        {BookFormat::Xls, 0}, {BookFormat::Xlsx, SIZE_MAX}, {BookFormat::Xlsx, 8192}};
    const TitleRowChooser firstRow = [](const std::vector<PreviewRow>&, int) { return 1; };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.format)) + " pieces " +
                     std::to_string(c.pieceBytes));
        const std::string path = writeBook(dir, c.format);
        AppState state;
        ScriptedPrompts prompts;

        Document whole;
        whole.path = path;
        ASSERT_EQ(whole.open(state, prompts, firstRow).kind, LoadOutcome::Preview);
        const FillOutcome filled = whole.fill(state, prompts);
        Listed expected;
        for (std::size_t pos = 1; pos <= whole.records.count(); ++pos)
            add(expected, whole.columns, whole.records.at(pos));
        expected.overflow = filled.overflow;
        ASSERT_GT(expected.lines.size(), 8000u);
        ASSERT_FALSE(expected.overflow.empty());

        const Pieces pieces(c.pieceBytes);
        Document streamed;
        streamed.path = path;
        std::optional<RecordBatchFill> fill;
        Listed got;
        int batches = 0;
        const OpenOutcome opened =
            streamed.open(state, prompts, firstRow,
                          OpenRows{.firstSheetRows = 0, .batches = [&](const RowBatch& batch) {
                                       ++batches;
                                       if (!fill)
                                           fill.emplace(batch.book, streamed.columns, state);
                                       const RecordList& records = fill->fill(
                                           *batch.book.sheet(0), batch.fromRow, batch.toRow);
                                       for (std::size_t pos = 1; pos <= records.count(); ++pos)
                                           add(got, streamed.columns, records.at(pos));
                                       return BatchReply::Drop;
                                   }});
        ASSERT_EQ(opened.kind, LoadOutcome::Preview);
        ASSERT_TRUE(fill);
        got.overflow = fill->overflow();
        EXPECT_EQ(got.lines, expected.lines);
        EXPECT_EQ(got.overflow, expected.overflow);
        EXPECT_GE(batches, c.format == BookFormat::Xlsx ? 2 : 1);
    }
}

} // namespace
} // namespace rowbit
