#pragma once
// Guards around the files the user names: the ground and the no-go areas. They are data: GDAL may
// read regular files only, directly or through an archive (/vsizip/, /vsigzip/, ...), never a
// device, a pipe, memory or the network, and that holds for the sources a VRT names too. Their
// georeferencing must place the cell centres apart in double precision, what is read of them
// stays within a fixed budget, and GDAL writes nothing but the program's own outputs.

#include "terrain/groundUnits.h"

#include <cstddef>
#include <gdal.h>
#include <ogr_spatialref.h>

#include <cpl_error.h>

#include <memory>
#include <string>
#include <vector>

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

// GDAL's own messages stay quiet while a file loads; the caller prints one line.
class QuietGdal {
  public:
    QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

// Source pixels one load may read: this many times the grid's cells, and never fewer than a
// few million, so coarse cells over a fine raster read a bounded share of it.
constexpr double GROUND_READ_FACTOR = 64.0;
constexpr double GROUND_READ_FLOOR = 8.0e6;

// Outer edges of the grid in working metres.
struct GroundExtent {
    double minX;
    double minY;
    double maxX;
    double maxY;
};

// The source pixels a load of a grid of `cells` cells may read.
inline double groundReadBudget(std::size_t cells) {
    const double budget = GROUND_READ_FACTOR * static_cast<double>(cells);
    return budget > GROUND_READ_FLOOR ? budget : GROUND_READ_FLOOR;
}

// Names by which the program writes its own files through GDAL: a descriptor it opened in the
// output folder.
constexpr char OWN_DESCRIPTOR_PREFIX[] = "/proc/self/fd/";

// While it lives, GDAL may write the file `name`, and no other: the program's own output.
class OwnWrite {
  public:
    explicit OwnWrite(const std::string& name);
    ~OwnWrite();
    OwnWrite(const OwnWrite&) = delete;
    OwnWrite& operator=(const OwnWrite&) = delete;

  private:
    std::string name_;
};

// The options that name the user's files.
constexpr const char* TERRAIN_OPTION = "--terrain";
constexpr const char* BARRIERS_OPTION = "--barriers";

// "OPTION: 'NAME' WHAT", the name with its control characters escaped.
std::string sourceFileError(const char* option, const std::string& path, const std::string& what);

// The same for the ground file of --terrain.
std::string groundFileError(const std::string& path, const std::string& what);

// GDAL's last message as one line.
std::string lastGdalError();

// Why GDAL could not open `path`, named by `option`: it is missing, a folder, unreadable,
// damaged (GDAL's reason), or not `unknownKind` ("a raster") of a format GDAL reads.
std::string openFailure(const char* option, const std::string& path, const char* unknownKind);

// Makes GDAL refuse memory and network names, every file that is not a regular one or lies in
// the kernel's folders, and every write but the program's own. Call after GDALAllRegister;
// calling it again changes nothing.
void refuseNonFileSources();

// Why GDAL must not be given `path`, as one line; empty for a name it may open.
std::string checkSourceName(const char* option, const std::string& path);

// Why a source was refused since the last call ("'NAME' is not a regular file"), empty when
// none was; clears it.
std::string takeRefusedSource();

// Why the raster's geotransform cannot place its pixels, empty when it can: every term finite,
// pixels of a size, and an extent whose pixel edges double precision tells apart.
std::string checkGeoTransform(const double (&geo)[6], int columns, int rows, const char* option,
                              const std::string& path);

// Why the raster's blocks cannot be read, empty when they can: GDAL holds a whole block in
// memory to read any pixel of it, so a header may not claim blocks far larger than the raster.
std::string checkBlockSizes(GDALDatasetH dataset, const char* option, const std::string& path);

// Why the VRT `dataset` opened from `path` (or the VRTs it reads) may not be read, empty when
// it may, or when it is no VRT: a raw band reads any bytes as pixels, so its file must lie in
// the VRT's own folder.
std::string checkVrtSources(GDALDatasetH dataset, const char* option, const std::string& path);

// The warp options that keep reading `extent` within `budget` source pixels (none at full
// resolution, or the finest overview that fits) into `options`; returns the one-line refusal
// when not even the coarsest overview fits.
std::string fitReadBudget(GDALDatasetH source, const double (&geo)[6], const GroundExtent& extent,
                          double budget, const OGRSpatialReference& sourceSystem,
                          const OGRSpatialReference& working, const char* option,
                          const std::string& path, std::vector<std::string>& options);

// GDAL's scale and offset of `band`, and `factor` (see BandUnits).
BandUnits bandUnits(GDALRasterBandH band, double factor);
