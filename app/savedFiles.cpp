// The saved-files report the panel shows, and the window's saves of the map files and of a
// picture into the working directory.

#include "app/savedFiles.h"

#include "app/mapFiles.h"
#include "app/shutdown.h"
#include "io/printableText.h"

#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace {

constexpr char WORKING_FOLDER[] = ".";

std::string lastReport;

std::string joined(const std::vector<std::string>& names, const char* between) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : between) + name;
    }
    return text;
}

std::string workingFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string(WORKING_FOLDER) : folder.string();
}

} // namespace

std::string savedReport(const std::string& what, const std::vector<std::string>& names,
                        const std::string& folder) {
    if (names.empty()) {
        return what + ": none written";
    }
    return what + ": " + joined(names, ", ") + "\nin " + folder;
}

void recordSaved(const std::string& what, const std::vector<std::string>& names) {
    lastReport = savedReport(what, names, workingFolder());
}

const std::string& lastSaved() {
    return lastReport;
}

void saveMapFiles(const LandscapeRun& run, std::FILE* out) {
    std::vector<std::string> names;
    {
        const LongWork work;
        names = writeMapFiles(AT_FDCWD, run, true);
        // The areas within the rings on screen, each ring's outer edge a value.
        const Isochrones rings = ringIsochrones(run.settings, shadedMeasure(run.settings.viewMode));
        const std::string areas =
            rings.empty() ? std::string{}
                          : writeIsochroneFiles(AT_FDCWD, run, rings, run.isochroneFormat);
        if (!areas.empty()) {
            names.push_back(areas);
        }
        writeRouteFiles(run);
    }
    std::fprintf(out, "\nMap files written: %s\n",
                 names.empty() ? "none" : joined(names, " ").c_str());
    std::fflush(out);
    recordSaved("Map files", names);
}

void refusePicture(const std::string& reason) {
    recordSaved("Picture", {});
    std::fprintf(stderr, "Error: could not write a picture: %s\n", printable(reason).c_str());
}

void savePicture(const Picture& picture, std::FILE* out) {
    std::string reason;
    const std::string name = writeNewPicture(WORKING_FOLDER, picture, reason);
    if (name.empty()) {
        refusePicture(reason);
        return;
    }
    recordSaved("Picture", std::vector{name});
    std::fprintf(out, "\nPicture written: %s\n", name.c_str());
    std::fflush(out);
}
