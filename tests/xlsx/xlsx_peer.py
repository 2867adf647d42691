#!/usr/bin/python3
"""Peer check of the XML workbook reader against openpyxl.

    xlsx_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA

Every workbook in REAL_WORKBOOKS/xlsx and TEST_DATA/xlsx must load or be refused
(`rowbit-cli cells` exits 0 or 2, within a time limit; never a crash). For every workbook that
openpyxl reads, the cells of the first sheet must agree with openpyxl's cached values:
numbers and dates by value (dates as serials), texts, booleans and errors exactly.
"""
import datetime
import os
import re
import subprocess
import sys
import warnings

import openpyxl
from openpyxl.utils.datetime import to_excel, CALENDAR_MAC_1904, CALENDAR_WINDOWS_1900

warnings.simplefilter("ignore")

ESCAPE = re.compile(r"_x([0-9A-Fa-f]{4})_")


def unescape_cli(text):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def rowbit_cells(cli, path):
    proc = subprocess.run([cli, "cells", path], capture_output=True, timeout=120)
    if proc.returncode not in (0, 65, 66, 74):
        return proc.returncode, None, proc.stderr.decode("utf-8", "replace")
    if proc.returncode != 0:  # the workbook could not be read: told on stderr
        return 2, None, proc.stderr.decode("utf-8", "replace")
    cells = {}
    for line in proc.stdout.decode("utf-8").split("\n"):
        if not line:
            continue
        r, c, kind, value = line.split("\t", 3)
        cells[(int(r), int(c))] = (kind, unescape_cli(value))
    return 0, cells, ""


def peer_value(cell, epoch):
    """openpyxl's value as (kind, comparable value), or None for an empty cell."""
    v = cell.value
    if v is None:
        return None
    if cell.data_type == "e":
        return ("error", str(v))
    if isinstance(v, bool):
        return ("bool", "1" if v else "0")
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)):
        return ("date", float(to_excel(v, epoch)))
    if isinstance(v, (int, float)):
        return ("number", float(v))
    if isinstance(v, str):
        # Excel's _xHHHH_ escapes are decoded by the reader under test, not by openpyxl.
        return ("text", ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), v))
    return ("text", str(v))


def compare(path, cells):
    wb = openpyxl.load_workbook(path, data_only=True)
    epoch = CALENDAR_MAC_1904 if wb.epoch == CALENDAR_MAC_1904 else CALENDAR_WINDOWS_1900
    ws = wb.worksheets[0]
    problems = []
    seen = set()
    if hasattr(ws, "iter_rows"):
        for row in ws.iter_rows():
            for cell in row:
                pv = peer_value(cell, epoch)
                if pv is None:
                    continue
                key = (cell.row - 1, cell.column - 1)
                seen.add(key)
                mine = cells.get(key)
                if mine is None:
                    problems.append("%s: missing, openpyxl has %r" % (cell.coordinate, pv))
                    continue
                kind, value = mine
                if pv[0] in ("number", "date"):
                    if kind not in ("number", "date"):
                        problems.append("%s: %s %r, openpyxl %r" % (cell.coordinate, kind, value, pv))
                        continue
                    tolerance = 2e-6 if pv[0] == "date" or kind == "date" else 1e-12
                    if abs(float(value) - pv[1]) > tolerance * max(1.0, abs(pv[1])):
                        problems.append("%s: %s, openpyxl %r" % (cell.coordinate, value, pv))
                elif (kind, value) != pv:
                    problems.append("%s: %s %r, openpyxl %r" % (cell.coordinate, kind, value, pv))
    for key, (kind, value) in cells.items():
        if key not in seen and not (kind == "text" and value == ""):
            problems.append("%r: %s %r, openpyxl has nothing" % (key, kind, value))
    return problems


def main():
    cli, real, data = sys.argv[1:4]
    files = []
    for folder in (os.path.join(real, "xlsx"), os.path.join(data, "xlsx")):
        if not os.path.isdir(folder):
            sys.exit("missing test input folder: " + folder)
        files += sorted(os.path.join(folder, f) for f in os.listdir(folder)
                        if f.lower().endswith((".xlsx", ".xlsm")))
    loaded = refused = agreed = peer_refused = 0
    failures = []
    for path in files:
        name = os.path.basename(path)
        try:
            status, cells, err = rowbit_cells(cli, path)
        except subprocess.TimeoutExpired:
            failures.append("%s: timed out" % name)
            continue
        if status not in (0, 2):
            failures.append("%s: rowbit-cli ended with status %d: %s" % (name, status, err))
            continue
        if status == 2:
            refused += 1
            print("refused %s: %s" % (name, err.strip()))
            continue
        loaded += 1
        try:
            problems = compare(path, cells)
        except Exception as e:  # openpyxl cannot read it: nothing to compare with
            peer_refused += 1
            print("openpyxl cannot read %s (%s)" % (name, type(e).__name__))
            continue
        if problems:
            failures.append("%s disagrees with openpyxl:\n    %s" % (name, "\n    ".join(problems[:8])))
        else:
            agreed += 1
    print("files %d: loaded %d, refused %d; agreeing with openpyxl %d, openpyxl could not read %d"
          % (len(files), loaded, refused, agreed, peer_refused))
    for f in failures:
        print("FAIL " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
