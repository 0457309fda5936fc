#include "tests/unit/plainSweep.h"

#include "planner/stepRules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <numeric>
#include <queue>
#include <tuple>
#include <utility>
#include <vector>

float plainEnergy(const LandscapeRun& landscape, float rise, float multiplier) {
    return plainEnergy(landscape, rise, multiplier, landscape.settings.vehicle.rolling);
}

float plainRolling(const LandscapeRun& run, int a, int b, int c, int d) {
    const auto of = [&](int x, int y) {
        const float r =
            run.cover.rolling.empty() ? NAN : run.cover.rolling[run.terrain.shape().index(x, y)];
        return std::isnan(r) ? run.settings.vehicle.rolling : r;
    };
    return (of(a, b) + of(c, d)) / 2.0f;
}

double plainTime(const LandscapeRun& run, int a, int b, int c, int d, float length) {
    const Vehicle& v = run.settings.vehicle;
    const auto pace = [&](int x, int y) {
        const float kmh =
            run.cover.empty() ? NAN : run.cover.speedKmh[run.terrain.shape().index(x, y)];
        return 1.0 / (std::min(std::isnan(kmh) ? v.topSpeedKmh : kmh, v.topSpeedKmh) / 3.6);
    };
    double seconds = length * (pace(a, b) + pace(c, d)) / 2.0;
    const double rise = static_cast<double>(run.terrain[c][d].z) - run.terrain[a][b].z;
    if (v.powerKw > 0.0 && rise > 0.0) {
        const auto rolling = [&](int x, int y) {
            const float r = run.cover.rolling.empty()
                                ? NAN
                                : run.cover.rolling[run.terrain.shape().index(x, y)];
            return static_cast<double>(std::isnan(r) ? v.rolling : r);
        };
        const double run_ =
            plainMultiplier(c - a, d - b) * static_cast<float>(run.terrain.shape().spacing);
        const double speed =
            v.powerKw * 1000.0 /
            (v.vehicleMass * 9.80665 * (rise / run_ + (rolling(a, b) + rolling(c, d)) / 2.0));
        seconds = std::max(seconds, length / speed);
    }
    return seconds;
}

// m g (climb + descent * drop), plus rolling m g run when there is rolling resistance.
float plainEnergy(const LandscapeRun& landscape, float rise, float multiplier, float rolling) {
    const TerrainPositions& terrainVertices = landscape.terrain;
    const Settings& settings = landscape.settings;
    const float massGravity = settings.vehicle.vehicleMass * GRAVITY;
    const float lift = rise > 0.0f ? std::fabs(rise) : std::fabs(rise) * settings.vehicle.descent;
    const float energy = lift * massGravity;
    if (rolling == 0.0f) {
        return energy;
    }
    const float run = multiplier * static_cast<float>(terrainVertices.shape().spacing);
    return energy + rolling * massGravity * run;
}

