// Band 1 with its mask and an alpha band applied, as a VRT whose one derived band reads the
// value, the mask and the alpha of each pixel and gives NaN where either of these is 0.

#include "io/validPixels.h"

#include <cpl_string.h>
#include <gdal_priv.h>
#include <vrtdataset.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

namespace {

constexpr char PIXEL_FUNCTION[] = "landscapeValidPixels";

// The derived band's pixels from its sources, all read as doubles: the value first, then each
// mask; a mask's pixel of 0 (or less, or NaN) leaves no value.
CPLErr validPixels(void** sources, int count, void* data, int columns, int rows, GDALDataType,
                   GDALDataType type, int pixelSpace, int lineSpace) {
    if (count < 1) {
        return CE_Failure;
    }
    std::vector<double> line(columns);
    for (int row = 0; row < rows; ++row) {
        const std::size_t first = static_cast<std::size_t>(row) * columns;
        const double* values = static_cast<const double*>(sources[0]) + first;
        for (int column = 0; column < columns; ++column) {
            bool valid = std::isfinite(values[column]);
            for (int mask = 1; mask < count; ++mask) {
                valid = valid && static_cast<const double*>(sources[mask])[first + column] > 0.0;
            }
            line[column] = valid ? values[column] : std::numeric_limits<double>::quiet_NaN();
        }
        GDALCopyWords(line.data(), GDT_Float64, sizeof(double),
                      static_cast<GByte*>(data) + static_cast<GSpacing>(lineSpace) * row, type,
                      pixelSpace, columns);
    }
    return CE_None;
}

void registerPixelFunction() {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAddDerivedBandPixelFunc(PIXEL_FUNCTION, validPixels); });
}

} // namespace

GDALRasterBandH unmaskedAlphaBand(GDALDatasetH dataset) {
    GDALRasterBandH first = GDALGetRasterBand(dataset, 1);
    if (first == nullptr || (GDALGetMaskFlags(first) & GMF_ALPHA) != 0) {
        return nullptr;
    }
    for (int k = 2; k <= GDALGetRasterCount(dataset); ++k) {
        GDALRasterBandH band = GDALGetRasterBand(dataset, k);
        if (GDALGetRasterColorInterpretation(band) == GCI_AlphaBand) {
            return band;
        }
    }
    return nullptr;
}

Dataset maskedFirstBand(GDALDatasetH dataset, GDALRasterBandH alpha, int overview) {
    registerPixelFunction();
    GDALRasterBandH value = GDALGetRasterBand(dataset, 1);
    if (overview >= 0) {
        value = GDALGetOverview(value, overview);
        alpha = alpha != nullptr ? GDALGetOverview(alpha, overview) : nullptr;
        if (value == nullptr ||
            (alpha != nullptr &&
             (GDALGetRasterBandXSize(alpha) != GDALGetRasterBandXSize(value) ||
              GDALGetRasterBandYSize(alpha) != GDALGetRasterBandYSize(value)))) {
            return nullptr;
        }
    }
    const int columns = GDALGetRasterBandXSize(value);
    const int rows = GDALGetRasterBandYSize(value);
    double geo[6];
    if (GDALGetGeoTransform(dataset, geo) != CE_None) {
        return nullptr;
    }
    // An overview covers the raster with fewer, larger pixels.
    const double across = double(GDALGetRasterXSize(dataset)) / columns;
    const double down = double(GDALGetRasterYSize(dataset)) / rows;
    for (const int k : {1, 4}) {
        geo[k] *= across;
    }
    for (const int k : {2, 5}) {
        geo[k] *= down;
    }
    Dataset vrt(VRTCreate(columns, rows));
    if (!vrt) {
        return vrt;
    }
    char** options = CSLSetNameValue(nullptr, "subclass", "VRTDerivedRasterBand");
    options = CSLSetNameValue(options, "PixelFunctionType", PIXEL_FUNCTION);
    options = CSLSetNameValue(options, "SourceTransferType", "Float64");
    const CPLErr added = GDALAddBand(vrt.get(), GDT_Float64, options);
    CSLDestroy(options);
    if (added != CE_None) {
        return nullptr;
    }
    auto* derived = static_cast<VRTSourcedRasterBand*>(
        GDALRasterBand::FromHandle(GDALGetRasterBand(vrt.get(), 1)));
    GDALRasterBand* first = GDALRasterBand::FromHandle(value);
    derived->SetNoDataValue(std::numeric_limits<double>::quiet_NaN());
    bool built = derived->AddSimpleSource(first) == CE_None;
    if ((first->GetMaskFlags() & GMF_ALL_VALID) == 0) {
        built = built && derived->AddMaskBandSource(first) == CE_None;
    }
    if (alpha != nullptr) {
        built = built && derived->AddSimpleSource(GDALRasterBand::FromHandle(alpha)) == CE_None;
    }
    if (!built) {
        return nullptr;
    }
    GDALSetGeoTransform(vrt.get(), geo);
    GDALSetSpatialRef(vrt.get(), GDALGetSpatialRef(dataset));
    return vrt;
}
