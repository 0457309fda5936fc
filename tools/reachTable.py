#!/usr/bin/python3
"""Prints how much of a ground a vehicle reaches, for each grade limit and number of headings,
as a Markdown table: batch plans of the program itself, whose distance.tif holds the nodata
value wherever no route reaches. The plans start from the program's default start for each
grade and set of moves, or from the cell START_X START_Y for all (ending at END_X END_Y).

Usage: reachTable.py LANDSCAPE TERRAIN.tif [START_X START_Y END_X END_Y]
"""

import subprocess
import sys
import tempfile

import numpy as np
from osgeo import gdal

MOVES = (8, 16, 32, 48, 80, 96)
GRADES = (5, 7, 10)


def reached_share(landscape, terrain, ends, grade, moves):
    """Share of the cells with ground that the plan reaches, percent."""
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([landscape, "--plan", *ends, "--no-tables", "--terrain", terrain, "--grade",
                        str(grade), "--moves", str(moves), "--out", out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A band lives only as long as its dataset: keep both open while reading.
        distance = gdal.Open(f"{out}/distance.tif")
        heights = gdal.Open(f"{out}/heights.tif")
        costs = distance.GetRasterBand(1)
        levels = heights.GetRasterBand(1)
        ground = levels.ReadAsArray() != levels.GetNoDataValue()
        reached = ground & (costs.ReadAsArray() != costs.GetNoDataValue())
        return 100.0 * reached.sum() / ground.sum()


def main(argv):
    if len(argv) not in (3, 7):
        sys.exit(__doc__)
    print("| grade | " + " | ".join(str(m) for m in MOVES) + " headings |")
    print("|---" * (len(MOVES) + 1) + "|")
    for grade in GRADES:
        shares = [reached_share(argv[1], argv[2], argv[3:], grade, m) for m in MOVES]
        print(f"| {grade:g} % | " + " | ".join(f"{s:.1f} %" for s in shares) + " |", flush=True)


if __name__ == "__main__":
    main(sys.argv)