float plainMultiplier(int dx, int dy) {
    return static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

namespace {

struct PlainNeighbour {
    int dx;
    int dy;
    float multiplier;
};

// Built again rather than shared with the product, so a slip in either shows: every offset of no
// common factor out to the reach (8 moves: 1, 16: 2, then 32, 48, 80, 96 for 3 to 6), x
// descending, then y.
std::vector<PlainNeighbour> plainMoves(int count) {
    const int reach = count == 8    ? 1
                      : count == 16 ? 2
                      : count == 32 ? 3
                      : count == 48 ? 4
                      : count == 80 ? 5
                                    : 6;
    std::vector<PlainNeighbour> moves;
    for (int dx = reach; dx >= -reach; --dx) {
        for (int dy = reach; dy >= -reach; --dy) {
            if (std::gcd(dx, dy) == 1) {
                moves.push_back({dx, dy, plainMultiplier(dx, dy)});
            }
        }
    }
    return moves;
}

void plainRelax(float& cost, GridPoint& previous, double candidate, int a, int b) {
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous.x = a;
        previous.y = b;
    }
}

// A cell no route enters or leaves: no ground, or closed by a barrier.
bool closed(const LandscapeRun& run, int x, int y) {
    const TerrainPositions& terrainVertices = run.terrain;
    const std::vector<uint8_t>& barriers = run.barriers;
    const std::size_t p = terrainVertices.shape().index(x, y);
    return std::isnan(terrainVertices[x][y].z) || (!barriers.empty() && barriers[p] != 0) ||
           (!run.cover.empty() && run.cover.speedKmh[p] == 0.0f);
}

// The grade test of the settings' vehicle: a climb against the up limit, a descent against the
// down limit (each atan(percent / 100) radians against the float arc cosine of the slope ratio);
// a level step passes.
bool plainPassable(const LandscapeRun& run, float multiplier, float length, float rise) {
    const TerrainPositions& terrainVertices = run.terrain;
    const Settings& settings = run.settings;
    if (rise == 0.0f) {
        return true;
    }
    const float ratio = multiplier * static_cast<float>(terrainVertices.shape().spacing) / length;
    const double percent =
        rise > 0.0f ? settings.vehicle.gradeUpPercent : settings.vehicle.gradeDownPercent;
    const float angle = ratio > 1.0f ? 0.0f : static_cast<float>(std::acos(double(ratio)));
    return std::atan(percent / 100.0) >= angle;
}

// What a move's line reads where it starts, where it crosses a grid line (between two grid
// points, linearly) and where it ends: how far along it (0 .. 1), the height, the pace and the
// rolling coefficient.
struct LinePoint {
    double t;
    double z;
    double pace;
    double rolling;
};

double plainPace(const LandscapeRun& run, int x, int y) {
    const Vehicle& v = run.settings.vehicle;
    const float kmh = run.cover.empty() ? NAN : run.cover.speedKmh[run.terrain.shape().index(x, y)];
    return 1.0 / (std::min(std::isnan(kmh) ? v.topSpeedKmh : kmh, v.topSpeedKmh) / 3.6);
}

double plainCoefficient(const LandscapeRun& run, int x, int y) {
    const float r =
        run.cover.rolling.empty() ? NAN : run.cover.rolling[run.terrain.shape().index(x, y)];
    return std::isnan(r) ? run.settings.vehicle.rolling : r;
}

// At most the two ends and ten crossings, held in place: the oracles test millions of moves, and
// under the sanitizers an allocation for each would take most of their time.
struct LinePoints {
    std::array<LinePoint, 12> at{};
    std::size_t count = 0;

    void push_back(const LinePoint& p) { at[count++] = p; }
    bool empty() const { return count == 0; }
    std::size_t size() const { return count; }
    const LinePoint& operator[](std::size_t k) const { return at[k]; }
    LinePoint* begin() { return at.data(); }
    LinePoint* end() { return at.data() + count; }
};

// The points of the line of a move longer than one cell (dx, dy) from (a, b), in order along it;
// empty when a grid point beside a crossing is closed.
LinePoints plainLine(const LandscapeRun& run, int a, int b, int dx, int dy) {
    const auto pointAt = [&](double t, int x, int y) {
        return LinePoint{t, run.terrain[x][y].z, plainPace(run, x, y), plainCoefficient(run, x, y)};
    };
    LinePoints line;
    line.push_back(pointAt(0.0, a, b));
    line.push_back(pointAt(1.0, a + dx, b + dy));
    // Along one index the line crosses lines i = 1 .. n - 1 of the other at i / n of its way.
    const auto cross = [&](int n, int other, bool columnLines) {
        for (int i = 1; i < std::abs(n); ++i) {
            const int whole =
                static_cast<int>(std::floor(static_cast<double>(other * i) / std::abs(n)));
            const double weight =
                static_cast<double>(other * i - whole * std::abs(n)) / std::abs(n);
            const int along = (n > 0 ? i : -i);
            const int x1 = columnLines ? a + along : a + whole;
            const int y1 = columnLines ? b + whole : b + along;
            const int x2 = columnLines ? x1 : x1 + 1;
            const int y2 = columnLines ? y1 + 1 : y1;
            if (closed(run, x1, y1) || closed(run, x2, y2)) {
                return false;
            }
            const LinePoint p = pointAt(0.0, x1, y1);
            const LinePoint q = pointAt(0.0, x2, y2);
            line.push_back({static_cast<double>(i) / std::abs(n), p.z + weight * (q.z - p.z),
                            p.pace + weight * (q.pace - p.pace),
                            p.rolling + weight * (q.rolling - p.rolling)});
        }
        return true;
    };
    if (!cross(dx, dy, true) || !cross(dy, dx, false)) {
        return {};
    }
    std::sort(line.begin(), line.end(),
              [](const LinePoint& p, const LinePoint& q) { return p.t < q.t; });
    return line;
}

double plainRun(const LandscapeRun& run, int dx, int dy) {
    return std::sqrt(static_cast<double>(dx * dx + dy * dy)) * run.terrain.shape().spacing;
}

// The ground along the move (dx, dy) from (a, b): a one-cell diagonal needs one of the two cells
// beside it open; a longer move, at each crossing of a grid line, both grid points open and the
// height between them read linearly, every piece between crossings within the vehicle's grades.
bool plainProfilePasses(const LandscapeRun& run, int a, int b, int dx, int dy) {
    if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
        return dx == 0 || dy == 0 || !closed(run, a + dx, b) || !closed(run, a, b + dy);
    }
    const LinePoints line = plainLine(run, a, b, dx, dy);
    if (line.empty()) {
        return false;
    }
    const Vehicle& v = run.settings.vehicle;
    for (std::size_t k = 1; k < line.size(); ++k) {
        const double h = (line[k].t - line[k - 1].t) * plainRun(run, dx, dy);
        const double rise = line[k].z - line[k - 1].z;
        if (!(rise <= h * v.gradeUpPercent / 100.0) || !(-rise <= h * v.gradeDownPercent / 100.0)) {
            return false;
        }
    }
    return true;
}

} // namespace

