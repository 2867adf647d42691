"""Record edits undone, judged by the peers: a workbook written by xlwt or openpyxl gets edits
of every kind (change, sort, delete, insert) through the record history, all undone, and is
saved (undo_replay, a small program of the test build named by ROWBIT_UNDO_REPLAY). xlrd and
openpyxl then read the cells of the workbook it started from: every sheet, every cell. Saved
once between the edits and the undoing, the records come back in their order with their
texts (rows deleted by that save lose the cells no column shows).

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
    """{sheet name: {(row, col): value}} of every non-empty cell; for .xls with xlrd's kind."""
    out = {}
    if path.endswith(".xls"):
        book = xlrd.open_workbook(path)
        for sh in book.sheets():
            out[sh.name] = {(r, c): (sh.cell(r, c).ctype, sh.cell(r, c).value)
                            for r in range(sh.nrows) for c in range(sh.ncols)
                            if sh.cell(r, c).ctype != xlrd.XL_CELL_EMPTY}
    else:
        book = openpyxl.load_workbook(path)
        for sh in book.worksheets:
            out[sh.title] = {(cell.row - 1, cell.column - 1): (cell.data_type, cell.value)
                             for row in sh.iter_rows() for cell in row if cell.value is not None}
    return out


def records(path):
    """The data sheet's records below the title row: item, amount, date and memo (A, B, C, E)
    of each row with an item, amount or date, in sheet order."""
    data = list(all_cells(path).values())[0]
    rows = sorted({r for (r, _) in data if r > 0})
    # A memo emptied by the undo is saved as an empty text: no memo either way.
    shown = [tuple(None if data.get((r, c)) in (None, (1, ""), ("s", "")) else data.get((r, c))
                   for c in (0, 1, 2, 4)) for r in rows]
    return [t for t in shown if any(v is not None for v in t[:3])]


def replay(path, *args):
    p = subprocess.run([REPLAY, path] + list(args), capture_output=True)
    check(p.returncode == 0, "%s %s: exit %d %s" % (os.path.basename(path), args, p.returncode,
                                                  p.stderr.decode("utf-8", "replace")))


def test_undone_edits_leave_the_cells(work, ext):
    path = os.path.join(work, "ledger" + ext)
    fx.WRITERS["ledger" + ext](path)
    before = all_cells(path)
    replay(path)
    after = all_cells(path)
    check(sorted(after) == sorted(before), ext + " sheets: %r" % sorted(after))
    for name, cells in before.items():
        got = after.get(name, {})
        differ = sorted(k for k in set(cells) | set(got) if cells.get(k) != got.get(k))
        check(not differ, "%s sheet %s cells differ: %r" %
              (ext, name, [(k, cells.get(k), got.get(k)) for k in differ[:5]]))


def test_undone_after_a_save_gives_the_records(work, ext):
    path = os.path.join(work, "ledger" + ext)
    fx.WRITERS["ledger" + ext](path)
    before = records(path)
    replay(path, "--save-between")
    after = records(path)
    check(after == before, ext + " records after a save between: %r != %r" % (after, before))


def main():
    tests = [(t, ext) for ext in (".xls", ".xlsx")
             for t in (test_undone_edits_leave_the_cells, test_undone_after_a_save_gives_the_records)]
    return run_tests(tests, "undo")


if __name__ == "__main__":
    sys.exit(main())
