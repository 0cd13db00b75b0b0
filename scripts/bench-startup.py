#!/usr/bin/env python3
"""Start-up benchmark: launches the utility offscreen N times and prints the median time from
launch to the window shown, and the peak memory (maximum resident set size).

Usage: scripts/bench-startup.py [--runs N] [PATH_TO_CORVANE]
Build it first in release mode, e.g.:
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-release
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def launch_once(binary, workdir, config):
    env = dict(os.environ)
    env.update(QT_QPA_PLATFORM="offscreen", CORVANE_STARTUP_PROBE="1", XDG_CONFIG_HOME=config)
    start = time.monotonic_ns()
    proc = subprocess.Popen([binary], cwd=workdir, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = proc.stdout.read().decode()
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0 or not out.startswith("shown "):
        sys.exit(f"{binary} did not report its window (exit {proc.returncode}, output {out!r})")
    shown = int(out.split()[1])
    return (shown - start) / 1e6, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=21)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("binary", nargs="?", default=os.path.join(root, "build-release", "Corvane"))
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)
    if not os.path.exists(args.binary):
        sys.exit(f"{args.binary} not found; build it first (see --help)")

    times, peaks = [], []
    with tempfile.TemporaryDirectory() as workdir, tempfile.TemporaryDirectory() as config:
        launch_once(args.binary, workdir, config)  # warm the page cache
        for _ in range(args.runs):
            ms, mb = launch_once(args.binary, workdir, config)
            times.append(ms)
            peaks.append(mb)
    times.sort()
    print(f"runs: {args.runs}")
    print(f"launch to window shown: median {statistics.median(times):.1f} ms, "
          f"min {times[0]:.1f} ms, p90 {times[int(0.9 * (len(times) - 1))]:.1f} ms (goal < 300 ms)")
    print(f"peak memory (max RSS): {max(peaks):.1f} MB, median {statistics.median(peaks):.1f} MB (goal < 60 MB)")


if __name__ == "__main__":
    main()
