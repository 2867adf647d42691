#include "workbook/xlsx/sheet_anchors.h"

#include "workbook/xlsx/formula_shift.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace rowbit::xlsx {

namespace {

// One element found in a part: where its start tag is, where the element ends.
struct Found {
    std::size_t start = 0, tagEnd = 0, end = 0;
    bool found = false;
};

// The end of a start tag at `from` (just past '>'), stepping over quoted values.
std::size_t tagEndFrom(const std::string& text, std::size_t from) {
    char quote = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char ch = text[i];
        if (quote) {
            if (ch == quote)
                quote = 0;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == '>') {
            return i + 1;
        }
    }
    return std::string::npos;
}

Found findElement(const std::string& text, const std::string& qname, std::size_t from) {
    const std::string open = "<" + qname;
    for (std::size_t at = text.find(open, from); at != std::string::npos;
         at = text.find(open, at + 1)) {
        const std::size_t after = at + open.size();
        if (after >= text.size() ||
            (text[after] != ' ' && text[after] != '/' && text[after] != '>' &&
             text[after] != '\n' && text[after] != '\t' && text[after] != '\r'))
            continue;
        Found f;
        f.start = at;
        f.tagEnd = tagEndFrom(text, after);
        if (f.tagEnd == std::string::npos)
            return {};
        if (text[f.tagEnd - 2] == '/') {
            f.end = f.tagEnd;
        } else {
            const std::string close = "</" + qname + ">";
            const std::size_t c = text.find(close, f.tagEnd);
            if (c == std::string::npos)
                return {};
            f.end = c + close.size();
        }
        f.found = true;
        return f;
    }
    return {};
}

// The value of attribute `name` in the start tag [start, tagEnd): its position and length.
bool attrValue(const std::string& text, const Found& f, const std::string& name, std::size_t& at,
               std::size_t& len) {
    for (std::size_t i = text.find(name, f.start); i != std::string::npos && i < f.tagEnd;
         i = text.find(name, i + 1)) {
        const char before = text[i - 1];
        if ((before != ' ' && before != '\n' && before != '\t' && before != '\r') ||
            i + name.size() + 1 >= f.tagEnd || text[i + name.size()] != '=')
            continue;
        const char quote = text[i + name.size() + 1];
        at = i + name.size() + 2;
        const std::size_t endQuote = text.find(quote, at);
        if (endQuote == std::string::npos || endQuote >= f.tagEnd)
            return false;
        len = endQuote - at;
        return true;
    }
    return false;
}

bool parseRange(std::string_view range, int& r0, int& c0, int& r1, int& c1) {
    const auto colon = range.find(':');
    if (!parseCellRef(range.substr(0, colon), r0, c0))
        return false;
    if (colon == std::string_view::npos) {
        r1 = r0;
        c1 = c0;
        return true;
    }
    return parseCellRef(range.substr(colon + 1), r1, c1);
}

std::string rangeOf(int r0, int c0, int r1, int c1) {
    return rangeText(r0, c0, r1, c1);
}

// A list of ranges ("A1:B1 C3") with every range placed; empty when all of them go. `broken`
// hears of each range over several rows that stays, and drops it by answering false. With
// `follow`, a range over several rows follows its cells as a reference does (shrinking when
// rows went) and stays only where they are scattered.
std::string remapList(std::string_view list, const RowMap& map,
                      const std::function<bool(const std::string&)>& broken, bool follow,
                      bool& changed) {
    std::string out;
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t end = list.find(' ', pos);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view item = list.substr(pos, end - pos);
        pos = end + 1;
        if (item.empty())
            continue;
        int r0 = 0, c0 = 0, r1 = 0, c1 = 0, newRow = 0;
        std::string placed(item);
        if (follow && parseRange(item, r0, c0, r1, c1) && r0 != r1) {
            const RowMap::RangeAfter after = map.rangeAfter(std::min(r0, r1), std::max(r0, r1));
            if (after.kind == RowMap::RangeAfter::Kind::Moves) {
                placed = rangeOf(after.first, std::min(c0, c1), after.last, std::max(c0, c1));
                changed = true;
            } else if (after.kind == RowMap::RangeAfter::Kind::Gone) {
                placed.clear();
                changed = true;
            }
        } else if (parseRange(item, r0, c0, r1, c1)) {
            switch (map.place(std::min(r0, r1), std::max(r0, r1), newRow)) {
            case RowMap::Fate::Moves:
                placed = rangeOf(newRow, c0, newRow, c1);
                changed = true;
                break;
            case RowMap::Fate::Goes:
                placed.clear();
                changed = true;
                break;
            case RowMap::Fate::Breaks:
                if (broken && !broken(placed)) {
                    placed.clear();
                    changed = true;
                }
                break;
            case RowMap::Fate::Stays:
                break;
            }
        }
        if (placed.empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += placed;
    }
    return out;
}

// Rewrites attribute `attr` of every `qname` element; an element whose ranges all go is removed.
void remapElements(std::string& text, const std::string& qname, const std::string& attr,
                   const RowMap& map, const std::function<bool(const std::string&)>& broken,
                   bool follow = false) {
    std::size_t from = 0;
    for (Found f = findElement(text, qname, from); f.found; f = findElement(text, qname, from)) {
        std::size_t at = 0, len = 0;
        if (!attrValue(text, f, attr, at, len)) {
            from = f.end;
            continue;
        }
        bool changed = false;
        const std::string placed =
            remapList(std::string_view(text).substr(at, len), map, broken, follow, changed);
        if (placed.empty()) {
            text.erase(f.start, f.end - f.start);
            from = f.start;
        } else if (changed) {
            text.replace(at, len, placed);
            from = f.end + placed.size() - len;
        } else {
            from = f.end;
        }
    }
}

