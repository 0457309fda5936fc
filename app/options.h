#pragma once
// The program's own command-line options. Each starts with "--"; every other argument is left
// for GLUT to take (in the window) or refused (in a batch plan).

#include "app/consoleInput.h"

#include <optional>
#include <string>
#include <vector>

struct Options {
    bool help = false;
    bool exact = false;            // plan with the exact planner from the start
    bool panel = false;            // show the panel from the start
    std::string terrainFile;       // empty: the built-in ground
    std::optional<double> centreX; // in the raster's own coordinates; both or neither
    std::optional<double> centreY;
    std::optional<CellEntry> plan;      // plan these cells once, without a window
    std::optional<float> speedMph;      // miles per hour, for the fuel figure
    std::string outDir;                 // where a batch plan writes; empty: working directory
    std::vector<std::string> otherArgs; // not ours, in order: GLUT's, or an error in a batch
};

struct ParsedOptions {
    Options options;
    std::string error; // one line, without its newline; empty when the arguments were good
};

// Reads args (without the program name). Cells of --plan follow the console dialogue's syntax
// and range (1..364 each).
ParsedOptions parseOptions(const std::vector<std::string>& args);

// The text --help prints.
extern const char* const USAGE_TEXT;
