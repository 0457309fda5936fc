#include "app/options.h"

#include "io/printableText.h"
#include "render/overlays.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

const char* const USAGE_TEXT =
    "Usage: landscape [--exact] [--panel] [--terrain FILE [--centre X,Y]] [GLUT options]\n"
    "       landscape --plan SX SY EX EY [--terrain FILE] [--centre X,Y] [--exact]\n"
    "                 [--speed MPH] [--out DIR]\n"
    "\n"
    "  --exact            plan least costs exactly instead of by one spiral sweep\n"
    "  --panel            show the settings panel from the start (key h toggles it)\n"
    "  --terrain FILE     load the ground from an elevation raster GDAL reads\n"
    "  --centre X,Y       centre of the 365 x 365 window, in the raster's coordinates\n"
    "                     (degrees for a longitude/latitude raster); default its centre\n"
    "  --plan SX SY EX EY plan from cell (SX, SY) to (EX, EY) without a window, each 1..364,\n"
    "                     write the tables, GeoTIFF cost rasters and GeoJSON routes, and end\n"
    "  --speed MPH        speed for the fuel figure, miles per hour (default 55)\n"
    "  --out DIR          folder a batch plan writes into (default the working directory)\n"
    "  --help             print this text and end\n";

namespace {

constexpr int PLAN_VALUES = 4;
// Options that cannot be given together: the panel belongs to the window a plan never opens.
constexpr const char* CONFLICTS[][2] = {{"--panel", "--plan"}};
// No route has more miles than the grid has cells: each step is far shorter than a mile.
constexpr float MOST_ROUTE_MILES = GRID_CELLS;

bool parseReal(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

std::string quoted(const std::string& text) {
    return "'" + printable(text) + "'";
}

class Reader {
  public:
    explicit Reader(const std::vector<std::string>& args) : args_(args) {}
    bool done() const { return next_ >= args_.size(); }
    const std::string& take() { return args_[next_++]; }
    // The value after option `name`, or nothing (and an error) when the arguments end first.
    const std::string* value(const std::string& name, std::string& error) {
        if (done()) {
            error = name + ": a value is missing";
            return nullptr;
        }
        return &take();
    }

  private:
    const std::vector<std::string>& args_;
    size_t next_ = 0;
};

std::string parsePlan(Reader& reader, Options& options) {
    int values[PLAN_VALUES];
    for (int& v : values) {
        std::string error;
        const std::string* text = reader.value("--plan", error);
        if (text == nullptr) {
            return "--plan: four cells are needed (SX SY EX EY)";
        }
        const std::optional<int> parsed = parseIntToken(*text);
        if (!parsed) {
            return "--plan: " + quoted(*text) + " is not an integer";
        }
        v = *parsed;
    }
    const CellEntry entry{values[0], values[1], values[2], values[3]};
    if (!isCellEntryInRange(entry)) {
        return "--plan: each cell must lie in 1..364";
    }
    options.plan = entry;
    return {};
}

std::string parseCentre(const std::string& text, Options& options) {
    const size_t comma = text.find(',');
    double x = 0.0;
    double y = 0.0;
    if (comma == std::string::npos || !parseReal(text.substr(0, comma), x) ||
        !parseReal(text.substr(comma + 1), y)) {
        return "--centre: " + quoted(text) + " is not X,Y";
    }
    options.centreX = x;
    options.centreY = y;
    return {};
}

std::string parseSpeed(const std::string& text, Options& options) {
    double mph = 0.0;
    // A speed whose fuel figure overflows would print and write an infinite one.
    if (!parseReal(text, mph) || mph < 0.0 ||
        !std::isfinite(fuelPerMile(static_cast<float>(mph)) * MOST_ROUTE_MILES)) {
        return "--speed: " + quoted(text) + " is not a speed in miles per hour";
    }
    options.speedMph = static_cast<float>(mph);
    return {};
}

// Applies one option of ours; returns the error, empty when it was good.
std::string parseOne(const std::string& name, Reader& reader, Options& options) {
    if (name == "--help") {
        options.help = true;
        return {};
    }
    if (name == "--exact") {
        options.exact = true;
        return {};
    }
    if (name == "--panel") {
        options.panel = true;
        return {};
    }
    if (name == "--plan") {
        return parsePlan(reader, options);
    }
    std::string error;
    const std::string* value = nullptr;
    if (name == "--terrain" || name == "--centre" || name == "--speed" || name == "--out") {
        value = reader.value(name, error);
        if (value == nullptr) {
            return error;
        }
    }
    if (name == "--terrain") {
        options.terrainFile = *value;
        return value->empty() ? "--terrain: the file name is empty" : std::string{};
    }
    if (name == "--centre") {
        return parseCentre(*value, options);
    }
    if (name == "--speed") {
        return parseSpeed(*value, options);
    }
    if (name == "--out") {
        options.outDir = *value;
        return value->empty() ? "--out: the folder name is empty" : std::string{};
    }
    return printable(name) + ": unknown option (see --help)";
}

// The error for two options given together that do not go together, empty when none are.
std::string conflict(const std::set<std::string>& given) {
    for (const auto& [one, other] : CONFLICTS) {
        if (given.count(one) != 0 && given.count(other) != 0) {
            return std::string(one) + ": does not go with " + other;
        }
    }
    return {};
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    Reader reader(args);
    std::set<std::string> given;
    while (!reader.done()) {
        const std::string& arg = reader.take();
        if (arg.rfind("--", 0) != 0) {
            options.otherArgs.push_back(arg);
            continue;
        }
        parsed.error = parseOne(arg, reader, options);
        if (parsed.error.empty() && !given.insert(arg).second) {
            parsed.error = arg + ": given twice";
        }
        if (!parsed.error.empty()) {
            return parsed;
        }
    }
    parsed.error = conflict(given);
    if (!parsed.error.empty()) {
        return parsed;
    }
    if (options.centreX && options.terrainFile.empty()) {
        parsed.error = "--centre: goes with --terrain";
    } else if (!options.outDir.empty() && !options.plan) {
        parsed.error = "--out: goes with --plan";
    } else if (options.plan && !options.otherArgs.empty()) {
        parsed.error = printable(options.otherArgs.front()) + ": unknown option (see --help)";
    }
    return parsed;
}
