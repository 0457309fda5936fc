// The panel's data: the legend for the view mode, the drawn route's profile (distance along,
// height and cost at each cell, steepest step) sampled for the plots, and the report texts.

#include "render/panel.h"

#include "planner/routeSummary.h"
#include "planner/sideSlope.h"
#include "planner/stepRules.h"
#include "render/markers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace {
constexpr float PERCENT = 100.0f;

std::vector<LegendEntry> ringEntries(float rings, float increment, const char* unit) {
    std::vector<LegendEntry> entries;
    for (int ring = 0; ring < rings; ++ring) {
        const float level = ringLevel(ring, rings);
        entries.push_back({{level, level, level},
                           formatText("%g to %g %s", double(ring * increment),
                                      double((ring + 1) * increment), unit)});
    }
    const float last = std::max(std::ceil(rings), 0.0f) * increment;
    entries.push_back({BEYOND_RINGS_COLOUR, formatText("%g %s and more", double(last), unit),
                       BEYOND_RINGS_SWATCH_TEXT});
    return entries;
}
} // namespace

std::vector<LegendEntry> legendEntries(const PlanSettings& s, ViewMode view, bool barriers,
                                       bool groundMissing, double corridorPercent) {
    std::vector<LegendEntry> entries;
    switch (view) {
    case Distance:
        entries = ringEntries(s.distanceRings, s.distanceIncrement, "m");
        break;
    case Energy:
        entries = ringEntries(s.energyRings, s.energyIncrement, "J");
        break;
    case Time:
        entries = ringEntries(s.timeRings, s.timeIncrement, "min");
        // Yellow is no shade of the ground's: the only view that draws it names it.
        entries.push_back({timeRouteColour, "fastest route"});
        break;
    default:
        entries.push_back({BEYOND_RINGS_COLOUR, "reached"});
        break;
    }
    if (corridorPercent > 0.0) {
        entries.push_back(
            {CORRIDOR_COLOUR, formatText("within %g %% of the best route", corridorPercent)});
    }
    entries.push_back({UNREACHED_COLOUR, "unreachable"});
    if (barriers) {
        entries.push_back({BARRIER_COLOUR, "no-go area"});
    }
    if (groundMissing) {
        entries.push_back({NO_GROUND_COLOUR, "edge of missing ground"});
    }
    entries.push_back({START_MARKER_COLOUR, formatText("start (%d, %d)", s.startX, s.startY)});
    entries.push_back({END_MARKER_COLOUR, formatText("end (%d, %d)", s.endX, s.endY)});
    return entries;
}

namespace {
float groundRun(const Cell& a, const Cell& b, double spacing) {
    return std::hypot(float(a.x - b.x), float(a.y - b.y)) * static_cast<float>(spacing);
}
} // namespace

Profile routeProfile(const TerrainPositions& terrain, const Route& route, const CostTable& costs,
                     const PlanningGrid* grid) {
    Profile profile;
    for (size_t k = 0; k < route.cells.size(); ++k) {
        const Cell c = route.cells[k];
        const TerrainVertex v = terrain[c.x][c.y];
        if (k > 0) {
            const Cell b = route.cells[k - 1];
            const TerrainVertex p = terrain[b.x][b.y];
            const float grade =
                std::fabs(v.z - p.z) / groundRun(b, c, terrain.shape().spacing) * PERCENT;
            if (grade > profile.steepestGrade) {
                profile.steepestGrade = grade;
                profile.steepestStep = static_cast<int>(k);
            }
        }
        // A trip's route carries its own costs, which go on from leg to leg.
        const float cost =
            route.costs.size() == route.cells.size() ? route.costs[k] : costs[c.x][c.y];
        profile.points.push_back({c, route.along[k], v.z, cost});
    }
    if (grid == nullptr || grid->open.size() != terrain.shape().cells()) {
        return profile;
    }
    const ProfileGround ground{terrain.shape(), terrain.heights().data(), grid->open.data()};
    const RouteLean lean = routeLean(ground, route.cells);
    profile.sideSlopeMax = lean.sideSlopePercent;
    profile.gradeMax = lean.gradePercent;
    for (size_t k = 0; k < route.cells.size(); ++k) {
        const size_t from = k + 1 < route.cells.size() || k == 0 ? k : k - 1;
        profile.points[k].sideSlope =
            static_cast<float>(moveSideSlopePercent(ground, route.cells, from));
    }
    return profile;
}