PlainPrices plainMovePrices(const LandscapeRun& run, int a, int b, int dx, int dy) {
    const TerrainVertex from = run.terrain[a][b];
    const TerrainVertex to = run.terrain[a + dx][b + dy];
    if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
        const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
        return {length,
                plainEnergy(run, to.z - from.z, plainMultiplier(dx, dy),
                            plainRolling(run, a, b, a + dx, b + dy)),
                plainTime(run, a, b, a + dx, b + dy, length)};
    }
    // Piece by piece along the line, in double.
    const Vehicle& v = run.settings.vehicle;
    const double massGravity = v.vehicleMass * 9.80665;
    const LinePoints line = plainLine(run, a, b, dx, dy);
    double length = 0.0;
    double energy = 0.0;
    double seconds = 0.0;
    for (std::size_t k = 1; k < line.size(); ++k) {
        const double h = (line[k].t - line[k - 1].t) * plainRun(run, dx, dy);
        const double rise = line[k].z - line[k - 1].z;
        const double piece = std::sqrt(h * h + rise * rise);
        const double rolling = (line[k - 1].rolling + line[k].rolling) / 2.0;
        length += piece;
        const double lift = rise > 0.0 ? rise : static_cast<double>(v.descent) * -rise;
        energy += massGravity * lift + massGravity * h * rolling;
        double t = piece * (line[k - 1].pace + line[k].pace) / 2.0;
        if (v.powerKw > 0.0 && rise > 0.0) {
            t = std::max(t, piece / (v.powerKw * 1000.0 / (massGravity * (rise / h + rolling))));
        }
        seconds += t;
    }
    return {static_cast<float>(length), static_cast<float>(energy), seconds};
}

