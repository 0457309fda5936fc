#include "io/fileReplace.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t NEW_FILE_MODE = 0666; // narrowed by the umask, as for any new file
constexpr mode_t PERMISSION_BITS = 0777;
constexpr int NAME_ATTEMPTS = 100; // names already taken are skipped, not reused
constexpr char TEMPORARY_SUFFIX[] = ".tmp";

// "<path>.<random hex>.tmp": beside the target, so the rename never crosses a file system.
std::string temporaryName(const std::string& path) {
    static std::mt19937_64 random{std::random_device{}()};
    char tag[2 + 2 * sizeof(unsigned long long) + 1];
    std::snprintf(tag, sizeof tag, ".%016llx", static_cast<unsigned long long>(random()));
    return path + tag + TEMPORARY_SUFFIX;
}

// Creates a new temporary file and returns its descriptor, or -1 when none could be made.
int createTemporary(const std::string& path, std::string& name) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        name = temporaryName(path);
        const int fd =
            open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NEW_FILE_MODE);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes, flushes to disk and closes; the file is closed whatever happens.
bool writeAndClose(std::FILE* file, const std::function<bool(std::FILE*)>& write) {
    bool written = write(file) && std::fflush(file) == 0 && !std::ferror(file);
    written = written && fsync(fileno(file)) == 0;
    return std::fclose(file) == 0 && written;
}

} // namespace

bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    struct stat old {};
    const bool exists = stat(path.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || access(path.c_str(), W_OK) != 0)) {
        return false;
    }
    std::string name;
    const int fd = createTemporary(path, name);
    if (fd < 0) {
        return false;
    }
    std::FILE* file = nullptr;
    if (!exists || fchmod(fd, old.st_mode & PERMISSION_BITS) == 0) {
        file = fdopen(fd, "w");
    }
    if (file == nullptr) {
        close(fd);
        unlink(name.c_str());
        return false;
    }
    if (!writeAndClose(file, write) || std::rename(name.c_str(), path.c_str()) != 0) {
        unlink(name.c_str());
        return false;
    }
    return true;
}