std::vector<float> profileSamples(const Profile& profile, float ProfilePoint::*field, int count) {
    std::vector<float> samples;
    const std::vector<ProfilePoint>& p = profile.points;
    if (p.empty() || count < 1) {
        return samples;
    }
    const float length = p.back().along;
    size_t k = 0;
    for (int s = 0; s < count; ++s) {
        const float at = count == 1 ? 0.0f : length * s / (count - 1);
        while (k + 1 < p.size() && p[k + 1].along < at) {
            ++k;
        }
        if (k + 1 == p.size() || p[k + 1].along == p[k].along) {
            samples.push_back(p[k].*field);
            continue;
        }
        const float t = (at - p[k].along) / (p[k + 1].along - p[k].along);
        samples.push_back(p[k].*field + t * (p[k + 1].*field - p[k].*field));
    }
    return samples;
}

ProfileRanges profileRanges(const Profile& profile) {
    ProfileRanges r;
    if (profile.points.empty()) {
        return r;
    }
    const ProfilePoint& first = profile.points.front();
    r = {profile.points.back().along, first.height, first.height, first.cost, first.cost};
    for (const ProfilePoint& p : profile.points) {
        r.lowHeight = std::min(r.lowHeight, p.height);
        r.highHeight = std::max(r.highHeight, p.height);
        r.lowCost = std::min(r.lowCost, p.cost);
        r.highCost = std::max(r.highCost, p.cost);
    }
    return r;
}

std::string axisRange(const char* name, float low, float high, const char* unit) {
    return formatText("%s %.0f to %.0f %s", name, double(low), double(high), unit);
}

std::string profileReport(const Profile& profile, const char* costUnit) {
    if (profile.points.empty()) {
        return "No route to the end cell";
    }
    const ProfilePoint& end = profile.points.back();
    std::string text = formatText("Length along the route: %f m\nCost at the end: %f %s\n",
                                  double(end.along), double(end.cost), costUnit);
    if (profile.steepestStep < 0) {
        return text + "No climb or descent";
    }
    const Cell& from = profile.points[profile.steepestStep - 1].cell;
    const Cell& to = profile.points[profile.steepestStep].cell;
    return text + formatText("Steepest step: %.2f %%\nfrom (%d, %d) to (%d, %d)",
                             double(profile.steepestGrade), from.x, from.y, to.x, to.y);
}

std::string steepestAlongText(const Profile& profile) {
    if (profile.points.empty()) {
        return {};
    }
    return formatText("Steepest grade: %.2f %%\nSteepest side slope: %.2f %%", profile.gradeMax,
                      profile.sideSlopeMax);
}

std::string cellReport(const TerrainPositions& terrain, const RouteTables& tables, int x, int y) {
    const std::string where =
        formatText("Cell (%d, %d), height %g m", x, y, double(terrain[x][y].z));
    if (tables.distance[x][y] == UNREACHED_COST) {
        return where + "\nunreachable";
    }
    return where + formatText("\ndistance %f m\nenergy %f J", double(tables.distance[x][y]),
                              double(tables.energy[x][y]));
}

