#!/usr/bin/python3
"""Writes the XML-workbook fixtures with openpyxl. Run from this folder:
    /usr/bin/python3 make_fixtures.py
"""
import datetime

import openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904


def values():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "데이터"
    ws["A1"] = "이름"
    ws["B1"] = "수량"
    ws["C1"] = "날짜"
    ws["D1"] = "메모"
    ws["A2"] = "사과"
    ws["B2"] = 1234.5
    ws["C2"] = datetime.date(2024, 3, 1)
    ws["C2"].number_format = "yyyy-mm-dd"
    ws["D2"] = "  앞뒤 공백  "
    ws["A3"] = "배추 & <무>"
    ws["B3"] = -7
    ws["C3"] = datetime.datetime(1900, 1, 1, 12, 0)
    ws["D3"] = "줄\n바꿈"
    ws["A4"] = True
    ws["B4"] = False
    ws["C4"] = datetime.time(18, 30)
    ws["C4"].number_format = "h:mm"
    ws["D4"] = 12.5
    ws["D4"].number_format = "[h]:mm"
    ws["E4"] = 3
    ws["E4"].number_format = '"d"0'  # a quoted letter d is no date
    ws["A5"] = "=B2*2"
    ws["B5"] = "#N/A"
    ws["B5"].data_type = "e"
    ws["A7"] = "x" * 300
    ws.column_dimensions["A"].width = 11.43
    ws.column_dimensions["C"].width = 20
    wb.create_sheet("Second")["B2"] = "둘째"
    wb.save("values.xlsx")


def epoch1904():
    wb = openpyxl.Workbook()
    wb.epoch = CALENDAR_MAC_1904
    ws = wb.active
    ws["A1"] = datetime.date(2000, 1, 1)
    ws["A1"].number_format = "yyyy-mm-dd"
    ws.sheet_format.defaultColWidth = 15.7109375
    wb.save("epoch1904.xlsx")



def stored():
    """values.xlsx with every part stored, not deflated, as some writers do."""
    import zipfile
    with zipfile.ZipFile("values.xlsx") as src, \
            zipfile.ZipFile("values-stored.xlsx", "w", zipfile.ZIP_STORED) as dst:
        for info in src.infolist():
            dst.writestr(info.filename, src.read(info.filename))


def saved_by_libreoffice():
    """values.xlsx opened and saved again by LibreOffice (shared strings, its own styles)."""
    import os
    import shutil
    import subprocess
    import tempfile
    if not shutil.which("soffice"):
        print("soffice not installed: values-lo.xlsx not made")
        return
    work = tempfile.mkdtemp()
    subprocess.run(["soffice", "-env:UserInstallation=file://" + work + "/profile", "--headless",
                    "--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", work, "values.xlsx"],
                   check=True, capture_output=True)
    shutil.move(os.path.join(work, "values.xlsx"), "values-lo.xlsx")
    shutil.rmtree(work)


values()
epoch1904()
stored()
saved_by_libreoffice()
