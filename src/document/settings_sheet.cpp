#include "document/settings_sheet.h"

#include "app/cp949_text.h"
#include "workbook/column_letter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace rowbit {

namespace {

// Columns of the settings sheet (zero-based).
constexpr int kColA = 0, kColB = 1, kColC = 2, kColD = 3;
constexpr int kColH = 7, kColI = 8, kColJ = 9, kColK = 10;
constexpr std::size_t kLookupEntryBytes = 30;

struct Label {
    int row;
    int col;
    const char* text;
};
constexpr Label kLabels[] = {
    {0, kColA, "컬럼"},
    {0, kColB, "타이틀"},
    {0, kColC, "형식"},
    {0, kColD, "수식"},
    {0, kColI, "<=시작라인"},
    {1, kColH, "메모컬럼"},
    {1, kColI, "타이틀"},
    {1, kColJ, "가로폭"},
    {1, kColK, "세로폭"},
    {29, kColA,
     "* 컬럼에 들어가는 데이터를 목록에서 선택할 경우 아래 해당컬럼 31번 줄부터 "
     "등록하면 됩니다."},
};

// A number cut toward zero into the range of a 16-bit field; an unreadable one is 0.
int wholeNumber(double value) {
    if (!std::isfinite(value))
        return 0;
    value = std::trunc(value);
    return static_cast<int>(std::clamp(value, double(std::numeric_limits<std::int16_t>::min()),
                                       double(std::numeric_limits<std::int16_t>::max())));
}

// The first character of a UTF-8 text ("" for an empty one).
std::string firstCharacter(const std::string& text) {
    if (text.empty())
        return {};
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t len = 1;
    if (lead >= 0xF0)
        len = 4;
    else if (lead >= 0xE0)
        len = 3;
    else if (lead >= 0xC0)
        len = 2;
    return text.substr(0, std::min(len, text.size()));
}

// The size written after "S": the number in characters 2 to 5, its leading digits.
int sizeOf(const std::string& typeCell) {
    const std::string digits = typeCell.size() > 1 ? typeCell.substr(1, 4) : std::string();
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

int letterIndex(std::string_view cell) {
    cell = cp949::trimRight(cell);
    return cell.size() == 1 ? columnNumber(cell) : 0;
}

bool isBlank(std::string_view text) {
    return cp949::trim(text).empty();
}

} // namespace

std::string_view typeLetter(FieldType type) {
    switch (type) {
    case FieldType::Number:
        return "N";
    case FieldType::Date:
        return "D";
    case FieldType::Text:
        break;
    }
    return "S";
}

std::optional<FieldType> fieldTypeOfLetter(std::string_view letter) {
    for (FieldType type : {FieldType::Text, FieldType::Number, FieldType::Date}) {
        if (letter == typeLetter(type))
            return type;
    }
    return std::nullopt;
}

std::string_view justifyLetter(Justification justify) {
    switch (justify) {
    case Justification::Right:
        return "R";
    case Justification::Center:
        return "C";
    case Justification::Left:
        break;
    }
    return "L";
}

std::string typeLetterOf(const ColumnSetup& columns, int k) {
    const auto& unknown = columns.unknownType[static_cast<std::size_t>(k)];
    return unknown ? *unknown : std::string(typeLetter(columns.type[static_cast<std::size_t>(k)]));
}

bool isSettingsSheetName(std::string_view name) {
    return cp949::upper(name) == "SETUPQ";
}

Sheet* settingsSheet(Book& book) {
    return const_cast<Sheet*>(settingsSheet(std::as_const(book)));
}

const Sheet* settingsSheet(const Book& book) {
    // The reader looks where the writer writes, so a saved setup is found again on opening.
    const SettingsTarget target = settingsTarget(book);
    return target.kind == SettingsTarget::Kind::Existing ? book.sheet(target.index) : nullptr;
}

SettingsTarget settingsTarget(const Book& book) {
    const int count = book.sheetCount();
    // The last sheet first: that is where the reader looks.
    for (int i = count - 1; i >= 1; --i) {
        const Sheet* sheet = book.sheet(i);
        if (sheet && isSettingsSheetName(sheet->name()))
            return {SettingsTarget::Kind::Existing, i};
    }
    const Sheet* data = count > 0 ? book.sheet(0) : nullptr;
    if (data && isSettingsSheetName(data->name()))
        return {SettingsTarget::Kind::NameTaken, -1};
    return {SettingsTarget::Kind::New, -1};
}

std::string settingsColumnCode(int column) {
    return std::string(1, static_cast<char>(column + 64));
}

void readSettings(const Sheet& settings, ColumnSetup& columns) {
    for (int k = 0; k < kMaxColumns; ++k) {
        columns.type[k] = FieldType::Text;
        columns.unknownType[k].reset();
        columns.justify[k] = Justification::Left;
        columns.size[k] = 30;
        columns.hasLookup[k] = 0;
    }
    columns.firstDataRow = std::max(1, wholeNumber(settings.readNum(0, kColH)));

    int k = 0;
    for (; k < kMaxColumns; ++k) {
        const int row = k + 1;
        const std::string letter = settings.readStr(row, kColA);
        if (isBlank(letter))
            break;
        columns.title[k] =
            std::string(cp949::trimRight(cp949::cut(settings.readStr(row, kColB), kTitleBytes)));
        const std::string typeCell = settings.readStr(row, kColC);
        const std::string typeLetterRead = firstCharacter(typeCell);
        const std::optional<FieldType> type = fieldTypeOfLetter(typeLetterRead);
        if (!type) {
            columns.unknownType[k] = typeLetterRead;
        } else if (*type == FieldType::Number) {
            columns.type[k] = FieldType::Number;
            columns.justify[k] = Justification::Right;
            columns.size[k] = 20;
            columns.formula[k] = std::string(
                cp949::trimRight(cp949::cut(settings.readStr(row, kColD), kFormulaBytes)));
        } else if (*type == FieldType::Date) {
            columns.type[k] = FieldType::Date;
            columns.justify[k] = Justification::Center;
            columns.size[k] = 12;
        } else {
            const int size = sizeOf(typeCell);
            columns.size[k] = size == 0 ? 30 : size;
        }
        columns.sheetColumn[k] = letterIndex(letter);
        columns.hasLookup[k] =
            columns.sheetColumn[k] != 0 &&
                    !settings.readStr(kLookupFirstRow, columns.sheetColumn[k] - 1).empty()
                ? 1
                : 0;
    }
    columns.columnCount = k;

    const std::string memo = settings.readStr(2, kColH);
    if (!isBlank(memo)) {
        // The letter's code minus 64 ("A" is 1). Only characters that name a column the
        // sheet can have are taken; anything else means no memo rather than a wild column.
        const auto code = static_cast<unsigned char>(memo[0]);
        if (code >= 'A' && code <= '~') {
            columns.memoColumn = code - 64;
            columns.memoTitle =
                std::string(cp949::trimRight(cp949::cut(settings.readStr(2, kColI), kTitleBytes)));
            columns.memoWidth = wholeNumber(settings.readNum(2, kColJ));
            columns.memoHeight = wholeNumber(settings.readNum(2, kColK));
        }
    }
}

namespace {

// What the reader takes from each kind of cell; the writer compares these, so a cell whose
// reading already equals the setup is left as it is (a 20-byte title the reader cut to 16
// keeps its 20 bytes).
std::string titleReading(std::string_view cell) {
    return std::string(cp949::trimRight(cp949::cut(cell, kTitleBytes)));
}

std::string formulaReading(std::string_view cell) {
    return std::string(cp949::trimRight(cp949::cut(cell, kFormulaBytes)));
}

// The size a type cell gives: fixed for numbers and dates, the typed one (30 when none) for
// text, 30 for a letter that names no type.
int sizeReading(std::optional<FieldType> type, int typedSize) {
    if (!type)
        return 30;
    switch (*type) {
    case FieldType::Number:
        return 20;
    case FieldType::Date:
        return 12;
    case FieldType::Text:
        break;
    }
    return typedSize == 0 ? 30 : typedSize;
}

std::pair<std::string, int> typeReading(const std::string& cell) {
    const std::string letter = firstCharacter(cell);
    return {letter, sizeReading(fieldTypeOfLetter(letter), sizeOf(cell))};
}

int memoReading(std::string_view cell) {
    if (isBlank(cell))
        return 0;
    const auto code = static_cast<unsigned char>(cell[0]);
    return code >= 'A' && code <= '~' ? code - 64 : 0;
}

int startReading(const Sheet& settings) {
    return std::max(1, wholeNumber(settings.readNum(0, kColH)));
}

// An empty text empties the cell instead of leaving an empty text cell behind.
void putText(Sheet& sheet, int row, int col, const std::string& text) {
    if (!text.empty())
        sheet.writeStr(row, col, text);
    else if (sheet.cellType(row, col) != CellType::Empty)
        sheet.clear(row, row, col, col);
}

void writeColumn(Sheet& settings, const ColumnSetup& columns, int k, bool fresh) {
    const int row = k + 1;
    if (fresh || letterIndex(settings.readStr(row, kColA)) != columns.sheetColumn[k])
        settings.writeStr(row, kColA,
                          cp949::cut(settingsColumnCode(columns.sheetColumn[k]), kTitleBytes));

    const std::string title = cp949::cut(cp949::trim(columns.title[k]), kTitleBytes);
    if (fresh || titleReading(settings.readStr(row, kColB)) != titleReading(columns.title[k]))
        putText(settings, row, kColB, title);

    // Compared as the reader would take the setup's own type and size, so that a cell it
    // reads the same (an empty one for no type, "N" for a number column) stays.
    const std::string letter = typeLetterOf(columns, k);
    const std::optional<FieldType> type =
        columns.unknownType[k] ? std::nullopt : std::optional(columns.type[k]);
    const std::pair<std::string, int> wanted{letter, sizeReading(type, columns.size[k])};
    if (fresh || typeReading(settings.readStr(row, kColC)) != wanted)
        putText(settings, row, kColC,
                cp949::cut(cp949::trim(letter + std::to_string(columns.size[k])), kTitleBytes));

    // The reader takes the formula of number columns only; for another column an empty
    // formula leaves whatever the cell holds.
    const std::string formula = cp949::cut(cp949::trim(columns.formula[k]), kFormulaBytes);
    if (!fresh && columns.type[k] != FieldType::Number && formula.empty())
        return;
    if (fresh || formulaReading(settings.readStr(row, kColD)) != formulaReading(formula))
        putText(settings, row, kColD, formula);
}

// The memo box: the setup's own values where it has them, else the defaults where the sheet
// has none. Without a memo column an existing sheet keeps what it holds.
void writeMemoBox(Sheet& settings, const ColumnSetup& columns, bool fresh) {
    if (columns.memoColumn == 0 && !fresh)
        return;
    const bool ownTitle = columns.memoColumn != 0 && !isBlank(columns.memoTitle);
    if (ownTitle && titleReading(settings.readStr(2, kColI)) != titleReading(columns.memoTitle))
        settings.writeStr(2, kColI, cp949::cut(cp949::trim(columns.memoTitle), kTitleBytes));
    else if (!ownTitle && settings.readStr(2, kColI).empty())
        settings.writeStr(2, kColI, "메모");

    const auto size = [&](int col, int own, int fallback) {
        const int held = wholeNumber(settings.readNum(2, col));
        if (columns.memoColumn != 0 && own != 0) {
            if (held != own)
                settings.writeNum(2, col, own);
        } else if (settings.readNum(2, col) == 0) {
            settings.writeNum(2, col, fallback);
        }
    };
    size(kColJ, columns.memoWidth, 50);
    size(kColK, columns.memoHeight, 5);
}

} // namespace

Sheet* writeSettings(Book& book, const ColumnSetup& columns) {
    const SettingsTarget target = settingsTarget(book);
    Sheet* settings = nullptr;
    if (target.kind == SettingsTarget::Kind::Existing)
        settings = book.sheet(target.index);
    else if (target.kind == SettingsTarget::Kind::New)
        settings = book.addSheet(kSettingsSheetName);
    if (!settings)
        return nullptr;
    const bool fresh = target.kind == SettingsTarget::Kind::New;

    // What the sheet holds now, as the reader takes it: the entries that were read.
    ColumnSetup held;
    if (!fresh)
        readSettings(*settings, held);

    const int used = columns.shownColumns();
    for (int k = 0; k < used; ++k)
        writeColumn(*settings, columns, k, fresh);
    // Entries read and used before but not now would be read back: they go. Entries after
    // an unusable letter were never used and stay.
    for (int k = used; k < held.shownColumns(); ++k)
        settings->clear(k + 1, k + 1, kColA, kColD);

    if (columns.memoColumn != 0 &&
        (fresh || memoReading(settings->readStr(2, kColH)) != columns.memoColumn))
        settings->writeStr(2, kColH, settingsColumnCode(columns.memoColumn));
    else if (columns.memoColumn == 0 && held.memoColumn != 0)
        settings->clear(2, 2, kColH, kColH);

    if (fresh || startReading(*settings) != columns.firstDataRow)
        settings->writeNum(0, kColH, columns.firstDataRow);

    if (fresh) {
        for (const Label& label : kLabels)
            settings->writeStr(label.row, label.col, label.text);
    }
    writeMemoBox(*settings, columns, fresh);
    return settings;
}

std::vector<std::string> lookupList(const Sheet& settings, int sheetColumn) {
    std::vector<std::string> entries;
    if (sheetColumn < 1)
        return entries;
    for (int row = kLookupFirstRow; row < settings.lastRow(); ++row) {
        std::string entry = settings.readStr(row, sheetColumn - 1);
        if (entry.empty())
            break;
        entries.push_back(cp949::cut(entry, kLookupEntryBytes));
    }
    return entries;
}

} // namespace rowbit
