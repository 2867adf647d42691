#!/usr/bin/python3
"""XML workbook benchmark: Rowbit beside openpyxl on the same generated workbooks.

    /usr/bin/python3 xlsx_bench.py XLSX_BENCH_BINARY WORKDIR [--skip-1m-peers]

Generates (once) 200,000- and 1,000,000-row workbooks with xlsx_generate.py, and a copy of the
200,000-row one saved by LibreOffice when soffice is installed. For each: Rowbit's load and
read of every cell of the first sheet (wall, CPU, peak memory) and load, change 10 cells,
save; openpyxl's read-only read of every cell and its load-edit-save. Prints the figures and
the ratios.
"""
import os
import resource
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PY = "/usr/bin/python3"

OPENPYXL_READ = r'''
import sys, time, openpyxl, resource
t = time.time()
wb = openpyxl.load_workbook(sys.argv[1], read_only=True)
n = 0
for row in wb.worksheets[0].iter_rows(values_only=True):
    for v in row:
        if v is not None:
            n += 1
print("%.3f %d %.1f" % (time.time() - t, n, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024))
'''

OPENPYXL_EDIT = r'''
import sys, time, openpyxl, resource
t = time.time()
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
rows = ws.max_row
for i in range(10):
    r = 2 + (rows - 2) * i // 10
    if i % 2:
        ws.cell(row=r, column=5).value = 1000 + i
    else:
        ws.cell(row=r, column=1).value = "수정 %d" % i
wb.save(sys.argv[2])
print("%.3f %.1f" % (time.time() - t, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024))
'''


def sheet_xml_mb(path):
    import zipfile
    with zipfile.ZipFile(path) as z:
        return max(i.file_size for i in z.infolist() if i.filename.startswith("xl/worksheets/")) / 2**20


def rowbit(binary, *args):
    out = subprocess.run([binary, *args], capture_output=True, text=True, check=True).stdout
    return dict(kv.split("=") for kv in out.split()[1:])


def main():
    binary, work = sys.argv[1], sys.argv[2]
    skip_big_peers = "--skip-1m-peers" in sys.argv
    os.makedirs(work, exist_ok=True)
    files = []
    for rows, name in ((200000, "rows200k.xlsx"), (1000000, "rows1m.xlsx")):
        path = os.path.join(work, name)
        if not os.path.exists(path):
            subprocess.run([PY, os.path.join(HERE, "xlsx_generate.py"), str(rows), path], check=True)
        files.append((name, path))
    lo = os.path.join(work, "rows200k-lo.xlsx")
    if not os.path.exists(lo) and subprocess.run(["which", "soffice"], capture_output=True).returncode == 0:
        outdir = os.path.join(work, "lo")
        subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(work, "lo-profile"),
                        "--headless", "--convert-to", "xlsx", "--outdir", outdir, files[0][1]],
                       capture_output=True)
        os.replace(os.path.join(outdir, "rows200k.xlsx"), lo)
    if os.path.exists(lo):
        files.insert(1, ("rows200k-lo.xlsx", lo))

    print("%-18s %8s | %-34s | %-27s | %-20s | %-20s" % (
        "file", "sheetMB", "Rowbit read: wall cpu peakMB", "Rowbit edit: load save all",
        "openpyxl read (x)", "openpyxl edit (x)"))
    for name, path in files:
        xml_mb = sheet_xml_mb(path)
        r = rowbit(binary, "read", path)
        e = rowbit(binary, "edit", path, os.path.join(work, "out-" + name))
        peer_read = peer_edit = "-"
        big = name == "rows1m.xlsx"
        if not (big and skip_big_peers):
            t = subprocess.run([PY, "-c", OPENPYXL_READ, path], capture_output=True, text=True,
                               check=True).stdout.split()
            peer_read = "%.1fs (%.0fx)" % (float(t[0]), float(t[0]) / float(r["total_s"]))
            t = subprocess.run([PY, "-c", OPENPYXL_EDIT, path, os.path.join(work, "peer-" + name)],
                               capture_output=True, text=True, check=True).stdout.split()
            peer_edit = "%.1fs (%.0fx)" % (float(t[0]), float(t[0]) / float(e["total_s"]))
        print("%-18s %8.0f | %6ss %6ss %8sMB | %6ss %6ss %6ss | %-20s | %-20s" % (
            name, xml_mb, r["total_s"], r["cpu_s"], r["peak_mb"], e["load_s"], e["save_s"],
            e["total_s"], peer_read, peer_edit), flush=True)
    print("load average at the end: %s" % open("/proc/loadavg").read().split()[:3])


if __name__ == "__main__":
    main()
