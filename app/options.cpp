// Parsing the command line, and the --help text. Each option is checked as it is read (one given
// twice is refused there), then the options together: conflicts and ones that need another.

#include "app/options.h"

#include "io/groundRaster.h"
#include "io/lonLat.h"
#include "io/printableText.h"
#include "io/routeGeoJson.h"
#include "planner/moveSet.h"
#include "render/overlays.h"
#include "terrain/vehicle.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

const char* const USAGE_TEXT =
    "Usage: landscape [--exact | --sweep] [--moves N] [--panel] [GROUND] [VEHICLE]\n"
    "                 [--from X,Y --to X,Y | --points FILE] [--via X,Y]... [--crs CRS]\n"
    "                 [--corridor PCT] [--routes FILE]... [--isochrones-format F]\n"
    "                 [GLUT options]\n"
    "       landscape --plan [SX SY EX EY] [GROUND] [VEHICLE] [--from X,Y --to X,Y]\n"
    "                 [--via X,Y]... [--points FILE] [--crs CRS] [--exact | --sweep]\n"
    "                 [--moves N] [--speed MPH] [--no-tables] [--out DIR] [--routes FILE]...\n"
    "                 [--corridor PCT] [--isochrones LIST [--isochrones-format F]]\n"
    "\n"
    "  --exact            plan least costs exactly (the default on loaded ground)\n"
    "  --sweep            plan by one spiral sweep (the default on the built-in ground)\n"
    "  --moves N          headings a move out of a cell may take: 8, 16, 32, 48, 80 or 96\n"
    "                     (default 8 on the built-in ground, 48 on loaded ground)\n"
    "  --panel            show the settings panel from the start (key h toggles it)\n"
    "  --plan [SX SY EX EY]\n"
    "                     plan from cell (SX, SY) to (EX, EY) without a window, write the\n"
    "                     tables, GeoTIFF heights and cost rasters and GeoJSON routes, and end\n"
    "  --from X,Y         start at this point of the ground, in its own coordinates (or in\n"
    "                     --crs's); given again (up to 10000), plan from the start nearest\n"
    "                     each cell (exact)\n"
    "  --to X,Y           end at this point; given again, plan to each of these points\n"
    "  --via X,Y          pass through this point on the way, in order (may be repeated)\n"
    "  --points FILE      start, pass and end at the points of FILE in order: a GPX (its route,\n"
    "                     else track, else waypoints), a GeoJSON or GeoPackage layer of points\n"
    "                     or one line, or a CSV of lon,lat (WGS 84) or x,y columns\n"
    "  --crs CRS          the system --from, --to, --via, --centre and x,y columns are given\n"
    "                     in: an EPSG code, a PROJ string or WKT (longitude/latitude as\n"
    "                     LON,LAT); default the ground's own\n"
    "  --corridor PCT     show (and a batch plan writes corridor.tif of) the cells whose best\n"
    "                     route through them costs within PCT % of the best route's (exact)\n"
    "  --speed MPH        speed for the fuel figure, miles per hour (default 55)\n"
    "  --no-tables        a batch plan leaves out the three text tables\n"
    "  --out DIR          folder a batch plan writes into (default the working directory)\n"
    "  --routes FILE      write the routes also to FILE whenever the map files are written,\n"
    "                     as its name ends: .geojson, .gpx, .kml or .gpkg (may be repeated)\n"
    "  --isochrones LIST  a batch plan writes isochrones.gpkg, the ground reached within each\n"
    "                     value of LIST, increasing and in one unit: 10min,20min,30min or\n"
    "                     2km,5km or 1MJ,5MJ (s, min, h, m, km, J, kJ, MJ)\n"
    "  --isochrones-format F\n"
    "                     gpkg (the default) or geojson: isochrones.geojson in longitude/\n"
    "                     latitude instead; also the format of the rings' areas the window's\n"
    "                     Save map files writes\n"
    "  --help             print this text and end\n"
    "GROUND (default the built-in 365 x 365 cells of 30 m):\n"
    "  --terrain FILE     load the ground from an elevation raster GDAL reads, whole and at\n"
    "                     its own resolution\n"
    "  --cell-size M      resample it to cells of M metres\n"
    "  --size C[xR]       cut a window of C x R cells (C x C without R) ...\n"
    "  --centre X,Y       ... centred here, in the raster's coordinates (degrees for a\n"
    "                     longitude/latitude raster) or --crs's; default its centre\n"
    "  --barriers FILE    no-go areas: polygons OGR reads, or a raster whose non-zero cells\n"
    "                     are barriers\n"
    "  --cover FILE       ground cover: a raster whose values are speeds in km/h (0: no-go)\n"
    "  --cover-table CSV  ... or classes, of a table class,name,speed_kmh,rolling (an empty\n"
    "                     rolling: the vehicle's)\n"
    "VEHICLE (default a 7 % grade both ways, 1325 kg, descent 1, rolling 0, 90 km/h):\n"
    "  --grade PCT[,DOWN] steepest grade up (and down), percent, above 0 and at most 100\n"
    "  --mass KG          vehicle mass, kilograms\n"
    "  --descent F        share of the lift energy a descent costs, 0..1\n"
    "  --rolling CRR      rolling-resistance coefficient, 0 or more (0.015 paved road)\n"
    "  --top-speed KMH    the fastest the vehicle goes on any ground, km/h, above 0\n"
    "  --power KW         power that slows it on a climb, kilowatts, above 0 (default none)\n"
    "  --side-slope PCT   steepest slope it may lean across, percent, above 0 and at most 100\n"
    "                     (default none)\n";

