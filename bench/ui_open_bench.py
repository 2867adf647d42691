#!/usr/bin/python3
"""How long the desktop program takes from start to showing a workbook's list.

    /usr/bin/python3 ui_open_bench.py ROWBIT_BINARY WORKBOOK [RUNS] [--ini KEY=VALUE ...]

Starts Rowbit under a private Xvfb display on the workbook (one with settings, so that no
preview question stops the opening) and polls the window title: it changes to the file's name
right after the list is filled and formatted. A message the opening puts up (cells too long
for the list) counts as the end too: the list is filled by then. Prints the seconds of each
run. Needs xvfb and xdotool. Each --ini entry goes into the [Rowbit] section of the
Rowbit.INI the program starts with (CheckVersion=0, VersionURL=http://127.0.0.1:PORT/...).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time


def wait_for_list(display, want, pid, timeout):
    """Seconds until the main window is titled `want` ("list"), or until a second window of
    the program shows ("message": a message box the opening put up, such as the report of
    cells too long for the list), or None."""
    start = time.time()
    env = dict(os.environ, DISPLAY=display)

    def search(*args):
        out = subprocess.run(["xdotool", "search", *args], env=env, capture_output=True,
                             text=True).stdout
        return out.split()

    while time.time() - start < timeout:
        if search("--name", want):
            return time.time(), "list"
        if len(search("--onlyvisible", "--pid", str(pid))) >= 2:
            return time.time(), "message"
        time.sleep(0.02)
    return None, None


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
                env = dict(os.environ, DISPLAY=display, HOME=home)
                env.pop("QT_QPA_PLATFORM", None)
                start = time.time()
                app = subprocess.Popen([binary, copy], cwd=home, env=env)
                shown, what = wait_for_list(display, os.path.basename(workbook), app.pid, 60)
                app.kill()
                app.wait()
                if shown is None:
                    print("run %d: the list did not show within 60 s" % (run + 1))
                elif what == "list":
                    print("run %d: list shown %.2f s after start" % (run + 1, shown - start))
                else:
                    print("run %d: list filled, a message box shown %.2f s after start"
                          % (run + 1, shown - start))
    finally:
        xvfb.kill()


if __name__ == "__main__":
    main()
