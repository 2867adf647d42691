"""rowbit-cli's command line as scripts meet it: help and version on stdout, usage errors
naming what was wrong (exit 64), sysexits statuses, and the --format outputs read back with
Python's json and csv readers.

usage: command_line_peer.py ROWBIT_CLI REAL_WORKBOOKS TEST_DATA
"""
import csv
import io
import json
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from peer_checks import check, run, run_tests  # noqa: E402

TEST_DATA = sys.argv[3]
SAMPLE = os.path.abspath(os.path.join(TEST_DATA, "..", "..", "samples", "sample.xls"))

OUT, ERR = "stdout", "stderr"

# (arguments, exit status, the stream the fragment is on, a fragment of it)
TABLE = [
    (["--help"], 0, OUT, "Usage: rowbit-cli"),
    (["-h"], 0, OUT, "75  the file changed on disk"),
    (["--version"], 0, OUT, "rowbit-cli 1."),
    (["list", "--help"], 0, OUT, "--format"),
    (["add", "-h"], 0, OUT, "YYYY-MM-DD"),
    ([], 64, ERR, "a command is required"),
    (["--bogus"], 64, ERR, "--bogus"),
    (["frobnicate"], 64, ERR, "frobnicate"),
    (["list", SAMPLE, "--json"], 64, ERR, "--json"),
    (["list", SAMPLE, "extra"], 64, ERR, "extra"),
    (["list"], 64, ERR, "FILE is required"),
    (["list", SAMPLE, "--format", "xml"], 64, ERR, "--format"),
    (["list", SAMPLE, "--date-format", "yyyy-mm-dd"], 64, ERR, "yyyy-mm-dd"),
    (["list", SAMPLE, "--title-row", "11"], 64, ERR, "--title-row"),
    (["cells", SAMPLE, "--sheet", "x"], 64, ERR, "--sheet"),
    (["list", "/nonexistent/book.xls"], 66, ERR, "does not exist"),
    (["sheets", "/nonexistent/book.xls"], 66, ERR, ""),
    (["list", SAMPLE], 0, OUT, "15-10-01\t한빛상사\t사과\t1\t3,200"),
    (["list", SAMPLE, "--format", "text"], 0, OUT, "3,200"),
    (["list", SAMPLE, "--format", "tsv"], 0, OUT, "2015-10-01\t한빛상사\t사과\t1\t3200\t"),
    (["list", SAMPLE, "--format", "tsv", "--date-format", "mm/dd/yy"], 0, OUT, "2015-10-01"),
    (["list", SAMPLE, "--date-format", "mm/dd/yy"], 0, OUT, "10/01/15"),
    (["search", SAMPLE, "없는말"], 1, OUT, "일자"),
    (["search", SAMPLE, "사과", "--format", "tsv"], 0, OUT, "2015-10-19\t한빛상사"),
    (["totals", SAMPLE, "--format", "tsv"], 0, OUT, "합 계\t156\t1957500"),
    (["totals", SAMPLE], 0, OUT, "1,957,500"),
]


def test_table(work):
    for args, status, stream, fragment in TABLE:
        code, out, err = run(*args, cwd=work)
        text = out if stream == OUT else err
        what = "rowbit-cli %s" % " ".join(args)
        check(code == status, "%s: exit %d, wanted %d (%s)" % (what, code, status, err.strip()))
        check(fragment in text, "%s: %r not on %s: %r" % (what, fragment, stream, text[:300]))
        if status == 0:
            check(err == "", "%s: something on stderr: %r" % (what, err))