namespace {

constexpr int PLAN_VALUES = 4;
constexpr int DECIMAL = 10;
// -h is --help: no option of GLUT's is spelt so, and it is what people type first.
constexpr const char* SHORT_HELP = "-h";
constexpr const char* HELP = "--help";
// Options that may be given more than once.
constexpr const char* REPEATABLE[] = {"--routes", "--via", "--to", "--from"};
// The most starts one plan takes.
constexpr std::size_t MOST_STARTS = 10000;
// Options that cannot be given together: the panel belongs to the window a plan never opens, and
// a run starts with one planner.
// The points of a file are the whole trip: no other end or via point goes with them.
constexpr const char* CONFLICTS[][2] = {{"--panel", "--plan"},
                                        {"--exact", "--sweep"},
                                        {"--points", "--from"},
                                        {"--points", "--to"},
                                        {"--points", "--via"}};
// No route has more miles than the grid has cells: each step is far shorter than a mile.
constexpr float MOST_ROUTE_MILES = MAX_GRID_CELLS;

bool parseReal(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    // A number too small for a double is read as strtod rounds it, as one written in hex digits
    // that lands on the same value is: every spelling of a value means the same.
    const bool underflowed = errno == ERANGE && std::fabs(value) <= DBL_MIN;
    return (errno == 0 || underflowed) && *end == '\0' && std::isfinite(value);
}

std::string quoted(const std::string& text) {
    return "'" + printableExcerpt(text) + "'";
}

class Reader {
  public:
    explicit Reader(const std::vector<std::string>& args) : args_(args) {}
    bool done() const { return next_ >= args_.size(); }
    const std::string& take() { return args_[next_++]; }
    const std::string& peek() const { return args_[next_]; }
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

// Ours are the arguments that start with "--", and -h; every other one is left for GLUT.
bool isOwnOption(const std::string& arg) {
    return arg.rfind("--", 0) == 0 || arg == SHORT_HELP;
}

// --plan takes four cells, or none when the next argument is an option of ours.
std::string parsePlan(Reader& reader, Options& options) {
    options.plan = true;
    if (reader.done() || isOwnOption(reader.peek())) {
        return {};
    }
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
    options.planCells = RouteEnds{values[0], values[1], values[2], values[3]};
    return {};
}

// What a number refused only for being too big is told: it is above 0, or 0 or more, after all.
std::string aboveLimit(const std::string& name, const std::string& text) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", MAX_VEHICLE_FIGURE);
    return name + ": " + quoted(text) + " is above the limit of " + limit;
}

// A real number after `name` that `accept` takes; the error names the option and `what` it must be.
// Where `limited`, a number refused that is above MAX_VEHICLE_FIGURE is told so.
template <typename Accept>
std::string parseNumber(const std::string& name, const std::string& text, const char* what,
                        Accept&& accept, std::optional<double>& out, bool limited = false) {
    double value = 0.0;
    const bool read = parseReal(text, value);
    if (read && !accept(value) && limited && value > MAX_VEHICLE_FIGURE) {
        return aboveLimit(name, text);
    }
    if (!read || !accept(value)) {
        return name + ": " + quoted(text) + " is not " + what;
    }
    out = value;
    return {};
}

std::string parseFloatOption(const std::string& name, const std::string& text, const char* what,
                             bool (*accept)(double), std::optional<float>& out,
                             bool limited = false) {
    // Checked as it is stored: a value that rounds to a float 0 is not above 0, and one that
    // rounds past the largest figure is above it.
    std::optional<double> value;
    double read = 0.0;
    if (limited && parseReal(text, read) && read > 0.0 &&
        !(static_cast<float>(read) <= static_cast<float>(MAX_VEHICLE_FIGURE))) {
        return aboveLimit(name, text);
    }
    std::string error = parseNumber(
        name, text, what, [accept](double v) { return accept(static_cast<float>(v)); }, value);
    if (error.empty()) {
        out = static_cast<float>(*value);
    }
    return error;
}

// Two reals "X,Y".
bool parsePair(const std::string& text, double& x, double& y) {
    const size_t comma = text.find(',');
    return comma != std::string::npos && parseReal(text.substr(0, comma), x) &&
           parseReal(text.substr(comma + 1), y);
}

std::string parsePoint(const std::string& name, const std::string& text,
                       std::optional<MapPoint>& out) {
    double x = 0.0;
    double y = 0.0;
    if (!parsePair(text, x, y)) {
        return name + ": " + quoted(text) + " is not X,Y";
    }
    out = MapPoint{x, y};
    return {};
}

// The first --to is the end; every later one is one more destination.
std::string parseEnd(const std::string& text, Options& options) {
    std::optional<MapPoint> point;
    const std::string error = parsePoint("--to", text, point);
    if (!error.empty()) {
        return error;
    }
    if (!options.to) {
        options.to = point;
        return {};
    }
    if (options.destinations.size() + 1 >= static_cast<std::size_t>(MOST_DESTINATIONS)) {
        return "--to: more than " + std::to_string(MOST_DESTINATIONS) + " destinations";
    }
    options.destinations.push_back(*point);
    return {};
}

std::string parseVia(const std::string& text, Options& options) {
    std::optional<MapPoint> point;
    const std::string error = parsePoint("--via", text, point);
    if (!error.empty()) {
        return error;
    }
    if (options.via.size() >= static_cast<std::size_t>(MOST_VIA_POINTS)) {
        return "--via: more than " + std::to_string(MOST_VIA_POINTS) + " via points";
    }
    options.via.push_back(*point);
    return {};
}

std::string parseGrade(const std::string& text, Options& options) {
    const char* what = "a grade in percent above 0 and at most 100 (PCT or UP,DOWN)";
    double up = 0.0;
    double down = 0.0;
    if (text.find(',') == std::string::npos) {
        if (!parseReal(text, up)) {
            return "--grade: " + quoted(text) + " is not " + what;
        }
        down = up;
    } else if (!parsePair(text, up, down)) {
        return "--grade: " + quoted(text) + " is not " + what;
    }
    if (!isGradePercent(up) || !isGradePercent(down)) {
        return "--grade: " + quoted(text) + " is not " + what;
    }
    options.gradeUpPercent = up;
    options.gradeDownPercent = down;
    return {};
}

// "C" or "CxR", whole numbers of cells from MIN_GRID_SIDE up.
std::string parseSize(const std::string& text, Options& options) {
    const size_t times = text.find('x');
    const std::string columns = text.substr(0, times);
    const std::string rows = times == std::string::npos ? columns : text.substr(times + 1);
    // Decimal as a person writes a size: a leading 0 is no octal prefix here.
    const auto cells = [](const std::string& digits) {
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
            return 0;
        }
        errno = 0;
        const long value = std::strtol(digits.c_str(), nullptr, DECIMAL);
        return errno == 0 && value <= INT_MAX ? static_cast<int>(value) : 0;
    };
    const int c = cells(columns);
    const int r = cells(rows);
    if (c < MIN_GRID_SIDE || r < MIN_GRID_SIDE) {
        return "--size: " + quoted(text) + " is not C or CxR cells, each at least 3";
    }
    options.sizeColumns = c;
    options.sizeRows = r;
    return {};
}

