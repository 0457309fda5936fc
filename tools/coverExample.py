#!/usr/bin/python3
"""Writes an example ground cover for a ground GeoTIFF: a cover raster of classes on the ground's
own pixels (same size, georeferencing and coordinate system) and its table for
`landscape --cover COVER.tif --cover-table TABLE.csv`.

A road (class 1) runs across the ground from its west edge to its east edge, gently winding, so
that the fastest route between points near its ends follows it. A forest (class 2) is a round
patch south of the road, and a lake (class 3) fills the gap between the forest and the south
edge: south of the road a route must cross the forest or go round by the road. The rest is
grass (class 4). Pixels without ground (the ground's nodata) have no class.

Usage: coverExample.py GROUND.tif OUT_COVER.tif OUT_TABLE.csv
"""

import sys

import numpy as np
from osgeo import gdal

ROAD, FOREST, LAKE, GRASS = 1, 2, 3, 4
NO_CLASS = 255
TABLE = ("class,name,speed_kmh,rolling\n"
         "1,road,80,0.015\n"
         "2,forest,10,0.08\n"
         "3,lake,0,\n"
         "4,grass,30,\n")
ROAD_ROW = 0.45          # share of the height from the north edge
ROAD_WIND = 0.06         # how far it winds north and south, share of the height
ROAD_HALF_WIDTH = 1.0    # pixels either side of its centre line
FOREST_CENTRE = (0.5, 0.72)  # shares of the width and height
FOREST_RADIUS = 0.15     # share of the smaller side
LAKE_HALF_WIDTH = 0.08   # share of the smaller side


def classes(ground):
    """The class of each pixel of `ground`, an open GDAL dataset."""
    rows, columns = ground.RasterYSize, ground.RasterXSize
    band = ground.GetRasterBand(1)  # read while `ground` is alive
    heights = band.ReadAsArray().astype(np.float64)
    nodata = band.GetNoDataValue()
    y, x = np.mgrid[0:rows, 0:columns].astype(np.float64)
    side = min(rows, columns)
    cover = np.full((rows, columns), GRASS, np.uint8)
    forest_x, forest_y = FOREST_CENTRE[0] * columns, FOREST_CENTRE[1] * rows
    forest = np.hypot(x - forest_x, y - forest_y) <= FOREST_RADIUS * side
    cover[forest] = FOREST
    lake = (np.abs(x - forest_x) <= LAKE_HALF_WIDTH * side) & (y >= forest_y)
    cover[lake] = LAKE
    centre = rows * (ROAD_ROW + ROAD_WIND * np.sin(2.0 * np.pi * x / columns))
    cover[np.abs(y - centre) <= ROAD_HALF_WIDTH] = ROAD
    no_ground = ~np.isfinite(heights)
    if nodata is not None:
        no_ground |= heights == nodata
    cover[no_ground] = NO_CLASS
    return cover


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__.split("Usage: ")[1])
    gdal.UseExceptions()
    ground = gdal.Open(argv[1])
    out = gdal.GetDriverByName("GTiff").Create(argv[2], ground.RasterXSize, ground.RasterYSize,
                                               1, gdal.GDT_Byte)
    out.SetGeoTransform(ground.GetGeoTransform())
    out.SetProjection(ground.GetProjection())
    band = out.GetRasterBand(1)
    band.SetNoDataValue(NO_CLASS)
    band.WriteArray(classes(ground))
    out.FlushCache()
    with open(argv[3], "w", encoding="ascii") as table:
        table.write(TABLE)


if __name__ == "__main__":
    main(sys.argv)
