"""Writes the binary-workbook benchmark input with python3-xlwt: 65,535 rows x 12 columns of
Hangul texts, numbers, dates and an 80-character memo column.

usage: /usr/bin/python3 xls_generate.py OUT.xls [ROWS]
"""
import datetime
import sys

import xlwt

NAMES = ["김민준", "이서연", "박도윤", "최지우", "정하준", "강서윤", "조예준", "윤지민"]
ITEMS = ["사과", "배추", "고등어", "쌀 20kg", "라면 한 상자", "우유", "계란 30구", "참기름"]


def main():
    out = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 65535
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("장부")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    money = xlwt.easyxf(num_format_str="#,##0")
    base = datetime.date(2000, 1, 1)
    heads = ["번호", "이름", "품목", "수량", "단가", "금액", "날짜", "비고", "주소", "전화", "할인율", "마감"]
    for c, h in enumerate(heads):
        sh.write(0, c, h)
    for r in range(1, rows):
        sh.write(r, 0, r)
        sh.write(r, 1, NAMES[r % 8] + str(r % 997))
        sh.write(r, 2, ITEMS[r % 8])
        sh.write(r, 3, r % 50 + 1)
        sh.write(r, 4, 1000 + (r * 37) % 9000, money)
        sh.write(r, 5, (r % 50 + 1) * (1000 + (r * 37) % 9000) * 1.1)
        sh.write(r, 6, base + datetime.timedelta(days=r % 9000), date)
        memo = ("메모 %d: " % r + "가나다라마바사 abc " * 8)[:80]
        sh.write(r, 7, memo)
        sh.write(r, 8, "서울시 %d구 %d동" % (r % 25, r % 300))
        sh.write(r, 9, "010-%04d-%04d" % (r % 10000, (r * 7) % 10000))
        sh.write(r, 10, (r % 30) / 100.0)
        sh.write(r, 11, base + datetime.timedelta(days=(r * 3) % 9000), date)
    wb.save(out)


if __name__ == "__main__":
    main()
