#!/usr/bin/python3
"""Writes a synthetic elevation model for benchmarks and tests: smooth rolling hills whose
slopes stay under a 7 % grade, crossed by a few escarpments too steep to drive, as a Float32
GeoTIFF in UTM zone 16 north (EPSG:32616), north up, square pixels.

Usage: hillsRaster.py OUT.tif COLUMNS ROWS [SPACING_M]
"""

import sys

import numpy as np
from osgeo import gdal, osr

UTM_16N = 32616
ORIGIN = (600000.0, 4000000.0)  # north-west corner, metres
BLOCK_ROWS = 512


def heights(x, y):
    """Metres at ground points (x, y), metres from the origin; steepest hill slope about 5 %."""
    h = 300.0 + 40.0 * np.sin(x / 1500.0) * np.cos(y / 1900.0)
    h += 15.0 * np.sin((x + 2.0 * y) / 700.0)
    # Escarpments: smooth steps 25 m high over about 100 m, far steeper than 7 %.
    for centre in (0.3, 0.65):
        h += 25.0 * np.tanh((x - centre * 1e5 * 0.6 + 0.4 * y) / 50.0)
    return h.astype(np.float32)


def main(argv):
    if len(argv) not in (4, 5):
        sys.exit(__doc__.split("Usage: ")[1])
    gdal.UseExceptions()
    columns, rows = int(argv[2]), int(argv[3])
    spacing = float(argv[4]) if len(argv) == 5 else 30.0
    driver = gdal.GetDriverByName("GTiff")
    out = driver.Create(argv[1], columns, rows, 1, gdal.GDT_Float32,
                        ["TILED=YES", "BIGTIFF=IF_SAFER"])
    out.SetGeoTransform((ORIGIN[0], spacing, 0.0, ORIGIN[1], 0.0, -spacing))
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(UTM_16N)
    out.SetProjection(srs.ExportToWkt())
    band = out.GetRasterBand(1)
    x = (np.arange(columns) + 0.5) * spacing
    for top in range(0, rows, BLOCK_ROWS):
        count = min(BLOCK_ROWS, rows - top)
        north = (rows - top - np.arange(count) - 0.5) * spacing
        band.WriteArray(heights(x[np.newaxis, :], north[:, np.newaxis]), 0, top)
    out.FlushCache()


if __name__ == "__main__":
    main(sys.argv)
