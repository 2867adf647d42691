"""Writes the workbooks the column width tests read (run with /usr/bin/python3).

narrow_columns.xls   xlwt: columns A to H stored narrow to wide (1/256 of a character), each
narrow_columns.xlsx  openpyxl: the same widths; row 1 of each column holds its stored width
"""
import os

import openpyxl
import xlwt
from openpyxl.utils import get_column_letter

here = os.path.dirname(os.path.abspath(__file__))
# Widths below 1.71 are narrower than a digit and its padding; all are whole 256ths.
STORED = [0.25, 0.5, 1.0, 1.5, 1.7109375, 2.5, 11.4296875, 20]

xlsx = openpyxl.Workbook()
ws = xlsx.active
ws.title = "Widths"
xls = xlwt.Workbook()
sh = xls.add_sheet("Widths")
for c, width in enumerate(STORED):
    ws.column_dimensions[get_column_letter(c + 1)].width = width
    ws.cell(1, c + 1, width)
    sh.col(c).width = int(width * 256)
    sh.write(0, c, width)
xlsx.save(os.path.join(here, "narrow_columns.xlsx"))
xls.save(os.path.join(here, "narrow_columns.xls"))
