#pragma once
// What the files written through OGR share: owning handles of GDAL's and OGR's C objects, and a
// file built whole in GDAL's memory file system whose bytes then replace the target, so that
// every format (a GeoPackage too, which cannot be made over an empty file) is written atomically.

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <functional>
#include <memory>
#include <string>

struct OgrDatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using OgrDataset = std::unique_ptr<void, OgrDatasetCloser>;

struct OgrGeometryDeleter {
    void operator()(OGRGeometryH geometry) const { OGR_G_DestroyGeometry(geometry); }
};
using OgrGeometry = std::unique_ptr<void, OgrGeometryDeleter>;

struct OgrFeatureDeleter {
    void operator()(OGRFeatureH feature) const { OGR_F_Destroy(feature); }
};
using OgrFeature = std::unique_ptr<void, OgrFeatureDeleter>;

struct OgrSpatialReferenceDeleter {
    void operator()(OGRSpatialReferenceH srs) const { OSRDestroySpatialReference(srs); }
};
using OgrSpatialReference = std::unique_ptr<void, OgrSpatialReferenceDeleter>;

struct OgrTransformationDeleter {
    void operator()(OGRCoordinateTransformationH ct) const {
        OCTDestroyCoordinateTransformation(ct);
    }
};
using OgrTransformation = std::unique_ptr<void, OgrTransformationDeleter>;

// GDAL's last error message, or a plain one when it left none.
std::string ogrLastError();

// Builds a file at `memoryFolder`/`builtName` in GDAL's memory file system with `build` (which
// returns an error text, empty when it wrote the file) and replaces `name` in directory `folder`
// with its bytes. One file is built at a time; GDAL's own messages are kept quiet, the caller
// reporting a failure in its own words. Returns the error, empty when the file was written.
std::string writeThroughMemory(int folder, const std::string& name, const std::string& memoryFolder,
                               const std::string& builtName,
                               const std::function<std::string(const std::string& path)>& build);

// Creates a dataset of OGR driver `driver` at `path`, fills it with `fill` (which returns an error
// text, empty when it succeeded) and closes it, which writes the file. Returns the error, GDAL's
// last one when only the closing failed; empty when the file is whole.
std::string buildDataset(const char* driver, const std::string& path,
                         const std::function<std::string(GDALDatasetH dataset)>& fill);
