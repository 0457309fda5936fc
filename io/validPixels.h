#pragma once
// Which pixels of a raster's first band hold a value: those its mask (nodata, a mask file or an
// alpha band GDAL knows) and any alpha band of the file keep. GDAL counts an alpha band in the
// band's mask only when the alpha is of Byte or UInt16 pixels and the band has no nodata, so
// the alpha band of a float raster, or of one with nodata, is added here.

#include "io/groundSource.h"

#include <gdal.h>

// The band of `dataset` whose colour is alpha and which band 1's mask leaves out; null when the
// raster has none, or when GDAL's mask already holds it.
GDALRasterBandH unmaskedAlphaBand(GDALDatasetH dataset);

// A raster of one band of doubles over band 1 of `dataset` (or its overview `overview`, when that
// is not -1), georeferenced as it is: band 1's value where its mask and `alpha` (when not null)
// keep the pixel and the value is finite, else NaN, which is its nodata. Null when GDAL cannot
// make it, or `alpha` has no such overview.
Dataset maskedFirstBand(GDALDatasetH dataset, GDALRasterBandH alpha, int overview = -1);
