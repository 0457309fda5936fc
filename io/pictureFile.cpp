#include "io/pictureFile.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char MEMORY_PATH[] = "/vsimem/landscapePicture.png";
constexpr int CHANNELS = 3;
constexpr int MAX_PICTURES = 1000000; // far past any session; ends the search in a full folder
constexpr mode_t FILE_MODE = 0666;    // less the umask, as any new file

// The PNG encoded in memory at MEMORY_PATH.
bool encode(const Picture& picture) {
    GDALDriverH memory = GDALGetDriverByName("MEM");
    GDALDriverH png = GDALGetDriverByName("PNG");
    if (memory == nullptr || png == nullptr) {
        return false;
    }
    GDALDatasetH source =
        GDALCreate(memory, "", picture.width, picture.height, CHANNELS, GDT_Byte, nullptr);
    if (source == nullptr) {
        return false;
    }
    const int row = picture.width * CHANNELS;
    GDALDatasetH encoded = nullptr;
    if (GDALDatasetRasterIO(source, GF_Write, 0, 0, picture.width, picture.height,
                            const_cast<unsigned char*>(picture.rgb.data()), picture.width,
                            picture.height, GDT_Byte, CHANNELS, nullptr, CHANNELS, row,
                            1) == CE_None) {
        encoded = GDALCreateCopy(png, MEMORY_PATH, source, FALSE, nullptr, nullptr, nullptr);
    }
    GDALClose(source);
    if (encoded == nullptr) {
        return false;
    }
    CPLErrorReset();
    GDALClose(encoded);
    return CPLGetLastErrorType() == CE_None;
}

bool writeAll(int fd, const GByte* bytes, vsi_l_offset size) {
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<vsi_l_offset>(n);
    }
    return fsync(fd) == 0;
}

std::string writeBytes(const std::string& folder, const GByte* bytes, vsi_l_offset size) {
    for (int n = 1; n <= MAX_PICTURES; ++n) {
        const std::string name = pictureFileName(n);
        const std::string path = folder + "/" + name;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, FILE_MODE);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            return "";
        }
        const bool written = writeAll(fd, bytes, size);
        if (close(fd) != 0 || !written) {
            unlink(path.c_str()); // ours alone: it was created exclusively above
            return "";
        }
        return name;
    }
    return "";
}

} // namespace

std::string pictureFileName(int n) {
    return "landscape-" + std::to_string(n) + ".png";
}

std::string writeNewPicture(const std::string& folder, const Picture& picture) {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALRegister_MEM();
    GDALRegister_PNG();
    std::string name;
    if (encode(picture)) {
        vsi_l_offset size = 0;
        const GByte* bytes = VSIGetMemFileBuffer(MEMORY_PATH, &size, FALSE);
        if (bytes != nullptr) {
            name = writeBytes(folder, bytes, size);
        }
    }
    VSIUnlink(MEMORY_PATH);
    CPLPopErrorHandler();
    return name;
}
