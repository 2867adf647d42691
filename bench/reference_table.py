#!/usr/bin/python3
"""The speed and memory table on the reference workbooks, each figure beside its same-run
reference and the peers.

    /usr/bin/python3 bench/reference_table.py BUILD_DIR [--data DIR] [--runs N] [--rows KEYS]
        [--skip-peers | --skip-huge-peers] [--skip-ui] [--peer-cache DIR]

BUILD_DIR is a Release build with -DROWBIT_BENCH=ON (document_bench, xls_bench, xlsx_bench,
rowbit-cli and, for the window row, rowbit). DIR holds big.xls (65,535 rows), big.xlsx
(200,000) and huge.xlsx (1,000,000), made by the generators in bench/reference/ (default:
/work/benchdata).

Each of Rowbit's figures is the median of N runs (default 3) of a whole process, and each is
set beside a reference timed in the same run, as a ratio: `unzip -p` of the workbook's first
sheet part for the .xlsx rows, xlrd reading every cell for big.xls. A busy machine stretches
both alike, so read the ratios rather than the seconds. "cpu" is user + system time and
"peak" the largest resident size (the child's ru_maxrss, or the program's own open figure).

Rows (--rows takes a comma-separated list of these keys; default: all):
    huge-open   open huge.xlsx (document_bench "open")
    huge-sort   sort huge.xlsx and save (document_bench "sort_save"; rowbit-cli sort's process)
    xls-open    open big.xls
    list        rowbit-cli list huge.xlsx, with the time to its first record
    window      the desktop program from start to the list of huge.xlsx with a settings
                sheet (bench/ui_open_bench.py; needs Xvfb and xdotool, --skip-ui leaves it out)
    xlsx-open   open big.xlsx
    xls-engine  load + read every cell of big.xls (engine)
    xls-save    save big.xls after 10 edits, and sorted
    xlsx-edit   load big.xlsx, change 10 cells, save (engine)

The peers (openpyxl read-only, Gnumeric's ssconvert to csv, SheetJS from npm) take minutes on
the big files: --skip-peers leaves all of them out and --skip-huge-peers those on huge.xlsx;
the figures of bench/reference/README.md stand in for them, marked "(README)". SheetJS is
installed with npm into --peer-cache (default /tmp/rowbit-bench-peers) the first time; without
node or npm it is left out with a note. The load average is printed with the table, since
wall figures on a busy machine mean little.
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

PY = "/usr/bin/python3"
HERE = os.path.dirname(os.path.abspath(__file__))

ALL_ROWS = ["huge-open", "huge-sort", "xls-open", "list", "window", "xlsx-open", "xls-engine",
            "xls-save", "xlsx-edit"]

# Peer figures of bench/reference/README.md, used when the peer is not run: seconds, and the
# peak in MB where known; a text is a failure as the peer reported it.
README_PEERS = {
    ("xlrd", "big.xls"): (1.3, None),
    ("openpyxl", "big.xlsx"): (28.0, None),
    ("openpyxl", "huge.xlsx"): (137.0, None),
    ("openpyxl edit", "big.xlsx"): (58.0, None),
    ("ssconvert", "big.xls"): (4.8, None),
    ("ssconvert", "big.xlsx"): (19.2, None),
    ("ssconvert", "huge.xlsx"): (102.6, 2400.0),
    ("SheetJS", "big.xls"): (21.3, None),
    ("SheetJS", "big.xlsx"): (21.1, None),
    ("SheetJS", "huge.xlsx"): ("fails at 2 GB", None),
}

# The peers' scripts, as the format benchmarks beside this one run them.
sys.path.insert(0, HERE)
from xls_bench import XLRD_READ  # noqa: E402
from xlsx_bench import OPENPYXL_EDIT, OPENPYXL_READ  # noqa: E402

# SheetJS reading every cell of the first sheet (node -e SCRIPT PACKAGE_FOLDER WORKBOOK).
SHEETJS_READ = r'''
const XLSX = require(process.argv[1]);
const book = XLSX.readFile(process.argv[2]);
const sheet = book.Sheets[book.SheetNames[0]];
let cells = 0;
for (const key in sheet) if (key[0] !== "!") cells++;
console.log(cells);
'''


def arg(name, default):
    return sys.argv[sys.argv.index(name) + 1] if name in sys.argv else default


class Process:
    """One whole process: wall and CPU seconds, peak resident MB, exit status, output, and
    (with first_lines) the seconds at which each of its first lines of standard output came."""

    def __init__(self, cmd, first_lines=0, stdout_to=None, env=None):
        with tempfile.TemporaryFile() as err:
            start = time.perf_counter()
            if stdout_to is not None:
                with open(stdout_to, "wb") as sink:
                    child = subprocess.Popen(cmd, stdout=sink, stderr=err, env=env)
            else:
                child = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=err, env=env)
            self.line_times = []
            chunks = []
            if child.stdout is not None:
                for _ in range(first_lines):
                    line = child.stdout.readline()
                    if not line:
                        break
                    self.line_times.append(time.perf_counter() - start)
                    chunks.append(line)
                # The rest is drained as it comes; a reader that keeps up, as /dev/null does.
                keep = first_lines == 0
                while True:
                    block = child.stdout.read1(1 << 20)
                    if not block:
                        break
                    if keep:
                        chunks.append(block)
                child.stdout.close()
            _, status, usage = os.wait4(child.pid, 0)
            child.returncode = os.waitstatus_to_exitcode(status)
            self.wall = time.perf_counter() - start
            err.seek(0)
            self.stderr = err.read().decode(errors="replace")
        self.cpu = usage.ru_utime + usage.ru_stime
        self.peak_mb = usage.ru_maxrss / 1024
        self.status = child.returncode
        self.out = b"".join(chunks).decode(errors="replace")

    def check(self, cmd_name):
        if self.status != 0:
            sys.exit("%s failed (exit %d): %s" % (cmd_name, self.status, self.stderr.strip()))
        return self


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


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def first_sheet_part(path):
    """The zip entry of the workbook's first sheet (from the workbook part and its
    relationships; the largest worksheet part when they cannot be read)."""
    with zipfile.ZipFile(path) as z:
        try:
            book = z.read("xl/workbook.xml").decode()
            rels = z.read("xl/_rels/workbook.xml.rels").decode()
            sheet = re.search(r"<(?:\w+:)?sheet\b[^>]*>", book).group(0)
            rid = re.search(r'\br:id="([^"]+)"', sheet).group(1)
            rel = next(r for r in re.findall(r"<Relationship\b[^>]*>", rels)
                       if re.search(r'\bId="%s"' % re.escape(rid), r))
            target = re.search(r'\bTarget="([^"]+)"', rel).group(1)
            part = target.lstrip("/") if target.startswith("/") else "xl/" + target
            z.getinfo(part)
            return part
        except (KeyError, AttributeError, StopIteration):
            return max((i for i in z.infolist() if i.filename.startswith("xl/worksheets/")),
                       key=lambda i: i.file_size).filename


def fmt_s(seconds):
    if seconds is None:
        return "-"
    return "%.3f s" % seconds if seconds < 1 else "%.2f s" % seconds


def fmt_mb(mb):
    return "-" if mb is None else "%.0f MB" % mb


def cpu_ratio(ours, reference):
    """ ", cpu 0.42 x": the same ratio in CPU seconds, which a busy machine disturbs less."""
    if not ours or not reference:
        return ""
    return ", cpu %.2f x" % (ours / reference)


def verdict(ok):
    return "not measured" if ok is None else ("met" if ok else "not met")


class Table:
    def __init__(self, args):
        self.build = os.path.abspath(args[1])
        self.data = arg("--data", "/work/benchdata")
        self.runs = int(arg("--runs", "3"))
        self.skip_peers = "--skip-peers" in args
        self.skip_huge_peers = self.skip_peers or "--skip-huge-peers" in args
        self.skip_ui = "--skip-ui" in args
        self.peer_cache = arg("--peer-cache", "/tmp/rowbit-bench-peers")
        self.wanted = arg("--rows", ",".join(ALL_ROWS)).split(",")
        unknown = [w for w in self.wanted if w not in ALL_ROWS]
        if unknown:
            sys.exit("unknown row %s; the rows are %s" % (", ".join(unknown), ", ".join(ALL_ROWS)))
        self.doc = os.path.join(self.build, "bench", "document_bench")
        self.xls = os.path.join(self.build, "bench", "xls_bench")
        self.xlsx = os.path.join(self.build, "bench", "xlsx_bench")
        self.cli = os.path.join(self.build, "src", "rowbit-cli")
        self.window = os.path.join(self.build, "src", "rowbit")
        self.big_xls = os.path.join(self.data, "big.xls")
        self.big_xlsx = os.path.join(self.data, "big.xlsx")
        self.huge = os.path.join(self.data, "huge.xlsx")
        self.work = tempfile.mkdtemp(prefix="rowbit-table-")
        self.rows = []
        self.notes = []
        self.cache = {}
        self.sheetjs = None

    # --- same-run references and Rowbit's runs, each done once however many rows use it ---

    def once(self, key, make):
        if key not in self.cache:
            self.cache[key] = make()
        return self.cache[key]

    def repeat(self, cmd, name, **kw):
        return [Process(cmd, **kw).check(name) for _ in range(self.runs)]

    def unzip(self, path):
        """Median wall and CPU of `unzip -p` of the first sheet part into /dev/null."""
        def make():
            part = first_sheet_part(path)
            runs = self.repeat(["unzip", "-p", path, part], "unzip", stdout_to=os.devnull)
            return median([r.wall for r in runs]), median([r.cpu for r in runs])
        return self.once(("unzip", path), make)

    def xlrd(self):
        """Median wall and CPU of xlrd reading every cell of big.xls, a whole process."""
        def make():
            runs = self.repeat([PY, "-c", XLRD_READ, self.big_xls], "xlrd")
            return median([r.wall for r in runs]), median([r.cpu for r in runs])
        return self.once("xlrd", make)

    def document(self, path, save):
        """document_bench on `path`: medians of its figures and of the process's wall, CPU
        and peak. With `save`, it also saves after 10 edits and saves the sorted list."""
        def make():
            cmd = [self.doc, path, "Seoul", "5"]
            if save:
                cmd.append(os.path.join(self.work, "saved" + os.path.splitext(path)[1]))
            runs = self.repeat(cmd, "document_bench")
            found = [figures(r.out) for r in runs]
            keys = set().union(*found)
            result = {k: median([f.get(k) for f in found]) for k in keys}
            result.update(process_wall=median([r.wall for r in runs]),
                          process_cpu=median([r.cpu for r in runs]),
                          process_peak=median([r.peak_mb for r in runs]))
            return result
        # A run with the saves gives the open figures too.
        if not save and (path, True) in self.cache:
            return self.cache[(path, True)]
        return self.once((path, save), make)

    # --- peers ---

    def sheetjs_package(self):
        """The folder of the npm package xlsx, installed into the peer cache when missing;
        None (with a note) without node or npm."""
        if self.sheetjs is not None:
            return self.sheetjs or None
        folder = os.path.join(self.peer_cache, "node_modules", "xlsx")
        if not os.path.isdir(folder):
            if not (shutil.which("node") and shutil.which("npm")):
                self.notes.append("SheetJS left out: node or npm is not installed.")
                self.sheetjs = ""
                return None
            os.makedirs(self.peer_cache, exist_ok=True)
            done = subprocess.run(["npm", "install", "--no-save", "--no-audit", "--no-fund",
                                   "--prefix", self.peer_cache, "xlsx"],
                                  capture_output=True, text=True)
            if done.returncode != 0 or not os.path.isdir(folder):
                self.notes.append("SheetJS left out: npm could not install the package xlsx (%s)."
                                  % done.stderr.strip().splitlines()[-1:])
                self.sheetjs = ""
                return None
        if not shutil.which("node"):
            self.notes.append("SheetJS left out: node is not installed.")
            self.sheetjs = ""
            return None
        try:
            with open(os.path.join(folder, "package.json")) as f:
                version = re.search(r'"version"\s*:\s*"([^"]+)"', f.read()).group(1)
            self.notes.append("SheetJS: npm xlsx %s from %s." % (version, self.peer_cache))
        except (OSError, AttributeError):
            pass
        self.sheetjs = folder
        return folder

    def peer(self, name, path, huge=False):
        """One peer's run on `path` as a text: wall (and peak), or how it failed; the README
        figure when peers are skipped."""
        def make():
            key = (name, os.path.basename(path))
            if self.skip_peers or (huge and self.skip_huge_peers):
                seconds, peak = README_PEERS[key]
                if isinstance(seconds, str):
                    return "%s %s (README)" % (name, seconds)
                return "%s %s%s (README)" % (name, fmt_s(seconds),
                                            ", " + fmt_mb(peak) if peak else "")
            if name == "openpyxl":
                cmd = [PY, "-c", OPENPYXL_READ, path]
            elif name == "openpyxl edit":
                cmd = [PY, "-c", OPENPYXL_EDIT, path, os.path.join(self.work, "openpyxl.xlsx")]
            elif name == "ssconvert":
                if not shutil.which("ssconvert"):
                    return "ssconvert not installed"
                out = os.path.join(self.work, "ssconvert.csv")
                cmd = ["ssconvert", "--export-type=Gnumeric_stf:stf_csv", path, out]
            elif name == "SheetJS":
                package = self.sheetjs_package()
                if package is None:
                    return "SheetJS left out"
                cmd = ["node", "-e", SHEETJS_READ, package, path]
            else:
                raise ValueError(name)
            run = Process(cmd, env=dict(os.environ, HOME=self.work))
            if run.status != 0:
                why = (run.stderr.strip().splitlines() or ["exit %d" % run.status])
                why = next((line for line in why if "Error" in line), why[-1]).strip()
                return "%s fails after %s, peak %s (%s)" % (name, fmt_s(run.wall),
                                                           fmt_mb(run.peak_mb), why[:80])
            return "%s %s (cpu %s), %s" % (name, fmt_s(run.wall), fmt_s(run.cpu),
                                           fmt_mb(run.peak_mb))
        return self.once(("peer", name, path), make)

    def peers(self, path, names, huge=False):
        return "; ".join(self.peer(n, path, huge) for n in names)

    # --- the rows ---

    def add(self, work, rowbit, reference="-", ratio="-", cpu=None, peak="-", peers="-",
            goals=()):
        """goals: (text, met) pairs; met is True, False or None (not measured)."""
        goal = "; ".join(g for g, _ in goals) or "-"
        met = "; ".join(verdict(ok) for _, ok in goals) or "-"
        self.rows.append((work, rowbit, reference, ratio, fmt_s(cpu), peak, peers, goal, met))

    def row_huge_open(self):
        d = self.document(self.huge, "huge-sort" in self.wanted)
        unzip_wall, unzip_cpu = self.unzip(self.huge)
        ratio = d["open"] / unzip_wall
        self.add('open huge.xlsx (1,000,000 rows), document_bench "open"', fmt_s(d["open"]),
                 "unzip -p sheet %s (cpu %s)" % (fmt_s(unzip_wall), fmt_s(unzip_cpu)),
                 "%.2f x unzip%s" % (ratio, cpu_ratio(d.get("open_cpu"), unzip_cpu)),
                 d.get("open_cpu"), "open " + fmt_mb(d["open_peak_mb"]),
                 self.peers(self.huge, ["openpyxl", "ssconvert", "SheetJS"], huge=True),
                 [("<= 0.35 x unzip", ratio <= 0.35),
                  ("open peak <= 400 MB", d["open_peak_mb"] <= 400)])

    def row_huge_sort(self):
        d = self.document(self.huge, True)
        unzip_wall, _ = self.unzip(self.huge)
        ratio = d["sort_save"] / unzip_wall
        sort_cmd = [self.cli, "sort", self.huge, "5", "--out",
                    os.path.join(self.work, "sorted.xlsx")]
        runs = self.repeat(sort_cmd, "rowbit-cli sort")
        wall, cpu = median([r.wall for r in runs]), median([r.cpu for r in runs])
        peak = median([r.peak_mb for r in runs])
        self.add("sort huge.xlsx and save (document_bench \"sort_save\"; whole process: "
                 "rowbit-cli sort)", "%s; process %s" % (fmt_s(d["sort_save"]), fmt_s(wall)),
                 "unzip -p sheet %s" % fmt_s(unzip_wall), "%.2f x unzip" % ratio, cpu,
                 "process " + fmt_mb(peak), "-",
                 [("sort_save <= 0.5 x unzip", ratio <= 0.5), ("process peak <= 600 MB",
                                                               peak <= 600)])

    def row_xls_open(self):
        d = self.document(self.big_xls, "xls-save" in self.wanted)
        xlrd_wall, xlrd_cpu = self.xlrd()
        faster = xlrd_wall / d["open"]
        self.add('open big.xls (65,535 rows), document_bench "open"', fmt_s(d["open"]),
                 "xlrd every cell %s (cpu %s)" % (fmt_s(xlrd_wall), fmt_s(xlrd_cpu)),
                 "%.1f x faster than xlrd%s" % (faster, cpu_ratio(xlrd_cpu, d.get("open_cpu"))),
                 d.get("open_cpu"),
                 "open " + fmt_mb(d["open_peak_mb"]),
                 self.peers(self.big_xls, ["ssconvert", "SheetJS"]),
                 [(">= 25 x xlrd", faster >= 25)])

    def row_list(self):
        d = self.document(self.huge, "huge-sort" in self.wanted)
        # The title line comes first; the second line is the first record.
        runs = self.repeat([self.cli, "list", self.huge], "rowbit-cli list", first_lines=2)
        wall, cpu = median([r.wall for r in runs]), median([r.cpu for r in runs])
        peak = median([r.peak_mb for r in runs])
        first = median([r.line_times[1] if len(r.line_times) > 1 else None for r in runs])
        ratio = wall / d["open"]
        self.add("rowbit-cli list huge.xlsx > /dev/null",
                 "%s; first record after %s" % (fmt_s(wall), fmt_s(first)),
                 "the open %s, peak %s" % (fmt_s(d["open"]), fmt_mb(d["open_peak_mb"])),
                 "%.2f x the open; first record at %.2f of the run" %
                 (ratio, first / wall if first is not None else float("nan")),
                 cpu, "process " + fmt_mb(peak), "-",
                 [("<= 1.2 x the open", ratio <= 1.2),
                  ("peak <= the open's", peak <= d["open_peak_mb"]),
                  ("first record <= 0.1 x the run",
                   None if first is None else first <= 0.1 * wall)])

    def row_window(self):
        work = "the window: start to list shown, huge.xlsx with a settings sheet"
        goal_text = "first screen of records <= 0.5 s"
        missing = [t for t in ("Xvfb", "xdotool") if not shutil.which(t)]
        why = None
        if self.skip_ui:
            why = "left out (--skip-ui)"
        elif missing:
            why = "left out: %s not installed" % " and ".join(missing)
        elif not os.path.exists(self.window):
            why = "left out: %s not built" % self.window
        if why:
            self.add(work, why, goals=[(goal_text, None)])
            return
        # A copy of huge.xlsx saved by Rowbit, so that it carries a settings sheet; its name
        # stays, since the window's title is polled for it.
        folder = os.path.join(self.work, "settings")
        os.makedirs(folder, exist_ok=True)
        copy = os.path.join(folder, os.path.basename(self.huge))
        Process([self.cli, "resave", self.huge, "--out", copy]).check("rowbit-cli resave")
        ui = Process([PY, os.path.join(HERE, "ui_open_bench.py"), self.window, copy,
                      str(self.runs), "--ini", "CheckVersion=0"]).check("ui_open_bench.py")
        out = ui.out

        def seconds(pattern):
            found = [float(m) for m in re.findall(pattern, out)]
            return median(found), len(found)

        listed, n_list = seconds(r"list shown ([0-9.]+) s")
        if n_list == 0:
            listed, n_list = seconds(r"list filled, a message box shown ([0-9.]+) s")
        first, n_first = seconds(r"first records shown ([0-9.]+) s")
        parts = []
        if n_first:
            parts.append("first records shown %s" % fmt_s(first))
        if n_list:
            parts.append("list shown %s" % fmt_s(listed))
        failed = len(re.findall(r"did not show", out))
        if failed:
            parts.append("%d run(s) did not show within 60 s" % failed)
            said = [line for line in ui.stderr.splitlines() if "XDG_RUNTIME_DIR" not in line]
            if said:
                self.notes.append("The window's runs said: " + " / ".join(said[:3]))
        # Beside the open of document_bench when this run has it.
        opened = next((self.cache[(self.huge, save)]["open"] for save in (True, False)
                       if (self.huge, save) in self.cache), None)
        reference, ratio = "-", "-"
        if opened and listed:
            reference = "the open %s" % fmt_s(opened)
            ratio = "list shown at %.2f x the open" % (listed / opened)
        self.add(work, "; ".join(parts) or "no figure: " + out.strip()[:80],
                 reference, ratio, None, "-", "-",
                 [(goal_text, None if first is None else first <= 0.5)])

    def row_xlsx_open(self):
        d = self.document(self.big_xlsx, False)
        unzip_wall, unzip_cpu = self.unzip(self.big_xlsx)
        ratio = d["open"] / unzip_wall
        self.add('open big.xlsx (200,000 rows), document_bench "open"', fmt_s(d["open"]),
                 "unzip -p sheet %s (cpu %s)" % (fmt_s(unzip_wall), fmt_s(unzip_cpu)),
                 "%.2f x unzip%s" % (ratio, cpu_ratio(d.get("open_cpu"), unzip_cpu)),
                 d.get("open_cpu"), "open " + fmt_mb(d["open_peak_mb"]),
                 self.peers(self.big_xlsx, ["openpyxl", "ssconvert", "SheetJS"]),
                 [("<= 0.35 x unzip", ratio <= 0.35)])

    def row_xls_engine(self):
        # xls_bench: best of its own 5 runs in one process, median over ours.
        runs = self.repeat([self.xls, self.big_xls, "5"], "xls_bench")
        found = [figures(r.out) for r in runs]
        read = median([f["load_read_s"] for f in found])
        read_cpu = median([f["load_read_cpu_s"] for f in found])
        self.cache["xls engine save"] = (median([f["save_s"] for f in found]),
                                         median([f["save_cpu_s"] for f in found]))
        xlrd_wall, _ = self.xlrd()
        self.add("load + read every cell of big.xls (engine, xls_bench)", fmt_s(read),
                 "xlrd every cell %s" % fmt_s(xlrd_wall), "%.1f x faster than xlrd" %
                 (xlrd_wall / read), read_cpu, "-", "-", [("<= 0.08 s", read <= 0.08)])

    def row_xls_save(self):
        d = self.document(self.big_xls, True)
        engine = ""
        if "xls engine save" in self.cache:
            engine = "; engine %s (cpu %s, xls_bench)" % tuple(
                fmt_s(s) for s in self.cache["xls engine save"])
        self.add("save big.xls after 10 edits; then sorted by a column and saved",
                 "%s, sorted %s (document_bench)%s" % (fmt_s(d["save"]), fmt_s(d["sort_save"]),
                                                       engine),
                 goals=[("save <= 0.2 s", d["save"] <= 0.2)])

    def row_xlsx_edit(self):
        edited = os.path.join(self.work, "edited.xlsx")
        runs = self.repeat([self.xlsx, "edit", self.big_xlsx, edited], "xlsx_bench")
        found = [figures(r.out) for r in runs]
        total = median([f["total_s"] for f in found])
        self.add("load big.xlsx, change 10 cells, save (engine, xlsx_bench)", fmt_s(total),
                 cpu=median([f["cpu_s"] for f in found]),
                 peak=fmt_mb(median([r.peak_mb for r in runs])),
                 peers=self.peers(self.big_xlsx, ["openpyxl edit"]))

    def run(self):
        load_before = " ".join(open("/proc/loadavg").read().split()[:3])
        try:
            for key in ALL_ROWS:
                if key in self.wanted:
                    getattr(self, "row_" + key.replace("-", "_"))()
        finally:
            shutil.rmtree(self.work, ignore_errors=True)
        load_after = " ".join(open("/proc/loadavg").read().split()[:3])
        print("| work | Rowbit | same-run reference | ratio | cpu | peak | peers | goal | met |")
        print("|---|---|---|---|---|---|---|---|---|")
        for row in self.rows:
            print("| %s |" % " | ".join(row))
        print()
        print("Rowbit and the references: median of %d runs; peers: one run. Load average "
              "before: %s, after: %s (%d cores)." % (self.runs, load_before, load_after,
                                                     os.cpu_count()))
        if self.skip_peers:
            print("Peers not run (--skip-peers): their figures are those of the reference README.")
        elif self.skip_huge_peers:
            print("Peers on huge.xlsx not run (--skip-huge-peers): their figures are those of "
                  "the reference README.")
        for note in self.notes:
            print(note)


def main():
    if len(sys.argv) < 2 or sys.argv[1].startswith("--"):
        sys.exit(__doc__)
    Table(sys.argv).run()


if __name__ == "__main__":
    main()