namespace {

// The side-slope rule of the move (dx, dy) from (a, b): at its ends and both grid points of each
// grid line it crosses, Horn's gradient (a neighbour off the grid or closed as the centre) across
// the move within the vehicle's limit.
bool plainLeansWithin(const LandscapeRun& run, int a, int b, int dx, int dy) {
    const double limit = run.settings.vehicle.sideSlopePercent;
    if (limit == NO_SIDE_SLOPE) {
        return true;
    }
    const GridShape& shape = run.terrain.shape();
    const auto z = [&](int x, int y, double centre) {
        return !shape.contains(x, y) || closed(run, x, y) ? centre : run.terrain[x][y].z;
    };
    const auto within = [&](int x, int y) {
        const double c = run.terrain[x][y].z;
        const double gx = ((z(x + 1, y - 1, c) + 2.0 * z(x + 1, y, c) + z(x + 1, y + 1, c)) -
                           (z(x - 1, y - 1, c) + 2.0 * z(x - 1, y, c) + z(x - 1, y + 1, c))) /
                          (8.0 * shape.spacing);
        const double gy = ((z(x - 1, y + 1, c) + 2.0 * z(x, y + 1, c) + z(x + 1, y + 1, c)) -
                           (z(x - 1, y - 1, c) + 2.0 * z(x, y - 1, c) + z(x + 1, y - 1, c))) /
                          (8.0 * shape.spacing);
        return std::abs(gy * dx - gx * dy) / std::hypot(double(dx), double(dy)) <= limit / 100.0;
    };
    bool passes = within(a, b) && within(a + dx, b + dy);
    for (int i = 1; i < std::abs(dx); ++i) { // the column lines crossed
        const int x = a + (dx > 0 ? i : -i);
        const int y = b + static_cast<int>(std::floor(double(dy * i) / std::abs(dx)));
        passes = passes && within(x, y) && within(x, y + 1);
    }
    for (int j = 1; j < std::abs(dy); ++j) { // the row lines crossed
        const int y = b + (dy > 0 ? j : -j);
        const int x = a + static_cast<int>(std::floor(double(dx * j) / std::abs(dy)));
        passes = passes && within(x, y) && within(x + 1, y);
    }
    return passes;
}

const std::vector<PlainNeighbour>& settingsMoves(const LandscapeRun& run) {
    static std::vector<PlainNeighbour> sets[97];
    std::vector<PlainNeighbour>& moves = sets[run.settings.moves];
    if (moves.empty()) {
        moves = plainMoves(run.settings.moves);
    }
    return moves;
}

// True when the move n out of (a, b) may be taken, measured and tested on the spot.
bool plainMoveTaken(const LandscapeRun& run, int a, int b, const PlainNeighbour& n) {
    const int nx = a + n.dx;
    const int ny = b + n.dy;
    if (!isInsideGrid(run, a, b) || closed(run, a, b) || !isInsideGrid(run, nx, ny) ||
        closed(run, nx, ny)) {
        return false;
    }
    const TerrainVertex from = run.terrain[a][b];
    const TerrainVertex to = run.terrain[nx][ny];
    const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
    return plainPassable(run, n.multiplier, length, to.z - from.z) &&
           plainProfilePasses(run, a, b, n.dx, n.dy) && plainLeansWithin(run, a, b, n.dx, n.dy);
}

// Calls step(nx, ny, prices) for every passable move of the settings' set out of (a, b), in the
// set's order, each measured, tested and priced on the spot.
template <typename Step>
void forEachPassableStep(const LandscapeRun& run, int a, int b, Step&& step) {
    const std::vector<PlainNeighbour>& moves = settingsMoves(run);
    for (int d = 0; d < static_cast<int>(moves.size()); ++d) {
        const PlainNeighbour& n = moves[d];
        if (plainMoveTaken(run, a, b, n)) {
            step(a + n.dx, b + n.dy, plainMovePrices(run, a, b, n.dx, n.dy), d);
        }
    }
}

// The same for every passable move into (a, b): step(nx, ny, prices) with (nx, ny) where the
// move starts and its prices from there.
template <typename Step>
void forEachPassableStepInto(const LandscapeRun& run, int a, int b, Step&& step) {
    const std::vector<PlainNeighbour>& moves = settingsMoves(run);
    for (int d = 0; d < static_cast<int>(moves.size()); ++d) {
        const PlainNeighbour& n = moves[d];
        if (plainMoveTaken(run, a - n.dx, b - n.dy, n)) {
            step(a - n.dx, b - n.dy, plainMovePrices(run, a - n.dx, b - n.dy, n.dx, n.dy), d);
        }
    }
}

// Unreached everywhere, the start costs 0 when the start can be planned from.
RouteSnapshot plainReset(const LandscapeRun& run, int startX, int startY) {
    RouteSnapshot t;
    t.clear(run.terrain.shape());
    if (isInsideGrid(run, startX, startY) && !closed(run, startX, startY)) {
        t.distance[t.shape.index(startX, startY)] = 0.0f;
        t.energy[t.shape.index(startX, startY)] = 0.0f;
        if (run.timed) {
            t.time[t.shape.index(startX, startY)] = 0.0f;
        }
    }
    return t;
}

} // namespace

