#pragma once
// The program's own command-line options. Each starts with "--"; every other argument is left
// for GLUT to take (in the window) or refused (in a batch plan).

#include "app/consoleInput.h"
#include "io/isochroneFile.h"
#include "planner/isochrones.h"

#include <optional>
#include <string>
#include <vector>

// A point in the ground's own coordinates (in --crs's system as the options give it).
struct MapPoint {
    double x;
    double y;
};

struct Options {
    bool help = false;
    bool exact = false;            // plan with the exact planner from the start
    bool sweep = false;            // plan with the spiral sweep from the start
    bool panel = false;            // show the panel from the start
    std::string terrainFile;       // empty: the built-in ground
    std::optional<double> centreX; // in the raster's own coordinates; both or neither
    std::optional<double> centreY;
    std::optional<double> cellSize; // metres
    std::optional<int> sizeColumns; // a window of so many cells ...
    std::optional<int> sizeRows;    // ... by so many
    std::optional<MapPoint> from;   // start and end in the ground's coordinates
    std::optional<MapPoint> to;
    std::vector<MapPoint> via;          // --via X,Y in order (trips)
    std::vector<MapPoint> destinations; // every --to after the first (trips)
    std::vector<MapPoint> starts;       // every --from after the first (nearest of several starts)
    std::optional<double> corridorPercent; // --corridor PCT
    bool plan = false;                     // plan once, without a window
    std::optional<RouteEnds> planCells;    // the four cells given with --plan
    bool noTables = false;                 // a batch plan leaves out the three text tables
    std::optional<float> speedMph;         // miles per hour, for the fuel figure
    std::optional<double> gradeUpPercent;  // both or neither
    std::optional<double> gradeDownPercent;
    std::optional<float> mass;          // kilograms
    std::optional<float> descent;       // 0..1
    std::optional<float> rolling;       // >= 0
    std::optional<double> topSpeedKmh;  // km/h, above 0
    std::optional<double> powerKw;      // kilowatts, above 0
    std::optional<double> sideSlope;    // percent, above 0 and at most 100
    std::optional<int> moves;           // one of MOVE_COUNTS
    std::string barriersFile;           // no-go areas: polygons or a raster
    std::string coverFile;              // ground cover: a raster of speeds or classes
    std::string coverTableFile;         // the cover's classes, CSV; only with coverFile
    std::string outDir;                 // where a batch plan writes; empty: working directory
    std::vector<std::string> otherArgs; // not ours, in order: GLUT's, or an error in a batch
    // --routes: files the routes are written to beside the map files, each in the format its
    // name ends in.
    std::vector<std::string> routeFiles;
    // Points in other systems and from files: --crs names the system --from, --to, --via and
    // --centre are given in (empty: the ground's own); --points names a file whose first point
    // is the start, last the end and those between the via points.
    std::string crs;
    std::string pointsFile;
    // --isochrones and --isochrones-format: the ground a batch plan reaches within each value,
    // and the format of the file it goes to (in the window, of the rings' file too).
    Isochrones isochrones; // no values: none asked for
    IsochroneFormat isochroneFormat = IsochroneFormat::GeoPackage;
};

struct ParsedOptions {
    Options options;
    std::string error; // one line, without its newline; empty when the arguments were good
};

// The most via points a trip takes, and the most destinations one plan is read for.
constexpr int MOST_VIA_POINTS = 64;
constexpr int MOST_DESTINATIONS = 10000;

// Reads args (without the program name). Cells of --plan follow the console dialogue's syntax;
// their range depends on the ground and is checked once it is loaded.
ParsedOptions parseOptions(const std::vector<std::string>& args);

// The text --help prints.
extern const char* const USAGE_TEXT;
