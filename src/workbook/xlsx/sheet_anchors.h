#pragma once
// What is anchored to rows of an XML worksheet follows its rows when they move: merged
// ranges, links, conditional formats and validations in the sheet part, comments and their
// note shapes in their own parts.

#include "workbook/row_map.h"

#include <functional>
#include <string>

namespace rowbit::xlsx {

// The sheet part's bytes after <sheetData>; `mergeKept` hears each merged range over several
// moved rows, which stays where it is.
std::string remapSheetTail(const std::string& tail, const std::string& prefix, const RowMap& map,
                           const std::function<void(const std::string& range)>& mergeKept);
// A comments part and a VML drawing part.
std::string remapComments(const std::string& part, const RowMap& map);
std::string remapNoteShapes(const std::string& part, const RowMap& map);

} // namespace rowbit::xlsx
