#pragma once
// The plan in the route tables as files GIS tools open: the cost rasters, the heights the
// planner used and the routes.

#include "app/landscapeRun.h"
#include "io/isochroneFile.h"
#include "planner/isochrones.h"

#include <string>
#include <vector>

// How many map files writeMapFiles writes for the run's last plan: four, and time.tif too when
// the plan was timed.
int mapFileCount(const LandscapeRun& run);

// Writes distance.tif, energy.tif, time.tif (when the last plan was timed), heights.tif,
// routes.geojson and, when `withGps` and the ground has a coordinate system, routes.gpx into the
// folder open as `folder` (a directory descriptor, or AT_FDCWD) for the run's last plan, each
// whole or not at all; each one not written is reported on stderr as
// "Error: could not write NAME: REASON". Returns the names of the files written, in that order.
std::vector<std::string> writeMapFiles(int folder, const LandscapeRun& run, bool withGps = false);

// Writes the routes of the run's last plan to each file of run.routeFiles (named from the
// working directory) in the format its name ends in, each whole or not at all and each one not
// written reported as writeMapFiles does. Returns how many were not written.
int writeRouteFiles(const LandscapeRun& run);

// Writes the ground the run's last plan reaches within each of the values of `isochrones` as
// isochroneFileName(format) into the folder open as `folder`, whole or not at all, a failure
// reported as writeMapFiles does. Returns the name of the file written, empty when it was not.
std::string writeIsochroneFiles(int folder, const LandscapeRun& run, const Isochrones& isochrones,
                                IsochroneFormat format);
