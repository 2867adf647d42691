"""Writes the small binary workbooks the xls tests read back (run with /usr/bin/python3).

xlwt_types.xls    every cell kind xlwt writes, dates in several formats, Hangul, long texts
                  that cross SST CONTINUE records, column widths, three sheets
xlwt_1904.xls     a workbook counting dates from 1904
lo_types.xls      xlwt_types.xls as LibreOffice saves it (made only where soffice is installed)
lo_refs.xls       formulas of every kind referring to six data rows, saved by LibreOffice (only
                  where soffice is installed): ranges, single cells, absolute and relative,
                  another sheet, defined names, a shared column and an array formula
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import xlwt

here = os.path.dirname(os.path.abspath(__file__))


def types_book(path):
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("데이터")
    date_fmt = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    time_fmt = xlwt.easyxf(num_format_str="[h]:mm:ss")
    quoted = xlwt.easyxf(num_format_str='0.00" days"')
    money = xlwt.easyxf(num_format_str="#,##0")
    sh.write(0, 0, "이름")
    sh.write(0, 1, "수량")
    sh.write(0, 2, "날짜")
    sh.write(0, 3, "memo")
    sh.write(1, 0, "사과")
    sh.write(1, 1, 5000, money)
    sh.write(1, 2, datetime.date(2024, 3, 1), date_fmt)
    sh.write(1, 3, "tab\there, line\nbreak, back\\slash")
    sh.write(2, 0, "배추")
    sh.write(2, 1, -1.25)
    sh.write(2, 2, 1.5, time_fmt)
    sh.write(2, 3, 2.5, quoted)
    sh.write(3, 0, True)
    sh.write(3, 1, False)
    sh.write(3, 2, xlwt.Formula("B2*2"))
    sh.write(3, 3, 0.1)
    sh.write(4, 0, 123456789.125)
    sh.write(4, 1, 1e-300)
    sh.write(4, 5, "", xlwt.easyxf("pattern: pattern solid;"))  # a blank with a format
    # Long texts: together they overflow the first SST record.
    for i in range(40):
        sh.write(10 + i, 0, ("가나다라마바사아자차카타파하" * 30)[: 300 + i] + str(i))
        sh.write(10 + i, 1, "latin text %d " % i * 20)
    sh.col(0).width = 2926  # 11.43 characters stored, 10.71 shown
    sh.col(3).width = 256 * 20
    sh2 = wb.add_sheet("Second")
    sh2.write(0, 0, "second sheet")
    sh2.write(1, 1, 42)
    wb.add_sheet("Empty")
    wb.save(path)


def book_1904(path):
    wb = xlwt.Workbook()
    wb.dates_1904 = True
    sh = wb.add_sheet("S")
    sh.write(0, 0, 0.0, xlwt.easyxf(num_format_str="d-mmm-yy"))
    sh.write(1, 0, 366.5, xlwt.easyxf(num_format_str="m/d/yy h:mm"))
    wb.save(path)


def refs_book(path):
    import openpyxl
    from openpyxl.workbook.defined_name import DefinedName

    wb = openpyxl.Workbook()
    data = wb.active
    data.title = "Data"
    data.append(["n", "amount", "double"])
    for k in range(1, 7):
        data.append([k, 100 * k, "=B%d*2" % (k + 1)])  # a column LibreOffice shares
    totals = ["=SUM(B2:B3)", "=SUM(B5:B6)", "=B6", "=$B$5", "=SUM($B$2:$B$7)", "=Other!B2",
              "=SUM(total)", "=fifth"]
    for i, formula in enumerate(totals):
        data.cell(row=10 + i, column=2, value=formula)
    data["B18"] = "=SUM(B2:B7*2)"
    data.formula_attributes["B18"] = {"t": "array", "ref": "B18"}
    other = wb.create_sheet("Other")
    other["A1"] = "=Data!B6"
    other["A2"] = "=SUM(Data!B2:B7)"
    other["A3"] = "=Data!B5"
    other["B2"] = 7
    for name, ref in (("total", "Data!$B$2:$B$7"), ("fifth", "Data!$B$5")):
        dn = DefinedName(name, attr_text=ref)
        try:
            wb.defined_names[name] = dn
        except (TypeError, AttributeError):
            wb.defined_names.append(dn)
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "lo_refs.xlsx")
        wb.save(source)
        libreoffice_copy(source, path)


def libreoffice_copy(source, target):
    soffice = shutil.which("soffice")
    if not soffice:
        print("soffice not installed: %s not made" % target)
        return
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([soffice, "-env:UserInstallation=file://" + tmp + "/profile", "--headless",
                        "--convert-to", "xls:MS Excel 97", "--outdir", tmp, source],
                       check=True, capture_output=True)
        made = os.path.splitext(os.path.basename(source))[0] + ".xls"
        shutil.move(os.path.join(tmp, made), target)


if __name__ == "__main__":
    types_book(os.path.join(here, "xlwt_types.xls"))
    book_1904(os.path.join(here, "xlwt_1904.xls"))
    libreoffice_copy(os.path.join(here, "xlwt_types.xls"), os.path.join(here, "lo_types.xls"))
    refs_book(os.path.join(here, "lo_refs.xls"))
    sys.exit(0)