def test_json_and_csv(work):
    code, out, _ = run("list", SAMPLE, "--format", "json", cwd=work)
    check(code == 0, "list --format json exits 0")
    records = json.loads(out)
    check(len(records) == 24, "json: 24 records, got %d" % len(records))
    check(records[0] == {"일자": "2015-10-01", "거래처": "한빛상사", "품목": "사과", "수량": 1,
                         "금액": 3200, "메모": ""}, "json: the first record %r" % records[0])
    check(sum(r["금액"] for r in records) == 1957500, "json: the amounts add up as the totals")

    code, out, _ = run("list", SAMPLE, "--format", "csv", cwd=work)
    rows = list(csv.reader(io.StringIO(out, newline="")))
    check(rows[0] == ["일자", "거래처", "품목", "수량", "금액", "메모"], "csv header %r" % rows[0])
    check(len(rows) == 25, "csv: a header and 24 records")
    by_json = [[str(v) for v in r.values()] for r in records]
    check(rows[1:] == by_json, "csv reads back as the json records")
    memo = [r for r in rows if "," in r[5]]
    check(memo and memo[0][5] == "외상, 월말 정산", "csv: a memo with a comma reads back whole")

    code, out, _ = run("totals", SAMPLE, "--format", "json", cwd=work)
    lines = json.loads(out)
    check(lines[0] == {"항목": "합 계", "수량": 156, "금액": 1957500}, "totals json %r" % lines[0])

    code, out, _ = run("search", SAMPLE, "한빛", "--format", "json", cwd=work)
    found = json.loads(out)
    check(code == 0 and found and all(r["거래처"] == "한빛상사" for r in found), "search json")


def test_iso_dates_and_statuses(work):
    book = os.path.join(work, "장부.xls")
    shutil.copy(SAMPLE, book)
    code, _, err = run("add", book, "2026-01-02", "한빛", "배", "2", "1000", cwd=work)
    check(code == 0, "add takes an ISO date: %s" % err)
    code, _, err = run("change", book, "1", "2015-10-02", cwd=work)
    check(code == 0, "change takes an ISO date: %s" % err)
    code, out, _ = run("list", book, "--format", "json", cwd=work)
    records = json.loads(out)
    check(records[-1]["일자"] == "2026-01-02", "the added day %r" % records[-1])
    check(records[0]["일자"] == "2015-10-02", "the changed day %r" % records[0])
    code, _, err = run("add", book, "1900-01-02", cwd=work)
    check(code == 1 and "1900-01-02" in err, "a day the two-digit years cannot hold is refused")
    code, _, _ = run("resave", book, "--out", os.path.join(work, "no", "such", "x.xls"), cwd=work)
    check(code == 73, "a save that cannot be written: 73, got %d" % code)
    broken = os.path.join(work, "broken.xls")
    with open(broken, "wb") as f:
        f.write(b"not a workbook at all" * 40)
    code, _, _ = run("list", broken, cwd=work)
    check(code == 65, "an unreadable workbook: 65, got %d" % code)


def test_preferences_folder(work):
    """rowbit-cli reads the date format from $XDG_CONFIG_HOME/rowbit/Rowbit.INI, not from the
    folder it runs in."""
    config = os.path.join(work, "config")
    os.makedirs(os.path.join(config, "rowbit"))
    with open(os.path.join(config, "rowbit", "Rowbit.INI"), "w") as f:
        f.write("[Date]\nDateFormat=dd.mm.yy\n")
    with open(os.path.join(work, "Rowbit.INI"), "w") as f:
        f.write("[Date]\nDateFormat=mm/dd/yy\n")
    old = os.environ.get("XDG_CONFIG_HOME")
    os.environ["XDG_CONFIG_HOME"] = config
    try:
        code, out, _ = run("list", SAMPLE, cwd=work)
    finally:
        if old is None:
            del os.environ["XDG_CONFIG_HOME"]
        else:
            os.environ["XDG_CONFIG_HOME"] = old
    check(code == 0 and out.splitlines()[1].startswith("01.10.15"),
          "the user's DateFormat: %r" % out.splitlines()[1:2])


if __name__ == "__main__":
    sys.exit(run_tests([(test_table, None), (test_json_and_csv, None),
                        (test_iso_dates_and_statuses, None), (test_preferences_folder, None)],
                       "command line"))
