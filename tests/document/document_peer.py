"""rowbit-cli's document commands judged by the peers: workbooks written by xlwt and openpyxl,
read back with xlrd and openpyxl after Rowbit saved them.

usage: document_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import datetime
import json
import os
import shutil
import stat
import sys

import openpyxl
import xlrd

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, run, run_tests  # noqa: E402
sys.path.insert(0, os.path.join(sys.argv[3], "document"))
import make_fixtures as fx  # noqa: E402

def lines(text):
    return text.split("\n")[:-1] if text else []


def cells(path, sheet=0):
    """Every non-empty cell of a sheet as {(row, col): (kind, value)}, kinds as xlrd sees them
    for .xls; for .xlsx the value and whether it is a formula or a date."""
    out = {}
    if path.endswith(".xls"):
        sh = xlrd.open_workbook(path).sheet_by_index(sheet)
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype != xlrd.XL_CELL_EMPTY:
                    out[(r, c)] = (cell.ctype, cell.value)
    else:
        wb = openpyxl.load_workbook(path)
        sh = wb.worksheets[sheet]
        for row in sh.iter_rows():
            for cell in row:
                if cell.value is not None:
                    out[(cell.row - 1, cell.column - 1)] = (cell.data_type, cell.value,
                                                            cell.number_format)
    return out


def sheet_names(path):
    if path.endswith(".xls"):
        return xlrd.open_workbook(path).sheet_names()
    return openpyxl.load_workbook(path).sheetnames


LEDGER_LIST = [
    "품명\t금액\t날짜\t비고",
    "사과\t3,000\t15-10-31\tmemo 사과",
    "배\t-5\t16-01-02\t",
    "감\t1,000\t14-05-06\t",
    "귤\t\t13-01-01\t귤 memo",
    "밤\t2\t12-12-25\t",
]


def test_ledger(work, ext):
    src = os.path.join(work, "ledger" + ext)
    fx.WRITERS["ledger" + ext](src)
    before = cells(src)

    rc, out, err = run("list", src)
    check(rc == 0 and lines(out) == LEDGER_LIST, ext + " list: " + repr(out) + err)
    rc, out, _ = run("list", src, "--date-format", "dd.mm.yy")
    check(lines(out)[1].split("\t")[2] == "31.10.15", ext + " list --date-format")

    rc, out, _ = run("setup", src)
    setup = json.loads(out)
    check(setup["ccount"] == 3 and setup["startline"] == 2, ext + " setup counts " + out)
    check(setup["columns"][0] == {"cno": "A", "name": "품명", "type": "S", "justify": "L",
                                  "size": 20, "formula": "", "lookup": True},
          ext + " setup column A " + out)
    check([c["type"] for c in setup["columns"]] == ["S", "N", "D"], ext + " setup types")
    check(setup["memo"] == {"cno": "E", "name": "비고", "width": 40, "height": 4},
          ext + " setup memo " + out)

    rc, out, _ = run("totals", src)
    check(lines(out) == ["합 계\t3,997", "건 수\t5", "평 균\t799", "\t", "건수(0제외)\t4",
                         "평균(0제외)\t999"], ext + " totals " + repr(out))

    rc, out, _ = run("search", src, "1000")
    check(rc == 0 and lines(out) == [LEDGER_LIST[0], LEDGER_LIST[3]], ext + " search 1000")
    rc, out, err = run("search", src, "memo")  # only in memos: not found
    check(rc == 1 and lines(out) == [LEDGER_LIST[0]] and "를 포함한 데이터가 없습니다" in err,
          ext + " search memo " + repr(out) + err)

    # Resave without edits: no data cell changes, the settings keep the user's label.
    out_path = os.path.join(work, "resaved" + ext)
    rc, _, err = run("resave", src, "--out", out_path)
    check(rc == 0, ext + " resave " + err)
    check(cells(out_path) == before, ext + " resave changed data cells")
    check(cells(src) == before, ext + " resave touched its source")
    settings = cells(out_path, 1)
    check(settings[(0, 1)][1] == "제목!", ext + " user's label kept")
    check(settings[(0, 7)][1] == 2, ext + " H1 start line")

    # Sort by the amount: records take their whole rows into the places 2, 3, 5, 6, 7.
    sorted_path = os.path.join(work, "sorted" + ext)
    rc, _, err = run("sort", src, "2", "--out", sorted_path)
    check(rc == 0, ext + " sort " + err)
    after = cells(sorted_path)
    by_item = {v[1]: r for (r, c), v in before.items() if c == 0 and r > 0}
    order = ["배", "귤", "밤", "감", "사과"]  # -5, empty, 2, 1,000, 3,000
    places = [1, 2, 4, 5, 6]
    for item, place in zip(order, places):
        old = by_item[item]
        for c in range(6):
            was, now = before.get((old, c)), after.get((place, c))
            if c == 3 and ext == ".xlsx":
                # The formula moved with its row and points at it.
                check(now is not None and now[1] == "=B%d*2" % (place + 1),
                      ext + " formula of %s: %r" % (item, now))
                continue
            check(was == now, ext + " sorted %s col %d: %r -> %r" % (item, c, was, now))
    for c in range(6):
        check(before.get((3, c)) == after.get((3, c)), ext + " gap row moved")
    rc, out, _ = run("list", sorted_path)
    check([l.split("\t")[0] for l in lines(out)[1:]] == order, ext + " sorted list " + out)
    if ext == ".xls":
        check(all(after[(p, 2)][0] == xlrd.XL_CELL_DATE for p in places), "dates stay dates")
    else:
        check(all(isinstance(after[(p, 2)][1], datetime.datetime) for p in places),
              "dates stay dates (xlsx)")


def test_nosetup(work, ext):
    src = os.path.join(work, "nosetup" + ext)
    fx.WRITERS["nosetup" + ext](src)
    before = cells(src)
    rc, out, _ = run("setup", src)
    setup = json.loads(out)
    check(setup["startline"] == 3 and setup["ccount"] == 3, ext + " preview proposal " + out)
    check([(c["cno"], c["type"], c["justify"], c["size"]) for c in setup["columns"]] ==
          [("A", "D", "C", 12), ("B", "S", "L", 18), ("C", "N", "R", 20)],
          ext + " proposal columns " + out)
    rc, out, _ = run("setup", src, "--title-row", "0")
    check(json.loads(out) == {"ccount": 0, "startline": 1, "columns": [], "memo": None},
          ext + " cancelled preview " + out)
    # Titles from row 3: a date title is the plain number of its serial.
    rc, out, _ = run("list", src, "--title-row", "3")
    check(lines(out)[0] == "43890\t연필\t500", ext + " title row 3 " + out)

    out_path = os.path.join(work, "nosetup-saved" + ext)
    rc, _, err = run("resave", src, "--out", out_path)
    check(rc == 0, ext + " resave nosetup " + err)
    check(sheet_names(out_path) == ["Sheet1", "Other", "SetupQ"], ext + " SetupQ appended")
    check(cells(out_path) == before, ext + " nosetup data untouched")
    rc, out, _ = run("setup", out_path)
    check(json.loads(out)["ccount"] == 3 and json.loads(out)["startline"] == 3,
          ext + " setup read back " + out)


def test_single(work, ext):
    src = os.path.join(work, "single" + ext)
    fx.WRITERS["single" + ext](src)
    out_path = os.path.join(work, "single-saved" + ext)
    rc, _, err = run("resave", src, "--out", out_path)
    check(rc == 0 and sheet_names(out_path) == ["Only", "SetupQ"],
          ext + " single-sheet guard " + err)
    check(cells(out_path) == cells(src), ext + " single data untouched")


def test_failures(work):
    src = os.path.join(work, "ledger.xls")
    fx.ledger_xls(src)
    # Not a workbook: one line on stderr, exit 65 (bad data), the file untouched.
    bad = os.path.join(work, "bad.xls")
    with open(bad, "w") as f:
        f.write("not a workbook\n")
    rc, out, err = run("list", bad)
    check(rc == 65 and out == "" and len(lines(err)) == 1, "unreadable list: %d %r" % (rc, err))
    rc, _, _ = run("resave", bad, "--out", bad)
    check(rc == 65 and open(bad).read() == "not a workbook\n", "unreadable never overwritten")
    rc, _, err = run("list", os.path.join(work, "missing.xls"))
    check(rc == 66 and len(lines(err)) == 1, "missing file")

    # A save that cannot be done fails and keeps what is there.
    target = os.path.join(work, "occupied.xls")
    os.mkdir(target)
    with open(os.path.join(target, "keep.txt"), "w") as f:
        f.write("kept")
    rc, _, err = run("resave", src, "--out", target)
    check(rc == 73 and "저장하지 못했" in err, "failed save reported: %d %r" % (rc, err))
    check(open(os.path.join(target, "keep.txt")).read() == "kept", "failed save kept target")
    if os.geteuid() != 0:
        locked = os.path.join(work, "locked")
        os.mkdir(locked)
        original = os.path.join(locked, "book.xls")
        shutil.copy(src, original)
        before = open(original, "rb").read()
        os.chmod(locked, stat.S_IRUSR | stat.S_IXUSR)
        rc, _, _ = run("sort", original, "1", "--out", original)
        os.chmod(locked, stat.S_IRWXU)
        check(rc == 73 and open(original, "rb").read() == before, "read-only folder")

    # The overflow report goes to stderr, the records to stdout.
    long_path = os.path.join(work, "long.xls")
    fx.long_xls(long_path)
    rc, out, err = run("list", long_path)
    check(rc == 0 and "Below Cells are too big to fetch" in err and " B2 A3" in err,
          "overflow report " + err)
    check(len(lines(out)[1].split("\t")[1]) == 100, "long text cut to 100")

    # DateFormat from the user's Rowbit.INI ($XDG_CONFIG_HOME/rowbit), even in CP949.
    os.makedirs(os.path.join(work, "config", "rowbit"))
    with open(os.path.join(work, "config", "rowbit", "Rowbit.INI"), "wb") as f:
        f.write("[Date]\r\nDateFormat=mm/dd/yy\r\n[Fonts]\r\nFontName=굴림\r\n".encode("cp949"))
    old = os.environ.get("XDG_CONFIG_HOME")
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    try:
        rc, out, _ = run("list", "ledger.xls", cwd=work)
    finally:
        if old is None:
            del os.environ["XDG_CONFIG_HOME"]
        else:
            os.environ["XDG_CONFIG_HOME"] = old
    check(lines(out)[1].split("\t")[2] == "10/31/15", "DateFormat from Rowbit.INI " + out)


def main():
    tests = [(t, ext) for ext in (".xls", ".xlsx")
             for t in (test_ledger, test_nosetup, test_single)]
    tests.append((test_failures, None))
    return run_tests(tests, "document")


if __name__ == "__main__":
    sys.exit(main())
