"""Binary workbooks judged by python3-xlrd.

For every workbook in REAL_WORKBOOKS/xls: `rowbit-cli cells` must finish without crashing or
hanging; it may refuse a file (exit 65). Where xlrd reads the file and rowbit-cli loads it,
every cell of the first sheet must agree: position, type, date flag and value.

usage: xls_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import json
import math
import os
import subprocess
import sys

CELL_TIMEOUT = 60

XLRD_DUMP = r'''
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=open("/dev/null", "w"))
sh = book.sheet_by_index(0)
out = []
for r in range(sh.nrows):
    for c in range(sh.ncols):
        cell = sh.cell(r, c)
        t = cell.ctype
        if t in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
            continue
        if t == xlrd.XL_CELL_TEXT:
            out.append([r, c, "text", cell.value])
        elif t == xlrd.XL_CELL_NUMBER:
            out.append([r, c, "number", repr(float(cell.value))])
        elif t == xlrd.XL_CELL_DATE:
            out.append([r, c, "date", repr(float(cell.value))])
        elif t == xlrd.XL_CELL_BOOLEAN:
            out.append([r, c, "bool", str(int(cell.value))])
        elif t == xlrd.XL_CELL_ERROR:
            out.append([r, c, "error", xlrd.error_text_from_code.get(cell.value, "?")])
print(json.dumps(out))
'''


def unescape(s):
    out, i = [], 0
    while i < len(s):
        ch = s[i]
        if ch == "\\" and i + 1 < len(s):
            out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}.get(s[i + 1], s[i + 1]))
            i += 2
        else:
            out.append(ch)
            i += 1
    return "".join(out)


def rowbit_cells(cli, path):
    try:
        p = subprocess.run([cli, "cells", path], capture_output=True, timeout=CELL_TIMEOUT)
    except subprocess.TimeoutExpired:
        return "hang", None
    if p.returncode in (65, 66, 74):  # the workbook could not be read: told on stderr
        return "refused", p.stderr.decode("utf-8", "replace").strip()
    if p.returncode != 0:
        return "crash", "exit %d: %s" % (p.returncode, p.stderr.decode("utf-8", "replace")[-300:])
    cells = []
    for line in p.stdout.decode("utf-8").split("\n"):
        if not line:
            continue
        r, c, t, v = line.split("\t", 3)
        cells.append([int(r), int(c), t, unescape(v) if t == "text" else v])
    return "loaded", cells


def xlrd_cells(path):
    try:
        p = subprocess.run(["/usr/bin/python3", "-c", XLRD_DUMP, path], capture_output=True,
                           timeout=120)
    except subprocess.TimeoutExpired:
        return None
    if p.returncode != 0:
        return None
    lines = p.stdout.decode("utf-8").strip().split("\n")
    return json.loads(lines[-1]) if lines and lines[-1] else []


def same_value(kind, a, b):
    if kind in ("number", "date"):
        x, y = float(a), float(b)
        return x == y or (math.isnan(x) and math.isnan(y))
    return a == b


def compare(ours, theirs):
    """The differences between two cell lists, at most a few."""
    mine = {(r, c): (t, v) for r, c, t, v in ours}
    peer = {(r, c): (t, v) for r, c, t, v in theirs}
    diffs = []
    for key in sorted(set(mine) | set(peer)):
        a, b = mine.get(key), peer.get(key)
        if a is None or b is None or a[0] != b[0] or not same_value(a[0], a[1], b[1]):
            diffs.append("%s: rowbit %r, xlrd %r" % (key, a, b))
    return diffs


def main():
    cli, real = sys.argv[1], sys.argv[2]
    folder = os.path.join(real, "xls")
    if not os.path.isdir(folder):
        sys.exit("missing test input folder: " + folder)
    files = sorted(f for f in os.listdir(folder) if f.lower().endswith(".xls"))
    if not files:
        sys.exit("no test inputs in " + folder)
    counts = {"loaded": 0, "refused": 0, "agree": 0, "xlrd_reads": 0}
    failures = []
    refused_but_read = []
    for name in files:
        path = os.path.join(folder, name)
        state, data = rowbit_cells(cli, path)
        if state in ("hang", "crash"):
            failures.append("%s: %s %s" % (name, state, data or ""))
            continue
        counts[state] += 1
        peer = xlrd_cells(path)
        if peer is None:
            continue
        counts["xlrd_reads"] += 1
        if state == "refused":
            refused_but_read.append("%s (%s)" % (name, data))
            continue
        diffs = compare(data, peer)
        if diffs:
            failures.append("%s: %d cells differ, e.g. %s" % (name, len(diffs), "; ".join(diffs[:3])))
        else:
            counts["agree"] += 1
    print("%d files: %d loaded, %d refused; xlrd reads %d; %d agree with xlrd on every cell"
          % (len(files), counts["loaded"], counts["refused"], counts["xlrd_reads"], counts["agree"]))
    for r in refused_but_read:
        print("refused, xlrd reads it:", r)
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