// A list element left without items goes (an empty one is not allowed); its count is redone.
void tidyContainer(std::string& text, const std::string& prefix, const std::string& container,
                   const std::string& item) {
    const Found f = findElement(text, prefix + container, 0);
    if (!f.found)
        return;
    std::size_t n = 0;
    for (Found i = findElement(text, prefix + item, f.tagEnd); i.found && i.start < f.end;
         i = findElement(text, prefix + item, i.end))
        ++n;
    if (n == 0) {
        text.erase(f.start, f.end - f.start);
        return;
    }
    std::size_t at = 0, len = 0;
    if (attrValue(text, f, "count", at, len))
        text.replace(at, len, std::to_string(n));
}

} // namespace

std::string
remapSheetTail(const std::string& tail, const std::string& prefix, const RowMap& map,
               const Sheet& sheet,
               const std::function<void(SaveNotice::Kind, const std::string& range)>& mergeLeft) {
    std::string text = tail;
    std::vector<CellRange> merges;
    for (Found f = findElement(text, prefix + "mergeCell", 0); f.found;
         f = findElement(text, prefix + "mergeCell", f.end)) {
        std::size_t at = 0, len = 0;
        int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
        if (attrValue(text, f, "ref", at, len) &&
            parseRange(std::string_view(text).substr(at, len), r0, c0, r1, c1))
            merges.push_back(
                {std::min(r0, r1), std::min(c0, c1), std::max(r0, r1), std::max(c0, c1)});
    }
    const std::vector<CellRange> undo = mergesGivingWay(map, merges, sheet);
    remapElements(text, prefix + "mergeCell", "ref", map, [&](const std::string& range) {
        int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
        parseRange(range, r0, c0, r1, c1);
        const CellRange r{std::min(r0, r1), std::min(c0, c1), std::max(r0, r1), std::max(c0, c1)};
        const bool keep = std::find(undo.begin(), undo.end(), r) == undo.end();
        if (mergeLeft)
            mergeLeft(keep ? SaveNotice::Kind::MergeKept : SaveNotice::Kind::MergeUndone, range);
        return keep;
    });
    remapElements(text, prefix + "hyperlink", "ref", map, {});
    remapElements(text, prefix + "conditionalFormatting", "sqref", map, {}, true);
    remapElements(text, prefix + "dataValidation", "sqref", map, {}, true);
    tidyContainer(text, prefix, "mergeCells", "mergeCell");
    tidyContainer(text, prefix, "hyperlinks", "hyperlink");
    tidyContainer(text, prefix, "dataValidations", "dataValidation");
    return text;
}

std::string remapComments(const std::string& part, const RowMap& map) {
    std::string text = part;
    // The comments' element names carry whatever prefix the part's root uses.
    const std::size_t root = text.find("comments");
    std::string prefix;
    if (root != std::string::npos && root > 0 && text[root - 1] == ':') {
        const std::size_t lt = text.rfind('<', root);
        if (lt != std::string::npos)
            prefix = text.substr(lt + 1, root - lt - 1);
    }
    remapElements(text, prefix + "comment", "ref", map, {});
    return text;
}

std::string remapNoteShapes(const std::string& part, const RowMap& map) {
    std::string text = part;
    std::size_t from = 0;
    for (Found f = findElement(text, "v:shape", from); f.found;
         f = findElement(text, "v:shape", from)) {
        std::string shape = text.substr(f.start, f.end - f.start);
        const std::size_t rowAt = shape.find("<x:Row>");
        const std::size_t rowEnd = shape.find("</x:Row>");
        int row = 0;
        if (rowAt == std::string::npos || rowEnd == std::string::npos || rowEnd < rowAt + 7 ||
            std::from_chars(shape.data() + rowAt + 7, shape.data() + rowEnd, row).ec !=
                std::errc()) {
            from = f.end;
            continue;
        }
        int newRow = 0;
        const auto fate = map.place(row, row, newRow);
        if (fate == RowMap::Fate::Goes) {
            text.erase(f.start, f.end - f.start);
            from = f.start;
            continue;
        }
        if (fate != RowMap::Fate::Moves) {
            from = f.end;
            continue;
        }
        shape.replace(rowAt + 7, rowEnd - rowAt - 7, std::to_string(newRow));
        // The box's anchor: left column, offset, top row, offset, right column, offset,
        // bottom row, offset; its rows shift with the note.
        const std::size_t a = shape.find("<x:Anchor>");
        const std::size_t aEnd = shape.find("</x:Anchor>");
        if (a != std::string::npos && aEnd != std::string::npos && aEnd > a) {
            std::vector<std::string> fields;
            std::string cur;
            for (std::size_t i = a + 10; i < aEnd; ++i) {
                if (shape[i] == ',') {
                    fields.push_back(cur);
                    cur.clear();
                } else if (shape[i] != ' ' && shape[i] != '\n' && shape[i] != '\r' &&
                           shape[i] != '\t') {
                    cur += shape[i];
                }
            }
            fields.push_back(cur);
            if (fields.size() == 8) {
                for (int k : {2, 6}) {
                    int v = 0;
                    std::from_chars(fields[k].data(), fields[k].data() + fields[k].size(), v);
                    fields[k] = std::to_string(std::max(0, v + newRow - row));
                }
                std::string joined;
                for (std::size_t k = 0; k < fields.size(); ++k)
                    joined += (k ? ", " : "") + fields[k];
                shape.replace(a + 10, aEnd - a - 10, joined);
            }
        }
        text.replace(f.start, f.end - f.start, shape);
        from = f.start + shape.size();
    }
    return text;
}

} // namespace rowbit::xlsx
