// The guards on the user's files: GDAL's file system replaced by one that opens only regular files
// outside the kernel's folders and writes only the program's own outputs, and the checks on
// names, VRT sources, block sizes, georeferencing and the read budget.

#include "io/groundSource.h"

#include "io/printableText.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_http.h>
#include <cpl_minixml.h>
#include <cpl_string.h>
#include <cpl_vsi_virtual.h>
#include <gdal_priv.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <set>

namespace {

// File systems that only unpack or cut regular files; /vsimem/ also holds the rasters the
// program builds before writing them, but a user's name may not point into it.
constexpr const char* ARCHIVE_PREFIXES[] = {"/vsizip/",     "/vsigzip/",   "/vsitar/",
                                            "/vsisubfile/", "/vsisparse/", "/vsicrypt/"};
constexpr char OWN_MEMORY_PREFIX[] = "/vsimem/";
constexpr char VIRTUAL_PREFIX[] = "/vsi";
// Names of data in memory (MEM:::DATAPOINTER=...) or on the network (http://...).
constexpr const char* NON_FILE_MARKS[] = {":::", "://"};
constexpr char NON_FILE_NAME[] = "is a memory or network name, not a file";
// Drivers that reach a server through a client library of their own, past GDAL's file and
// network hooks: they open nothing.
constexpr const char* CLIENT_DRIVERS[] = {
    "PostgreSQL",   "PostGISRaster", "MySQL", "ODBC",      "PGeo",
    "MSSQLSpatial", "OGR_OGDI",      "HANA",  "MongoDBv3", "OCI"};
// Separates the parts of a name that picks part of a file ("NETCDF:\"file\":variable").
constexpr char NAME_PART_SEPARATOR = ':';
constexpr char NOT_REGULAR[] = "is not a regular file";
// The kernel's own file systems: their "regular files" block (/proc/kmsg), never end, or hold
// the process's memory and environment.
constexpr const char* KERNEL_FOLDERS[] = {"/proc", "/sys", "/dev"};
constexpr char KERNEL_FILE[] = "lies under /proc, /sys or /dev, not a data file";
// Side files GDAL would write beside an input (a .gz index, a .aux.xml): the name may be a link
// to someone else's file, and nothing but the program's own outputs may be written.
constexpr char GZIP_INDEX_WRITES[] = "CPL_VSIL_GZIP_WRITE_PROPERTIES";
// Pixels a block may hold beyond its raster's own: the largest tiles GDAL itself writes
// (4096 x 4096), a hundred megabytes or so at most.
constexpr double BLOCK_PIXELS_FLOOR = 4096.0 * 4096.0;
// VRTs read through VRTs, deepest first; deeper nesting is refused rather than followed.
constexpr int MOST_VRT_DEPTH = 4;
constexpr char VRT_DRIVER[] = "VRT";
constexpr char VRT_XML_DOMAIN[] = "xml:VRT";
constexpr char RAW_BAND_CLASS[] = "VRTRawRasterBand";
// A pixel edge must stay apart from its neighbour by a million steps of double precision.
constexpr double PRECISION_STEPS = 1e6;
// Points along each side of the window whose source positions bound what is read.
constexpr int BORDER_SAMPLES = 16;

std::mutex refusedLock;
std::string refused;
std::mutex writableLock;
std::multiset<std::string> writable;

bool isOwnWrite(const char* name) {
    const std::lock_guard<std::mutex> hold(writableLock);
    return writable.count(name) != 0;
}

void refuse(const std::string& why) {
    const std::lock_guard<std::mutex> hold(refusedLock);
    if (refused.empty()) {
        refused = why;
    }
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool isArchiveName(const std::string& path) {
    return std::any_of(std::begin(ARCHIVE_PREFIXES), std::end(ARCHIVE_PREFIXES),
                       [&](const char* prefix) { return startsWith(path, prefix); });
}

bool underFolder(const std::string& path, const char* folder) {
    const std::size_t length = std::strlen(folder);
    return path.compare(0, length, folder) == 0 && (path.size() == length || path[length] == '/');
}

bool inKernelFolder(const std::string& path) {
    return std::any_of(std::begin(KERNEL_FOLDERS), std::end(KERNEL_FOLDERS),
                       [&](const char* folder) { return underFolder(path, folder); });
}

// True for a name in a kernel folder, as written or once its links are followed.
bool isKernelFile(const char* name) {
    if (inKernelFolder(name)) {
        return true;
    }
    char* resolved = realpath(name, nullptr);
    const bool kernel = resolved != nullptr && inKernelFolder(resolved);
    std::free(resolved);
    return kernel;
}

bool isWriteAccess(const char* access) {
    return std::strpbrk(access, "wa+") != nullptr;
}

// Every name under a prefix it is installed for fails, as a name that does not exist.
class RefusingFilesystem : public VSIFilesystemHandler {
  public:
    VSIVirtualHandle* Open(const char* name, const char*, bool, CSLConstList) override {
        refuse("'" + printable(name) + "' " + NON_FILE_NAME);
        errno = EACCES;
        return nullptr;
    }
    int Stat(const char*, VSIStatBufL*, int) override {
        errno = ENOENT;
        return -1;
    }
};

// The plain file system, except that only regular files outside the kernel's folders open for
// reading (a pipe or a device would block or never end), and that GDAL writes, renames or
// removes nothing but the program's own outputs.
class RegularFilesOnly : public VSIFilesystemHandler {
  public:
    explicit RegularFilesOnly(VSIFilesystemHandler* plain) : plain_(plain) {}
    VSIVirtualHandle* Open(const char* name, const char* access, bool setError,
                           CSLConstList options) override {
        if (isWriteAccess(access)) {
            if (!isOwnWrite(name)) {
                errno = EACCES;
                return nullptr;
            }
            return plain_->Open(name, access, setError, options);
        }
        if (isKernelFile(name)) {
            refuse("'" + printable(name) + "' " + KERNEL_FILE);
            errno = EACCES;
            return nullptr;
        }
        VSIStatBufL status;
        if (plain_->Stat(name, &status, VSI_STAT_EXISTS_FLAG | VSI_STAT_NATURE_FLAG) == 0 &&
            !VSI_ISREG(status.st_mode)) {
            refuse("'" + printable(name) + "' " + NOT_REGULAR);
            errno = EACCES;
            return nullptr;
        }
        return plain_->Open(name, access, setError, options);
    }
    int Stat(const char* name, VSIStatBufL* status, int flags) override {
        return plain_->Stat(name, status, flags);
    }
    int Unlink(const char*) override { return refuseChange(); }
    int Mkdir(const char*, long) override { return refuseChange(); }
    int Rmdir(const char*) override { return refuseChange(); }
    char** ReadDirEx(const char* name, int most) override { return plain_->ReadDirEx(name, most); }
    int Rename(const char*, const char*) override { return refuseChange(); }
    GIntBig GetDiskFreeSpace(const char* name) override { return plain_->GetDiskFreeSpace(name); }
    int SupportsSparseFiles(const char* name) override { return plain_->SupportsSparseFiles(name); }

  private:
    static int refuseChange() {
        errno = EACCES;
        return -1;
    }
    VSIFilesystemHandler* plain_;
};

// Drivers that fetch URLs themselves (WMS, HTTP, ...) get an error instead of a connection.
CPLHTTPResult* refuseFetch(const char* url, CSLConstList, GDALProgressFunc, void*,
                           CPLHTTPFetchWriteFunc, void*, void*) {
    refuse("'" + printable(url) + "' " + NON_FILE_NAME);
    auto* result = static_cast<CPLHTTPResult*>(CPLCalloc(1, sizeof(CPLHTTPResult)));
    result->nStatus = 1;
    result->pszErrBuf = CPLStrdup("network access is refused");
    return result;
}

double precisionStep(double value) {
    return std::nextafter(std::fabs(value), std::numeric_limits<double>::infinity()) -
           std::fabs(value);
}

// Bounding box, in full-resolution source pixels, of the window's border.
struct PixelBox {
    double minColumn = std::numeric_limits<double>::infinity();
    double minRow = std::numeric_limits<double>::infinity();
    double maxColumn = -std::numeric_limits<double>::infinity();
    double maxRow = -std::numeric_limits<double>::infinity();
    void add(double column, double row) {
        minColumn = std::min(minColumn, column);
        maxColumn = std::max(maxColumn, column);
        minRow = std::min(minRow, row);
        maxRow = std::max(maxRow, row);
    }
};

// Source pixels of the window at full resolution, clipped to the raster.
double windowPixels(GDALDatasetH source, const double (&geo)[6], const GroundExtent& window,
                    const OGRSpatialReference& sourceSystem, const OGRSpatialReference& working) {
    std::unique_ptr<OGRCoordinateTransformation> transform;
    if (!working.IsEmpty()) {
        transform.reset(OGRCreateCoordinateTransformation(&working, &sourceSystem));
    }
    double inverse[6];
    if (!GDALInvGeoTransform(const_cast<double*>(geo), inverse)) {
        return 0.0;
    }
    PixelBox box;
    for (int k = 0; k <= BORDER_SAMPLES; ++k) {
        const double t = static_cast<double>(k) / BORDER_SAMPLES;
        const double x = window.minX + t * (window.maxX - window.minX);
        const double y = window.minY + t * (window.maxY - window.minY);
        for (auto [px, py] :
             {std::pair{x, window.minY}, {x, window.maxY}, {window.minX, y}, {window.maxX, y}}) {
            if (transform != nullptr && !transform->Transform(1, &px, &py)) {
                continue;
            }
            double column = 0.0;
            double row = 0.0;
            GDALApplyGeoTransform(inverse, px, py, &column, &row);
            box.add(column, row);
        }
    }
    const double columns = std::clamp(box.maxColumn, 0.0, double(GDALGetRasterXSize(source))) -
                           std::clamp(box.minColumn, 0.0, double(GDALGetRasterXSize(source)));
    const double rows = std::clamp(box.maxRow, 0.0, double(GDALGetRasterYSize(source))) -
                        std::clamp(box.minRow, 0.0, double(GDALGetRasterYSize(source)));
    return std::isfinite(columns * rows) ? columns * rows : 0.0;
}

struct XmlTree {
    void operator()(CPLXMLNode* node) const { CPLDestroyXMLNode(node); }
};

// The file a SourceFilename element of a VRT in `folder` names, as GDAL resolves it: relative to
// the VRT when the element says so, which a raw band's does unless told otherwise.
std::string sourcePath(const CPLXMLNode* file, const std::string& folder, bool relativeByDefault) {
    const std::string name = CPLGetXMLValue(file, nullptr, "");
    const bool relative =
        CPLTestBool(CPLGetXMLValue(file, "relativeToVRT", relativeByDefault ? "1" : "0"));
    return relative && CPLIsFilenameRelative(name.c_str())
               ? std::string(CPLFormFilename(folder.c_str(), name.c_str(), nullptr))
               : name;
}

// The name with its links followed, or as given when it cannot be (a name inside an archive).
std::string resolved(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    std::string name = real != nullptr ? real : path;
    std::free(real);
    return name;
}

// Why a band's blocks cannot be read ("has blocks of ..."), empty when they can.
std::string bandBlockProblem(GDALRasterBandH band) {
    const double width = GDALGetRasterBandXSize(band);
    const double height = GDALGetRasterBandYSize(band);
    int blockWidth = 0;
    int blockHeight = 0;
    GDALGetBlockSize(band, &blockWidth, &blockHeight);
    if (double(blockWidth) * blockHeight <= std::max(width * height, BLOCK_PIXELS_FLOOR)) {
        return {};
    }
    return CPLString().Printf("has blocks of %d x %d pixels, far larger than its %.0f x %.0f "
                              "pixels",
                              blockWidth, blockHeight, width, height);
}

// The same for every band of the dataset and their overviews, which a load may read instead.
std::string blockProblem(GDALDatasetH dataset) {
    for (int k = 1; k <= GDALGetRasterCount(dataset); ++k) {
        GDALRasterBandH band = GDALGetRasterBand(dataset, k);
        std::string problem = bandBlockProblem(band);
        for (int o = 0; problem.empty() && o < GDALGetOverviewCount(band); ++o) {
            const std::string overview = bandBlockProblem(GDALGetOverview(band, o));
            problem = overview.empty() ? overview : "has an overview that " + overview;
        }
        if (!problem.empty()) {
            return problem;
        }
    }
    return {};
}

// True when `path`, its links followed, lies inside `folder`; a name that cannot be followed (in
// an archive, or missing) may not climb out of it with "..".
bool liesIn(const std::string& path, const std::string& folder) {
    const std::string file = resolved(path);
    const std::string own = resolved(folder.empty() ? "." : folder);
    return file.find("/../") == std::string::npos && file.rfind("../", 0) != 0 &&
           file.compare(0, own.size(), own) == 0 && file.size() > own.size() &&
           (file[own.size()] == '/' || own.back() == '/');
}

// Why the VRT `dataset`, opened from `vrt` `depth` VRTs below the user's `path`, may not be read;
// empty when it may, or when it is no VRT.
std::string checkVrt(GDALDatasetH dataset, const std::string& vrt, int depth, const char* option,
                     const std::string& path) {
    GDALDriverH driver = GDALGetDatasetDriver(dataset);
    if (driver == nullptr || std::strcmp(GDALGetDriverShortName(driver), VRT_DRIVER) != 0) {
        return {};
    }
    if (depth > MOST_VRT_DEPTH) {
        return sourceFileError(
            option, path,
            CPLString().Printf("reads VRTs nested more than %d deep", MOST_VRT_DEPTH));
    }
    char** xml = GDALGetMetadata(dataset, VRT_XML_DOMAIN);
    const std::unique_ptr<CPLXMLNode, XmlTree> tree(
        xml != nullptr && xml[0] != nullptr ? CPLParseXMLString(xml[0]) : nullptr);
    const std::string folder = CPLGetPath(vrt.c_str());
    std::vector<const CPLXMLNode*> pending = {tree.get()};
    while (!pending.empty()) {
        const CPLXMLNode* node = pending.back();
        pending.pop_back();
        for (; node != nullptr; node = node->psNext) {
            if (node->eType != CXT_Element) {
                continue;
            }
            if (EQUAL(node->pszValue, "VRTRasterBand") &&
                EQUAL(CPLGetXMLValue(node, "subClass", ""), RAW_BAND_CLASS)) {
                const CPLXMLNode* file = CPLGetXMLNode(node, "SourceFilename");
                const std::string raw = sourcePath(file, folder, true);
                if (file == nullptr || !liesIn(raw, folder)) {
                    return sourceFileError(option, path,
                                           "has a raw band reading '" + printable(raw) +
                                               "', outside the VRT's own folder");
                }
            } else if (EQUAL(node->pszValue, "SourceFilename") ||
                       EQUAL(node->pszValue, "SourceDataset")) {
                // Each source is checked as the VRT itself is, and a VRT among them in turn.
                const std::string source = sourcePath(node, folder, false);
                const Dataset inner(GDALOpenEx(source.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                                               nullptr, nullptr, nullptr));
                if (inner) {
                    const std::string blocks = blockProblem(inner.get());
                    const std::string error =
                        blocks.empty()
                            ? checkVrt(inner.get(), source, depth + 1, option, path)
                            : sourceFileError(option, path,
                                              "reads '" + printable(source) + "', which " + blocks);
                    if (!error.empty()) {
                        return error;
                    }
                }
                continue;
            }
            pending.push_back(node->psChild);
        }
    }
    return {};
}

// A name that picks part of a file is opened by drivers that may read it with their own calls,
// past GDAL's file system: each part that names a file must name a plain one.
std::string checkNameParts(const char* option, const std::string& path) {
    const CPLStringList parts(
        CSLTokenizeString2(path.c_str(), std::string(1, NAME_PART_SEPARATOR).c_str(),
                           CSLT_HONOURSTRINGS | CSLT_STRIPLEADSPACES | CSLT_STRIPENDSPACES));
    for (int k = 0; k < parts.size(); ++k) {
        VSIStatBufL status;
        if (VSIStatExL(parts[k], &status, VSI_STAT_EXISTS_FLAG | VSI_STAT_NATURE_FLAG) != 0) {
            continue;
        }
        if (!VSI_ISREG(status.st_mode) && !VSI_ISDIR(status.st_mode)) {
            return sourceFileError(option, path, NOT_REGULAR);
        }
        if (isKernelFile(parts[k])) {
            return sourceFileError(option, path, KERNEL_FILE);
        }
    }
    return {};
}

} // namespace

OwnWrite::OwnWrite(const std::string& name) : name_(name) {
    const std::lock_guard<std::mutex> hold(writableLock);
    writable.insert(name_);
}

OwnWrite::~OwnWrite() {
    const std::lock_guard<std::mutex> hold(writableLock);
    writable.erase(writable.find(name_));
}

std::string sourceFileError(const char* option, const std::string& path, const std::string& what) {
    return std::string(option) + ": '" + printable(path) + "' " + what;
}

std::string groundFileError(const std::string& path, const std::string& what) {
    return sourceFileError(TERRAIN_OPTION, path, what);
}

std::string lastGdalError() {
    std::string text = CPLGetLastErrorMsg();
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text.empty() ? "GDAL gave no reason" : printable(text);
}

std::string openFailure(const char* option, const std::string& path, const char* unknownKind) {
    // A driver that knew the file but could not read it left its reason.
    const std::string damage = CPLGetLastErrorType() == CE_None ? "" : lastGdalError();
    VSIStatBufL status;
    errno = 0;
    if (VSIStatL(path.c_str(), &status) != 0) {
        const bool missing = errno == 0 || errno == ENOENT || errno == ENOTDIR;
        return sourceFileError(option, path,
                               missing ? "does not exist"
                                       : std::string("cannot be read: ") + std::strerror(errno));
    }
    if (VSI_ISDIR(status.st_mode)) {
        return sourceFileError(option, path, std::string("is a folder, not ") + unknownKind);
    }
    errno = 0;
    VSILFILE* file = VSIFOpenL(path.c_str(), "rb");
    if (file == nullptr) {
        return sourceFileError(option, path,
                               std::string("cannot be read: ") +
                                   (errno != 0 ? std::strerror(errno) : "access denied"));
    }
    VSIFCloseL(file);
    return sourceFileError(option, path,
                           damage.empty() ? std::string("is not ") + unknownKind + " GDAL reads"
                                          : "is truncated or corrupt: " + damage);
}

void refuseNonFileSources() {
    static std::once_flag once;
    std::call_once(once, [] {
        // A VRT may not run Python of its own.
        CPLSetConfigOption("GDAL_VRT_ENABLE_PYTHON", "NO");
        CPLSetConfigOption(GZIP_INDEX_WRITES, "NO");
        // A MEM::: name points GDAL at raw memory; the driver still creates the warp's output.
        if (GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM")) {
            memory->pfnOpen = nullptr;
        }
        for (const char* name : CLIENT_DRIVERS) {
            if (GDALDriver* client = GetGDALDriverManager()->GetDriverByName(name)) {
                client->pfnOpen = nullptr;
                client->pfnOpenWithDriverArg = nullptr;
            }
        }
        CPLHTTPPushFetchCallback(refuseFetch, nullptr);
        VSIFileManager::InstallHandler("", new RegularFilesOnly(VSIFileManager::GetHandler("")));
        const CPLStringList prefixes(VSIFileManager::GetPrefixes());
        for (int k = 0; k < prefixes.size(); ++k) {
            const std::string prefix = prefixes[k];
            if (!isArchiveName(prefix) && prefix != OWN_MEMORY_PREFIX) {
                VSIFileManager::InstallHandler(prefix, new RefusingFilesystem);
            }
        }
    });
}

std::string checkSourceName(const char* option, const std::string& path) {
    if (startsWith(path, VIRTUAL_PREFIX) && !isArchiveName(path)) {
        return sourceFileError(option, path, NON_FILE_NAME);
    }
    VSIStatBufL status;
    if (VSIStatExL(path.c_str(), &status, VSI_STAT_EXISTS_FLAG | VSI_STAT_NATURE_FLAG) != 0) {
        if (isKernelFile(path.c_str())) {
            return sourceFileError(option, path, KERNEL_FILE);
        }
        const bool marked =
            std::any_of(std::begin(NON_FILE_MARKS), std::end(NON_FILE_MARKS),
                        [&](const char* mark) { return path.find(mark) != std::string::npos; });
        return marked ? sourceFileError(option, path, NON_FILE_NAME) : checkNameParts(option, path);
    }
    if (!VSI_ISREG(status.st_mode) && !VSI_ISDIR(status.st_mode)) {
        return sourceFileError(option, path, NOT_REGULAR);
    }
    return isKernelFile(path.c_str()) ? sourceFileError(option, path, KERNEL_FILE) : std::string{};
}

std::string takeRefusedSource() {
    const std::lock_guard<std::mutex> hold(refusedLock);
    std::string why;
    why.swap(refused);
    return why;
}

std::string checkGeoTransform(const double (&geo)[6], int columns, int rows, const char* option,
                              const std::string& path) {
    if (!std::all_of(std::begin(geo), std::end(geo), [](double v) { return std::isfinite(v); })) {
        return sourceFileError(option, path, "has a geotransform with a term that is not a number");
    }
    const double pixelWidth = std::hypot(geo[1], geo[4]);
    const double pixelHeight = std::hypot(geo[2], geo[5]);
    if (geo[1] * geo[5] - geo[2] * geo[4] == 0.0 || pixelWidth == 0.0 || pixelHeight == 0.0) {
        return sourceFileError(option, path, "has a geotransform whose pixels have no size");
    }
    double largest = 0.0;
    for (const double column : {0.0, double(columns)}) {
        for (const double row : {0.0, double(rows)}) {
            largest = std::max({largest, std::fabs(geo[0] + geo[1] * column + geo[2] * row),
                                std::fabs(geo[3] + geo[4] * column + geo[5] * row)});
        }
    }
    if (!std::isfinite(largest) ||
        precisionStep(largest) * PRECISION_STEPS > std::min(pixelWidth, pixelHeight)) {
        return sourceFileError(option, path,
                               "lies too far from its origin for its pixels to be told "
                               "apart");
    }
    return {};
}

std::string checkBlockSizes(GDALDatasetH dataset, const char* option, const std::string& path) {
    const std::string problem = blockProblem(dataset);
    return problem.empty() ? problem : sourceFileError(option, path, problem);
}

std::string checkVrtSources(GDALDatasetH dataset, const char* option, const std::string& path) {
    return checkVrt(dataset, path, 0, option, path);
}

std::string fitReadBudget(GDALDatasetH source, const double (&geo)[6], const GroundExtent& window,
                          double budget, const OGRSpatialReference& sourceSystem,
                          const OGRSpatialReference& working, const char* option,
                          const std::string& path, std::vector<std::string>& options) {
    const double full = windowPixels(source, geo, window, sourceSystem, working);
    if (full <= budget) {
        return {};
    }
    GDALRasterBandH band = GDALGetRasterBand(source, 1);
    int chosen = -1;
    double chosenPixels = 0.0;
    for (int k = 0; k < GDALGetOverviewCount(band); ++k) {
        GDALRasterBandH overview = GDALGetOverview(band, k);
        const double pixels = full * GDALGetRasterBandXSize(overview) / GDALGetRasterXSize(source) *
                              GDALGetRasterBandYSize(overview) / GDALGetRasterYSize(source);
        if (pixels <= budget && pixels > chosenPixels) {
            chosen = k;
            chosenPixels = pixels;
        }
    }
    if (chosen < 0) {
        return sourceFileError(option, path,
                               CPLString().Printf("would read %.0f source pixels for the "
                                                  "grid, more than the %.0f allowed "
                                                  "(add overviews with gdaladdo)",
                                                  full, budget));
    }
    options = {"-ovr", std::to_string(chosen)};
    return {};
}

BandUnits bandUnits(GDALRasterBandH band, double factor) {
    return {GDALGetRasterScale(band, nullptr), GDALGetRasterOffset(band, nullptr), factor};
}
