#!/usr/bin/python3
"""Document layer benchmark beside the peers (run with /usr/bin/python3 from the repository).

    /usr/bin/python3 bench/document_bench.py BUILD_DIR [--xlsx-rows N] [--xlsx FILE] [--skip-xlsx]

Writes a 65,535-row .xls (xlwt) and a 1,000,000-row .xlsx (bench/xlsx_generate.py) into a
scratch folder, times document_bench on them (open, search, sort by a number column, and for
the .xls a save after 10 edits), and times the same reading and searching done in Python with
xlrd and openpyxl. The build needs -DROWBIT_BENCH=ON.
"""
import datetime
import os
import random
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
build = sys.argv[1]
bench = os.path.join(build, "bench", "document_bench")
xlsx_rows = 1000000
if "--xlsx-rows" in sys.argv:
    xlsx_rows = int(sys.argv[sys.argv.index("--xlsx-rows") + 1])


def write_xls(path, rows):
    import xlwt
    rnd = random.Random(7)
    wb = xlwt.Workbook(encoding="utf-8")
    sh = wb.add_sheet("Data")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for c, t in enumerate(["품명", "수량", "단가", "날짜", "비고", "번호"]):
        sh.write(0, c, t)
    base = datetime.date(2000, 1, 1)
    cats = ["사과", "배추", "무", "고구마", "감자", "양파", "대파", "마늘"]
    for r in range(1, rows):
        sh.write(r, 0, rnd.choice(cats) + str(r % 97))
        sh.write(r, 1, rnd.randint(1, 5000))
        sh.write(r, 2, round(rnd.uniform(10, 10000), 2))
        sh.write(r, 3, base + datetime.timedelta(days=rnd.randint(0, 9000)), date)
        sh.write(r, 4, "note %d" % rnd.randint(0, 10 ** 6))
        sh.write(r, 5, r)
    wb.save(path)


def run_bench(*args):
    out = subprocess.run([bench] + list(args), capture_output=True, text=True, check=True).stdout
    figures = {}
    for line in out.splitlines():
        name, value = line.split()[:2]
        figures[name] = float(value)
    return figures


def peer_xls(path, text):
    import xlrd
    start = time.perf_counter()
    sh = xlrd.open_workbook(path).sheet_by_index(0)
    rows = [[str(v) for v in sh.row_values(r)] for r in range(1, sh.nrows)]
    read = time.perf_counter() - start
    start = time.perf_counter()
    found = [r for r in rows if any(text in v for v in r)]
    search = time.perf_counter() - start
    start = time.perf_counter()
    rows.sort(key=lambda r: float(r[1] or 0))
    sort = time.perf_counter() - start
    return read, search, sort, len(found)


def peer_xlsx(path, text):
    import openpyxl
    start = time.perf_counter()
    wb = openpyxl.load_workbook(path, read_only=True)
    rows = [["" if v is None else str(v) for v in row]
            for row in wb.worksheets[0].iter_rows(min_row=2, values_only=True)]
    read = time.perf_counter() - start
    start = time.perf_counter()
    found = [r for r in rows if any(text in v for v in r)]
    search = time.perf_counter() - start
    start = time.perf_counter()
    rows.sort(key=lambda r: float(r[4] or 0))
    sort = time.perf_counter() - start
    return read, search, sort, len(found)


def show(title, ours, peer, limits):
    print(title)
    print("  %-8s %10s %10s %10s" % ("step", "Rowbit", "peer", "limit"))
    names = ["open", "search", "sort", "save"]
    for name, theirs in zip(names, list(peer) + [None]):
        if name not in ours:
            continue
        print("  %-8s %9.3fs %10s %9.3fs" % (name, ours[name],
                                             "%.3fs" % theirs if theirs is not None else "-",
                                             limits[name]))


with tempfile.TemporaryDirectory() as work:
    xls = os.path.join(work, "bench.xls")
    write_xls(xls, 65535)
    ours = run_bench(xls, "배추1", "2", os.path.join(work, "saved.xls"))
    read, search, sort, found = peer_xls(xls, "배추1")
    show("65,535-row .xls (%d records; peer: xlrd)" % ours["records"], ours,
         (read, search, sort), {"open": 0.25, "search": 0.02, "sort": 0.1, "save": 0.5})
    if "--skip-xlsx" not in sys.argv:
        if "--xlsx" in sys.argv:  # an input written earlier by xlsx_generate.py
            xlsx = sys.argv[sys.argv.index("--xlsx") + 1]
        else:
            xlsx = os.path.join(work, "bench.xlsx")
            subprocess.run([sys.executable, os.path.join(here, "xlsx_generate.py"),
                            str(xlsx_rows), xlsx], check=True)
        ours = run_bench(xlsx, "김민서", "5")
        read, search, sort, found = peer_xlsx(xlsx, "김민서")
        show("%s-row .xlsx (%d records; peer: openpyxl read-only)" %
             (format(xlsx_rows, ","), ours["records"]), ours, (read, search, sort),
             {"open": 5.0, "search": 0.2, "sort": 1.5})