std::string parseCentre(const std::string& text, Options& options) {
    double x = 0.0;
    double y = 0.0;
    if (!parsePair(text, x, y)) {
        return "--centre: " + quoted(text) + " is not X,Y";
    }
    options.centreX = x;
    options.centreY = y;
    return {};
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string{}
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One value of --isochrones: a number with a unit's symbol after it ("10min", "1.5 h").
std::string parseIsochroneValue(const std::string& item, const IsochroneUnit*& unit,
                                double& value) {
    std::string units;
    for (const IsochroneUnit& u : ISOCHRONE_UNITS) {
        units += (units.empty() ? "" : ", ") + std::string(u.symbol);
    }
    const std::string written = trimmed(item);
    // The symbol is the letters at the end; a value of letters only has no number (npos + 1 is
    // 0).
    const size_t symbolStart =
        written.find_last_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") + 1;
    const std::string symbol = written.substr(symbolStart);
    const IsochroneUnit* const end = std::end(ISOCHRONE_UNITS);
    unit = std::find_if(std::begin(ISOCHRONE_UNITS), end,
                        [&symbol](const IsochroneUnit& u) { return symbol == u.symbol; });
    if (unit == end || !parseReal(trimmed(written.substr(0, symbolStart)), value) ||
        !(value > 0.0) || !std::isfinite(value * unit->tableUnits)) {
        return "--isochrones: " + quoted(written) + " is not a number above 0 with a unit (" +
               units + ")";
    }
    return {};
}

// A list of values of one unit, each above the one before.
std::string parseIsochrones(const std::string& text, Options& options) {
    Isochrones list;
    std::string previous;
    for (size_t begin = 0; begin <= text.size();) {
        const size_t comma = std::min(text.find(',', begin), text.size());
        const std::string item = trimmed(text.substr(begin, comma - begin));
        begin = comma + 1;
        if (item.empty()) {
            return "--isochrones: " + quoted(text) + " has an empty value";
        }
        const IsochroneUnit* unit = nullptr;
        double value = 0.0;
        const std::string error = parseIsochroneValue(item, unit, value);
        if (!error.empty()) {
            return error;
        }
        if (list.empty()) {
            list = Isochrones{unit->measure, unit->symbol, unit->tableUnits, {}};
        } else if (list.unit != unit->symbol) {
            return "--isochrones: " + quoted(text) + " mixes units (" + list.unit + " and " +
                   unit->symbol + "); give every value in one";
        } else if (!(value > list.values.back())) {
            return "--isochrones: " + quoted(text) + " does not increase: " + quoted(item) +
                   " follows " + quoted(previous);
        }
        if (list.values.size() == MOST_ISOCHRONES) {
            return "--isochrones: " + quoted(text) + " has more than " +
                   std::to_string(MOST_ISOCHRONES) + " values";
        }
        list.values.push_back(value);
        previous = item;
    }
    options.isochrones = std::move(list);
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

// A move count in decimal, as people write one: a leading 0 is no octal prefix here.
std::string parseMoves(const std::string& text, Options& options) {
    std::string counts;
    for (const int count : MOVE_COUNTS) {
        counts += (counts.empty() ? "" : ", ") + std::to_string(count);
    }
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    errno = 0;
    const long value = digits ? std::strtol(text.c_str(), nullptr, DECIMAL) : 0;
    const int count = errno == 0 && value <= MOST_MOVES ? static_cast<int>(value) : 0;
    if (!isMoveCount(count)) {
        return "--moves: " + quoted(text) + " is not one of " + counts;
    }
    options.moves = count;
    return {};
}

// Applies one option of ours; returns the error, empty when it was good.
std::string parseOne(const std::string& name, Reader& reader, Options& options) {
    if (name == HELP) {
        options.help = true;
        return {};
    }
    if (name == "--exact") {
        options.exact = true;
        return {};
    }
    if (name == "--sweep") {
        options.sweep = true;
        return {};
    }
    if (name == "--panel") {
        options.panel = true;
        return {};
    }
    if (name == "--plan") {
        return parsePlan(reader, options);
    }
    if (name == "--no-tables") {
        options.noTables = true;
        return {};
    }
    // Kept in columns, so that an option added changes a line, not the table.
    // clang-format off
    static const char* const withValue[] = {
        "--terrain",     "--centre",    "--speed",    "--out",        "--cell-size",
        "--size",        "--from",      "--to",       "--grade",      "--mass",
        "--descent",     "--rolling",   "--barriers", "--moves",      "--cover",
        "--cover-table", "--top-speed", "--power",    "--side-slope", "--routes",
        "--isochrones",  "--isochrones-format", "--crs", "--points", "--via",
        "--corridor"};
    // clang-format on
    if (std::find(std::begin(withValue), std::end(withValue), name) == std::end(withValue)) {
        return printableExcerpt(name) + ": unknown option (see --help)";
    }
    std::string error;
    const std::string* value = reader.value(name, error);
    if (value == nullptr) {
        return error;
    }
    if (name == "--cell-size") {
        return parseNumber(
            name, *value, "a cell size in metres above 0", [](double m) { return m > 0.0; },
            options.cellSize);
    }
    if (name == "--size") {
        return parseSize(*value, options);
    }
    if (name == "--from") {
        if (!options.from) {
            return parsePoint(name, *value, options.from);
        }
        std::optional<MapPoint> start;
        const std::string error = parsePoint(name, *value, start);
        if (error.empty() && options.starts.size() + 1 >= MOST_STARTS) {
            return name + ": more than " + std::to_string(MOST_STARTS) + " starts";
        }
        if (error.empty()) {
            options.starts.push_back(*start);
        }
        return error;
    }
    if (name == "--corridor") {
        return parseNumber(
            name, *value, "a percentage above 0", [](double pct) { return pct > 0.0; },
            options.corridorPercent);
    }
    if (name == "--to") {
        return parseEnd(*value, options);
    }
    if (name == "--via") {
        return parseVia(*value, options);
    }
    if (name == "--grade") {
        return parseGrade(*value, options);
    }
    if (name == "--mass") {
        return parseFloatOption(name, *value, "a mass in kilograms above 0", isVehicleMass,
                                options.mass, true);
    }
    if (name == "--descent") {
        return parseFloatOption(name, *value, "a share from 0 to 1", isDescentShare,
                                options.descent);
    }
    if (name == "--rolling") {
        return parseFloatOption(name, *value, "a rolling-resistance coefficient of 0 or more",
                                isRollingCoefficient, options.rolling, true);
    }
    if (name == "--top-speed") {
        return parseNumber(name, *value, "a speed in km/h above 0", isTopSpeed, options.topSpeedKmh,
                           true);
    }
    if (name == "--power") {
        return parseNumber(name, *value, "a power in kilowatts above 0", isPower, options.powerKw,
                           true);
    }
    if (name == "--side-slope") {
        return parseNumber(name, *value, "a side slope in percent above 0 and at most 100",
                           isSideSlopePercent, options.sideSlope);
    }
    if (name == "--moves") {
        return parseMoves(*value, options);
    }
    if (name == "--cover") {
        options.coverFile = *value;
        return value->empty() ? "--cover: the file name is empty" : std::string{};
    }
    if (name == "--cover-table") {
        options.coverTableFile = *value;
        return value->empty() ? "--cover-table: the file name is empty" : std::string{};
    }
    if (name == "--barriers") {
        options.barriersFile = *value;
        return value->empty() ? "--barriers: the file name is empty" : std::string{};
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
    if (name == "--routes") {
        if (!routeFormatOf(*value)) {
            return "--routes: " + quoted(*value) + " is not a file of a format routes are " +
                   "written in (" + ROUTE_FORMAT_ENDINGS + ")";
        }
        options.routeFiles.push_back(*value);
        return {};
    }
    if (name == "--crs") {
        options.crs = *value;
        return isCoordinateSystem(*value)
                   ? std::string{}
                   : "--crs: " + quoted(*value) + " is not a coordinate system GDAL reads";
    }
    if (name == "--points") {
        options.pointsFile = *value;
        return value->empty() ? "--points: the file name is empty" : std::string{};
    }
    if (name == "--isochrones") {
        return parseIsochrones(*value, options);
    }
    if (name == "--isochrones-format") {
        const std::optional<IsochroneFormat> format = isochroneFormatNamed(*value);
        if (!format) {
            return "--isochrones-format: " + quoted(*value) + " is not " + ISOCHRONE_FORMAT_NAMES;
        }
        options.isochroneFormat = *format;
        return {};
    }
    if (name == "--out") {
        options.outDir = *value;
        return value->empty() ? "--out: the folder name is empty" : std::string{};
    }
    return printableExcerpt(name) + ": unknown option (see --help)";
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
        const std::string& argument = reader.take();
        if (!isOwnOption(argument)) {
            options.otherArgs.push_back(argument);
            continue;
        }
        const std::string arg = argument == SHORT_HELP ? HELP : argument;
        parsed.error = parseOne(arg, reader, options);
        const bool repeatable =
            std::find(std::begin(REPEATABLE), std::end(REPEATABLE), arg) != std::end(REPEATABLE);
        if (parsed.error.empty() && !given.insert(arg).second && !repeatable) {
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
    const bool loaded = !options.terrainFile.empty();
    if (options.centreX && !loaded) {
        parsed.error = "--centre: goes with --terrain";
    } else if ((options.cellSize || options.sizeColumns) && !loaded) {
        parsed.error =
            std::string(options.cellSize ? "--cell-size" : "--size") + ": goes with --terrain";
    } else if (options.from.has_value() != options.to.has_value()) {
        parsed.error = options.from ? "--from: goes with --to" : "--to: goes with --from";
    } else if (options.from && options.planCells) {
        parsed.error = "--from: goes with --plan without cells";
    } else if (!options.pointsFile.empty() && options.planCells) {
        parsed.error = "--points: goes with --plan without cells";
    } else if (!options.via.empty() && !options.destinations.empty()) {
        parsed.error = "--via: does not go with several --to";
    } else if (!options.destinations.empty() && options.planCells) {
        parsed.error = "--to: goes with --plan without cells";
    } else if (!options.starts.empty() && options.sweep) {
        parsed.error = "--from: several starts go with the exact planner, not --sweep";
    } else if (options.corridorPercent && options.sweep) {
        parsed.error = "--corridor: goes with the exact planner, not --sweep";
    } else if (options.corridorPercent && !options.starts.empty()) {
        parsed.error = "--corridor: goes with one start, not several --from";
    } else if (!options.starts.empty() && !options.via.empty()) {
        parsed.error = "--via: does not go with several --from";
    } else if (options.corridorPercent && !options.destinations.empty()) {
        parsed.error = "--corridor: goes with one start and one end or a trip, not several --to";
    } else if (!options.coverTableFile.empty() && options.coverFile.empty()) {
        parsed.error = "--cover-table: goes with --cover";
    } else if (options.noTables && !options.plan) {
        parsed.error = "--no-tables: goes with --plan";
    } else if (!options.outDir.empty() && !options.plan) {
        parsed.error = "--out: goes with --plan";
    } else if (!options.isochrones.empty() && !options.plan) {
        parsed.error = "--isochrones: goes with --plan";
    } else if (given.count("--isochrones-format") != 0 && options.plan &&
               options.isochrones.empty()) {
        parsed.error = "--isochrones-format: goes with --isochrones";
    } else if (options.plan && !options.otherArgs.empty()) {
        const std::string& first = options.otherArgs.front();
        // Cells given after other options read as GLUT's: say where they belong.
        parsed.error = !options.planCells && parseIntToken(first)
                           ? "--plan: the cells must follow --plan (--plan SX SY EX EY ...)"
                           : printableExcerpt(first) + ": unknown option (see --help)";
    }
    return parsed;
}
