// Pictures as PNG files: GDAL encodes the picture in memory, then the bytes go to the first free
// landscape-N.png, created exclusively so that no file already there is replaced.

#include "io/pictureFile.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char MEMORY_PATH[] = "/vsimem/landscapePicture.png";
constexpr int CHANNELS = 3;
constexpr int MAX_PICTURES = 1000000; // far past any session; ends the search in a full folder
constexpr mode_t FILE_MODE = 0666;    // less the umask, as any new file

// GDAL's last error, or a plain reason when it gave none.
std::string encodingError() {
    const char* message = CPLGetLastErrorMsg();
    return std::string("the PNG could not be made") +
           (message != nullptr && *message != '\0' ? std::string(": ") + message : "");
}

// Encodes `picture` as a PNG in memory at MEMORY_PATH; false when GDAL could not.
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

std::string writeBytes(const std::string& folder, const GByte* bytes, vsi_l_offset size,
                       std::string& reason) {
    for (int n = 1; n <= MAX_PICTURES; ++n) {
        const std::string name = pictureFileName(n);
        const std::string path = folder + "/" + name;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, FILE_MODE);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            reason = std::strerror(errno);
            return "";
        }
        const bool written = writeAll(fd, bytes, size);
        const int writeError = errno;
        if (close(fd) != 0 || !written) {
            reason = std::strerror(written ? errno : writeError);
            unlink(path.c_str()); // ours alone: it was created exclusively above
            return "";
        }
        return name;
    }
    reason = "every picture name up to " + pictureFileName(MAX_PICTURES) + " is taken";
    return "";
}

} // namespace

std::string pictureFileName(int n) {
    return "landscape-" + std::to_string(n) + ".png";
}

std::string pictureSizeRefusal(int width, int height) {
    if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) <= MAX_PICTURE_PIXELS) {
        return {};
    }
    return "the view of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is larger than the " + std::to_string(MAX_PICTURE_PIXELS / 1'000'000) +
           " million a picture takes";
}

WindowSize pictureSizedWindow(int width, int height) {
    const double pixels = static_cast<double>(width) * static_cast<double>(height);
    if (pixels <= static_cast<double>(MAX_PICTURE_PIXELS)) {
        return {width, height};
    }
    const double shrink = std::sqrt(static_cast<double>(MAX_PICTURE_PIXELS) / pixels);
    return {std::max(1, static_cast<int>(width * shrink)),
            std::max(1, static_cast<int>(height * shrink))};
}

std::string writeNewPicture(const std::string& folder, const Picture& picture,
                            std::string& reason) {
    reason = pictureSizeRefusal(picture.width, picture.height);
    if (!reason.empty()) {
        return "";
    }
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALRegister_MEM();
    GDALRegister_PNG();
    std::string name;
    CPLErrorReset();
    if (encode(picture)) {
        vsi_l_offset size = 0;
        const GByte* bytes = VSIGetMemFileBuffer(MEMORY_PATH, &size, FALSE);
        if (bytes != nullptr) {
            name = writeBytes(folder, bytes, size, reason);
        } else {
            reason = encodingError();
        }
    } else {
        reason = encodingError();
    }
    VSIUnlink(MEMORY_PATH);
    CPLPopErrorHandler();
    return name;
}
