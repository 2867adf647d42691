#pragma once
// A list's columns written out in one line, so that a test states a whole list at a glance:
// per column its width, justification letter and indent "50L(2)", then "|" for a right
// border, "_" for a line under each cell, "M" for resizable, "~header~C(0)" for a header
// with its justification and indent, "@picture@", and "#field#" when the field does not
// follow the previous column's.

#include "app/list_format.h"

#include <string>
#include <vector>

namespace rowbit::testing {

std::string listNotation(const std::vector<browse::ListColumn>& columns);

} // namespace rowbit::testing
