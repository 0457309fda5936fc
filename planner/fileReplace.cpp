#include "planner/fileReplace.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char TEMPORARY_PATTERN[] = ".XXXXXX";
constexpr mode_t NEW_FILE_MODE = 0666; // before the umask, as for any file the program creates
} // namespace

bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    std::string temporary = path + TEMPORARY_PATTERN;
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    // mkstemp makes the file private; the finished file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    bool written = fchmod(fd, NEW_FILE_MODE & ~mask) == 0 && write(file) &&
                   std::fflush(file) == 0 && fsync(fd) == 0;
    written = std::fclose(file) == 0 && written;
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    unlink(temporary.c_str());
    return false;
}
