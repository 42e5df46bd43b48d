#!/usr/bin/env python3
"""Makes deliberate faults one at a time and tells which of them the tests catch.

Each fault is a section of an INI file:

    [diagonal transport share]
    file = src/terrain/step_constants.h
    find = kDiagonalShare = 0.8f
    replace = kDiagonalShare = 0.79f
    tests = Oracle|Grid

`tests` is optional: a ctest -R pattern, else every test runs. `find` must occur exactly
once in the file; no comment may follow a value on its line (code holds semicolons). For
every fault the script puts the replacement in, builds, runs the tests (stopping at the
first failure) and puts the file back, even when it is interrupted. A fault is "caught"
when a test fails, "no build" when it does not compile (such a fault proves nothing: change
it) and "missed" when every test passes.

Usage: tools/fault_check.py FAULTS.ini [--build DIR] [--only NAME] [--jobs N] [--log FILE]
With --log, every outcome is also appended to FILE and faults already there are skipped, so
a long run can be stopped and taken up again. Run it in a worktree of its own: it edits the
source files while it works.
"""

import argparse
import configparser
import json
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(command, **kwargs):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, **kwargs)


def configure(build, jobs):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        result = run(["cmake", "-S", ".", "-B", build, "-G", "Ninja",
                      "-DCMAKE_BUILD_TYPE=Release", "-DQOR_BUILD_BENCH=OFF"])
        if result.returncode != 0:
            sys.exit("cmake failed:\n" + result.stdout)
    result = run(["cmake", "--build", build, "-j", str(jobs)])
    if result.returncode != 0:
        sys.exit("the unchanged tree does not build:\n" + result.stdout[-3000:])


def test_command(build, pattern, jobs):
    command = ["ctest", "--test-dir", build, "-j", str(jobs), "--timeout", "600",
               "--stop-on-failure"]
    if pattern:
        command += ["-R", pattern]
    if not os.environ.get("DISPLAY") and shutil.which("xvfb-run"):
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"] + command
    return command


def targets_of(build, pattern):
    """The programs that hold the tests the pattern selects (empty: build everything)."""
    if not pattern:
        return []
    listed = run(["ctest", "--test-dir", build, "-R", pattern, "--show-only=json-v1"])
    try:
        tests = json.loads(listed.stdout)["tests"]
    except (ValueError, KeyError):
        return []
    return sorted({os.path.basename(t["command"][0]) for t in tests if t.get("command")})


def check(name, fault, build, jobs):
    path = os.path.join(ROOT, fault["file"])
    with open(path, encoding="utf-8") as f:
        original = f.read()
    find = fault["find"]
    if original.count(find) != 1:
        return "bad fault: 'find' occurs %d times" % original.count(find), ""
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original.replace(find, fault["replace"]))
        targets = targets_of(build, fault.get("tests", ""))
        command = ["cmake", "--build", build, "-j", str(jobs)]
        built = run(command + (["--target"] + targets if targets else []))
        if built.returncode != 0 and targets and "unknown target" in built.stdout:
            built = run(command)
        if built.returncode != 0:
            return "no build", ""
        tested = run(test_command(build, fault.get("tests", ""), jobs))
        if tested.returncode == 0:
            return "missed", ""
        failed = [line.strip() for line in tested.stdout.splitlines()
                  if "***Failed" in line or "***Exception" in line or "***Timeout" in line]
        return "caught", failed[0] if failed else ""
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("faults")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-faults"))
    parser.add_argument("--only", help="the one fault to make")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--log", help="append outcomes here; skip the faults it holds")
    options = parser.parse_args()

    faults = configparser.ConfigParser(interpolation=None)
    faults.optionxform = str
    faults.read(options.faults, encoding="utf-8")
    names = [n for n in faults.sections() if not options.only or n == options.only]
    done = set()
    if options.log and os.path.exists(options.log):
        with open(options.log, encoding="utf-8") as f:
            done = {line.split("\t")[1] for line in f if line.count("\t") >= 2}
    names = [n for n in names if n not in done]
    configure(options.build, options.jobs)
    counts = {}
    for name in names:
        start = time.time()
        outcome, detail = check(name, faults[name], options.build, options.jobs)
        counts[outcome.split(":")[0]] = counts.get(outcome.split(":")[0], 0) + 1
        print("%-10s %-45s %4.0f s  %s" % (outcome, name, time.time() - start, detail),
              flush=True)
        if options.log:
            with open(options.log, "a", encoding="utf-8") as f:
                f.write("%s\t%s\t%s\n" % (outcome, name, detail))
    run(["cmake", "--build", options.build, "-j", str(options.jobs)])  # back to the clean tree
    print("; ".join("%s: %d" % item for item in sorted(counts.items())))
    return 0 if counts.get("missed", 0) == 0 and counts.get("no build", 0) == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