RouteSnapshot plainComputeRoutes(const LandscapeRun& run) {
    const Settings& settings = run.settings;
    RouteSnapshot t = plainReset(run, settings.startX, settings.startY);
    plainSpiralWalk(run, settings.startX, settings.startY, [&run, &t](int a, int b) {
        const std::size_t from = t.shape.index(a, b);
        forEachPassableStep(run, a, b, [&](int nx, int ny, const PlainPrices& step, int) {
            const std::size_t to = t.shape.index(nx, ny);
            plainRelax(t.distance[to], t.previousDistance[to],
                       static_cast<double>(t.distance[from]) + static_cast<double>(step.length), a,
                       b);
            plainRelax(t.energy[to], t.previousEnergy[to],
                       static_cast<double>(t.energy[from]) + static_cast<double>(step.energy), a,
                       b);
            if (run.timed) {
                plainRelax(t.time[to], t.previousTime[to],
                           static_cast<double>(t.time[from]) + step.time, a, b);
            }
        });
    });
    return t;
}

namespace {

using Queued = std::tuple<double, double, std::size_t>; // cost, other measure, flat index

// Least cost first and, of equal costs, least in the other measure, which `other` holds for the
// route `previous` names. Costs are summed in double along a route and rounded to float once,
// into `stored`.
void plainDijkstra(const LandscapeRun& run, const GridShape& shape, std::vector<float>& stored,
                   std::vector<double>& other, std::vector<GridPoint>& previous, Measure by,
                   const PlainSearch& from) {
    std::vector<bool> done(shape.cells(), false);
    std::vector<double> cost(shape.cells(), UNREACHED_COST);
    std::priority_queue<Queued, std::vector<Queued>, std::greater<Queued>> queue;
    other.assign(shape.cells(), UNREACHED_COST);
    // The number of the move each cell was reached by: of routes equal in both measures, the
    // one whose last move has the least number.
    std::vector<int> arrivedBy(shape.cells(), std::numeric_limits<int>::max());
    for (const Cell& s : from.starts) {
        const std::size_t start = shape.index(s.x, s.y);
        cost[start] = 0.0;
        other[start] = 0.0;
        queue.push({0.0, 0.0, start});
    }
    while (!queue.empty()) {
        const std::size_t cell = std::get<2>(queue.top());
        queue.pop();
        if (done[cell]) {
            continue;
        }
        done[cell] = true;
        const int a = static_cast<int>(cell / shape.rows);
        const int b = static_cast<int>(cell % shape.rows);
        const auto relax = [&](int nx, int ny, const PlainPrices& step, int d) {
            const std::size_t next = shape.index(nx, ny);
            const double sum = cost[cell] + (by == Measure::Energy ? step.energy
                                             : by == Measure::Time ? step.time
                                                                   : step.length);
            const double otherSum =
                other[cell] + (by == Measure::Distance ? step.energy : step.length);
            if (done[next] || sum > cost[next]) {
                return;
            }
            if (sum == cost[next] && !(otherSum < other[next])) {
                if (otherSum == other[next] && d < arrivedBy[next]) {
                    arrivedBy[next] = d;
                    previous[next] = {a, b, 0};
                }
                return;
            }
            cost[next] = sum;
            other[next] = otherSum;
            arrivedBy[next] = d;
            previous[next] = {a, b, 0};
            queue.push({sum, otherSum, next});
        };
        if (from.reversed) {
            forEachPassableStepInto(run, a, b, relax);
        } else {
            forEachPassableStep(run, a, b, relax);
        }
    }
    for (std::size_t p = 0; p < shape.cells(); ++p) {
        stored[p] = static_cast<float>(cost[p]);
    }
}

} // namespace

RouteSnapshot plainExactRoutes(const LandscapeRun& run, const PlainSearch& search) {
    const Settings& settings = run.settings;
    PlainSearch from = search;
    if (from.starts.empty()) {
        from.starts.push_back({settings.startX, settings.startY});
    }
    // Only the starts a plan may start at.
    from.starts.erase(std::remove_if(from.starts.begin(), from.starts.end(),
                                     [&run](const Cell& c) {
                                         return !isInsideGrid(run, c.x, c.y) ||
                                                closed(run, c.x, c.y);
                                     }),
                      from.starts.end());
    RouteSnapshot t = plainReset(run, -1, -1);
    if (from.starts.empty()) {
        return t;
    }
    plainDijkstra(run, t.shape, t.distance, t.energyAlongDistance, t.previousDistance,
                  Measure::Distance, from);
    plainDijkstra(run, t.shape, t.energy, t.lengthAlongEnergy, t.previousEnergy, Measure::Energy,
                  from);
    if (run.timed) {
        plainDijkstra(run, t.shape, t.time, t.lengthAlongTime, t.previousTime, Measure::Time, from);
    }
    return t;
}
