#!/usr/bin/python3
"""Deleting records of XML workbooks, judged by openpyxl.

    xlsx_delete_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA

The last record of real workbooks takes its link and comment with it, and a record added
afterwards in its place does not inherit them; the others stay. Formulas on another sheet keep
naming the records they named: a total over a deleted record shrinks, one over later records
follows them up, a reference to the deleted cell becomes #REF! and the save says so.
"""
import os
import shutil
import sys
import warnings

import openpyxl

warnings.simplefilter("ignore")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, run, run_tests  # noqa: E402

DATA = os.path.join(sys.argv[2], "xlsx")


def anchors(path):
    """{row: (link targets and locations, comment texts)} of the first sheet."""
    ws = openpyxl.load_workbook(path).worksheets[0]
    out = {}
    for row in ws.iter_rows():
        for c in row:
            link = c.hyperlink.target or c.hyperlink.location if c.hyperlink else None
            comment = c.comment.text if c.comment else None
            if link or comment:
                out.setdefault(c.row, []).append((c.column, link, comment))
    return out


def last_record_goes_with_its_anchors(folder, name):
    path = os.path.join(folder, name)
    shutil.copy(os.path.join(DATA, name), path)
    code, out, err = run("list", path)
    check(code == 0, name + ": list: " + err)
    records = len(out.split("\n")[:-1]) - 1  # the first line is the title row
    before = anchors(path)
    last = max(r for r, row in enumerate(openpyxl.load_workbook(path).worksheets[0].iter_rows(),
                                         start=1) if any(c.value is not None for c in row))
    check(last in before, name + ": the last record has a link or a comment to lose")
    code, _, err = run("delete", path, str(records))
    check(code == 0, name + ": delete: " + err)
    after = anchors(path)
    check(after == {r: a for r, a in before.items() if r != last},
          name + ": only the deleted record's links and comments went: %r" % after)
    code, _, err = run("add", path, "9")
    check(code == 0, name + ": add: " + err)
    check(anchors(path) == after, name + ": the added record inherits nothing")


def totals_follow_their_records(folder):
    path = os.path.join(folder, "totals.xlsx")
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws.append(["Name", "Amount"])
    for name, amount in [("a", 100), ("b", 200), ("c", 300), ("d", 400), ("e", 500)]:
        ws.append([name, amount])
    totals = wb.create_sheet("Totals")
    totals["A1"] = "=SUM(Data!B2:B3)"
    totals["A2"] = "=SUM(Data!B5:B6)"
    totals["A3"] = "=Data!B5*2"
    totals["A4"] = "=Data!$B$6+SUM(Data!B:B)"
    wb.save(path)
    code, _, err = run("delete", path, "4")  # d, in row 5
    check(code == 0, "totals: delete: " + err)
    got = openpyxl.load_workbook(path)
    check([got["Data"].cell(r, 1).value for r in range(2, 7)] == ["a", "b", "c", "e", None],
          "totals: e moved up into d's place")
    formulas = [got["Totals"].cell(r, 1).value for r in range(1, 5)]
    check(formulas == ["=SUM(Data!B2:B3)", "=SUM(Data!B5:B5)", "=#REF!*2",
                       "=Data!$B$5+SUM(Data!B:B)"], "totals: references follow: %r" % formulas)
    check("#REF!" in err and "Totals!A3" in err, "totals: the save names the formula: " + err)


sys.exit(run_tests([(last_record_goes_with_its_anchors, "poi-SimpleWithComments.xlsx"),
                    (last_record_goes_with_its_anchors, "poi-WithMoreVariousData.xlsx"),
                    (totals_follow_their_records, None)], "xlsx delete"))
