// Replacing a file: a temporary of a random name is created exclusively beside the target, then
// written, synced and renamed over it. Its name is kept for a signal handler to remove, with the
// run-ending signals held while it comes and goes.

#include "io/fileReplace.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t NEW_FILE_MODE = 0666; // narrowed by the umask, as for any new file
constexpr mode_t PERMISSION_BITS = 0777;
constexpr int NAME_ATTEMPTS = 100; // names already taken are skipped, not reused
constexpr char TEMPORARY_SUFFIX[] = ".tmp";

// The temporary that exists now, for a signal handler to remove: its folder and name are
// complete whenever `pending` is set, as signals that end a run are held while either changes.
volatile std::sig_atomic_t pending = 0;
int pendingFolder = AT_FDCWD;
char pendingName[PATH_MAX];

// Holds the signals that end a run while a temporary comes or goes.
class HeldSignals {
  public:
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signalNumber : RUN_ENDING_SIGNALS) {
            sigaddset(&held, signalNumber);
        }
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

  private:
    sigset_t previous_;
};

std::string systemError() {
    return std::strerror(errno);
}

// "<name>.<random hex>.tmp": beside the target, so the rename never crosses a file system.
std::string temporaryName(const std::string& name) {
    static std::mt19937_64 random{std::random_device{}()};
    char tag[2 + 2 * sizeof(unsigned long long) + 1];
    std::snprintf(tag, sizeof tag, ".%016llx", static_cast<unsigned long long>(random()));
    return name + tag + TEMPORARY_SUFFIX;
}

// Creates a new temporary file, known to removeTemporaryFile, and returns its descriptor, or
// -1 when none could be made.
int createTemporary(int folder, const std::string& target, std::string& name) {
    if (target.size() + sizeof ".0123456789abcdef.tmp" > sizeof pendingName) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const HeldSignals held;
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        name = temporaryName(target);
        const int fd = openat(folder, name.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NEW_FILE_MODE);
        if (fd >= 0) {
            pendingFolder = folder;
            std::strcpy(pendingName, name.c_str());
            pending = 1;
        }
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Renames the temporary over the target, or removes it; either way it is no longer pending.
std::string finish(int folder, const std::string& name, const std::string& target,
                   std::string error) {
    const HeldSignals held;
    if (error.empty() && renameat(folder, name.c_str(), folder, target.c_str()) != 0) {
        error = systemError();
    }
    if (!error.empty()) {
        unlinkat(folder, name.c_str(), 0);
    }
    pending = 0;
    return error;
}

// Writes, flushes to disk and closes; the file is closed whatever happens.
std::string writeAndClose(std::FILE* file, const std::function<bool(std::FILE*)>& write) {
    errno = 0;
    std::string error;
    if (!write(file) || std::fflush(file) != 0 || std::ferror(file)) {
        error = errno != 0 ? systemError() : "the contents could not be made";
    } else if (fsync(fileno(file)) != 0) {
        error = systemError();
    }
    if (std::fclose(file) != 0 && error.empty()) {
        error = systemError();
    }
    return error;
}

} // namespace

std::string replaceFile(int folder, const std::string& target,
                        const std::function<bool(std::FILE*)>& write) {
    struct stat old {};
    const bool exists = fstatat(folder, target.c_str(), &old, 0) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        return "not a plain file";
    }
    if (exists && faccessat(folder, target.c_str(), W_OK, 0) != 0) {
        return systemError();
    }
    std::string name;
    const int fd = createTemporary(folder, target, name);
    if (fd < 0) {
        return systemError();
    }
    std::FILE* file = nullptr;
    if (!exists || fchmod(fd, old.st_mode & PERMISSION_BITS) == 0) {
        file = fdopen(fd, "w");
    }
    if (file == nullptr) {
        const std::string error = systemError();
        close(fd);
        return finish(folder, name, target, error);
    }
    return finish(folder, name, target, writeAndClose(file, write));
}

void removeTemporaryFile() {
    if (pending != 0) {
        unlinkat(pendingFolder, pendingName, 0);
        pending = 0;
    }
}

std::string checkFolderWritable(int folder) {
    // Under a name no output has, so that no file of the run is touched.
    std::string name;
    const int fd = createTemporary(folder, "landscape-check", name);
    if (fd < 0) {
        return systemError();
    }
    close(fd);
    finish(folder, name, name, "removed unrenamed"); // a non-empty error removes it
    return {};
}