namespace {

// What closes cell (x, y), which no move enters: the rules in the order the panel names them.
const char* closedBy(const PlanningGrid& grid, const ProfileGround& ground,
                     const std::vector<uint8_t>& closed, const GroundCover& cover,
                     const Vehicle& vehicle, int x, int y) {
    const std::size_t p = grid.shape.index(x, y);
    if (std::isnan(ground.heights[p])) {
        return "no ground";
    }
    if (!closed.empty() && closed[p] != 0) {
        return "a no-go area";
    }
    if (cover.closes(p)) {
        return "the cover";
    }
    if (vehicle.sideSlopePercent == NO_SIDE_SLOPE) {
        return "the grades";
    }
    // The side slope closes it when some move in passes every other test.
    for (const Move& m : *grid.moves) {
        const Cell from{x - m.dx, y - m.dy};
        if (grid.shape.contains(from.x, from.y) && passesGrades(ground, vehicle, from, {x, y})) {
            return "the side slope";
        }
    }
    return "the grades";
}

} // namespace

std::string cellGroundReport(const PlanningGrid& grid, const std::vector<uint8_t>& closed,
                             const GroundCover& cover, const Vehicle& vehicle, int x, int y) {
    if (grid.open.size() != grid.terrain->shape().cells()) {
        return {};
    }
    const ProfileGround ground{grid.shape, grid.terrain->heights().data(), grid.open.data()};
    const std::size_t p = grid.shape.index(x, y);
    const std::string slope =
        std::isnan(ground.heights[p])
            ? std::string("slope -")
            : formatText("slope %.1f %%", slopeOf(hornGradient(ground, x, y)) * PERCENT);
    for (int d = 0; d < grid.moves->count; ++d) {
        const Move& m = (*grid.moves)[d];
        if (grid.shape.contains(x - m.dx, y - m.dy) &&
            takesMove(grid, grid.shape.index(x - m.dx, y - m.dy), d)) {
            return slope;
        }
    }
    return slope + ", closed by " + closedBy(grid, ground, closed, cover, vehicle, x, y);
}

std::vector<std::string> coverLegendLines(const GroundCover& cover) {
    std::vector<std::string> lines;
    for (const CoverClass& c : cover.classes) {
        lines.push_back(
            formatText("%s: %g km/h, %zu cells", c.name.c_str(), double(c.speedKmh), c.cells));
    }
    return lines;
}

std::string cellTimeReport(const PlanningGrid& grid, const GroundCover& cover,
                           const RouteTables& tables, int x, int y) {
    if (!tables.timed) {
        return "";
    }
    const std::size_t p = grid.shape.index(x, y);
    std::string text;
    if (!cover.classOf.empty() && cover.classOf[p] != 0) {
        text = "cover " + cover.classes[cover.classOf[p] - 1].name + "\n";
    } else if (!cover.empty() && !std::isnan(cover.speedKmh[p])) {
        text = formatText("cover %g km/h\n", double(cover.speedKmh[p]));
    }
    if (grid.open[p] == 0) {
        return text + "closed to plans";
    }
    const double pace = grid.pace.empty() ? grid.prices.pace() : grid.pace[p];
    text += formatText("speed %g km/h\n", KMH_PER_METRE_PER_SECOND / pace);
    if (!tables.time.reaches(x, y)) {
        return text + "no time: unreached";
    }
    return text + formatText("time %f min", double(tables.time[x][y]) / SECONDS_PER_MINUTE);
}

std::vector<std::string> tripLegTexts(const std::vector<Route>& trip) {
    std::vector<std::string> texts;
    const std::string lines = legLines(trip);
    for (std::size_t from = 0; from < lines.size();) {
        const std::size_t end = lines.find('\n', from);
        texts.push_back(lines.substr(from, end - from));
        from = end == std::string::npos ? lines.size() : end + 1;
    }
    return texts;
}

std::vector<Cell> editedVia(std::vector<Cell> via, std::size_t k, ViaEdit edit) {
    if (k >= via.size()) {
        return via;
    }
    if (edit == ViaEdit::Remove) {
        via.erase(via.begin() + static_cast<std::ptrdiff_t>(k));
    } else if (edit == ViaEdit::Up && k > 0) {
        std::swap(via[k - 1], via[k]);
    } else if (edit == ViaEdit::Down && k + 1 < via.size()) {
        std::swap(via[k], via[k + 1]);
    }
    return via;
}
