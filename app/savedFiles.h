#pragma once
// What the window wrote last (the tables of `P`, the map files or a picture) and where, for
// the panel; and the window's two saves that are not keys of their own.

#include "app/landscapeRun.h"
#include "io/pictureFile.h"

#include <cstdio>
#include <string>
#include <vector>

// "WHAT: NAME, NAME\nin FOLDER", or "WHAT: none written" without names.
std::string savedReport(const std::string& what, const std::vector<std::string>& names,
                        const std::string& folder);

// Records files just written into the working directory.
void recordSaved(const std::string& what, const std::vector<std::string>& names);

// The report of the last record; "" before the first.
const std::string& lastSaved();

// Writes the map files of the plan on screen into the working directory (routes.gpx too on
// ground with a coordinate system, then the areas within the rings on screen) and prints which,
// then the files of --routes.
void saveMapFiles(const LandscapeRun& run, std::FILE* out);

// Writes `picture` as the next free landscape-N.png in the working directory and prints its
// name, or reports on stderr that it could not be written.
void savePicture(const Picture& picture, std::FILE* out);

// Reports on stderr that no picture was written, and why; the saved-files line says so too.
void refusePicture(const std::string& reason);
