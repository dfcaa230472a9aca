#!/usr/bin/env python3
"""Runs the Windows programs under Wine beside the Linux programs on the same
inputs and compares what they did: standard output, the files left behind and
the exit status byte for byte, standard error up to the spelling of paths.
Then the cases of Windows alone: backslash and drive-letter paths, output
protection under another spelling of a name, the carset search in the game's
Windows folders and --no-std-conv.

Usage: compare-windows.py LINUX_BIN_DIR WINDOWS_BIN_DIR CORPUS_DIR EXAMPLES_DIR WORK_DIR
Wine runs in $WINEPREFIX, whose server the caller keeps running.
"""
import concurrent.futures
import difflib
import os
import re
import shlex
import shutil
import subprocess
import sys
from pathlib import Path

FORMATS = {"txt": "txt", "semikv": "txt", "json": "json", "html": "html"}
SEASON_FORMATS = ["txt", "json", "html"]
# Wine without address space randomisation: with it, a program now and then
# fails to start ("failed to map the shared user data") when a library lands
# where Windows keeps a fixed page. Plain wine where the personality cannot be set.
WINE = (["setarch", os.uname().machine, "-R", "wine"]
        if subprocess.run(["setarch", os.uname().machine, "-R", "true"], capture_output=True).returncode == 0
        else ["wine"])
CARSETS = [[], ["--cst", "gpl67.cst"], ["--cst", "crlf.cst"], ["--cst-auto"]]
NON_ASCII = "Gro\u00dfer Preis \u2013 \u65e5\u672c \U0001f3c1.rpy"


def windows_path(path):
    """The path under which Wine's drive Z: (the Linux root) shows `path`."""
    return "Z:" + str(path).replace("/", "\\")


class Case:
    """One run on both sides; `windows_args` when Windows is given other spellings."""

    def __init__(self, name, program, args, windows_args=None, cwd="."):
        self.name, self.program, self.cwd = name, program, cwd
        self.args, self.windows_args = args, windows_args if windows_args is not None else args


class Sides:
    def __init__(self, linux_bin, windows_bin, work):
        self.linux_bin, self.windows_bin = Path(linux_bin).resolve(), Path(windows_bin).resolve()
        self.linux, self.windows = (Path(work) / "linux").resolve(), (Path(work) / "windows").resolve()

    def run(self, side, program, args, cwd="."):
        if side == "linux":
            command, folder = [str(self.linux_bin / program)], self.linux
        else:
            command, folder = WINE + [str(self.windows_bin / (program + ".exe"))], self.windows
        done = subprocess.run(command + args, cwd=folder / cwd, input=b"", capture_output=True, timeout=300)
        return done.stdout, done.stderr, done.returncode

    def error_text(self, side, err):
        """Standard error with the side's folder as <DIR> and every separator as '/'."""
        text = err.decode("utf-8", "surrogateescape")
        if side == "linux":
            return text.replace(str(self.linux), "<DIR>")
        for spelling in (windows_path(self.windows), windows_path(self.windows).replace("\\", "/")):
            text = text.replace(spelling, "<DIR>")
        return text.replace("\\", "/")


def diff(label, a, b):
    a_lines = a.splitlines(keepends=True) if isinstance(a, str) else repr(a[:4000]).split("\\n")
    b_lines = b.splitlines(keepends=True) if isinstance(b, str) else repr(b[:4000]).split("\\n")
    lines = list(difflib.unified_diff(a_lines, b_lines, "linux " + label, "windows " + label, n=1))
    return "".join(line if line.endswith("\n") else line + "\n" for line in lines[:30])


def compare(sides, case):
    """The differences of one case between the two sides, as text ('' when none)."""
    out_l, err_l, status_l = sides.run("linux", case.program, case.args, case.cwd)
    out_w, err_w, status_w = sides.run("windows", case.program, case.windows_args, case.cwd)
    problems = []
    if status_l != status_w:
        problems.append(f"exit status {status_l} on Linux, {status_w} on Windows\n")
    if out_l != out_w:
        problems.append(diff("stdout", out_l, out_w) or f"stdout differs after its first 4000 bytes ({len(out_l)} and {len(out_w)} bytes)\n")
    if sides.error_text("linux", err_l) != sides.error_text("windows", err_w):
        problems.append(diff("stderr", sides.error_text("linux", err_l), sides.error_text("windows", err_w)))
    return "".join(problems)


