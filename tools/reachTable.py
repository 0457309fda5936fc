#!/usr/bin/python3
"""Prints how much of a ground a vehicle reaches, for each grade limit and number of headings,
as a Markdown table: batch plans of the program itself, whose distance.tif holds the nodata
value wherever no route reaches. The plans start from the program's default start for each
grade and set of moves, or from the cell START_X START_Y for all (ending at END_X END_Y).
With --side-slopes the table has a row for each side-slope limit (percent, or "none") and a
column for each grade of --grades (default 7,10), all at --moves moves (default 48).

Usage: reachTable.py [--side-slopes none,40,30 [--grades 7,10] [--moves 48]]
                     LANDSCAPE TERRAIN.tif [START_X START_Y END_X END_Y]
"""

import subprocess
import sys
import tempfile

import numpy as np
from osgeo import gdal

MOVES = (8, 16, 32, 48, 80, 96)
GRADES = (5, 7, 10)


def reached_share(landscape, terrain, ends, grade, moves, side="none"):
    """Share of the cells with ground that the plan reaches, percent."""
    lean = [] if side == "none" else ["--side-slope", side]
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([landscape, "--plan", *ends, "--no-tables", "--terrain", terrain, "--grade",
                        str(grade), "--moves", str(moves), *lean, "--out", out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A band lives only as long as its dataset: keep both open while reading.
        distance = gdal.Open(f"{out}/distance.tif")
        heights = gdal.Open(f"{out}/heights.tif")
        costs = distance.GetRasterBand(1)
        levels = heights.GetRasterBand(1)
        ground = levels.ReadAsArray() != levels.GetNoDataValue()
        reached = ground & (costs.ReadAsArray() != costs.GetNoDataValue())
        return 100.0 * reached.sum() / ground.sum()


def side_slope_table(argv, options):
    """Rows of side-slope limits, columns of grades."""
    grades = options.get("--grades", "7,10").split(",")
    moves = options.get("--moves", "48")
    print("| side slope | " + " | ".join(f"{g} % grade" for g in grades) + " |")
    print("|---" * (len(grades) + 1) + "|")
    for side in options["--side-slopes"].split(","):
        shares = [reached_share(argv[1], argv[2], argv[3:], g, moves, side) for g in grades]
        limit = side if side == "none" else f"{side} %"
        print(f"| {limit} | " + " | ".join(f"{s:.1f} %" for s in shares) + " |", flush=True)


def main(argv):
    options = {}
    while len(argv) > 2 and argv[1] in ("--side-slopes", "--grades", "--moves"):
        options[argv[1]] = argv[2]
        argv = argv[:1] + argv[3:]
    if len(argv) not in (3, 7):
        sys.exit(__doc__)
    if "--side-slopes" in options:
        side_slope_table(argv, options)
        return
    print("| grade | " + " | ".join(str(m) for m in MOVES) + " headings |")
    print("|---" * (len(MOVES) + 1) + "|")
    for grade in GRADES:
        shares = [reached_share(argv[1], argv[2], argv[3:], grade, m) for m in MOVES]
        print(f"| {grade:g} % | " + " | ".join(f"{s:.1f} %" for s in shares) + " |", flush=True)


if __name__ == "__main__":
    main(sys.argv)
