#!/usr/bin/python3
"""Judges workbooks saved by Rowbit with openpyxl.

    openpyxl_roundtrip.py MANIFEST

Each MANIFEST line is ORIGINAL<TAB>SAVED<TAB>EDITS, EDITS a JSON object: "cells", a list of
[sheet, row, col, value] (zero-based), and "added", the names of sheets added at the end with a
text in A1. openpyxl must read SAVED with the same sheets (and the added ones) and, on every
sheet, the same cached values as ORIGINAL except the edited cells, which hold the written
values. Originals openpyxl cannot read are skipped. Prints a summary; exit 1 on any
disagreement.
"""
import json
import sys
import warnings

import openpyxl

warnings.simplefilter("ignore")


def values(wb):
    out = []
    for ws in wb.worksheets:
        cells = {}
        if hasattr(ws, "iter_rows"):
            for row in ws.iter_rows():
                for c in row:
                    if c.value is not None:
                        cells[(c.row - 1, c.column - 1)] = c.value
        merged = getattr(ws, "merged_cells", None)
        out.append((ws.title, cells, merged))
    return out


def main():
    checked = skipped = 0
    failures = []
    for line in open(sys.argv[1], encoding="utf-8"):
        original, saved, edits = line.rstrip("\n").split("\t")
        try:
            before = values(openpyxl.load_workbook(original, data_only=True))
        except Exception:
            skipped += 1
            continue
        try:
            after = values(openpyxl.load_workbook(saved, data_only=True))
        except Exception as e:
            failures.append("%s: openpyxl cannot read the saved file: %r" % (original, e))
            continue
        if not before:
            skipped += 1  # openpyxl sees no worksheet at all (strict files): it cannot judge
            continue
        expected = [(title, dict(cells)) for title, cells, _ in before]
        edits = json.loads(edits)
        for name in edits.get("added", []):
            expected.append((name, {(0, 0): name}))
            before.append((name, {}, None))
        edits = edits.get("cells", [])
        for sheet, row, col, value in edits:
            merged = before[sheet][2]
            # openpyxl shows no value inside a merged range but its first cell.
            if merged is not None and openpyxl.utils.get_column_letter(col + 1) + str(row + 1) in merged:
                continue
            expected[sheet][1][(row, col)] = value
        if [t for t, _ in expected] != [t for t, _, _ in after]:
            failures.append("%s: sheets %r became %r" % (original, [t for t, _ in expected],
                                                           [t for t, _, _ in after]))
            continue
        for (title, want), (_, got, _) in zip(expected, after):
            if want != got:
                diff = sorted(set(want.items()) ^ set(got.items()), key=str)[:6]
                failures.append("%s, sheet %s: differs at %r" % (original, title, diff))
        checked += 1
    print("openpyxl read back %d saved workbooks (%d originals it cannot read)" % (checked, skipped))
    for f in failures:
        print("FAIL " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
