#!/usr/bin/python3
"""Writes the XML-workbook benchmark inputs with openpyxl (write-only mode, the fast one).

    /usr/bin/python3 xlsx_generate.py ROWS OUT.xlsx

12 columns: a Hangul name, a code, a category, 80-character notes, integers, prices,
quantities, ratios, two dates, a flag text and a running number. Values repeat in patterns so
the shared string table has a realistic mix of repeated and unique texts.
"""
import datetime
import random
import sys

from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import NamedStyle

rows = int(sys.argv[1])
out = sys.argv[2]
rnd = random.Random(20240101)

family = "김이박최정강조윤장임한오서신권황안송류홍"
given = "민서준지현우연수아영하윤도성진호은"
cats = ["사과", "배추", "무", "고구마", "감자", "양파", "대파", "마늘"]
words = ["가나다라마바사", "alpha", "bravo", "한국어", "charlie", "여름", "겨울", "delta"]

wb = Workbook(write_only=True)
ws = wb.create_sheet("Data")
date_style = NamedStyle(name="d", number_format="yyyy-mm-dd")
wb.add_named_style(date_style)
header = ["이름", "코드", "분류", "비고", "수량", "단가", "금액", "비율", "입고일", "출고일", "상태", "번호"]
ws.append(header)
base = datetime.date(2000, 1, 1)
for i in range(rows):
    name = rnd.choice(family) + rnd.choice(given) + rnd.choice(given)
    note = (" ".join(rnd.choice(words) for _ in range(20)))[:80].ljust(80, ".")
    qty = rnd.randint(1, 1000)
    price = round(rnd.uniform(100, 100000), 2)
    d1 = WriteOnlyCell(ws, value=base + datetime.timedelta(days=rnd.randint(0, 9000)))
    d1.style = "d"
    d2 = WriteOnlyCell(ws, value=base + datetime.timedelta(days=rnd.randint(0, 9000)))
    d2.style = "d"
    ws.append([name, "C%07d" % i, rnd.choice(cats), note, qty, price, round(qty * price, 2),
               rnd.random(), d1, d2, "완료" if i % 3 else "대기", i + 1])
wb.save(out)
