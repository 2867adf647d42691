"""Writes the workbooks the document tests read (run with /usr/bin/python3).

The same workbooks are written as .xls (xlwt) and .xlsx (openpyxl):

ledger.*     a data sheet "장부" with a settings sheet "SetupQ": shown columns A (text),
             B (number), C (date); D holds a formula on its own row and is not shown; E is
             the memo; F is not shown. Row 4 is a gap (only a memo and F). A lookup list for
             column A starts at A31; the user changed the label B1 of the settings sheet.
nosetup.*    no settings sheet: row 1 empty, titles in row 2 (a date, a text and a number
             column below them, a title in K that is never proposed), records below.
single.*     one sheet only, titles in row 1.
long.xls     text cells longer than the list keeps (the overflow report).

Run without arguments to write them here; tests/workbook/document_peer.py imports the
functions to write fresh copies into its own folder.
"""
import datetime
import os
import sys

LEDGER_ROWS = [
    # row (1-based), item, amount, date, memo, F
    (2, "사과", 3000, datetime.date(2015, 10, 31), "memo 사과", "F2"),
    (3, "배", -5, datetime.date(2016, 1, 2), "", "F3"),
    (5, "감", 1000, datetime.date(2014, 5, 6), "", "F5"),
    (6, "귤", None, datetime.date(2013, 1, 1), "귤 memo", "F6"),
    (7, "밤", 2, datetime.date(2012, 12, 25), "", "F7"),
]
GAP_ROW = (4, "gap memo", "F4")
SETUP_COLUMNS = [("A", "품명", "S20"), ("B", "금액", "N"), ("C", "날짜", "D")]
NOSETUP_ROWS = [
    (datetime.date(2020, 2, 29), "연필", 500),
    (datetime.date(2019, 7, 1), "공책", 1500.5),
    (datetime.date(2021, 3, 3), "지우개", 0),
]


def _xls_styles():
    import xlwt
    return {
        "date": xlwt.easyxf(num_format_str="yyyy-mm-dd"),
        "money": xlwt.easyxf(num_format_str="#,##0"),
    }


def ledger_xls(path):
    import xlwt
    st = _xls_styles()
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("장부")
    for c, title in enumerate(["품명", "금액", "날짜", "배수", "메모", "기타"]):
        sh.write(0, c, title)
    for row, item, amount, date, memo, f in LEDGER_ROWS:
        r = row - 1
        sh.write(r, 0, item)
        if amount is not None:
            sh.write(r, 1, amount, st["money"])
        sh.write(r, 2, date, st["date"])
        sh.write(r, 3, xlwt.Formula("B%d*2" % row))
        if memo:
            sh.write(r, 4, memo)
        sh.write(r, 5, f)
    sh.write(GAP_ROW[0] - 1, 4, GAP_ROW[1])
    sh.write(GAP_ROW[0] - 1, 5, GAP_ROW[2])
    sh.col(0).width = 12 * 256
    setup = wb.add_sheet("SetupQ")
    _write_setup(lambda r, c, v: setup.write(r, c, v))
    wb.save(path)


def ledger_xlsx(path):
    import openpyxl
    wb = openpyxl.Workbook()
    sh = wb.active
    sh.title = "장부"
    for c, title in enumerate(["품명", "금액", "날짜", "배수", "메모", "기타"]):
        sh.cell(1, c + 1, title)
    for row, item, amount, date, memo, f in LEDGER_ROWS:
        sh.cell(row, 1, item)
        if amount is not None:
            sh.cell(row, 2, amount).number_format = "#,##0"
        sh.cell(row, 3, date).number_format = "yyyy-mm-dd"
        sh.cell(row, 4, "=B%d*2" % row)
        if memo:
            sh.cell(row, 5, memo)
        sh.cell(row, 6, f)
    sh.cell(GAP_ROW[0], 5, GAP_ROW[1])
    sh.cell(GAP_ROW[0], 6, GAP_ROW[2])
    sh.column_dimensions["A"].width = 12
    setup = wb.create_sheet("SetupQ")
    _write_setup(lambda r, c, v: setup.cell(r + 1, c + 1, v))
    wb.save(path)


def _write_setup(put):
    put(0, 0, "컬럼")
    put(0, 1, "제목!")  # a label the user changed
    put(0, 7, 2)
    for k, (letter, title, kind) in enumerate(SETUP_COLUMNS):
        put(k + 1, 0, letter)
        put(k + 1, 1, title)
        put(k + 1, 2, kind)
    put(2, 7, "E")
    put(2, 8, "비고")
    put(2, 9, 40)
    put(2, 10, 4)
    put(30, 0, "사과")
    put(31, 0, "배")


def nosetup_xls(path):
    import xlwt
    st = _xls_styles()
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("Sheet1")
    wb.add_sheet("Other")
    for c, title in enumerate(["날짜", "품명", "금액"]):
        sh.write(1, c, title)
    sh.write(1, 10, "K")
    for i, (date, item, amount) in enumerate(NOSETUP_ROWS):
        sh.write(2 + i, 0, date, st["date"])
        sh.write(2 + i, 1, item)
        sh.write(2 + i, 2, amount)
    sh.col(1).width = int(10.5 * 256)
    wb.save(path)


def nosetup_xlsx(path):
    import openpyxl
    wb = openpyxl.Workbook()
    sh = wb.active
    sh.title = "Sheet1"
    wb.create_sheet("Other")
    for c, title in enumerate(["날짜", "품명", "금액"]):
        sh.cell(2, c + 1, title)
    sh.cell(2, 11, "K")
    for i, (date, item, amount) in enumerate(NOSETUP_ROWS):
        sh.cell(3 + i, 1, date).number_format = "yyyy-mm-dd"
        sh.cell(3 + i, 2, item)
        sh.cell(3 + i, 3, amount)
    sh.column_dimensions["B"].width = 10.5
    wb.save(path)


def single_xls(path):
    import xlwt
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("Only")
    sh.write(0, 0, "이름")
    sh.write(0, 1, "수")
    sh.write(1, 0, "하나")
    sh.write(1, 1, 1)
    sh.write(2, 0, "둘")
    sh.write(2, 1, 2)
    wb.save(path)


def single_xlsx(path):
    import openpyxl
    wb = openpyxl.Workbook()
    sh = wb.active
    sh.title = "Only"
    sh.append(["이름", "수"])
    sh.append(["하나", 1])
    sh.append(["둘", 2])
    wb.save(path)


def long_xls(path):
    import xlwt
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("Data")
    sh.write(0, 0, "제목")
    sh.write(0, 1, "설명")
    sh.write(1, 0, "짧음")
    sh.write(1, 1, "x" * 120)
    sh.write(2, 0, "가" * 51)
    wb.save(path)


WRITERS = {
    "ledger.xls": ledger_xls,
    "ledger.xlsx": ledger_xlsx,
    "nosetup.xls": nosetup_xls,
    "nosetup.xlsx": nosetup_xlsx,
    "single.xls": single_xls,
    "single.xlsx": single_xlsx,
    "long.xls": long_xls,
}


def write_all(folder):
    for name, writer in WRITERS.items():
        writer(os.path.join(folder, name))


if __name__ == "__main__":
    write_all(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
