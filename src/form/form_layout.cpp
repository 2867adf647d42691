#include "form/form_layout.h"

#include "app/cp949_text.h"

#include <algorithm>

namespace rowbit::form {

FormLayout layOutForm(const ColumnSetup& columns, int fontSize, RecordCommand command) {
    FormLayout out;
    out.fieldPoints = fontSize > 0 ? fontSize : 9;
    out.labelPoints = fontSize > 10 ? 10 : 9;
    for (int i = 0; i < kMaxColumns; ++i) {
        const int y = 15 + 20 * i;
        out.titles[i] = cp949::cut(cp949::trimRight(columns.title[i]), kLabelBytes);
        out.labels[i] = {1, y + 2, 52, 10, true};
        // Column 1 always shows; the others only with a title.
        const bool shown = i == 0 || !cp949::trimRight(columns.title[i]).empty();
        out.fields[i] = {60, y, 4 * columns.size[i], 14, shown};
        out.buttons[i] = {4 * columns.size[i] + 65, y, 13, 13, columns.hasLookup[i] != 0};
        out.keypadPlus[i] = columns.type[i] == FieldType::Number;
    }
    out.memoTitle = cp949::cut(cp949::trimRight(columns.memoTitle), kLabelBytes);
    const int memoY = 20 * columns.columnCount + 15;
    out.memoLabel = {1, memoY, 52, 10, columns.memoColumn != 0};
    out.memo = {60, memoY, 4 * columns.memoWidth, 14 * columns.memoHeight, columns.memoColumn != 0};

    // The memo shows when there is a memo column; its room in the window follows its title.
    const bool memoRoom = !cp949::trimRight(columns.memoTitle).empty();
    int widest = *std::max_element(columns.size.begin(), columns.size.end());
    if (memoRoom)
        widest = std::max(widest, columns.memoWidth);
    out.width = 4 * widest + 95;
    out.height = 20 * columns.columnCount + 50 + (memoRoom ? 14 * columns.memoHeight : 0);
    // Halves of an odd width are truncated towards zero, as integer division does.
    out.ok = {out.width / 2 - 60, out.height - 30, 50, 15, true};
    out.cancel = {out.width / 2, out.height - 30, 50, 15, true};

    switch (command) {
    case RecordCommand::Insert:
        out.caption = kInsertCaption;
        break;
    case RecordCommand::Delete:
        out.caption = kDeleteCaption;
        out.readOnly = true;
        break;
    case RecordCommand::Change:
        out.caption = kChangeCaption;
        break;
    }
    return out;
}

} // namespace rowbit::form
