"""What the peer scripts share: the failures found so far, a check that records one, and a run
of rowbit-cli (the scripts' first argument) giving its exit code, output and error text."""
import os
import subprocess
import sys

CLI = os.path.abspath(sys.argv[1])
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def run(*args, cwd=None):
    p = subprocess.run([CLI] + list(args), capture_output=True, cwd=cwd)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8", "replace")
