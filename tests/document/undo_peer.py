"""Record edits undone, judged by the peers: a workbook written by xlwt or openpyxl gets edits
of every kind through the record history, all undone, and is saved (undo_replay, a program of
the test build named by ROWBIT_UNDO_REPLAY). xlrd and openpyxl then read every cell of every
sheet as it was in the workbook it started from.

usage: undo_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import os
import subprocess
import sys

import openpyxl
import xlrd

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, require_input, run_tests  # noqa: E402
sys.path.insert(0, os.path.join(sys.argv[3], "document"))
import make_fixtures as fx  # noqa: E402

REPLAY = require_input(os.environ.get("ROWBIT_UNDO_REPLAY", "undo_replay"))


def all_cells(path):
    """{(sheet, row, col): value} of every non-empty cell, with xlrd's or openpyxl's kind."""
    if path.endswith(".xls"):
        return {(sh.name, r, c): (sh.cell(r, c).ctype, sh.cell(r, c).value)
                for sh in xlrd.open_workbook(path).sheets()
                for r in range(sh.nrows) for c in range(sh.ncols)
                if sh.cell(r, c).ctype != xlrd.XL_CELL_EMPTY}
    return {(sh.title, cell.row, cell.column): (cell.data_type, cell.value)
            for sh in openpyxl.load_workbook(path).worksheets
            for row in sh.iter_rows() for cell in row if cell.value is not None}


def test_undone_edits_leave_the_cells(work, ext):
    path = os.path.join(work, "ledger" + ext)
    fx.WRITERS["ledger" + ext](path)
    before = all_cells(path)
    p = subprocess.run([REPLAY, path], capture_output=True)
    check(p.returncode == 0 and b"undone 7 steps" in p.stdout,
          "%s replay: exit %d %r" % (ext, p.returncode, p.stdout + p.stderr))
    after = all_cells(path)
    differ = sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))
    check(not differ, "%s cells differ: %r" %
          (ext, [(k, before.get(k), after.get(k)) for k in differ[:5]]))


def main():
    return run_tests([(test_undone_edits_leave_the_cells, ext) for ext in (".xls", ".xlsx")],
                     "undo")


if __name__ == "__main__":
    sys.exit(main())
