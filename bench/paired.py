#!/usr/bin/env python3
"""Paired whole-process timing: runs command A and command B in turn, N
times each (A B A B ...), each with its standard output read through a pipe
by this script as it comes, and prints per command the median wall time and
its spread (min and max), the median and spread of the ratio A/B taken pair
by pair (pairing keeps the ratio meaningful while the machine's speed
drifts), and the median ratio of the processes' own CPU time (user + system),
which other work on a shared machine moves less.

Usage: paired.py [-n RUNS] [--warmup W] [--prepare CMD] -- A... --vs B...
With --prepare, CMD (a shell command) runs before every run of A and of B.
Prints one line: "medianA minA maxA medianB minB maxB ratio ratioMin ratioMax cpuRatio"
(milliseconds)."""
import os
import statistics
import subprocess
import sys
import time


def run_once(argv, prepare):
    if prepare:
        subprocess.run(prepare, shell=True, check=True)
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    while child.stdout.read(65536):
        pass
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"{' '.join(argv)}: exit status {child.returncode}")
    return elapsed * 1000, usage.ru_utime + usage.ru_stime


def main(args):
    runs, warmup, prepare = 30, 3, None
    while args and args[0] != "--":
        if args[0] == "-n":
            runs = int(args[1])
        elif args[0] == "--warmup":
            warmup = int(args[1])
        elif args[0] == "--prepare":
            prepare = args[1]
        else:
            sys.exit(__doc__)
        args = args[2:]
    split = args.index("--vs")
    a, b = args[1:split], args[split + 1:]
    for _ in range(warmup):
        run_once(a, prepare)
        run_once(b, prepare)
    times = {"a": [], "b": []}
    cpu = {"a": [], "b": []}
    ratios = []
    for _ in range(runs):
        for side, argv in (("a", a), ("b", b)):
            wall, used = run_once(argv, prepare)
            times[side].append(wall)
            cpu[side].append(used)
        ratios.append(times["a"][-1] / times["b"][-1])
    fields = []
    for side in ("a", "b"):
        t = times[side]
        fields += [f"{statistics.median(t):.3f}", f"{min(t):.3f}", f"{max(t):.3f}"]
    fields += [f"{statistics.median(ratios):.2f}", f"{min(ratios):.2f}", f"{max(ratios):.2f}"]
    fields.append(f"{statistics.median(cpu['a']) / max(statistics.median(cpu['b']), 1e-6):.2f}")
    print(" ".join(fields))


if __name__ == "__main__":
    main(sys.argv[1:])
