#!/usr/bin/python3
"""Times whole batch plans of two builds in turns, and the peers where they are installed, and
prints the one table of docs/performance.md that compares them.

Usage: speedTable.py OLD_BINARY NEW_BINARY RASTER [--moves 8,16,48] [--pairs 3]

Each plan is `--terrain RASTER --plan --no-tables --moves N`, run old, new, old, new, ... so
that both builds meet the same load on a shared machine. A figure is the median of its runs;
the ratio column is the median of the pairs' ratios, with their range. GRASS r.cost -k
(friction 1 from the centre, one measure, no grade test) runs when `grass` is on the PATH,
scikit-image's MCP (distance only) when it imports; each is timed in the same minutes.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MIB = 1024 * 1024


def timed(command, cwd):
    """Runs command; returns (wall seconds, CPU seconds, peak resident bytes) of its process."""
    start = time.monotonic()
    child = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"speedTable: {' '.join(command)} failed with status {status}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def raster_cells(raster):
    from osgeo import gdal
    data = gdal.Open(raster)
    return data.RasterXSize, data.RasterYSize


def grass_rcost(raster, work):
    """Wall seconds of r.cost -k over a friction of 1 from the raster's centre."""
    if shutil.which("grass") is None:
        return None
    script = os.path.join(work, "rcost.sh")
    with open(script, "w") as out:
        out.write("set -e\n"
                  f"r.in.gdal -o input={raster} output=dem --quiet\n"
                  "g.region raster=dem\n"
                  "r.mapcalc 'one = 1' --quiet\n"
                  "eval $(g.region -gc)\n"
                  f"date +%s.%N > {work}/rcost.seconds\n"
                  "r.cost -k input=one output=cost start_coordinates=$center_easting,"
                  "$center_northing --quiet --overwrite\n"
                  f"date +%s.%N >> {work}/rcost.seconds\n")
    subprocess.run(["grass", "--tmp-location", raster, "--exec", "bash", script], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(work, "rcost.seconds")) as seconds:
        start, end = (float(line) for line in seconds)
    return end - start


def skimage_mcp(raster):
    """Wall seconds of scikit-image's MCP_Geometric from the centre, distance only."""
    try:
        import numpy as np
        from skimage.graph import MCP_Geometric
    except ImportError:
        return None
    # A friction of 1 needs only the raster's shape: its heights are never read, so GDAL's numpy
    # bindings (which crash on some installs) stay out of it.
    columns, rows = raster_cells(raster)
    costs = np.ones((rows, columns), dtype=np.float64)
    start = time.monotonic()
    MCP_Geometric(costs).find_costs([(rows // 2, columns // 2)])
    return time.monotonic() - start


def ratio_text(pairs):
    ratios = [new / old for old, new in pairs]
    return f"{statistics.median(ratios):.2f} ({min(ratios):.2f}–{max(ratios):.2f})"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("raster")
    parser.add_argument("--moves", default="8,16,48")
    parser.add_argument("--pairs", type=int, default=3)
    args = parser.parse_args(argv)
    columns, rows = raster_cells(args.raster)
    cells = columns * rows
    raster = os.path.abspath(args.raster)
    with tempfile.TemporaryDirectory() as work:
        rcost = grass_rcost(raster, work)
        print(f"Whole `--plan --no-tables` on {columns} × {rows} cells, {args.pairs} pairs in "
              "turns; wall and CPU in seconds (medians), new / old as median (range).\n")
        print("| moves | old wall | new wall | new / old wall | new / old CPU | "
              "new peak memory | bytes a cell | r.cost wall / new wall |")
        print("|---|---|---|---|---|---|---|---|")
        for moves in args.moves.split(","):
            runs = {"old": [], "new": []}
            for _ in range(args.pairs):
                for build in ("old", "new"):
                    binary = os.path.abspath(getattr(args, build))
                    runs[build].append(timed([binary, "--terrain", raster, "--plan",
                                              "--no-tables", "--moves", moves, "--out", work],
                                             work))
            walls = [(o[0], n[0]) for o, n in zip(runs["old"], runs["new"])]
            cpus = [(o[1], n[1]) for o, n in zip(runs["old"], runs["new"])]
            new_wall = statistics.median(w for _, w in walls)
            peak = max(r[2] for r in runs["new"])
            peer = f"{rcost / new_wall:.2f}" if rcost else "not installed"
            print(f"| {moves} | {statistics.median(o for o, _ in walls):.2f} | {new_wall:.2f} | "
                  f"{ratio_text(walls)} | {ratio_text(cpus)} | {peak / MIB:,.0f} MiB | "
                  f"{peak / cells:.1f} | {peer} |")
        # Last: the search grows this process, and a child forked after it would report this
        # process's peak memory as its own.
        mcp = skimage_mcp(raster)
        print()
        print(f"GRASS r.cost -k: {f'{rcost:.2f} s' if rcost else 'not installed'}; "
              f"scikit-image MCP: {f'{mcp:.2f} s' if mcp else 'not installed'}.")


if __name__ == "__main__":
    main(sys.argv[1:])
