#!/usr/bin/env python3
"""Ctrl-C (Wine turns SIGINT into the console's Ctrl-C event) while
marvolt-season.exe writes a site under Wine: the process is stopped now and
then until a temporary file of the site is seen while it stands still, then
interrupted; afterwards no temporary file may be left, and the site must be
unfinished (the interrupt came while files were still to be written).

Usage: wine_interrupt.py MARVOLT_SEASON_EXE ROUND.rpy... (WINEPREFIX set)"""
import os
import signal
import subprocess
import sys
import tempfile
import time


def temporaries(site):
    return [n for n in os.listdir(site) if n.endswith(".tmp")] if os.path.isdir(site) else []


def main(exe, rounds):
    with tempfile.TemporaryDirectory() as folder:
        site = os.path.join(folder, "site")
        args = ["wine", exe, "--site", site] + [rounds[r % len(rounds)] for r in range(80)]
        child = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 env=dict(os.environ, WINEDEBUG="-all"))
        in_flight = False
        while not in_flight and child.poll() is None:
            time.sleep(0.001)
            os.kill(child.pid, signal.SIGSTOP)
            in_flight = bool(temporaries(site))
            if in_flight:
                os.kill(child.pid, signal.SIGINT)
            os.kill(child.pid, signal.SIGCONT)
        child.wait(timeout=120)
        left = temporaries(site)
        written = len(os.listdir(site))
    if not in_flight:
        sys.exit("wine_interrupt: the site was written before a temporary file was seen")
    if left or written >= 2 * 80:
        sys.exit(f"wine_interrupt: after Ctrl-C {written} files, temporary files left: {left}")
    print(f"wine_interrupt: Ctrl-C with a temporary file in flight left none ({written} files written)")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
