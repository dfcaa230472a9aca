#!/usr/bin/python3
"""The HTML page of a replay as a reader sees it in a real browser.

    browser_check.py MARVOLT REPLAY CARSET [--screenshot PNG]

Writes the page of REPLAY (with CARSET and --laps), renders it in headless
Chromium, and checks that the rendered page holds every driver of the race
and the race's three charts, and that its screenshot is not blank: the car
colours of the page's swatches are there, with many shades around them.
With --screenshot the screenshot is kept at PNG (the README's picture), in
256 colours, which keep the page as it looks in a third of the bytes.
Exits 77, which the test declares as "skipped", when Chromium or python3-pil
is missing (the fonts come with Chromium's dependencies).
"""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

try:
    from PIL import Image
except ImportError:
    Image = None

SKIPPED = 77
WINDOW = "1280,4400"   # tall enough for the sample's tables and charts
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--hide-scrollbars"]


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(command, env=None):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=180, env=env)
    if done.returncode != 0:
        fail("%s ended with %d: %s" % (command[0], done.returncode, done.stderr.decode(errors="replace")))
    return done.stdout


def race_drivers(marvolt, replay, carset):
    """The driver names of the race classification, from the key=value report."""
    report = run([marvolt, "--format=semikv", "--cst", carset, replay]).decode()
    table = re.search(r"table_start;table=Race Results;\n(.*?)table_end;", report, re.S)
    if not table:
        fail("the replay has no race classification")
    return [dict(p.split("=", 1) for p in row.split(";") if "=" in p)["drivername"]
            for row in table.group(1).splitlines()]


def chromium(page, work, *flags):
    env = dict(os.environ, HOME=work)
    profile = tempfile.mkdtemp(dir=work)
    return run(["chromium"] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile] + list(flags)
               + ["file://" + page], env)


def check_dom(dom, drivers):
    missing = [name for name in drivers if html.escape(name, quote=False) not in dom]
    if missing:
        fail("drivers missing from the rendered page: %s" % missing)
    charts = re.findall(r'<svg class="chart[^"]*" id="(lapchart|gapchart|laptimechart)-\d+"', dom)
    if sorted(charts) != ["gapchart", "lapchart", "laptimechart"]:
        fail("the race's three charts are not all in the rendered page: %s" % charts)
    return set(re.findall(r'class="sw" style="background:(#[0-9a-f]{6})"', dom))


def check_screenshot(png, colours):
    image = Image.open(png).convert("RGB")
    counts = image.getcolors(maxcolors=1 << 24)
    shades = len(counts)
    background = max(counts)[0]
    drawn = 1 - background / (image.width * image.height)
    present = {"#%02x%02x%02x" % rgb for _, rgb in counts}
    shown = len(colours & present)
    if shades < 200 or drawn < 0.05 or shown < 0.9 * len(colours):
        fail("the screenshot looks blank: %d shades, %.1f %% drawn, %d of %d car colours"
             % (shades, 100 * drawn, shown, len(colours)))


def main():
    args = sys.argv[1:]
    keep = None
    if "--screenshot" in args:
        at = args.index("--screenshot")
        keep = os.path.abspath(args[at + 1])
        del args[at:at + 2]
    if len(args) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    marvolt, replay, carset = (os.path.abspath(a) for a in args)
    missing = [package for package, present in (("chromium", shutil.which("chromium")), ("python3-pil", Image))
               if not present]
    if missing:
        print("%s not installed: skipped" % " and ".join(missing))
        return SKIPPED
    with tempfile.TemporaryDirectory() as work:
        page = os.path.join(work, "sample.html")
        with open(page, "wb") as out:
            out.write(run([marvolt, "--format=html", "--laps", "--cst", carset, replay]))
        colours = check_dom(chromium(page, work, "--dump-dom").decode(), race_drivers(marvolt, replay, carset))
        png = os.path.join(work, "sample.png")
        chromium(page, work, "--screenshot=" + png, "--window-size=" + WINDOW)
        check_screenshot(png, colours)
        if keep:
            shot = Image.open(png).convert("RGB")
            shot.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(keep, optimize=True)
    print("the page renders: every driver, three charts, a screenshot in colour")
    return 0


if __name__ == "__main__":
    sys.exit(main())
