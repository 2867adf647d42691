"""Whole rows moved by a sort, judged by the peers: what is anchored to a record's row (notes,
links, merged ranges, validations, formats, row height) follows it, array formulas over
several rows become their values, and a save that moved formulas asks for recalculation.

usage: row_move_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile
import warnings
import zipfile

import openpyxl
import xlrd
import xlwt
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import PatternFill
from openpyxl.worksheet.datavalidation import DataValidation

warnings.simplefilter("ignore")
CLI = os.path.abspath(sys.argv[1])
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, failures, require_input  # noqa: E402
REAL = sys.argv[2]


def sort(src, column, out):
    p = subprocess.run([CLI, "sort", src, str(column), "--title-row", "1", "--out", out],
                       capture_output=True, timeout=300)
    return p.returncode, p.stderr.decode("utf-8", "replace")


def xlsx_rows(path, sheet=0):
    ws = openpyxl.load_workbook(path, data_only=True).worksheets[sheet]
    return {r: tuple(c.value for c in row) for r, row in enumerate(ws.iter_rows(), start=1)}


def xls_rows(path, sheet=0):
    sh = xlrd.open_workbook(path).sheet_by_index(sheet)
    return {r + 1: tuple(sh.row_values(r)) for r in range(sh.nrows)}


def same_rows(before, after):
    """The same rows, in any order (a row's empty tail does not count)."""
    def bag(rows):
        return collections.Counter(tuple(v for v in row if v not in (None, ""))
                                   for row in rows.values() if any(v not in (None, "") for v in row))
    return bag(before) == bag(after)


def follows(before, after, anchors_before, anchors_after, what):
    """Each anchored thing sits on a row that holds what its row held before."""
    check(sorted(anchors_before.values()) == sorted(anchors_after.values()), what + ": none lost")
    for row, thing in anchors_after.items():
        old = [r for r, t in anchors_before.items() if t == thing]
        check(any(before.get(r) == after.get(row) for r in old),
              "%s %r on row %d holds another record" % (what, thing, row))


def sheet_xml(path, name):
    with zipfile.ZipFile(path) as z:
        return z.read(name).decode("utf-8")


def tables(path):
    with zipfile.ZipFile(path) as z:
        return [n for n in z.namelist() if n.startswith("xl/worksheets/sheet")]


# --- an XML workbook with everything a row can carry -----------------------------------------
tmp = tempfile.mkdtemp(prefix="rowbit-rowmove-")
try:
    src = os.path.join(tmp, "anchors.xlsx")
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws.append(["Name", "Qty", "Note", "", "Group"])
    for name, qty in [("pear", 3), ("apple", 1), ("fig", 2), ("kiwi", 4), ("date", 5)]:
        ws.append([name, qty])
    ws["A3"].comment = Comment("apple note", "me")
    ws["A2"].hyperlink = "http://127.0.0.1/pear"
    ws["C3"] = "apple wide"
    ws.merge_cells("C3:D3")
    ws["E5"] = "kiwi and date"
    ws.merge_cells("E5:E6")
    ws.row_dimensions[3].height = 30
    ws.row_dimensions[2].hidden = True
    dv = DataValidation(type="list", formula1='"1,2,3"')
    ws.add_data_validation(dv)
    dv.add("B6")
    ws.conditional_formatting.add("B2", CellIsRule(operator="greaterThan", formula=["2"],
                                                   fill=PatternFill("solid", fgColor="FF0000")))
    wb.create_sheet("Other")["A1"] = "untouched"
    wb.save(src)

    out = os.path.join(tmp, "sorted.xlsx")
    code, err = sort(src, 1, out)
    check(code == 0, "xlsx sort exits 0: " + err)
    got = openpyxl.load_workbook(out)
    ws = got["Data"]
    check([ws.cell(r, 1).value for r in range(2, 7)] == ["apple", "date", "fig", "kiwi", "pear"],
          "xlsx records sorted")
    check({(c.row, c.column): c.comment.text for row in ws.iter_rows() for c in row if c.comment}
          == {(2, 1): "apple note"}, "xlsx note follows apple")
    check({c.coordinate: c.hyperlink.target for row in ws.iter_rows() for c in row
           if c.hyperlink} == {"A6": "http://127.0.0.1/pear"}, "xlsx link follows pear")
    check(sorted(str(m) for m in ws.merged_cells.ranges) == ["C2:D2", "E5:E6"],
          "xlsx merge within apple's row follows it, the one over two records stays")
    check(ws.row_dimensions[2].height == 30 and ws.row_dimensions[6].hidden
          and not ws.row_dimensions[2].hidden, "xlsx row height and hidden follow their records")
    check([str(r) for dv in ws.data_validations.dataValidation for r in dv.sqref.ranges]
          == ["B3"], "xlsx validation follows date")
    check([str(cf.sqref) for cf in ws.conditional_formatting] == ["B6"],
          "xlsx conditional format follows pear")
    check(got["Other"]["A1"].value == "untouched", "xlsx other sheet kept")
    check(same_rows(xlsx_rows(src), xlsx_rows(out)), "xlsx every record kept")
    check(err.count("E5:E6") == 1 and "병합" in err, "xlsx save tells of the kept merge once: " + err)

    # --- workbooks others wrote: merges, arrays and recalculation --------------------------
    for name, column in [("poi-Tables.xlsx", 1), ("poi-MatrixFormulaEvalTestData.xlsx", 1)]:
        src = require_input(os.path.join(REAL, "xlsx", name))
        out = os.path.join(tmp, "sorted-" + name)
        code, err = sort(src, column, out)
        check(code == 0, name + ": sort exits 0: " + err)
        before, after = xlsx_rows(src), xlsx_rows(out)
        check(same_rows(before, after), name + ": every row kept")
        ws_after = openpyxl.load_workbook(out, data_only=True).worksheets[0]
        for rng in ws_after.merged_cells.ranges if "Tables" in name else []:
            hidden = [c.value for row in ws_after[str(rng)] for c in row][1:]
            check(all(v is None for v in hidden), name + ": nothing hidden under " + str(rng))
        xml = sheet_xml(out, "xl/worksheets/sheet1.xml")
        arrays = []
        for ref in re.findall(r'<f t="array" ref="([A-Z]+\d+(?::[A-Z]+\d+)?)"', xml):
            cells = openpyxl.utils.range_boundaries(ref)
            arrays.append(cells)
        overlaps = [(a, b) for i, a in enumerate(arrays) for b in arrays[i + 1:]
                    if a[0] <= b[2] and b[0] <= a[2] and a[1] <= b[3] and b[1] <= a[3]]
        check(not overlaps, name + ": array ranges overlap: %r" % overlaps[:3])
        check(all(c[1] == c[3] for c in arrays), name + ": only single-row arrays keep formulas")
        if "Matrix" in name:
            check(err.count("배열 수식") == 1, name + ": the save tells of the arrays once: " + err)
            wbxml = sheet_xml(out, "xl/workbook.xml")
            check(re.search(r'<calcPr[^>]*fullCalcOnLoad="1"', wbxml) is not None,
                  name + ": recalculation on open asked for")

    # --- binary workbooks: notes, links, arrays ---------------------------------------------
    for name, column, what in [("poi-SimpleWithComments.xls", 2, "note"),
                               ("poi-WithTwoHyperLinks.xls", 1, "link"),
                               ("poi-MatrixFormulaEvalTestData.xls", 1, "")]:
        src = require_input(os.path.join(REAL, "xls", name))
        out = os.path.join(tmp, "sorted-" + name)
        code, err = sort(src, column, out)
        check(code == 0, name + ": sort exits 0: " + err)
        before, after = xls_rows(src), xls_rows(out)
        check(same_rows(before, after), name + ": every row kept")
        b = xlrd.open_workbook(src, formatting_info=True).sheet_by_index(0)
        a = xlrd.open_workbook(out, formatting_info=True).sheet_by_index(0)
        if what == "note":
            follows(before, after, {k[0] + 1: v.text for k, v in b.cell_note_map.items()},
                    {k[0] + 1: v.text for k, v in a.cell_note_map.items()}, name + " note")
        if what == "link":
            follows(before, after, {k[0] + 1: v.url_or_path for k, v in b.hyperlink_map.items()},
                    {k[0] + 1: v.url_or_path for k, v in a.hyperlink_map.items()}, name + " link")
        if not what:
            check(err.count("배열 수식") == 1, name + ": the save tells of the arrays once: " + err)
            data = xlrd.compdoc.CompDoc(open(out, "rb").read()).get_named_stream("Workbook")
            pos, uncalced = 0, 0
            while pos + 4 <= len(data):
                kind, size = int.from_bytes(data[pos:pos + 2], "little"), \
                    int.from_bytes(data[pos + 2:pos + 4], "little")
                uncalced += kind == 0x5E
                pos += 4 + size
            check(uncalced >= 1, name + ": recalculation on open asked for")

    # --- merged ranges of a binary workbook written by xlwt ---------------------------------
    src = os.path.join(tmp, "merges.xls")
    book = xlwt.Workbook()
    sh = book.add_sheet("Data")
    for r, row in enumerate([["Name", "Qty"], ["pear", 3], ["apple", 1], ["kiwi", 4], ["date", 5]]):
        for c, v in enumerate(row):
            sh.write(r, c, v)
    sh.write_merge(2, 2, 2, 3, "apple wide")
    sh.write_merge(3, 4, 4, 4, "kiwi and date")
    sh.row(2).height_mismatch = True
    sh.row(2).height = 600
    book.save(src)
    out = os.path.join(tmp, "sorted-merges.xls")
    code, err = sort(src, 1, out)
    check(code == 0, "xls sort exits 0: " + err)
    got = xlrd.open_workbook(out, formatting_info=True).sheet_by_index(0)
    check([got.cell_value(r, 0) for r in range(1, 5)] == ["apple", "date", "kiwi", "pear"],
          "xls records sorted")
    check(sorted(got.merged_cells) == [(1, 2, 2, 4), (3, 5, 4, 5)],
          "xls merge within apple's row follows it, the one over two records stays")
    check(got.rowinfo_map[1].height == 600, "xls row height follows apple")
    check(same_rows(xls_rows(src), xls_rows(out)), "xls every record kept")
    check(err.count("E4:E5") == 1, "xls save tells of the kept merge once: " + err)

    # --- merges over several records that would hide moved values or overlap a moved merge --
    # pear, apple, kiwi, fig sort to apple, fig, kiwi, pear: fig's C lands under C2:C3, pear's
    # D:E merge lands on row 5 beside E4:E5; G2:G3 hides nothing and stays.
    recs = [("pear", 1, "pear c", "pear wide", None, None, "pear g"), ("apple", 2),
            ("kiwi", 3, None, None, "kiwi e"), ("fig", 4, "fig c")]
    merges = [(1, 2, 2, 2), (1, 1, 3, 4), (3, 4, 4, 4), (1, 2, 6, 6)]  # rows, cols, 0-based

    def judge(kind, values, merged, err):
        """values: {(row, col): value} zero-based; merged: [(r0, r1, c0, c1)] inclusive."""
        check(sorted(merged) == [(1, 2, 6, 6), (4, 4, 3, 4)],
              kind + ": the kept merges give way, the moved one and G2:G3 stay: %r" % merged)
        for r0, r1, c0, c1 in merged:
            hidden = [values.get((r, c)) for r in range(r0, r1 + 1) for c in range(c0, c1 + 1)]
            check(all(v in (None, "") for v in hidden[1:]), kind + ": a merge hides a value")
        check(not [(a, b) for i, a in enumerate(merged) for b in merged[i + 1:]
                   if a[0] <= b[1] and b[0] <= a[1] and a[2] <= b[3] and b[2] <= a[3]],
              kind + ": merged ranges overlap")
        want = {(0, 0): "Name"}
        for r, rec in enumerate(sorted(recs), start=1):
            want.update({(r, c): v for c, v in enumerate(rec) if v is not None})
        check({k: v for k, v in values.items() if v not in (None, "")} == want,
              kind + ": every value kept in its record's row")
        check(err.count("C2:C3") == 1 and err.count("E4:E5") == 1
              and err.count("병합을 풀었습니다") == 1 and err.count("G2:G3") == 1,
              kind + ": the save tells once which merges it undid and kept: " + err)

    src, out = os.path.join(tmp, "hiding.xlsx"), os.path.join(tmp, "hiding-sorted.xlsx")
    wb = openpyxl.Workbook()
    ws = wb.active
    ws["A1"] = "Name"
    for r, rec in enumerate(recs, start=2):
        for c, v in enumerate(rec, start=1):
            ws.cell(r, c, v)
    for r0, r1, c0, c1 in merges:
        ws.merge_cells(start_row=r0 + 1, end_row=r1 + 1, start_column=c0 + 1, end_column=c1 + 1)
    wb.save(src)
    code, err = sort(src, 1, out)
    check(code == 0, "xlsx hiding merges: sort exits 0: " + err)
    # Read-only reading keeps values under merges, which full reading drops.
    values = {(c.row - 1, c.column - 1): c.value
              for row in openpyxl.load_workbook(out, read_only=True).active.iter_rows()
              for c in row if hasattr(c, "column")}
    merged = [(m.min_row - 1, m.max_row - 1, m.min_col - 1, m.max_col - 1)
              for m in openpyxl.load_workbook(out).active.merged_cells.ranges]
    judge("xlsx", values, merged, err)

    src, out = os.path.join(tmp, "hiding.xls"), os.path.join(tmp, "hiding-sorted.xls")
    book = xlwt.Workbook()
    sh = book.add_sheet("Data")
    sh.write(0, 0, "Name")
    for r, rec in enumerate(recs, start=1):
        for c, v in enumerate(rec):
            if v is not None and not any(r0 <= r <= r1 and c0 <= c <= c1
                                         for r0, r1, c0, c1 in merges):
                sh.write(r, c, v)
    for r0, r1, c0, c1 in merges:
        sh.write_merge(r0, r1, c0, c1, recs[r0 - 1][c0] if c0 < len(recs[r0 - 1]) else None)
    book.save(src)
    code, err = sort(src, 1, out)
    check(code == 0, "xls hiding merges: sort exits 0: " + err)
    got = xlrd.open_workbook(out, formatting_info=True).sheet_by_index(0)
    values = {(r, c): got.cell_value(r, c) for r in range(got.nrows) for c in range(got.ncols)}
    judge("xls", values, [(r0, r1 - 1, c0, c1 - 1) for r0, r1, c0, c1 in got.merged_cells], err)

    # --- a tiny workbook with a cell in the last position: cells lists stored cells only ------
    far = os.path.join(tmp, "far.xlsx")
    wb = openpyxl.Workbook()
    wb.active["A1"] = "first"
    wb.active["XFD1048576"] = "last"
    wb.save(far)
    try:
        p = subprocess.run([CLI, "cells", far], capture_output=True, timeout=60)
        listed = p.stdout.decode().splitlines()
    except subprocess.TimeoutExpired:
        listed = "still walking after a minute"
    check(listed == ["0\t0\ttext\tfirst", "1048575\t16383\ttext\tlast"],
          "cells lists the two stored cells: %r" % (listed,))
finally:
    shutil.rmtree(tmp, ignore_errors=True)

print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
