#!/usr/bin/python3
"""Prints how much of a ground a vehicle reaches from the program's default start, for each
grade limit and number of headings, as a Markdown table: batch plans of the program itself,
whose distance.tif holds the nodata value wherever no route reaches.

Usage: reachTable.py LANDSCAPE TERRAIN.tif [GRADE ...]
"""

import subprocess
import sys
import tempfile

import numpy as np
from osgeo import gdal

MOVES = (8, 16, 32, 48, 80, 96)
GRADES = (5, 7, 10)


def reached_share(landscape, terrain, grade, moves):
    """Share of the cells with ground that the plan reaches, percent."""
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([landscape, "--plan", "--no-tables", "--terrain", terrain, "--grade",
                        str(grade), "--moves", str(moves), "--out", out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        distance = gdal.Open(f"{out}/distance.tif")
        band = distance.GetRasterBand(1)
        costs = band.ReadAsArray()
        heights = gdal.Open(f"{out}/heights.tif").GetRasterBand(1)
        ground = heights.ReadAsArray() != heights.GetNoDataValue()
        reached = ground & (costs != band.GetNoDataValue())
        return 100.0 * reached.sum() / ground.sum()


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    grades = [float(g) for g in argv[3:]] or GRADES
    print("| grade | " + " | ".join(str(m) for m in MOVES) + " headings |")
    print("|---" * (len(MOVES) + 1) + "|")
    for grade in grades:
        shares = [reached_share(argv[1], argv[2], grade, m) for m in MOVES]
        print(f"| {grade:g} % | " + " | ".join(f"{s:.1f} %" for s in shares) + " |", flush=True)


if __name__ == "__main__":
    main(sys.argv)
