#include "document/preview.h"

#include "app/cp949_text.h"
#include "app/picture.h"
#include "document/row_list.h"

#include <algorithm>
#include <cmath>

namespace rowbit {

std::vector<PreviewRow> previewRows(const Book& book, const std::string& datePicture) {
    std::vector<PreviewRow> rows;
    const Sheet* sheet = book.sheetCount() > 0 ? book.sheet(0) : nullptr;
    if (!sheet)
        return rows;
    for (int r = 0; r < kPreviewRows; ++r) {
        PreviewRow line;
        line.row = r + 1;
        for (int c = 0; c < kMaxColumns; ++c)
            line.col[c] =
                cp949::cut(cellText(*sheet, r, c, datePicture, book.date1904()), kFieldBytes);
        rows.push_back(std::move(line));
    }
    return rows;
}

int preselectedRow(const std::vector<PreviewRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const std::string& text : rows[i].col) {
            if (!cp949::trim(text).empty())
                return static_cast<int>(i + 1);
        }
    }
    return 0;
}

std::vector<browse::ListColumn> previewColumns() {
    std::vector<browse::ListColumn> list{browse::ruledColumn(18, Justification::Center, "N3", 1)};
    for (int c = 0; c < kMaxColumns; ++c) {
        list.push_back(browse::ruledColumn(
            65, Justification::Left, std::string(1, static_cast<char>('A' + c)),
            Justification::Center, c == 0 ? "S16" : "s16", c + 2, c == 0 ? 3 : 0));
    }
    return list;
}

void makeSetup(const Sheet& sheet, int titleRow, ColumnSetup& columns) {
    if (titleRow < 1)
        return;
    columns.firstDataRow = titleRow + 1;
    int n = 0;
    for (int c = 0; c < kMaxColumns; ++c) {
        std::string title;
        switch (sheet.cellType(titleRow - 1, c)) {
        case CellType::Text:
            title = sheet.readStr(titleRow - 1, c);
            break;
        case CellType::Number:
            title = picture::plainDecimal(sheet.readNum(titleRow - 1, c));
            break;
        default:
            break;
        }
        if (cp949::trim(title).empty())
            continue;
        columns.sheetColumn[n] = c + 1;
        columns.title[n] = cp949::cut(title, kTitleBytes);
        columns.unknownType[n].reset();
        if (sheet.cellType(titleRow, c) == CellType::Number) {
            if (sheet.isDate(titleRow, c)) {
                columns.type[n] = FieldType::Date;
                columns.justify[n] = Justification::Center;
                columns.size[n] = 12;
            } else {
                columns.type[n] = FieldType::Number;
                columns.justify[n] = Justification::Right;
                columns.size[n] = 20;
            }
        } else {
            columns.type[n] = FieldType::Text;
            columns.justify[n] = Justification::Left;
            // Twice the whole width in characters; a column narrower than one character
            // (or hidden) counts as one, and none is wider than the setup stores: the
            // proposal is always a setup the dialog accepts as it stands.
            double width = std::floor(sheet.colWidth(c));
            if (std::isnan(width))
                width = 0;
            columns.size[n] = static_cast<std::int16_t>(
                std::clamp(2 * width, 2.0, static_cast<double>(kMaxSlotSize)));
        }
        ++n;
    }
    columns.columnCount = n;
}

} // namespace rowbit
