#!/usr/bin/python3
"""Writes the USGS elevation model that Debian ships with matplotlib (jacksboro_fault_dem.npz)
as a GeoTIFF that `landscape --terrain` reads: longitude/latitude on WGS 84, 3 arc-seconds,
whole metres in Int16.

Which way its rows run: the file's xmax - xmin is exactly 403 * dx and ymin - ymax exactly
344 * dy, so the four values are the outer edges of the cells. Its `ymin` (36.733) is the larger
latitude and belongs to the first row: the rows run north to south, as in a north-up GeoTIFF,
so the array is written unflipped with the top edge at `ymin`. The relief agrees: the highest
summits (up to 1076 m) lie along the southern rows, toward the Cumberland Mountains of
Tennessee, and the low plateau toward Kentucky to the north and east.

Usage: demToGeoTiff.py OUT.tif [IN.npz]
"""

import sys

import numpy as np
from osgeo import gdal, osr

DEFAULT_INPUT = "/usr/share/matplotlib/mpl-data/sample_data/jacksboro_fault_dem.npz"


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__.split("Usage: ")[1])
    gdal.UseExceptions()
    dem = np.load(argv[2] if len(argv) == 3 else DEFAULT_INPUT)
    elevation = dem["elevation"]
    rows, columns = elevation.shape
    west, north = float(dem["xmin"]), float(dem["ymin"])
    dx, dy = float(dem["dx"]), float(dem["dy"])
    if not (np.isclose(float(dem["xmax"]) - west, columns * dx)
            and np.isclose(north - float(dem["ymax"]), rows * dy)):
        sys.exit("the extent does not match the cell size: rows of unknown direction")
    out = gdal.GetDriverByName("GTiff").Create(argv[1], columns, rows, 1, gdal.GDT_Int16)
    out.SetGeoTransform((west, dx, 0.0, north, 0.0, -dy))
    wgs84 = osr.SpatialReference()
    wgs84.ImportFromEPSG(4326)
    out.SetProjection(wgs84.ExportToWkt())
    band = out.GetRasterBand(1)
    band.SetUnitType("m")
    band.WriteArray(elevation.astype(np.int16))
    out.FlushCache()


if __name__ == "__main__":
    main(sys.argv)
