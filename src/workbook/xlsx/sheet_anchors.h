#pragma once
// What is anchored to rows of an XML worksheet follows its rows when they move: merged
// ranges, links, conditional formats and validations in the sheet part, comments and their
// note shapes in their own parts.

#include "workbook/row_map.h"

#include <functional>
#include <string>

namespace rowbit::xlsx {

// The sheet part's bytes after <sheetData>; `mergeLeft` hears of each merged range over
// several moved rows: kept where it is (MergeKept) or unmerged (MergeUndone), as
// mergesGivingWay decides by the cells of `sheet` after the move.
std::string
remapSheetTail(const std::string& tail, const std::string& prefix, const RowMap& map,
               const Sheet& sheet,
               const std::function<void(SaveNotice::Kind, const std::string& range)>& mergeLeft);
// A comments part and a VML drawing part.
std::string remapComments(const std::string& part, const RowMap& map);
std::string remapNoteShapes(const std::string& part, const RowMap& map);

} // namespace rowbit::xlsx
