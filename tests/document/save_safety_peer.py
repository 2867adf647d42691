"""Saving never costs the user what the workbook held: workbooks written by xlwt and openpyxl,
saved by rowbit-cli, read back by xlrd and openpyxl, every cell of every sheet compared.

usage: save_safety_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import os
import sys
import zipfile

import openpyxl
import xlrd
import xlwt

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, run, run_tests  # noqa: E402

TITLE20 = "가나다라마바사아자차"  # 20 CP949 bytes: the reader takes 16 of them
MACRO_TYPE = "application/vnd.ms-excel.sheet.macroEnabled.main+xml"


def write_book(path, sheets):
    """sheets: [(name, {(row, col): value})], zero-based positions."""
    if path.endswith(".xls"):
        wb = xlwt.Workbook(encoding="utf-8")
        for name, cells in sheets:
            sh = wb.add_sheet(name)
            for (r, c), v in cells.items():
                sh.write(r, c, v)
        wb.save(path)
        return
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for name, cells in sheets:
        sh = wb.create_sheet(name)
        for (r, c), v in cells.items():
            sh.cell(r + 1, c + 1, v)
    wb.save(path)


def book(path):
    """[(sheet name, {(row, col): value})] as the peer reads the file; numbers as floats."""
    out = []
    if path.endswith(".xls"):
        wb = xlrd.open_workbook(path)
        for sh in wb.sheets():
            cells = {}
            for r in range(sh.nrows):
                for c in range(sh.ncols):
                    cell = sh.cell(r, c)
                    if cell.ctype not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                        cells[(r, c)] = cell.value
            out.append((sh.name, cells))
        return out
    wb = openpyxl.load_workbook(path)
    for sh in wb.worksheets:
        cells = {}
        for row in sh.iter_rows():
            for cell in row:
                if cell.value is not None:
                    v = cell.value
                    cells[(cell.row - 1, cell.column - 1)] = float(v) if isinstance(
                        v, (int, float)) else v
        out.append((sh.title, cells))
    return out


def names(b):
    return [n for n, _ in b]


DATA = {(0, 0): "품명", (0, 1): "금액", (1, 0): "사과", (1, 1): 3000.0, (2, 0): "배",
        (2, 1): 5.0}


def test_user_sheet_at_iv(work, ext):
    # A last sheet that reaches column IV is the user's, not a settings sheet.
    src = os.path.join(work, "iv" + ext)
    notes = {(0, 0): "keep me", (3, 255): "IV4"}
    write_book(src, [("Data", DATA), ("Notes", notes)])
    out = os.path.join(work, "iv-saved" + ext)
    rc, _, err = run("resave", src, "--out", out)
    check(rc == 0, ext + " iv resave " + err)
    after = book(out)
    check(names(after) == ["Data", "Notes", "SetupQ"], ext + " iv sheets %r" % names(after))
    check(after[0][1] == DATA and after[1][1] == notes, ext + " iv cells kept")


def test_single_setupq(work, ext):
    # The one sheet is the data, whatever its name; its settings have nowhere to go.
    for name in ("SetupQ", "setupq"):
        src = os.path.join(work, name + ext)
        write_book(src, [(name, DATA)])
        before = open(src, "rb").read()
        rc, out, _ = run("list", src, "--title-row", "1")
        check(rc == 0 and out.split("\n")[1:3] == ["사과\t3,000", "배\t5"],
              ext + " one sheet %s read as data %r" % (name, out))
        rc, _, err = run("resave", src, "--out", src, "--title-row", "1")
        check(rc != 0 and "시트 이름을 바꾼" in err, ext + " %s save refused %d %r" % (name, rc, err))
        check(open(src, "rb").read() == before, ext + " %s untouched" % name)


def test_setupq_not_last(work, ext):
    # The SetupQ sheet where it stands holds the settings: they are read from it and go back
    # into it; no second one appears.
    src = os.path.join(work, "middle" + ext)
    setup = {(1, 0): "B", (1, 1): "old", (1, 2): "S30", (4, 25): "user note",
             (30, 0): "lookup"}
    other = {(0, 0): "other"}
    write_book(src, [("Data", DATA), ("SetupQ", setup), ("Other", other)])
    out = os.path.join(work, "middle-saved" + ext)
    rc, _, err = run("resave", src, "--out", out)
    check(rc == 0, ext + " middle resave " + err)
    after = book(out)
    check(names(after) == ["Data", "SetupQ", "Other"], ext + " middle sheets %r" % names(after))
    check(after[0][1] == DATA and after[2][1] == other, ext + " middle other sheets kept")
    written = after[1][1]
    # Read as the setup (column B, "old"), so nothing in it needed writing.
    expected = dict(setup)
    for (r, c), v in expected.items():
        check(written.get((r, c)) == v, ext + " middle %r: %r" % ((r, c), written.get((r, c))))


def settings_cells():
    return {(0, 7): 2.0,
            (1, 0): "A", (1, 1): TITLE20, (1, 2): "S20", (1, 3): "note for a text column",
            (2, 0): "D", (2, 1): "no type",
            (3, 0): "?", (3, 1): "unusable", (3, 2): "S",
            (4, 0): "C", (4, 1): "after the unusable one", (4, 2): "N",
            (2, 7): "E", (2, 8): TITLE20, (2, 9): 300.0, (2, 10): 4.0,
            (6, 25): "user note", (30, 0): "사과", (31, 0): "배"}


def test_settings_untouched(work, ext):
    # Saving without a change to the setup changes no cell of any sheet: not an entry after an
    # unusable letter, not a title the reader cut, not a label the user removed.
    src = os.path.join(work, "kept" + ext)
    data = dict(DATA)
    data.update({(1, 4): "memo", (0, 4): "비고"})
    write_book(src, [("Data", data), ("SetupQ", settings_cells())])
    before = book(src)
    out = os.path.join(work, "kept-saved" + ext)
    rc, _, err = run("resave", src, "--out", out)
    check(rc == 0, ext + " kept resave " + err)
    after = book(out)
    check(names(after) == names(before), ext + " kept sheets")
    for (name, was), (_, now) in zip(before, after):
        for key in sorted(set(was) | set(now)):
            check(was.get(key) == now.get(key),
                  ext + " kept %s %r: %r -> %r" % (name, key, was.get(key), now.get(key)))
    # An unusable memo letter is no memo, and stays in H3.
    src2 = os.path.join(work, "nomemo" + ext)
    cells = settings_cells()
    cells[(2, 7)] = "*"
    write_book(src2, [("Data", data), ("SetupQ", cells)])
    out2 = os.path.join(work, "nomemo-saved" + ext)
    rc, _, err = run("resave", src2, "--out", out2)
    check(rc == 0 and book(out2)[1][1] == book(src2)[1][1], ext + " unusable memo kept " + err)


def test_wide_numbers(work, ext):
    # A number wider than the list still counts whole: totals, sort and the saved cells.
    src = os.path.join(work, "wide" + ext)
    data = {(0, 0): "항목", (0, 1): "금액", (1, 0): "큰", (1, 1): 1e17, (2, 0): "작은",
            (2, 1): 1.0}
    setup = {(0, 7): 2.0, (1, 0): "A", (1, 1): "항목", (1, 2): "S10", (2, 0): "B",
             (2, 1): "금액", (2, 2): "N"}
    write_book(src, [("Data", data), ("SetupQ", setup)])
    rc, out, err = run("totals", src)
    total = float(out.split("\n")[0].split("\t")[1].replace(",", "")) if rc == 0 else 0
    check(abs(total - 1e17) <= 2, ext + " total of 1e17 and 1: %r %s" % (out, err))
    rc, out, _ = run("list", src)
    check(out.split("\n")[1] == "큰\t100,000,000,000,000,000", ext + " whole text " + out)
    sorted_path = os.path.join(work, "wide-sorted" + ext)
    rc, _, err = run("sort", src, "2", "--out", sorted_path)
    check(rc == 0, ext + " wide sort " + err)
    cells = book(sorted_path)[0][1]
    check([cells.get((1, 0)), cells.get((1, 1)), cells.get((2, 0)), cells.get((2, 1))] ==
          ["작은", 1.0, "큰", 1e17], ext + " wide sorted %r" % cells)


def test_endings(work):
    xlsx = os.path.join(work, "book.xlsx")
    write_book(xlsx, [("Data", DATA)])
    xlsm = os.path.join(work, "macro.xlsm")
    os.rename(xlsx, xlsm)
    # An .xlsm stays .xlsm, saved over itself or to another .xlsm name.
    for out in (xlsm, os.path.join(work, "copy.xlsm")):
        rc, _, err = run("resave", xlsm, "--out", out, "--title-row", "1")
        check(rc == 0 and os.path.exists(out), "xlsm resave " + err)
        with zipfile.ZipFile(out) as z:
            types = z.read("[Content_Types].xml").decode("utf-8")
        check(MACRO_TYPE in types, "xlsm content type " + types)
        b = book(out)
        check(names(b) == ["Data", "SetupQ"] and b[0][1] == DATA, "xlsm read back")
    # Any other ending gets the open workbook's.
    xls = os.path.join(work, "book.xls")
    write_book(xls, [("Data", DATA)])
    for src, out, saved in ((xls, "copy.txt", "copy.txt.xls"),
                            (xlsm, "copy.xlsx.bak", "copy.xlsx.bak.xlsx"),
                            (xlsm, "copy.xlsb", "copy.xlsb.xlsx")):
        rc, _, err = run("resave", src, "--out", os.path.join(work, out), "--title-row", "1")
        path = os.path.join(work, saved)
        check(rc == 0 and not os.path.exists(os.path.join(work, out)) and os.path.exists(path),
              "%s saved as %s: %s" % (out, saved, err))
        if os.path.exists(path):
            check(book(path)[0][1] == DATA, saved + " read back")
    # A format the ending contradicts is refused.
    rc, _, _ = run("resave", xls, "--out", os.path.join(work, "wrong.xlsm"), "--title-row", "1")
    check(rc == 64 and not os.path.exists(os.path.join(work, "wrong.xlsm")), "xls as xlsm refused")


def test_sort_unknown_column(work):
    src = os.path.join(work, "sort.xls")
    write_book(src, [("Data", DATA)])
    for column, extra in (("99", ["--title-row", "1"]), ("3", ["--title-row", "1"]),
                          ("1", ["--title-row", "0"])):
        out = os.path.join(work, "sorted-%s-%s.xls" % (column, extra[1]))
        rc, _, err = run("sort", src, column, "--out", out, *extra)
        check(rc == 64 and not os.path.exists(out) and err,
              "sort %s %r: %d %r" % (column, extra, rc, err))


def main():
    tests = [(t, ext) for ext in (".xls", ".xlsx")
             for t in (test_user_sheet_at_iv, test_single_setupq, test_setupq_not_last,
                       test_settings_untouched, test_wide_numbers)]
    tests += [(test_endings, None), (test_sort_unknown_column, None)]
    return run_tests(tests, "save safety")


if __name__ == "__main__":
    sys.exit(main())
