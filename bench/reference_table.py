#!/usr/bin/python3
"""The speed and memory table on the reference workbooks, with the peer beside each row.

    /usr/bin/python3 bench/reference_table.py BUILD_DIR [--data DIR] [--skip-peers] [--runs N]

BUILD_DIR is a Release build with -DROWBIT_BENCH=ON (document_bench, xls_bench and
rowbit-cli). DIR holds big.xls (65,535 rows), big.xlsx (200,000) and huge.xlsx (1,000,000),
made by the generators in bench/reference/ (default: /work/benchdata). Each of Rowbit's figures
is the median of N runs (default 3) of a whole process; "cpu" is the process's user + system
time, which a busy machine inflates far less than wall time. The peers (python3-xlrd,
openpyxl read-only) take minutes on the big files: --skip-peers leaves them out and prints the
figures the reference README gives for them instead, marked "(README)". The load average is
printed with the table, since wall figures on a busy machine mean little.
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

PY = "/usr/bin/python3"

# Peer figures of bench/reference/README.md (quiet 2-core machine, medians), used with
# --skip-peers.
README_PEERS = {"xlrd big.xls": 1.3, "openpyxl big.xlsx": 28.0, "openpyxl huge.xlsx": 137.0,
                "openpyxl edit big.xlsx": 58.0}

# The peers' scripts, as the format benchmarks beside this one run them.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xls_bench import XLRD_READ  # noqa: E402
from xlsx_bench import OPENPYXL_EDIT, OPENPYXL_READ  # noqa: E402


def arg(name, default):
    return sys.argv[sys.argv.index(name) + 1] if name in sys.argv else default


def run(cmd):
    """Wall seconds, CPU seconds and standard output of one whole process."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, out


def figures(out):
    """name value pairs of a bench program's output ("name value" lines or name=value)."""
    found = {}
    for line in out.splitlines():
        parts = line.replace("=", " ").split()
        for i in range(len(parts) - 1):
            try:
                found.setdefault(parts[i], float(parts[i + 1]))
            except ValueError:
                pass
    return found


def median_of(runs, cmd, pick):
    """Median of `pick(wall, cpu, figures)` over `runs` runs; pick returns a tuple."""
    rows = []
    for _ in range(runs):
        wall, cpu, out = run(cmd)
        rows.append(pick(wall, cpu, figures(out)))
    return tuple(statistics.median(col) for col in zip(*rows))