def corpus_cases(corpus):
    replays = sorted(p.name for p in corpus.glob("*.rpy"))
    cases = []
    for i, replay in enumerate(replays):
        stem, carset = Path(replay).stem, CARSETS[i % len(CARSETS)]
        for fmt, ext in FORMATS.items():
            cases.append(Case(f"{stem} {fmt}", "marvolt", carset + [f"--format={fmt}", replay]))
            cases.append(Case(f"{stem} {fmt} laps", "marvolt", carset + ["--laps", f"--format={fmt}", replay]))
            cases.append(Case(f"{stem} {fmt} file", "marvolt",
                              carset + ["--no-header", "--laps", f"--format={fmt}", "-o", f"out/{stem}-{fmt}.{ext}", replay]))
    weekends = [r for r in replays if r.startswith("weekend-")]
    for g in range(0, len(weekends), 5):
        fmt = SEASON_FORMATS[g // 5 % 3]
        scoring = ["--points=10,8,6,5,4,3,2,1", "--fastest-lap=1", "--best=3"] if g % 2 else []
        cases.append(Case(f"season {g} {fmt}", "marvolt-season",
                          scoring + ["--cst", "gpl67.cst", f"--format={fmt}"] + weekends[g:g + 5]))
    cases.append(Case("season damaged", "marvolt-season", weekends[:2] + ["damaged-cut-middle.rpy"]))
    return cases


def example_cases():
    cases = []
    rounds = [f"season/round{r}.rpy" for r in range(1, 5)]
    for fmt in FORMATS:
        cases.append(Case(f"sample {fmt}", "marvolt", ["--cst", "sample.cst", f"--format={fmt}", "sample.rpy"]))
        cases.append(Case(f"sample {fmt} laps", "marvolt", ["--laps", "--cst", "sample.cst", f"--format={fmt}", "sample.rpy"]))
    for fmt in SEASON_FORMATS:
        cases.append(Case(f"sample season {fmt}", "marvolt-season", ["--cst", "sample.cst", f"--format={fmt}"] + rounds))
        cases.append(Case(f"sample season {fmt} file", "marvolt-season",
                          [f"--format={fmt}", "-o", f"out/season.{fmt}"] + rounds))
    return cases


def command_line_cases(sides):
    """The command line, its failures and the output file's rules, in the same words on both sides."""
    lin, win = sides.linux, windows_path(sides.windows)
    cases = [Case(f"marvolt {' '.join(args)}", "marvolt", args) for args in (
        [], ["--help"], ["--version"], ["-x"], ["--laps"], ["missing.rpy"], ["out"],
        ["--cst", "missing.cst", "sample.rpy"], ["--cst", "broken.cst", "sample.rpy"], ["--cst", "ctrlz.cst", "sample.rpy"],
        ["-o", "exists.txt", "sample.rpy"], ["-o", "replace-me.txt", "--force", "sample.rpy"],
        ["-o", "sample.rpy", "--force", "sample.rpy"], ["--cst", "sample.cst", "-o", "sample.cst", "--force", "sample.rpy"],
        ["-o", "nowhere/out.txt", "sample.rpy"], ["-o", "out", "--force", "sample.rpy"], ["-o", "new/", "sample.rpy"],
        ["-o", "sample.cst/", "sample.rpy"], ["-o", "nowhere/new/", "sample.rpy"],
        ["-osame", "--format=json", NON_ASCII], ["-osame", "--format=html", "--force", "sub/weekend-04.rpy"])]
    cases += [Case(f"marvolt-season {' '.join(args)}", "marvolt-season", args) for args in (
        [], ["--help"], ["--version"], ["--best=0"], ["-o", "exists.txt", "weekend-01.rpy"])]
    # The same files named with Windows' spellings: the same results.
    cases += [
        Case("backslash path", "marvolt", ["--cst", "sub/gpl67.cst", "sub/weekend-04.rpy"],
             ["--cst", "sub\\gpl67.cst", "sub\\weekend-04.rpy"]),
        Case("-osame backslash", "marvolt", ["-osame", "sub/weekend-05.rpy"], ["-osame", "sub\\weekend-05.rpy"]),
        Case("drive letter", "marvolt", ["-o", f"{lin}/out/drive.txt", f"{lin}/weekend-06.rpy"],
             ["-o", f"{win}\\out\\drive.txt", f"{win}\\weekend-06.rpy"]),
        Case("drive letter slashes", "marvolt", ["-o", f"{lin}/out/slashes.txt", f"{lin}/weekend-07.rpy"],
             ["-o", f"{win}/out/slashes.txt".replace("\\", "/"), f"{win}/weekend-07.rpy".replace("\\", "/")]),
        Case("working folder in the path", "marvolt", ["-o", "./out/dot.txt", "./sub/../weekend-08.rpy"],
             ["-o", ".\\out\\dot.txt", ".\\sub\\..\\weekend-08.rpy"]),
        # An option of Windows alone, which changes nothing where no console is.
        Case("--no-std-conv", "marvolt", ["--laps", "sample.rpy"], ["--no-std-conv", "--laps", "sample.rpy"]),
    ]
    return cases


def console_text(sides, args):
    """What marvolt.exe shows on a console: Wine's console on a pseudo-terminal (script)."""
    command = " ".join(shlex.quote(a) for a in WINE + [str(sides.windows_bin / "marvolt.exe")] + args)
    done = subprocess.run(["script", "-qec", command, "/dev/null"], cwd=sides.windows, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=300)
    return done.stdout.decode("utf-8", "replace").replace("\r", "")


def check_windows_alone(sides, prefix):
    """Cases with no Linux counterpart of the same spelling; returns the failures."""
    failures = []

    def expect(name, args, status, err_pattern, cwd="."):
        out, err, code = sides.run("windows", "marvolt", args, cwd)
        text = err.decode("utf-8", "replace")
        if code != status or not re.fullmatch(err_pattern, text, re.S):
            failures.append(f"{name}: status {code}, stderr {text!r}")
        return out

    # The same file under another spelling is still the replay or the carset: refused.
    replay, carset = sides.windows / "weekend-09.rpy", sides.windows / "gpl67.cst"
    before = replay.read_bytes(), carset.read_bytes()
    expect("replay as output, upper case", ["-o", ".\\WEEKEND-09.RPY", "--force", "weekend-09.rpy"], 1,
           r"Output file \.\\WEEKEND-09\.RPY is the replay file weekend-09\.rpy; it is not overwritten\n")
    expect("carset as output, drive path", ["--cst", "gpl67.cst", "-o", windows_path(carset).upper(), "--force",
                                            "weekend-09.rpy"], 1, r".*is the carset file gpl67\.cst; it is not overwritten\n")
    if (replay.read_bytes(), carset.read_bytes()) != before:
        failures.append("a protected input was changed")

    # --cst-auto finds the carset in the game's folders on drive C:.
    linux_out, _, _ = sides.run("linux", "marvolt", ["--cst", "../gpl67.cst", "weekend-10.rpy"], "auto")
    for folder in ("Sierra/gpl/Mods/GEM+", "Program Files (x86)/GPL/Mods/GEM+"):
        target = Path(prefix) / "drive_c" / folder
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy(sides.windows / "gpl67.cst", target / "gpl67.cst")
        pattern = r"Using carset file C:[/\\]" + re.escape(folder).replace("/", r"[/\\]") + r"[/\\]gpl67\.cst\n"
        out = expect(f"--cst-auto in C:/{folder}", ["--cst-auto", "weekend-10.rpy"], 0, pattern, "auto")
        if out != linux_out:
            failures.append(f"--cst-auto in C:/{folder}: not the report of that carset")
        shutil.rmtree(Path(prefix) / "drive_c" / folder.split("/")[0])

    # A console shows the UTF-8 report whatever its code page; --no-std-conv
    # hands it the bytes, which it reads in its own code page.
    saver = "saver     : Ren\u00e9 M\u00fcller\n"
    if saver not in console_text(sides, ["--cst", "sample.cst", "sample.rpy"]):
        failures.append("console: the report is not shown as written")
    raw = console_text(sides, ["--no-std-conv", "--cst", "sample.cst", "sample.rpy"])
    if saver in raw or "saver     : " not in raw:
        failures.append("console with --no-std-conv: the bytes were converted, or nothing shown")
    return failures


def prepare(sides, corpus, examples):
    for side in (sides.linux, sides.windows):
        shutil.rmtree(side, ignore_errors=True)
        shutil.copytree(corpus, side)
        shutil.copy(examples / "sample.rpy", side)
        shutil.copy(examples / "sample.cst", side)
        shutil.copytree(examples / "season", side / "season")
        for folder in ("out", "sub", "auto"):
            (side / folder).mkdir()
        for name in ("weekend-04.rpy", "weekend-05.rpy", "gpl67.cst"):
            shutil.copy(side / name, side / "sub")
        shutil.copy(side / "weekend-10.rpy", side / "auto")
        (side / "exists.txt").write_bytes(b"old\n")
        (side / "replace-me.txt").write_bytes(b"old\n")


def compare_trees(sides):
    """The files both sides left behind: the same names, the same bytes."""
    failures = []
    names = {side: sorted(str(p.relative_to(side)) for p in side.rglob("*") if p.is_file())
             for side in (sides.linux, sides.windows)}
    if names[sides.linux] != names[sides.windows]:
        failures.append("files left behind differ:\n" + diff("files", "\n".join(names[sides.linux]) + "\n",
                                                             "\n".join(names[sides.windows]) + "\n"))
    for name in set(names[sides.linux]) & set(names[sides.windows]):
        if (sides.linux / name).read_bytes() != (sides.windows / name).read_bytes():
            failures.append(f"file {name} differs")
    return failures


def main():
    linux_bin, windows_bin, corpus, examples, work = sys.argv[1:6]
    sides = Sides(linux_bin, windows_bin, work)
    prepare(sides, Path(corpus), Path(examples))
    cases = example_cases() + corpus_cases(Path(corpus)) + command_line_cases(sides)
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        results = list(pool.map(lambda case: (case, compare(sides, case)), cases))
    failures = [f"{case.name}:\n{problem}" for case, problem in results if problem]
    failures += compare_trees(sides)
    failures += check_windows_alone(sides, os.environ["WINEPREFIX"])
    for failure in failures[:40]:
        print("FAIL", failure)
    replays = len(list(Path(corpus).glob("*.rpy")))
    print(f"compare-windows: {len(cases)} cases on {replays} built replays and the examples; "
          f"{len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
