#!/usr/bin/env python3
"""Runs a Google Benchmark program once, briefly, as a ctest entry.

    benchmark_once.py <program> [program arguments...]

Each benchmark runs for a moment only (--benchmark_min_time; benchmarks with
a fixed iteration count run those): the figures mean nothing, the point is
that every benchmark still runs to its end. A benchmark that stops with
SkipWithError leaves the program's exit status 0, so the JSON report is read:
the entry fails when any benchmark reported an error, or when none ran.

PostgreSQL benchmarks (named "...postgres...", as the tests that need the
suite's server are) run on the server whose settings the file PG_TEST_ENV
names. When that file holds none (no server could be started) they are left
out, as the tests skip theirs, unless CI or REQUIRE_POSTGRES=1 is set.
"""

import json
import os
import subprocess
import sys
import tempfile

# Seconds per benchmark; the Google Benchmark of Debian 12 takes a plain
# number here (no "s" suffix).
MIN_TIME = "0.01"


def postgres_required():
    return bool(os.environ.get("CI")) or os.environ.get("REQUIRE_POSTGRES") == "1"


def server_missing():
    """True when PG_TEST_ENV names a file without a server's settings."""
    env_file = os.environ.get("PG_TEST_ENV")
    if not env_file:
        return False
    try:
        with open(env_file, encoding="utf-8") as f:
            return not any("=" in line for line in f)
    except OSError:
        return True


def main(argv):
    if len(argv) < 2:
        print("usage: benchmark_once.py <program> [arguments...]", file=sys.stderr)
        return 2
    program, args = argv[1], argv[2:]
    name = os.path.basename(program)
    fd, report_path = tempfile.mkstemp(prefix="benchmark-report-", suffix=".json")
    os.close(fd)
    if server_missing() and not postgres_required():
        print("benchmark_once: no PostgreSQL test server: the PostgreSQL benchmarks are left out")
        args = args + ["--benchmark_filter=-postgres"]
    try:
        status = subprocess.call([program, "--benchmark_min_time=" + MIN_TIME] + args +
                                 ["--benchmark_out=" + report_path, "--benchmark_out_format=json"])
        if status != 0:
            print("benchmark_once: %s exited with status %d" % (name, status), file=sys.stderr)
            return 1
        try:
            with open(report_path, encoding="utf-8") as f:
                runs = json.load(f).get("benchmarks", [])
        except (OSError, ValueError) as e:
            print("benchmark_once: no readable report from %s: %s" % (name, e), file=sys.stderr)
            return 1
        errors = [(r.get("name", "?"), r.get("error_message", "")) for r in runs if r.get("error_occurred")]
        for bench, message in errors:
            print("benchmark_once: %s: %s failed: %s" % (name, bench, message), file=sys.stderr)
        if not runs:
            print("benchmark_once: %s ran no benchmark" % name, file=sys.stderr)
            return 1
        return 1 if errors else 0
    finally:
        os.unlink(report_path)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
