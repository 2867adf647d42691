"""Column widths as the peers read them: xlrd and openpyxl give each column of the two
narrow_columns fixtures the width its row-1 cell names, so one stored width means the same in
both formats and Rowbit shows it alike (column_width_test.cpp holds the widths shown).

usage: column_width_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import os
import sys

import openpyxl
import xlrd
from openpyxl.utils import get_column_letter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, failures, require_input  # noqa: E402

folder = os.path.join(sys.argv[3], "workbook")

sheet = xlrd.open_workbook(require_input(os.path.join(folder, "narrow_columns.xls")),
                           formatting_info=True).sheet_by_index(0)
xls = {c: (sheet.colinfo_map[c].width / 256, sheet.cell_value(0, c)) for c in range(sheet.ncols)}

ws = openpyxl.load_workbook(require_input(os.path.join(folder, "narrow_columns.xlsx"))).active
xlsx = {c: (ws.column_dimensions[get_column_letter(c + 1)].width, ws.cell(1, c + 1).value)
        for c in range(ws.max_column)}

check(len(xls) == 8 and len(xlsx) == 8, "eight columns in each fixture")
for name, widths in (("xls", xls), ("xlsx", xlsx)):
    for c, (stored, named) in widths.items():
        check(stored == named, "%s column %d: stored %r, row 1 names %r" % (name, c, stored, named))
check(xls == xlsx, "both formats store the same widths")
if failures:
    sys.exit("%d check(s) failed" % len(failures))
print("column width peer checks passed")
