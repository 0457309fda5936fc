#include "io/ogrFile.h"

#include "io/fileReplace.h"

#include <cpl_error.h>
#include <cpl_vsi.h>

#include <cstdio>
#include <mutex>

std::string ogrLastError() {
    return *CPLGetLastErrorMsg() != '\0' ? CPLGetLastErrorMsg() : "OGR could not build it";
}

std::string writeThroughMemory(int folder, const std::string& name, const std::string& memoryFolder,
                               const std::string& builtName,
                               const std::function<std::string(const std::string& path)>& build) {
    static std::mutex building;
    const std::lock_guard<std::mutex> hold(building);
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const std::string path = memoryFolder + "/" + builtName;
    VSIRmdirRecursive(memoryFolder.c_str());
    std::string error = build(path);
    vsi_l_offset size = 0;
    const GByte* bytes = error.empty() ? VSIGetMemFileBuffer(path.c_str(), &size, FALSE) : nullptr;
    if (error.empty() && bytes == nullptr) {
        error = "OGR wrote nothing";
    }
    if (error.empty()) {
        error = replaceFile(folder, name, [&](std::FILE* file) {
            return std::fwrite(bytes, 1, size, file) == size;
        });
    }
    VSIRmdirRecursive(memoryFolder.c_str());
    CPLPopErrorHandler();
    return error;
}

std::string buildDataset(const char* driver, const std::string& path,
                         const std::function<std::string(GDALDatasetH dataset)>& fill) {
    GDALDatasetH dataset =
        GDALCreate(GDALGetDriverByName(driver), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (dataset == nullptr) {
        return ogrLastError();
    }
    std::string error = fill(dataset);
    // Closing writes the file; a failure there shows only as the last error.
    if (error.empty()) {
        CPLErrorReset();
    }
    GDALClose(dataset);
    if (error.empty() && CPLGetLastErrorType() != CE_None) {
        error = ogrLastError();
    }
    return error;
}
