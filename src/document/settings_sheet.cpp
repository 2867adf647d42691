#include "document/settings_sheet.h"

#include "app/cp949_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    if (cell.size() == 1 && cell[0] >= 'A' && cell[0] <= 'Z')
        return cell[0] - 'A' + 1;
    return 0;
}

std::string letterOf(int index) {
    return std::string(1, static_cast<char>(index + 64));
}

bool isBlank(std::string_view text) {
    return cp949::trim(text).empty();
}

} // namespace

bool isSettingsSheetName(std::string_view name) {
    return cp949::upper(name) == "SETUPQ";
}

Sheet* settingsSheet(Book& book) {
    const int count = book.sheetCount();
    if (count == 0)
        return nullptr;
    Sheet* last = book.sheet(count - 1);
    return last && isSettingsSheetName(last->name()) ? last : nullptr;
}

const Sheet* settingsSheet(const Book& book) {
    const int count = book.sheetCount();
    if (count == 0)
        return nullptr;
    const Sheet* last = book.sheet(count - 1);
    return last && isSettingsSheetName(last->name()) ? last : nullptr;
}

void readSettings(const Sheet& settings, ColumnSetup& g1) {
    for (int k = 0; k < kMaxColumns; ++k) {
        g1.type[k] = "S";
        g1.justify[k] = "L";
        g1.size[k] = 30;
        g1.btn[k] = 0;
    }
    g1.startline = std::max(1, wholeNumber(settings.readNum(0, kColH)));

    int k = 0;
    for (; k < kMaxColumns; ++k) {
        const int row = k + 1;
        const std::string letter = settings.readStr(row, kColA);
        if (isBlank(letter))
            break;
        g1.cname[k] =
            std::string(cp949::trimRight(cp949::cut(settings.readStr(row, kColB), kTitleBytes)));
        const std::string typeCell = settings.readStr(row, kColC);
        g1.type[k] = firstCharacter(typeCell);
        if (g1.type[k] == "N") {
            g1.justify[k] = "R";
            g1.size[k] = 20;
            g1.formula[k] = std::string(
                cp949::trimRight(cp949::cut(settings.readStr(row, kColD), kFormulaBytes)));
        } else if (g1.type[k] == "D") {
            g1.justify[k] = "C";
            g1.size[k] = 12;
        } else if (g1.type[k] == "S") {
            const int size = sizeOf(typeCell);
            g1.size[k] = size == 0 ? 30 : size;
        }
        g1.cno[k] = letterIndex(letter);
        g1.btn[k] =
            g1.cno[k] != 0 && !settings.readStr(kLookupFirstRow, g1.cno[k] - 1).empty() ? 1 : 0;
    }
    g1.ccount = k;

    const std::string memo = settings.readStr(2, kColH);
    if (!isBlank(memo)) {
        // The letter's code minus 64 ("A" is 1). Only characters that name a column the
        // sheet can have are taken; anything else means no memo rather than a wild column.
        const auto code = static_cast<unsigned char>(memo[0]);
        if (code >= 'A' && code <= '~') {
            g1.mno = code - 64;
            g1.mname =
                std::string(cp949::trimRight(cp949::cut(settings.readStr(2, kColI), kTitleBytes)));
            g1.mwsize = wholeNumber(settings.readNum(2, kColJ));
            g1.mhsize = wholeNumber(settings.readNum(2, kColK));
        }
    }
}

Sheet* writeSettings(Book& book, const ColumnSetup& g1) {
    Sheet* settings = settingsSheet(book);
    if (!settings) {
        Sheet* last = book.sheetCount() > 0 ? book.sheet(book.sheetCount() - 1) : nullptr;
        // The data sheet of a one-sheet workbook is never taken for the settings.
        if (last && book.sheetCount() > 1 && last->lastCol() == 256) {
            last->setName(kSettingsSheetName);
            settings = last;
        } else {
            settings = book.addSheet(kSettingsSheetName);
        }
    }
    if (!settings)
        return nullptr;

    int k = 0;
    for (; k < kMaxColumns && g1.cno[k] != 0; ++k) {
        const int row = k + 1;
        settings->writeStr(row, kColA, cp949::cut(letterOf(g1.cno[k]), kTitleBytes));
        settings->writeStr(row, kColB, cp949::cut(cp949::trim(g1.cname[k]), kTitleBytes));
        settings->writeStr(
            row, kColC,
            cp949::cut(cp949::trim(g1.type[k] + std::to_string(g1.size[k])), kTitleBytes));
        settings->writeStr(row, kColD, cp949::cut(cp949::trim(g1.formula[k]), kFormulaBytes));
    }
    // Rows of columns removed since an earlier save would otherwise be read back.
    if (k < kMaxColumns)
        settings->clear(k + 1, kMaxColumns, kColA, kColD);

    if (g1.mno != 0)
        settings->writeStr(2, kColH, letterOf(g1.mno));
    else
        settings->clear(2, 2, kColH, kColH);
    settings->writeNum(0, kColH, g1.startline);

    for (const Label& label : kLabels) {
        if (settings->readStr(label.row, label.col).empty())
            settings->writeStr(label.row, label.col, label.text);
    }
    if (settings->readStr(2, kColI).empty())
        settings->writeStr(2, kColI, "메모");
    if (settings->readNum(2, kColJ) == 0)
        settings->writeNum(2, kColJ, 50);
    if (settings->readNum(2, kColK) == 0)
        settings->writeNum(2, kColK, 5);
    return settings;
}

std::vector<std::string> lookupList(const Sheet& settings, int cno) {
    std::vector<std::string> entries;
    if (cno < 1)
        return entries;
    for (int row = kLookupFirstRow; row < settings.lastRow(); ++row) {
        std::string entry = settings.readStr(row, cno - 1);
        if (entry.empty())
            break;
        entries.push_back(cp949::cut(entry, kLookupEntryBytes));
    }
    return entries;
}

} // namespace rowbit
