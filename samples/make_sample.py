#!/usr/bin/python3
"""Writes samples/sample.xls: a small ledger with Korean titles, dates, numbers, a memo column,
a lookup list and the "SetupQ" settings sheet, so Rowbit opens it with its columns set up.

Run with Debian's python, where xlwt lives:  /usr/bin/python3 samples/make_sample.py
"""
import datetime
import os
import sys

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "sample.xls")

TITLES = ["일자", "거래처", "품목", "수량", "금액", "메모"]
WIDTHS = [12, 14, 16, 10, 14, 30]  # characters
CUSTOMERS = ["한빛상사", "푸른농장", "새날유통", "다온마트"]
ITEMS = [("사과", 3200), ("배추", 5000), ("고등어", 4500), ("쌀 20kg", 52000),
         ("달걀 30구", 7900), ("두부", 1800), ("감귤", 12500), ("우유", 2650)]
MEMOS = ["", "오전 배송", "", "외상, 월말 정산", "", "", "포장 파손 1개 교환",
         "", "단골 할인 5%", ""]


def rows():
    start = datetime.date(2015, 10, 1)
    for i in range(24):
        item, price = ITEMS[(i * 3) % len(ITEMS)]
        qty = 1 + (i * 7) % 12
        yield (start + datetime.timedelta(days=i * 2 + (i % 3)),
               CUSTOMERS[i % len(CUSTOMERS)], item, qty, qty * price,
               MEMOS[i % len(MEMOS)])


def main():
    book = xlwt.Workbook(encoding="utf-8")
    data = book.add_sheet("Sheet1")
    title_style = xlwt.easyxf("font: bold on; align: horiz center; "
                              "pattern: pattern solid, fore_colour light_green")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    number_style = xlwt.easyxf(num_format_str="#,##0")

    for c, (title, width) in enumerate(zip(TITLES, WIDTHS)):
        data.write(0, c, title, title_style)
        data.col(c).width = 256 * width
    for r, (day, customer, item, qty, amount, memo) in enumerate(rows(), start=1):
        data.write(r, 0, day, date_style)
        data.write(r, 1, customer)
        data.write(r, 2, item)
        data.write(r, 3, qty, number_style)
        data.write(r, 4, amount, number_style)
        if memo:
            data.write(r, 5, memo)

    setup = book.add_sheet("SetupQ")
    for c, label in enumerate(["컬럼", "타이틀", "형식", "수식"]):
        setup.write(0, c, label)
    setup.write(0, 7, 2)  # H1: the data starts on row 2
    setup.write(0, 8, "<=시작라인")
    columns = [("A", "일자", "D12"), ("B", "거래처", "S20"), ("C", "품목", "S24"),
               ("D", "수량", "N20"), ("E", "금액", "N20")]
    for k, (letter, title, kind) in enumerate(columns, start=1):
        setup.write(k, 0, letter)
        setup.write(k, 1, title)
        setup.write(k, 2, kind)
    for c, label in enumerate(["메모컬럼", "타이틀", "가로폭", "세로폭"], start=7):
        setup.write(1, c, label)
    setup.write(2, 7, "F")
    setup.write(2, 8, "메모")
    setup.write(2, 9, 50)
    setup.write(2, 10, 5)
    setup.write(29, 0, "* 컬럼에 들어가는 데이터를 목록에서 선택할 경우 "
                       "아래 해당컬럼 31번 줄부터 등록하면 됩니다.")
    # The customers can be picked from a list: column B of this sheet, from row 31 down.
    for i, name in enumerate(CUSTOMERS):
        setup.write(30 + i, 1, name)

    book.save(OUT)


if __name__ == "__main__":
    main()
