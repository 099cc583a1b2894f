#!/usr/bin/env python3
"""Runs a GoogleTest program as one ctest entry and fails when it ran no test.

    gtest_program.py <program> [program arguments...]

A program started with a --gtest_filter exits 0 when the filter matches
nothing, and so does one whose every test skipped: as one ctest entry either
would read as a pass. This runs the program with a JSON report of its own,
passes its exit status on, and turns an exit 0 with no completed test into a
failure that names what was selected.

A test that skipped among others that ran is named, and the last line then
reads "gtest_program: SKIPPED <n> of <m> selected tests", which the entry's
SKIP_REGULAR_EXPRESSION turns into a skip of the whole entry: it is listed
among the tests that did not run, as a skipped test of a program whose
tests ctest knows one by one would be.
"""

import json
import os
import subprocess
import sys
import tempfile


# The entry's SKIP_REGULAR_EXPRESSION (tests/support/ProgramTest.cmake).
SKIPPED_LINE = "gtest_program: SKIPPED %d of %d selected tests"


def run_tests(report):
    """(completed count, names of the skipped) of the tests the report lists
    as run."""
    completed, skipped = 0, []
    for suite in report.get("testsuites", []):
        for test in suite.get("testsuite", []):
            if test.get("status") != "RUN":
                continue
            if test.get("result") == "SKIPPED":
                skipped.append("%s.%s" % (suite.get("name", "?"), test.get("name", "?")))
            else:
                completed += 1
    return completed, skipped


def main(argv):
    if len(argv) < 2:
        print("usage: gtest_program.py <program> [arguments...]", file=sys.stderr)
        return 2
    program, args = argv[1], argv[2:]
    fd, report_path = tempfile.mkstemp(prefix="gtest-report-", suffix=".json")
    os.close(fd)
    try:
        # The report's own option comes last, so that it wins over one in the
        # arguments or in GTEST_OUTPUT.
        status = subprocess.call([program] + args + ["--gtest_output=json:" + report_path])
        if status != 0:
            if status < 0:
                print("gtest_program: %s ended by signal %d" % (program, -status), file=sys.stderr)
                return 1
            return status
        try:
            with open(report_path, encoding="utf-8") as f:
                report = json.load(f)
        except (OSError, ValueError) as e:
            print("gtest_program: no readable report from %s: %s" % (program, e), file=sys.stderr)
            return 1
        completed, skipped = run_tests(report)
        if completed == 0:
            print("gtest_program: %s %s ran no test (%d skipped): a run that tests nothing fails"
                  % (os.path.basename(program), " ".join(args), len(skipped)), file=sys.stderr)
            return 1
        if skipped:
            for name in skipped:
                print("gtest_program: skipped %s" % name)
            print(SKIPPED_LINE % (len(skipped), completed + len(skipped)))
        return 0
    finally:
        os.unlink(report_path)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
