"""Writes the workbook the lookup-list tests read (run with /usr/bin/python3).

lookup.xlsx  a data sheet and a last sheet "SetupQ" holding lookup lists from row 31:
             C: Seoul, Busan, Daegu, row 34 empty, Incheon in row 36;
             D: an entry of 34 bytes (17 Hangul syllables) and one of 36 ASCII bytes;
             E: the single entry Only; F: a number in row 31 (reads as no text).
"""
import os
import sys

import openpyxl

LONG_HANGUL = "가나다라마바사아자차카타파하가나다"
LONG_ASCII = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"


def lookup_xlsx(path):
    wb = openpyxl.Workbook()
    wb.active.title = "Data"
    wb.active.cell(1, 1, "x")
    setup = wb.create_sheet("SetupQ")
    for i, city in enumerate(["Seoul", "Busan", "Daegu"]):
        setup.cell(31 + i, 3, city)
    setup.cell(36, 3, "Incheon")
    setup.cell(31, 4, LONG_HANGUL)
    setup.cell(32, 4, LONG_ASCII)
    setup.cell(31, 5, "Only")
    setup.cell(31, 6, 42)
    wb.save(path)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    lookup_xlsx(os.path.join(folder, "lookup.xlsx"))
