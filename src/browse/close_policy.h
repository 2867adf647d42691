#pragma once
// What letting a workbook go asks and does (closing the window, or another workbook dropped on
// it): with unsaved changes the user is asked whether to save them; 예 saves, and the
// workbook goes only when the save happened; 아니오 lets the changes go; 취소, Esc or the
// close box keep everything as it is. The window asks and acts; this decides.

#include "app/prompts.h"

#include <optional>

namespace rowbit {

// The question asked while there are unsaved changes.
MessageRequest closeQuestion();

enum class CloseStep {
    Ask,   // ask closeQuestion()
    Save,  // save the workbook
    Close, // the workbook may go
    Stay,  // the workbook stays, with its changes
};

// The next step from what is known so far: whether there are unsaved changes, the answer to the
// question once asked (1 예, 2 아니오, anything else cancels), and whether the save asked for
// happened once it was tried.
CloseStep nextCloseStep(bool modified, std::optional<int> answer, std::optional<bool> saved);

} // namespace rowbit
