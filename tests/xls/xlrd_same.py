"""Does python3-xlrd read the same cells from a saved workbook as from its original?

usage: xlrd_same.py MANIFEST.json
The manifest lists {"original", "saved", "edits": [[sheet, row, col, "text"|"number", value]]}.
Every sheet's non-empty cells must match, except edited cells, which must hold their edit.
Prints one line per disagreement; exit 1 when there is any.
"""
import json
import sys

import xlrd


def cells(book, index):
    sh = book.sheet_by_index(index)
    out = {}
    for r in range(sh.nrows):
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            out[(r, c)] = (cell.ctype, cell.value)
    return out


def main():
    manifest = json.load(open(sys.argv[1]))
    problems = []
    checked = 0
    for entry in manifest:
        try:
            old = xlrd.open_workbook(entry["original"], logfile=open("/dev/null", "w"))
        except Exception:
            continue  # the peer cannot read the original: nothing to compare with
        try:
            new = xlrd.open_workbook(entry["saved"], logfile=open("/dev/null", "w"))
        except Exception as e:
            problems.append("%s: xlrd cannot read the saved copy: %s" % (entry["saved"], e))
            continue
        checked += 1
        if old.sheet_names() != new.sheet_names():
            problems.append("%s: sheet names %r became %r" % (entry["saved"], old.sheet_names(),
                                                              new.sheet_names()))
            continue
        edits = {(s, r, c): (k, v) for s, r, c, k, v in entry["edits"]}
        for i in range(old.nsheets):
            a, b = cells(old, i), cells(new, i)
            for (s, r, c), (kind, value) in edits.items():
                if s != i:
                    continue
                got = b.pop((r, c), None)
                a.pop((r, c), None)
                want = (xlrd.XL_CELL_TEXT if kind == "text" else xlrd.XL_CELL_NUMBER, value)
                if got != want:
                    problems.append("%s sheet %d (%d,%d): edit %r reads %r" %
                                    (entry["saved"], i, r, c, want, got))
            if a != b:
                diff = [k for k in set(a) | set(b) if a.get(k) != b.get(k)]
                diff.sort()
                problems.append("%s sheet %d: %d cells differ, e.g. %s: %r vs %r" %
                                (entry["saved"], i, len(diff), diff[0], a.get(diff[0]),
                                 b.get(diff[0])))
    print("xlrd compared %d saved workbooks" % checked)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
