"""rowbit-cli add, change and delete judged by the peers: the ledger written by xlwt and by
openpyxl, edited through the form's model, read back with xlrd and openpyxl.

usage: form_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import datetime
import json
import os
import shutil
import sys
import tempfile

import openpyxl
import xlrd

CLI = os.path.abspath(sys.argv[1])
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, failures, run  # noqa: E402
TEST_DATA = sys.argv[3]
SAMPLE = os.path.join(TEST_DATA, "..", "..", "samples", "sample.xls")
sys.path.insert(0, os.path.join(TEST_DATA, "document"))
import make_fixtures as fx  # noqa: E402

def rows(path):
    """The data sheet as {row: {col: value}}, dates as dates, numbers as floats, formulas by
    their cached value (xlrd) or text (openpyxl)."""
    out = {}
    if path.endswith(".xls"):
        book = xlrd.open_workbook(path)
        sh = book.sheet_by_index(0)
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                value = cell.value
                if cell.ctype == xlrd.XL_CELL_DATE:
                    value = xlrd.xldate.xldate_as_datetime(value, book.datemode).date()
                out.setdefault(r, {})[c] = value
    else:
        sh = openpyxl.load_workbook(path).worksheets[0]
        for row in sh.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                value = cell.value
                if isinstance(value, datetime.datetime):
                    value = value.date()
                elif isinstance(value, int) and not isinstance(value, bool):
                    value = float(value)
                out.setdefault(cell.row - 1, {})[cell.column - 1] = value
    return out


def fresh(work, ext, name):
    path = os.path.join(work, name + ext)
    fx.WRITERS["ledger" + ext](path)
    return path


def test_ledger(work, ext):
    # Insert: "사" picks 사과 from the list of column A; the date is typed as mmdd.
    path = fresh(work, ext, "add")
    before = rows(path)
    code, _, err = run("add", path, "--today", "2026-12-07", "--memo", "새 메모",
                       "사", "1,234.5", "0304")
    check(code == 0, ext + " add: exit %d %s" % (code, err))
    after = rows(path)
    new_row = max(before) + 1
    check(after.get(new_row) == {0: "사과", 1: 1234.5, 2: datetime.date(2026, 3, 4),
                                 4: "새 메모"}, ext + " add: new row %r" % after.get(new_row))
    check({r: v for r, v in after.items() if r != new_row} == before, ext + " add: rest changed")

    # Change record 2 (배): only its amount.
    path = fresh(work, ext, "change")
    before = rows(path)
    code, _, err = run("change", path, "2", "", "77")
    check(code == 0, ext + " change: exit %d %s" % (code, err))
    after = rows(path)
    expected = {r: dict(v) for r, v in before.items()}
    expected[2][1] = 77.0
    check(after == expected, ext + " change: %r" % (after.get(2),))

    # Delete record 3 (감, row 5): the records below move up a row, nothing else changes.
    path = fresh(work, ext, "delete")
    before = rows(path)
    code, _, err = run("delete", path, "3")
    check(code == 0, ext + " delete: exit %d %s" % (code, err))
    after = rows(path)
    shown = lambda table: [table[r].get(0) for r in sorted(table) if 0 in table[r]]
    check(shown(after) == ["품명", "사과", "배", "귤", "밤"], ext + " delete: %r" % shown(after))
    check({r: after[r] for r in range(4)} == {r: before[r] for r in range(4)},
          ext + " delete: rows above changed")
    check(after[4].get(2) == before[5].get(2) and after[5].get(2) == before[6].get(2),
          ext + " delete: dates did not move with their records")


def test_sample(work):
    path = os.path.join(work, "sample.xls")
    shutil.copy(SAMPLE, path)
    original = open(path, "rb").read()
    refusals = [
        (["add", path, "--today", "2026-12-07", "123"], 1, "잘못된 입력입니다"),
        (["add", path, "", "x"], 1, "한빛상사, 푸른농장, 새날유통, 다온마트"),
        (["add", path, "", "한빛", "사과", "12a"], 1, "숫자만 입력하세요"),
        (["change", path, "99", "1"], 64, "no such record"),
        (["delete", path, "0"], 64, "record number"),
        (["add", path, "--today", "2026-02-30", "1"], 64, "--today"),
    ]
    for args, want, says in refusals:
        code, _, err = run(*args)
        check(code == want and says in err, "%s: exit %d, %r" % (args[0:1] + args[2:], code, err))
    check(open(path, "rb").read() == original, "a refused command wrote the sample")

    # --today stands for the system date in the century rule too, when the record is saved.
    century = os.path.join(work, "century.xls")
    shutil.copy(SAMPLE, century)
    code, _, err = run("add", century, "--today", "1990-06-01", "450101")
    check(code == 0, "century add: %d %s" % (code, err))
    saved = rows(century)
    check(saved[max(saved)].get(0) == datetime.date(1945, 1, 1),
          "century: %r" % saved[max(saved)].get(0))

    count = len(run("list", path)[1].splitlines())
    code, _, err = run("add", path, "--today", "2026-12-07", "--date-format", "mm/dd/yy",
                       "", "푸른", "배", "3", "15000")
    check(code == 0, "sample add: %d %s" % (code, err))
    listed = run("list", path)[1].splitlines()
    check(len(listed) == count + 1, "sample add: %d lines" % len(listed))
    check(listed[-1] == "26-12-07\t푸른농장\t배\t3\t15,000\t", "sample add: %r" % listed[-1])


# Number fields B (금액) and G (율), and two formula columns: H = B*G, I = B/G.
NUMBERS_SETUP = {"startline": 2, "memo": None, "columns": [
    {"cno": "A", "name": "품명", "type": "S", "size": 20},
    {"cno": "B", "name": "금액", "type": "N"},
    {"cno": "G", "name": "율", "type": "N"},
    {"cno": "H", "name": "곱", "type": "N", "formula": "B*G"},
    {"cno": "I", "name": "몫", "type": "N", "formula": "B/G"}]}

# font size, 금액, 율, exit code, then B, G, H, I as saved, or what stderr says
NUMBERS = [
    (9, "1000", "0.075", 0, (1000, 0.075, 75, 13333.33)),
    (9, "1000", "1.2345", 0, (1000, 1.2345, 1234.5, 810.04)),
    (9, "100", "0.125", 0, (100, 0.125, 12.5, 800)),
    (9, "200000", "1.005", 0, (200000, 1.005, 201000, 199004.98)),
    (9, "-1,234,567.5", "2", 0, (-1234567.5, 2, -2469135, -617283.75)),
    # Wider than the picture: kept and saved whole (a blank number field saves as 0).
    (9, "", "12345678901234567890", 0, (0, 12345678901234567890.0, 0, 0)),
    (12, "", "12345678901234.56", 0, (0, 12345678901234.56, 0, 0)),
    (9, "1,5", "2", 1, "숫자만 입력하세요"),
    (9, "", "9" * 80, 1, "율 칸: 담을 수 없는 큰 숫자입니다"),
    (9, "5", "0", 1, "몫 칸: 0으로 나눌 수 없습니다"),
    (9, "99999999999", "1000", 1, "곱 칸: 계산 결과가 너무 큽니다"),
]


def test_numbers(work, ext):
    base = fresh(work, ext, "numbers")
    setup = os.path.join(work, "numbers.json")
    with open(setup, "w", encoding="utf-8") as f:
        json.dump(NUMBERS_SETUP, f, ensure_ascii=False)
    code, _, err = run("configure", base, setup)
    check(code == 0, ext + " numbers: configure %d %s" % (code, err))
    for n, (size, amount, rate, want, saved) in enumerate(NUMBERS):
        folder = os.path.join(work, "n%d%s" % (n, ext))
        os.mkdir(folder)
        with open(os.path.join(folder, "Rowbit.INI"), "w") as f:
            f.write("[Fonts]\r\nFontSize=%d\r\n" % size)
        path = os.path.join(folder, "numbers" + ext)
        shutil.copy(base, path)
        before = open(path, "rb").read()
        last = max(rows(path))
        code, _, err = run("add", path, "사과", amount, rate, cwd=folder)
        what = "%s add %s %s at %d points" % (ext, amount, rate[:24], size)
        check(code == want, "%s: exit %d %s" % (what, code, err))
        if want != 0:
            check(saved in err, "%s: says %r" % (what, err))
            check(open(path, "rb").read() == before, what + ": the file was written")
            continue
        row = rows(path).get(last + 1, {})
        got = tuple(row.get(c) for c in (1, 6, 7, 8))
        check(got == tuple(float(v) for v in saved),
              "%s: saved %r" % (what, got))


def main():
    work = tempfile.mkdtemp(prefix="form_peer_")
    try:
        for ext in (".xls", ".xlsx"):
            test_ledger(work, ext)
            test_numbers(work, ext)
        test_sample(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d failure(s)" % len(failures))
        sys.exit(1)
    print("ok")


if __name__ == "__main__":
    main()
