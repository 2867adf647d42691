"""rowbit-cli configure judged by the peers: workbooks written by openpyxl and xlwt get a new
column setup; xlrd and openpyxl read them back. The settings sheet holds the new setup, every
data cell is as it was, and a setup printed by `setup` and given back changes no cell at all.

usage: configure_peer.py ROWBIT_CLI SHARED_TESTDATA TEST_DATA
"""
import datetime
import json
import os
import subprocess
import sys
import tempfile

import openpyxl
import xlrd
import xlwt

CLI = os.path.abspath(sys.argv[1])
failures = []

ROWS = [
    ("사과", 3000, datetime.date(2015, 10, 31), "빨강", "메모 하나"),
    ("배", 1200.5, datetime.date(2016, 1, 2), "노랑", ""),
    ("귤", 0, datetime.date(2013, 1, 1), "주황", "긴 메모"),
]
TITLES = ["품명", "금액", "날짜", "색", "비고"]
# A settings sheet as complete as the program's own: every label, the sizes written out.
SETUP = {
    (0, 0): "컬럼", (0, 1): "타이틀", (0, 2): "형식", (0, 3): "수식", (0, 7): 2,
    (0, 8): "<=시작라인", (1, 7): "메모컬럼", (1, 8): "타이틀", (1, 9): "가로폭",
    (1, 10): "세로폭", (1, 0): "A", (1, 1): "품명", (1, 2): "S20", (2, 0): "B",
    (2, 1): "금액", (2, 2): "N20", (2, 3): "B*2", (3, 0): "C", (3, 1): "날짜",
    (3, 2): "D12", (2, 7): "E", (2, 8): "비고", (2, 9): 40, (2, 10): 4,
    (29, 0): "* 컬럼에 들어가는 데이터를 목록에서 선택할 경우 아래 해당컬럼 31번 줄부터 "
             "등록하면 됩니다.",
    (30, 3): "빨강", (31, 3): "노랑",
}


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def write_xls(path):
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("장부")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    money = xlwt.easyxf(num_format_str="#,##0.0")
    for c, title in enumerate(TITLES):
        sh.write(0, c, title)
    for r, (item, amount, day, colour, memo) in enumerate(ROWS, start=1):
        sh.write(r, 0, item)
        sh.write(r, 1, amount, money)
        sh.write(r, 2, day, date)
        sh.write(r, 3, colour)
        if memo:
            sh.write(r, 4, memo)
        sh.write(r, 5, xlwt.Formula("B%d*2" % (r + 1)))
    setup = wb.add_sheet("SetupQ")
    for (r, c), v in SETUP.items():
        setup.write(r, c, v)
    wb.save(path)


def write_xlsx(path):
    wb = openpyxl.Workbook()
    sh = wb.active
    sh.title = "장부"
    for c, title in enumerate(TITLES):
        sh.cell(1, c + 1, title)
    for r, (item, amount, day, colour, memo) in enumerate(ROWS, start=2):
        sh.cell(r, 1, item)
        sh.cell(r, 2, amount).number_format = "#,##0.0"
        sh.cell(r, 3, day).number_format = "yyyy-mm-dd"
        sh.cell(r, 4, colour)
        if memo:
            sh.cell(r, 5, memo)
        sh.cell(r, 6, "=B%d*2" % r)
    setup = wb.create_sheet("SetupQ")
    for (r, c), v in SETUP.items():
        setup.cell(r + 1, c + 1, v)
    wb.save(path)


def cells(path):
    """Every non-empty cell of every sheet: {(sheet, row, col): value}, numbers as floats."""
    out = {}
    if path.endswith(".xls"):
        book = xlrd.open_workbook(path, formatting_info=True)
        for sh in book.sheets():
            for r in range(sh.nrows):
                for c in range(sh.ncols):
                    cell = sh.cell(r, c)
                    if cell.ctype != xlrd.XL_CELL_EMPTY:
                        fmt = book.format_map[book.xf_list[cell.xf_index].format_key].format_str
                        out[(sh.name, r, c)] = (cell.ctype, cell.value, fmt)
    else:
        for sh in openpyxl.load_workbook(path).worksheets:
            for row in sh.iter_rows():
                for cell in row:
                    if cell.value is not None:
                        value = cell.value
                        if isinstance(value, (int, float)) and not isinstance(value, bool):
                            value = float(value)
                        out[(sh.title, cell.row - 1, cell.column - 1)] = (
                            cell.data_type, value, cell.number_format)
    return out


