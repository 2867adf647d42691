#pragma once
// Check_Input's number and date branches: what an accepted field becomes, or why it is
// refused. Today's date comes in as an argument so every day's table can be tried.

#include <cstdint>
#include <string>
#include <string_view>

namespace rowbit::form {

enum class CheckStatus {
    Accepted,
    NotANumber,     // a number field failed the number test
    NumberTooLarge, // a number field's number is longer than the field holds
    DateNotNumeric, // a date field failed the number test (M1, or M3 for year-first dates)
    DateWrongInput, // a date field of the wrong length, or no such date (M2, or M4)
    LookupNeeded,   // a text field with a list that the window must settle
};

inline constexpr const char* kNumbersOnly = "숫자만 입력하세요";
// After a field's name: a typed number the field cannot hold, a formula result beyond 13
// digits, a formula that divided by zero.
inline constexpr const char* kNumberTooLarge = " 칸: 담을 수 없는 큰 숫자입니다";
inline constexpr const char* kFormulaOverflow = " 칸: 계산 결과가 너무 큽니다";
inline constexpr const char* kDivisionByZero = " 칸: 0으로 나눌 수 없습니다";
inline constexpr const char* kDateM1 = "Number Only (eg: 02(dd) , 0304(mmdd) , 073114(mmddyy)";
inline constexpr const char* kDateM2 =
    "Wrong Input - Number Only Please  (eg: 02(dd) , 0304(mmdd) , 0731(mmddyy)";
inline constexpr const char* kDateM3 = "숫자만 입력하세요 (예: 02 , 0304 , 140731)";
inline constexpr const char* kDateM4 = "잘못된 입력입니다. 다음과 같은 형식으로 숫자만 "
                                       "입력하세요 (예: 02 , 0304 , 140731)";

struct DateEntry {
    CheckStatus status = CheckStatus::Accepted;
    std::string text; // the new field text when accepted
    int offset = 0;   // 1-based character that failed the number test; the length when too long
    friend bool operator==(const DateEntry&, const DateEntry&) = default;
};

// The date decision table: `text` typed into a date field, `datePicture` the date picture ("@D1" ..
// "@D9."; anything else reads as "@D9-"), `today` today's serial. A two-digit year read as
// yymmdd lands in the program's hundred years around today's year.
DateEntry checkDate(std::string_view text, std::string_view datePicture, std::int32_t today);

// The message the form shows for a refusal; empty for Accepted and LookupNeeded.
std::string checkMessage(CheckStatus status, std::string_view datePicture);

// The first character (1-based) that keeps `text` from being a number, 0 when none does.
int firstNonNumeric(std::string_view text);

} // namespace rowbit::form
