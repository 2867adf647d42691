#pragma once
// The workbook preview of a workbook without settings: its rows 1 to 10, columns A to J, and
// the setup proposed from the title row the user picks. The window is the UI's.

#include "app/list_format.h"
#include "app/records.h"
#include "workbook/book.h"

#include <array>
#include <string>
#include <vector>

namespace rowbit {

inline constexpr int kPreviewRows = 10;
inline constexpr const char* kPreviewCaption = "엑셀파일 미리보기";
inline constexpr const char* kPreviewNote1 =
    "* 아래 미리보기에서 제목줄을 선택하고 [확인]을 선택하세요";
inline constexpr const char* kPreviewNote2 =
    "* 제목줄 바로 밑줄의 컬럼별 데이터에 따라 기본 형식(문자,숫자),크기를 결정합니다.";

struct PreviewRow {
    int row = 0;                              // 1-based sheet row number
    std::array<std::string, kMaxColumns> col; // texts of sheet columns A to J (100 bytes)
};

// The preview list's columns: the row number (field 1), then sheet columns A to J (fields 2
// to 11) headed by their letters, each cut to 16 characters.
std::vector<browse::ListColumn> previewColumns();

// The ten preview rows of the data sheet (empty rows included); none without a data sheet.
std::vector<PreviewRow> previewRows(const Book& book, const std::string& datePicture);
// The preselected title row: the first line with a non-blank text (1-based), 0 when none.
int preselectedRow(const std::vector<PreviewRow>& rows);
// The proposal for title row `titleRow` (1-based) into `columns` (cleared by the
// caller).
void makeSetup(const Sheet& sheet, int titleRow, ColumnSetup& columns);

} // namespace rowbit
