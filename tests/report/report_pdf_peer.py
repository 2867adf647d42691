"""rowbit-cli report on the sample workbook, judged by poppler and xlrd: the PDF's text holds
the title, the column titles, every record's texts and the grand totals; every page renders.

Arguments: rowbit-cli, the real workbooks folder, the repository's test data folder.
"""
import os
import re
import subprocess
import sys
import tempfile

import xlrd

CLI = sys.argv[1]
SAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "samples",
                      "sample.xls")


def expected_lines():
    """Each record as the list shows it (yy-mm-dd dates, grouped numbers), and the totals."""
    book = xlrd.open_workbook(SAMPLE)
    sheet = book.sheet_by_index(0)
    titles = [sheet.cell_value(0, c) for c in range(5)]
    records, quantity, amount = [], 0, 0
    for r in range(1, sheet.nrows):
        y, m, d = xlrd.xldate_as_tuple(sheet.cell_value(r, 0), book.datemode)[:3]
        qty, price = int(sheet.cell_value(r, 3)), int(sheet.cell_value(r, 4))
        records.append("%02d-%02d-%02d %s %s %s %s" % (
            y % 100, m, d, sheet.cell_value(r, 1), sheet.cell_value(r, 2),
            "{:,}".format(qty), "{:,}".format(price)))
        quantity += qty
        amount += price
    return titles, records, "%d %d" % (quantity, amount)


def pdf_text(pdf):
    raw = subprocess.run(["pdftotext", "-layout", pdf, "-"], check=True,
                         capture_output=True).stdout.decode("utf-8")
    # Spaces may come out as control characters; lines keep their order.
    lines = []
    for line in raw.splitlines():
        line = re.sub(r"[\x00-\x1f\x7f]", " ", line)
        lines.append(" ".join(line.split()))
    return lines


def page_count(pdf):
    info = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True).stdout.decode()
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    size = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+)", info, re.M)
    return pages, float(size.group(1)) > float(size.group(2))


def main():
    titles, records, totals = expected_lines()
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        for landscape in (False, True):
            pdf = os.path.join(tmp, "report.pdf")
            args = [CLI, "report", SAMPLE, pdf] + (["--landscape"] if landscape else [])
            subprocess.run(args, check=True, cwd=tmp, capture_output=True)
            lines = pdf_text(pdf)
            where = "landscape" if landscape else "portrait"
            if "sample.xls" not in lines:
                failures.append("%s: no title line" % where)
            if " ".join(titles) not in lines:
                failures.append("%s: no column titles %r" % (where, titles))
            for record in records:
                if record not in lines:
                    failures.append("%s: no line %r" % (where, record))
            if totals not in lines:
                failures.append("%s: no totals %r" % (where, totals))

            pages, wide = page_count(pdf)
            if wide != landscape:
                failures.append("%s: pages are the wrong way round" % where)
            subprocess.run(["pdftoppm", "-r", "20", "-png", pdf, os.path.join(tmp, "page")],
                           check=True)
            images = [f for f in os.listdir(tmp) if f.startswith("page") and f.endswith(".png")]
            if len(images) != pages or pages < 1:
                failures.append("%s: %d pages, %d rendered" % (where, pages, len(images)))
            for f in images:
                os.remove(os.path.join(tmp, f))
    for f in failures:
        print(f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