def run(*args, stdin=None):
    p = subprocess.run([CLI] + list(args), input=stdin, capture_output=True)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


def settings_of(all_cells):
    return {(r, c): v[1] for (s, r, c), v in all_cells.items() if s == "SetupQ"}


def data_of(all_cells):
    return {k: v for k, v in all_cells.items() if k[0] != "SetupQ"}


def test(work, ext, write):
    path = os.path.join(work, "장부" + ext)
    write(path)
    before = cells(path)

    # The setup as printed, given back: not a cell changes.
    code, printed, err = run("setup", path)
    check(code == 0, ext + ": setup prints the setup (%s)" % err)
    code, _, err = run("configure", path, "-", stdin=printed)
    check(code == 0, ext + ": configure takes the printed setup (%s)" % err)
    after = cells(path)
    changed = sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))
    check(not changed, ext + ": setup | configure - changes no cell: %s" % [
        (k, before.get(k), after.get(k)) for k in changed])

    # A new setup: the colour column first, the amount without a formula, a title longer than
    # the date column had, memo in E with a new size, data from row 2. Sizes of number and
    # date columns and the alignment follow from the types whatever the input says.
    setup = {
        "startline": 2,
        "columns": [
            {"cno": "D", "name": "색깔", "type": "S", "size": 8},
            {"cno": "B", "name": "금액", "type": "N", "size": 3, "justify": "L"},
            {"cno": "C", "name": "날짜", "type": "D"},
        ],
        "memo": {"cno": "E", "name": "메모", "width": 60, "height": 4},
    }
    code, _, err = run("configure", path, "-", stdin=json.dumps(setup).encode("utf-8"))
    check(code == 0, ext + ": configure applies a new setup (%s)" % err)
    after = cells(path)
    check(data_of(after) == data_of(before), ext + ": every data cell is unchanged")
    s = settings_of(after)
    # An empty text cell reads as no cell.
    rows = [tuple(s.get((r, c)) or None for c in range(4)) for r in range(1, 5)]
    check(rows == [("D", "색깔", "S8", None), ("B", "금액", "N20", None), ("C", "날짜", "D12", None),
                   (None, None, None, None)], ext + ": the settings rows: %s" % rows)
    check(s.get((2, 7)) == "E" and float(s.get((0, 7))) == 2, ext + ": memo letter, start row")
    memo = (s.get((2, 8)), s.get((2, 9)), s.get((2, 10)))
    check(memo[0] == "메모" and float(memo[1]) == 60 and float(memo[2]) == 4,
          ext + ": the memo title and size reach the settings sheet: %s" % (memo,))
    code, out, _ = run("setup", path)
    got = json.loads(out)
    check([c["lookup"] for c in got["columns"]] == [True, False, False],
          ext + ": the lookup list follows the letter D")

    # A used text slot without a size: refused with the dialog's message, the file untouched.
    with open(path, "rb") as f:
        held = f.read()
    setup["columns"][0]["size"] = 0
    code, _, err = run("configure", path, "-", stdin=json.dumps(setup).encode("utf-8"))
    check(code != 0 and "몇글자 까지 입력받을지 넣어주세요" in err,
          ext + ": a slot without size is refused (%d, %s)" % (code, err))
    with open(path, "rb") as f:
        check(f.read() == held, ext + ": a refused setup leaves the file alone")


with tempfile.TemporaryDirectory() as work:
    test(work, ".xlsx", write_xlsx)
    test(work, ".xls", write_xls)

if failures:
    print("%d failure(s)" % len(failures))
    sys.exit(1)
print("ok")
