"""rowbit-cli keeps a version of the workbook it saves over only with --keep-version, lists the
versions newest first (path, time, size), and each version, read by xlrd or openpyxl, holds the
cells the workbook had before the save that kept it. A version that cannot be kept never stops
the save; stderr says why.

usage: versions_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import os
import re
import shutil
import sys

import openpyxl
import xlrd

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, require_input, run, run_tests  # noqa: E402

TEST_DATA = sys.argv[3]


def cells(path):
    if path.endswith(".xls"):
        sheet = xlrd.open_workbook(path).sheet_by_index(0)
        return [[c.value for c in row] for row in sheet.get_rows()]
    sheet = openpyxl.load_workbook(path).worksheets[0]
    return [[c.value for c in row] for row in sheet.iter_rows()]


def test_versions(work, ext):
    os.environ["XDG_DATA_HOME"] = os.path.join(work, "data")
    book = os.path.join(work, "ledger" + ext)
    shutil.copy(require_input(os.path.join(TEST_DATA, "document", "ledger" + ext)), book)

    code, _, err = run("add", book, "배")
    check(code == 0, "%s: add without --keep-version: exit %d (%s)" % (ext, code, err))
    code, out, err = run("versions", book)
    check(code == 1 and out == "" and "no version" in err,
          "%s: nothing kept without --keep-version: exit %d, %r %r" % (ext, code, out, err))

    before = []  # (cells, size) before each save that keeps a version
    for n in range(6):
        before.append((cells(book), os.path.getsize(book)))
        code, _, err = run("add", book, "배", "--keep-version")
        check(code == 0 and err == "", "%s: save %d: exit %d (%s)" % (ext, n, code, err))
    code, out, err = run("versions", book)
    lines = out.splitlines()
    check(code == 0 and len(lines) == 5,
          "%s: five versions after six saves: exit %d, %r" % (ext, code, out))
    for line, (was, size) in zip(lines, reversed(before)):
        path, when, length = line.split("\t")
        check(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", when) is not None,
              "%s: the time of %s: %r" % (ext, path, when))
        check(os.path.dirname(path) == os.path.join(work, "data", "rowbit", "versions"),
              "%s: %s is not in the data folder" % (ext, path))
        check(int(length) == size == os.path.getsize(path),
              "%s: %s: size %s, the workbook had %d" % (ext, path, length, size))
        check(cells(path) == was, "%s: %s does not hold the cells before its save" % (ext, path))

    # A data folder that cannot be made: saved all the same, and told why.
    blocked = os.path.join(work, "blocked")
    open(blocked, "w").close()
    os.environ["XDG_DATA_HOME"] = blocked
    rows = len(cells(book))
    code, _, err = run("delete", book, "1", "--keep-version")
    check(code == 0 and "이전 버전으로 보관하지 못했으니" in err,
          "%s: an unwritable folder: exit %d, %r" % (ext, code, err))
    check(len(cells(book)) == rows - 1, "%s: the delete was not saved" % ext)


if __name__ == "__main__":
    sys.exit(run_tests([(test_versions, ".xls"), (test_versions, ".xlsx")], "versions"))
