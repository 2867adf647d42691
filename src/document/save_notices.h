#pragma once
// What a save could not carry along with the moved records, told to the user in one message.

#include "workbook/book.h"

#include <string>
#include <vector>

namespace rowbit {

// One sentence per kind of notice, naming its ranges ("Sheet1!A3:B4"); lines are separated by
// '|' as in every message. Empty when there is nothing to tell.
std::string saveNoticesMessage(const std::vector<SaveNotice>& notices);

} // namespace rowbit