def peer(skip, key, script, *args):
    if skip:
        return README_PEERS[key], True
    start = time.perf_counter()
    subprocess.run([PY, "-c", script, *args], check=True, capture_output=True)
    return time.perf_counter() - start, False


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    data = arg("--data", "/work/benchdata")
    runs = int(arg("--runs", "3"))
    skip = "--skip-peers" in sys.argv
    doc = os.path.join(build, "bench", "document_bench")
    xls = os.path.join(build, "bench", "xls_bench")
    xlsx = os.path.join(build, "bench", "xlsx_bench")
    cli = os.path.join(build, "src", "rowbit-cli")
    big_xls = os.path.join(data, "big.xls")
    big_xlsx = os.path.join(data, "big.xlsx")
    huge = os.path.join(data, "huge.xlsx")
    rows = []  # (work, Rowbit, goal, peer text, ratio text)

    def add(work, ours, goal, peer_s=None, from_readme=False, peer_name=""):
        if peer_s is None:
            rows.append((work, ours, goal, "-", "-"))
            return
        wall = float(ours.split("s")[0])
        text = "%s %.2f s%s" % (peer_name, peer_s, " (README)" if from_readme else "")
        rows.append((work, ours, goal, text, "%.1fx" % (peer_s / wall)))

    with tempfile.TemporaryDirectory() as work:
        saved = os.path.join(work, "saved.xls")
        # document_bench: open (load + fill + format), the save after 10 edits, and the save
        # of the list sorted after it.
        o_open, o_save, o_sorted, o_peak = median_of(
            runs, [doc, big_xls, "Seoul", "5", saved],
            lambda w, c, f: (f["open"], f["save"], f["sort_save"], f["open_peak_mb"]))
        xlrd_s, readme = peer(skip, "xlrd big.xls", XLRD_READ, big_xls)
        add("open big.xls (load + fill + format)", "%.3f s (peak %.0f MB)" % (o_open, o_peak),
            "<= 0.15 s", xlrd_s, readme, "xlrd")
        # xls_bench: best of its own 5 runs in one process, median over ours.
        e_read, e_save, e_rcpu, e_scpu = median_of(
            runs, [xls, big_xls, "5"],
            lambda w, c, f: (f["load_read_s"], f["save_s"], f["load_read_cpu_s"], f["save_cpu_s"]))
        add("load + read every cell of big.xls (engine)", "%.3f s (cpu %.3f s)" % (e_read, e_rcpu),
            "<= 0.08 s", xlrd_s, readme, "xlrd")
        add("save big.xls after 10 edits", "%.3f s document, %.3f s engine (cpu %.3f s)" %
            (o_save, e_save, e_scpu), "<= 0.2 s")
        add("then sort big.xls by a column and save (every row moves)",
            "%.3f s document" % o_sorted, "-")

        h_open, h_peak = median_of(runs, [doc, huge, "Seoul", "5"],
                                   lambda w, c, f: (f["open"], f["open_peak_mb"]))
        huge_peer, readme = peer(skip, "openpyxl huge.xlsx", OPENPYXL_READ, huge)
        add("open huge.xlsx (1,000,000 rows)", "%.2f s, peak %.0f MB" % (h_open, h_peak),
            "<= 3 s, <= 800 MB", huge_peer, readme, "openpyxl")

        sorted_out = os.path.join(work, "sorted.xlsx")
        sort_cmd = [cli, "sort", huge, "5", "--out", sorted_out]
        s_wall, s_cpu = median_of(runs, sort_cmd, lambda w, c, f: (w, c))
        # The peak of one more run, as /usr/bin/time reports it on standard error.
        timed = subprocess.run(["/usr/bin/time", "-f", "%M"] + sort_cmd, capture_output=True,
                               text=True, check=True)
        s_peak = float(timed.stderr.split()[-1]) / 1024
        add("sort huge.xlsx by a column and save", "%.2f s (cpu %.2f s), peak %.0f MB" %
            (s_wall, s_cpu, s_peak), "<= 6 s, <= 1 GB")

        b_open, b_peak = median_of(runs, [doc, big_xlsx, "Seoul", "5"],
                                   lambda w, c, f: (f["open"], f["open_peak_mb"]))
        big_peer, readme = peer(skip, "openpyxl big.xlsx", OPENPYXL_READ, big_xlsx)
        add("open big.xlsx (200,000 rows)", "%.3f s (peak %.0f MB)" % (b_open, b_peak),
            "<= 0.6 s", big_peer, readme, "openpyxl")

    with tempfile.TemporaryDirectory() as work:
        edited = os.path.join(work, "edited.xlsx")
        x_total, x_cpu = median_of(runs, [xlsx, "edit", big_xlsx, edited],
                                   lambda w, c, f: (f["total_s"], f["cpu_s"]))
        edit_peer, readme = peer(skip, "openpyxl edit big.xlsx", OPENPYXL_EDIT, big_xlsx,
                                 os.path.join(work, "edited-by-openpyxl.xlsx"))
        add("load big.xlsx, change 10 cells, save (engine)",
            "%.2f s (cpu %.2f s)" % (x_total, x_cpu), "-", edit_peer, readme, "openpyxl")

    print("| work | Rowbit | goal | peer | peer / Rowbit |")
    print("|---|---|---|---|---|")
    for row in rows:
        print("| %s |" % " | ".join(row))
    print()
    print("Rowbit: median of %d runs; load average at the end: %s" %
          (runs, " ".join(open("/proc/loadavg").read().split()[:3])))
    if skip:
        print("Peers not run (--skip-peers): their figures are those of the reference README.")


if __name__ == "__main__":
    main()
