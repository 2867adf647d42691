#!/usr/bin/python3
"""How long the desktop program takes from start to showing a workbook's first records, and to
having its whole list.

    /usr/bin/python3 ui_open_bench.py ROWBIT_BINARY WORKBOOK [RUNS] [--ini KEY=VALUE ...]

Starts Rowbit under a private Xvfb display on the workbook (one with settings, so that no
preview question stops the opening). The program says on its standard error when the first
records are shown and when the list is complete (the logging category rowbit.opening, switched
on here). A program that does not say so is timed by its window title, which changes to the
file's name once the list is filled: then both times are that one. A message the opening puts
up (cells too long for the list) counts as the end too: the list is filled by then. Prints the
seconds of each run, with the CPU time and the peak memory of the program when its list was
complete. Needs xvfb and xdotool. Each --ini entry goes into the [Rowbit] section of the
Rowbit.INI the program starts with (CheckVersion=0, VersionURL=http://127.0.0.1:PORT/...).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

FIRST = "rowbit.opening: first records shown"
COMPLETE = "rowbit.opening: list complete"


class OpeningLog:
    """The times the program's standard error said each opening line, read on a thread."""

    def __init__(self, stream):
        self.seen = {}
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self.read, args=(stream,), daemon=True)
        self.thread.start()

    def read(self, stream):
        for raw in stream:
            line = raw.decode(errors="replace")
            for mark in (FIRST, COMPLETE):
                if mark in line:
                    with self.lock:
                        self.seen.setdefault(mark, time.time())

    def at(self, mark):
        with self.lock:
            return self.seen.get(mark)


def usage_of(pid):
    """CPU seconds (user + system) and peak resident memory in MB of a running process."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = os.sysconf("SC_CLK_TCK")
        cpu = (int(fields[11]) + int(fields[12])) / ticks
        peak = 0
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    peak = int(line.split()[1]) / 1024
        return cpu, peak
    except OSError:
        return None, None


def wait_for_opening(display, want, pid, log, timeout):
    """(first records shown, list complete, how it ended) as times, or Nones. It ends with
    "list" (the program said its list was complete, or its title changed and it says nothing
    of its opening) or "message" (a second window of the program: a message box the opening
    put up, such as the report of cells too long for the list)."""
    start = time.time()
    env = dict(os.environ, DISPLAY=display)

    def search(*args):
        out = subprocess.run(["xdotool", "search", *args], env=env, capture_output=True,
                             text=True).stdout
        return out.split()

    titled = None
    while time.time() - start < timeout:
        first, complete = log.at(FIRST), log.at(COMPLETE)
        if complete:
            return first or complete, complete, "list"
        if titled is None and search("--name", want):
            titled = time.time()
        # A program that logs its first records says so before it sets the title.
        if titled and not first and time.time() - titled > 1.0:
            return titled, titled, "list"
        if len(search("--onlyvisible", "--pid", str(pid))) >= 2:
            now = time.time()
            return first or titled or now, now, "message"
        time.sleep(0.02)
    return None, None, None


def main():
    args, ini = sys.argv[1:], []
    while "--ini" in args[:-1]:
        at = args.index("--ini")
        ini.append(args[at + 1])
        del args[at:at + 2]
    if len(args) < 2:
        sys.exit(__doc__)
    binary, workbook = os.path.abspath(args[0]), os.path.abspath(args[1])
    runs = int(args[2]) if len(args) > 2 else 3
    # Xvfb picks a free display and says which.
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    # Xvfb writes the number and its newline apart, and again at each reset (when the last
    # window closes, between runs): it dies when the pipe is closed by then. Hence -noreset,
    # and the number read up to its newline.
    said = b""
    while not said.endswith(b"\n"):
        more = os.read(read_end, 16)
        if not more:
            break
        said += more
    display = ":" + said.decode().strip()
    os.close(read_end)
    try:
        for run in range(runs):
            with tempfile.TemporaryDirectory() as home:
                # A start folder of its own: no recent files or placement from earlier runs.
                copy = os.path.join(home, os.path.basename(workbook))
                shutil.copyfile(workbook, copy)
                if ini:
                    with open(os.path.join(home, "Rowbit.INI"), "w") as f:
                        f.write("[Rowbit]\n" + "".join(line + "\n" for line in ini))
                env = dict(os.environ, DISPLAY=display, HOME=home,
                           QT_LOGGING_RULES="rowbit.opening.info=true")
                env.pop("QT_QPA_PLATFORM", None)
                start = time.time()
                app = subprocess.Popen([binary, copy], cwd=home, env=env,
                                       stderr=subprocess.PIPE)
                log = OpeningLog(app.stderr)
                first, complete, what = wait_for_opening(display, os.path.basename(workbook),
                                                         app.pid, log, 120)
                cpu, peak = usage_of(app.pid)
                app.kill()
                app.wait()
                if first is None:
                    print("run %d: the list did not show within 120 s" % (run + 1))
                    continue
                usage = ("; CPU %.2f s, peak %.0f MB" % (cpu, peak)) if cpu is not None else ""
                end = "list complete" if what == "list" else "list filled, a message box shown"
                print("run %d: first records shown %.2f s, %s %.2f s after start%s"
                      % (run + 1, first - start, end, complete - start, usage))
                sys.stdout.flush()
    finally:
        xvfb.kill()


if __name__ == "__main__":
    main()
