#pragma once
// The record form's layout as numbers in dialog units: which controls show,
// where they sit, the caption and the font sizes, all decided from the column setup and the
// request. The window only places what this says.

#include "app/app_state.h"
#include "app/records.h"

#include <array>
#include <string>

namespace rowbit::form {

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool shown = true;
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

inline constexpr std::size_t kLabelBytes = 14; // a title label shows 7 Hangul syllables

inline constexpr const char* kOkText = "확 인";
inline constexpr const char* kCancelText = "취 소";
inline constexpr const char* kInsertCaption = "자 료 추 가";
inline constexpr const char* kChangeCaption = "자 료 수 정";
inline constexpr const char* kDeleteCaption = "자 료 삭 제";

struct FormLayout {
    std::string caption;
    std::array<std::string, kMaxColumns> titles; // label texts, 14 bytes at most
    std::string memoTitle;
    std::array<DialogRect, kMaxColumns> labels;
    DialogRect memoLabel;
    std::array<DialogRect, kMaxColumns> fields;
    std::array<DialogRect, kMaxColumns> buttons; // the "..." buttons
    DialogRect memo;
    DialogRect ok;
    DialogRect cancel;
    int width = 0;
    int height = 0;
    std::array<bool, kMaxColumns> keypadPlus{}; // number fields type "000" for keypad plus
    bool readOnly = false;                      // delete: everything but OK and Cancel disabled
    int fieldPoints = 9; // memo label, fields, "..." buttons, memo: the font size
    int labelPoints = 9; // title labels, OK, Cancel: 10 above 10 points, else the design's 9
    friend bool operator==(const FormLayout&, const FormLayout&) = default;
};

FormLayout layOutForm(const ColumnSetup& columns, int fontSize, RecordCommand command);

} // namespace rowbit::form
