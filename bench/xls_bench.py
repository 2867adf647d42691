"""Rowbit's binary workbook engine beside the tools a user would otherwise use.

usage: /usr/bin/python3 xls_bench.py XLS_BENCH_BINARY [WORKDIR]
Generates the 65,535 x 12 workbook with python3-xlwt (xls_generate.py) and, when LibreOffice
is installed, a copy saved by LibreOffice; then times on each: python3-xlrd reading every cell,
LibreOffice converting it to .xlsx, and Rowbit loading + reading every cell and saving after
10 changed cells. Prints the figures side by side with the ratios.
"""
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PY = "/usr/bin/python3"

XLRD_READ = r'''
import sys, time, xlrd
t = time.process_time()
b = xlrd.open_workbook(sys.argv[1])
s = b.sheet_by_index(0)
n = 0
for r in range(s.nrows):
    for c in range(s.ncols):
        v = s.cell_value(r, c); s.cell_type(r, c); n += 1
print(time.process_time() - t)
'''


def timed(cmd, **kw):
    t = time.perf_counter()
    subprocess.run(cmd, check=True, capture_output=True, **kw)
    return time.perf_counter() - t


def rowbit(binary, path):
    out = subprocess.run([binary, path, "5"], check=True, capture_output=True, text=True).stdout
    figures = dict(line.split()[:2] for line in out.splitlines() if line.endswith(tuple("0123456789")))
    return (float(figures["load_read_s"]), float(figures["save_s"]),
            float(figures["load_read_cpu_s"]), float(figures["save_cpu_s"]))


def main():
    binary = os.path.abspath(sys.argv[1])
    work = sys.argv[2] if len(sys.argv) > 2 else "/tmp/rowbit-xls-bench"
    os.makedirs(work, exist_ok=True)
    xlwt_file = os.path.join(work, "bench-xlwt.xls")
    if not os.path.exists(xlwt_file):
        subprocess.run([PY, os.path.join(HERE, "xls_generate.py"), xlwt_file], check=True)
    files = [("xlwt", xlwt_file)]
    soffice = shutil.which("soffice")
    # A profile of its own, so that a LibreOffice already running elsewhere does not interfere.
    profile = "-env:UserInstallation=file://" + os.path.join(os.path.abspath(work), "lo-profile")
    lo_file = os.path.join(work, "bench-lo.xls")
    if soffice and not os.path.exists(lo_file):
        lo_dir = os.path.join(work, "lo")
        os.makedirs(lo_dir, exist_ok=True)
        subprocess.run([soffice, profile, "--headless", "--convert-to", "xls:MS Excel 97", "--outdir",
                        lo_dir, xlwt_file], check=True, capture_output=True)
        os.rename(os.path.join(lo_dir, "bench-xlwt.xls"), lo_file)
    if os.path.exists(lo_file):
        files.append(("LibreOffice", lo_file))
    if soffice:  # start-up once, so that the timings below do not include making the profile
        subprocess.run([soffice, profile, "--headless", "--terminate_after_init"],
                       capture_output=True)

    print("CPU seconds (wall seconds for LibreOffice, which runs as a separate process tree);"
          " Rowbit's wall times in brackets")
    print("%-12s %10s %12s %20s %20s %8s %8s" % ("written by", "xlrd read", "LO to xlsx",
                                                 "Rowbit load+read", "Rowbit save", "rd x",
                                                 "save x"))
    for who, path in files:
        xlrd_s = float(subprocess.run([PY, "-c", XLRD_READ, path], check=True,
                                      capture_output=True, text=True).stdout)
        lo_s = float("nan")
        if soffice:
            out = os.path.join(work, "conv")
            os.makedirs(out, exist_ok=True)
            lo_s = timed([soffice, profile, "--headless", "--convert-to", "xlsx", "--outdir", out,
                          path])
        read_s, save_s, read_cpu, save_cpu = rowbit(binary, path)
        print("%-12s %9.3fs %11.3fs %8.4fs (%.4fs) %8.4fs (%.4fs) %7.1fx %7.1fx" % (
            who, xlrd_s, lo_s, read_cpu, read_s, save_cpu, save_s, xlrd_s / read_cpu,
            lo_s / save_cpu))
    print("goals: read at least 10x faster than xlrd (< 0.12 s), save at least 20x faster than"
          " LibreOffice's conversion (< 0.33 s)")


if __name__ == "__main__":
    main()
