"""What the peer scripts share: the failures found so far, a check that records one, a run
of rowbit-cli (the scripts' first argument) giving its exit code, output and error text, and
the running of a script's tests, each in a folder of its own."""
import os
import subprocess
import sys
import tempfile

CLI = os.path.abspath(sys.argv[1])
failures = []


def require_input(path):
    """A test input that must be there: a missing one ends the script with a failure naming
    it, never a pass on nothing."""
    if not os.path.exists(path):
        sys.exit("missing test input: " + path)
    return path


# The folders every peer script is given: the real workbooks and the project's test data.
for folder in sys.argv[2:4]:
    require_input(folder)


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def run(*args, cwd=None):
    p = subprocess.run([CLI] + list(args), capture_output=True, cwd=cwd)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8", "replace")


def run_tests(tests, name):
    """Runs (test, ending) pairs, each in a new folder (an ending of None: the test takes the
    folder alone); returns the script's exit code and says how it went."""
    with tempfile.TemporaryDirectory() as work:
        for test, ext in tests:
            folder = tempfile.mkdtemp(dir=work)
            try:
                test(folder, ext) if ext else test(folder)
            except Exception as e:  # a workbook the peers cannot read is a failure too
                check(False, "%s %s: %s: %s" % (test.__name__, ext, type(e).__name__, e))
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("%s peer checks passed" % name)
    return 0
