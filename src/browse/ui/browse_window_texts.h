#pragma once
// The browse window's own texts, shared by its two source files (the window and its commands).

#include <QString>

#include <string>

namespace rowbit::ui::browse_texts {

constexpr const char* kRowMenu = "자료 추가|자료 수정|자료 삭제|합계|인쇄";
constexpr const char* kPrintMenu = "세로|가로";
constexpr const char* kSelectToChange = "먼저 수정할 자료를 선택하세요";
constexpr const char* kSelectToDelete = "먼저 삭제할 자료를 선택하세요";
constexpr const char* kRecentMissing =
    "선택한 파일이 해당 폴더에 없습니다. 삭제 또는 이동했는지 확인해 보세용";
constexpr const char* kRecentInUse = "현재 사용중인 파일입니다.";
// The tip of the bar that shows how far the list filling in behind its first screen got.
constexpr const char* kFillingTip = "나머지 자료를 읽는 중입니다...";
constexpr const char* kPlacementSection = "Window";
// The caption while no workbook is open yet.
constexpr const char* kProgramName = "Rowbit";

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace rowbit::ui::browse_texts
