// The fast sweep against the plain per-step one, bit for bit, on the real terrain and on ground
// made to catch slips in the order, the ties and the rounding.

#include "planner/bucketQueue.h"
#include "planner/kernels/parallelWork.h"
#include "planner/searchLoop.h"
#include "planner/spiralOrder.h"
#include "planner/stepRules.h"
#include "tests/unit/plainSweep.h"
#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED_BUILD = true;
#else
constexpr bool SANITIZED_BUILD = false;
#endif

struct Start {
    int x;
    int y;
};

// All four route tables bit for bit against a snapshot.
void expectRouteTablesEqual(const LandscapeRun& run, const RouteSnapshot& expected) {
    RouteSnapshot now;
    now.capture(run);
    EXPECT_TRUE(sameBits(expected.distance, now.distance));
    EXPECT_TRUE(sameBits(expected.energy, now.energy));
    EXPECT_TRUE(sameBits(expected.previousDistance, now.previousDistance));
    EXPECT_TRUE(sameBits(expected.previousEnergy, now.previousEnergy));
    EXPECT_TRUE(sameBits(expected.time, now.time));
    EXPECT_TRUE(sameBits(expected.previousTime, now.previousTime));
}

// Runs both sweeps from `start` on the run's ground and compares all four tables.
void expectSameTables(LandscapeRun& run, Start start, const char* ground) {
    SCOPED_TRACE(testing::Message() << ground << " from (" << start.x << ", " << start.y << ")");
    run.settings.startX = start.x;
    run.settings.startY = start.y;
    const RouteSnapshot plain = plainComputeRoutes(run);
    planRun(run);
    expectRouteTablesEqual(run, plain);
}

// Deterministic pseudo-random numbers (a 32-bit linear congruential generator).
class Lcg {
  public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t next(uint32_t bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % bound;
    }

  private:
    uint32_t state_;
};

std::vector<Start> randomStarts(uint32_t seed, int count, const GridShape& shape = BUILT_IN_SHAPE) {
    Lcg random(seed);
    std::vector<Start> starts;
    for (int n = 0; n < count; ++n) {
        const int x = static_cast<int>(random.next(shape.columns));
        const int y = static_cast<int>(random.next(shape.rows));
        starts.push_back({x, y});
    }
    return starts;
}

constexpr int LAST = GRID_SIZE - 1;
constexpr int MIDDLE = GRID_SIZE / 2;

// Lengths, energies or times summed along each reached cell's route from the start, in double as
// the exact planner sums them; UNREACHED_COST where the route does not lead back to the start.
std::vector<double> summedAlongRoutes(const LandscapeRun& run, const PreviousTable& previous,
                                      Measure measure, std::vector<Cell> starts = {}) {
    const GridShape& shape = previous.shape();
    std::vector<double> other(shape.cells(), UNREACHED_COST);
    std::vector<uint8_t> seen(shape.cells(), 0);
    if (starts.empty()) {
        starts.push_back({run.settings.startX, run.settings.startY});
    }
    for (const Cell& s : starts) {
        if (!canStartAt(run.grid, s.x, s.y)) {
            continue;
        }
        other[shape.index(s.x, s.y)] = 0.0;
        seen[shape.index(s.x, s.y)] = 1;
    }
    std::vector<GridPoint> chain;
    for (int x = 0; x < shape.columns; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            chain.clear();
            GridPoint at{x, y, 0};
            while (isInsideGrid(run, at.x, at.y) && seen[shape.index(at.x, at.y)] == 0) {
                seen[shape.index(at.x, at.y)] = 1;
                chain.push_back(at);
                at = previous[at.x][at.y];
            }
            if (!isInsideGrid(run, at.x, at.y) ||
                other[shape.index(at.x, at.y)] == UNREACHED_COST) {
                continue;
            }
            for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
                const PlainPrices price =
                    plainMovePrices(run, at.x, at.y, c->x - at.x, c->y - at.y);
                const double step = measure == Measure::Distance ? price.length
                                    : measure == Measure::Time   ? price.time
                                                                 : price.energy;
                other[shape.index(c->x, c->y)] = other[shape.index(at.x, at.y)] + step;
                at = *c;
            }
        }
    }
    return other;
}

// Both unreached alike, and otherwise no further apart than one float unit.
template <typename Other>
void expectWithinOneFloatUnit(const std::vector<float>& costs, const std::vector<Other>& other) {
    int faults = 0;
    for (std::size_t p = 0; p < costs.size(); ++p) {
        const float b = static_cast<float>(other[p]);
        const float larger = std::max(costs[p], b);
        const float unit = larger - std::nextafter(larger, 0.0f);
        faults += costs[p] == UNREACHED_COST || b == UNREACHED_COST
                      ? costs[p] != b
                      : std::fabs(costs[p] - b) > unit;
    }
    EXPECT_EQ(faults, 0);
}

void expectCostsAlongRoutes(const std::vector<float>& costs, const std::vector<double>& along) {
    int faults = 0;
    for (std::size_t p = 0; p < costs.size(); ++p) {
        faults += costs[p] == UNREACHED_COST ? along[p] != UNREACHED_COST
                                             : static_cast<float>(along[p]) != costs[p];
    }
    EXPECT_EQ(faults, 0);
}

// The paths of every kind this processor runs, the plain one first.
// Under the sanitizers, which look for faults of memory rather than of numbers, the plain path
// and the one this machine takes by default: the plain build compares every path.
std::vector<Kernels> kernelsThisMachineRuns() {
    std::vector<Kernels> all;
    for (Kernels k : {Kernels::Plain, Kernels::Avx2, Kernels::Avx512}) {
        if (runsKernels(k) && (!SANITIZED_BUILD || k == Kernels::Plain || k == fastestKernels())) {
            all.push_back(k);
        }
    }
    return all;
}

// The exact planner's costs bit for bit against textbook Dijkstra on every path, its routes
// consistent with its costs, and of equally cheap routes one as cheap in the other measure as the
// oracle's.
void expectExactMatches(LandscapeRun& run, const RouteSnapshot& plain, Start start,
                        const PlainSearch& from, const char* kernels);

// With `from`'s starts, the search seeded at each (the first taken as the settings' start), or
// reversed.
void expectExactMatchesOracle(LandscapeRun& run, Start start, const char* ground,
                              const PlainSearch& from = {}) {
    SCOPED_TRACE(testing::Message()
                 << ground << ", exact from (" << start.x << ", " << start.y << "), "
                 << from.starts.size() << " starts" << (from.reversed ? ", reversed" : ""));
    run.settings.startX = start.x;
    run.settings.startY = start.y;
    const RouteSnapshot plain = plainExactRoutes(run, from);
    for (Kernels k : kernelsThisMachineRuns()) {
        run.kernels = k;
        priceSteps(run);
        expectExactMatches(run, plain, start, from, kernelsName(k));
    }
}

void expectExactMatches(LandscapeRun& run, const RouteSnapshot& plain, Start start,
                        const PlainSearch& from, const char* kernels) {
    SCOPED_TRACE(kernels);
    if (from.starts.empty() && !from.reversed) {
        run.settings.planner = PlannerKind::Exact;
        planRun(run);
        run.settings.planner = PlannerKind::Sweep;
    } else {
        const std::vector<Cell> starts =
            from.starts.empty() ? std::vector<Cell>{{start.x, start.y}} : from.starts;
        exactRoutesFrom(run.grid, starts,
                        from.reversed ? SearchDirection::Reversed : SearchDirection::Forward,
                        run.work.exact, run.tables);
    }
    RouteSnapshot exact;
    exact.capture(run);
    const RouteTables& t = run.tables;
    EXPECT_TRUE(sameBits(plain.distance, exact.distance));
    EXPECT_TRUE(sameBits(plain.energy, exact.energy));
    // Times taken from the distance search are a rounding away from a time search's.
    const bool evenTimes = timesFromDistance(run.grid);
    if (evenTimes) {
        expectWithinOneFloatUnit(plain.time, exact.time);
    } else {
        EXPECT_TRUE(sameBits(plain.time, exact.time));
    }
    // A reversed search's routes lead the other way, which the walk below does not read.
    if (!canStartAt(run.grid, start.x, start.y) || from.reversed) {
        return; // nothing reached: no routes
    }
    // Of routes equal in both measures, both keep the one whose last move has the least number.
    const auto samePoints = [](const std::vector<GridPoint>& a, const std::vector<GridPoint>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](GridPoint p, GridPoint q) { return p.x == q.x && p.y == q.y; });
    };
    EXPECT_TRUE(samePoints(plain.previousDistance, exact.previousDistance));
    EXPECT_TRUE(samePoints(plain.previousEnergy, exact.previousEnergy));
    if (run.timed && !timesFromDistance(run.grid)) {
        EXPECT_TRUE(samePoints(plain.previousTime, exact.previousTime));
    }
    // Every route leads to a start and sums, in double, to its cell's cost; of equally cheap
    // routes it is as cheap in the other measure as the oracle's.
    constexpr Measure LENGTH = Measure::Distance;
    const auto along = [&](const PreviousTable& previous, Measure m) {
        return summedAlongRoutes(run, previous, m, from.starts);
    };
    expectCostsAlongRoutes(exact.distance, along(t.previousDistance, LENGTH));
    expectCostsAlongRoutes(exact.energy, along(t.previousEnergy, Measure::Energy));
    EXPECT_TRUE(sameBits(plain.energyAlongDistance, along(t.previousDistance, Measure::Energy)));
    EXPECT_TRUE(sameBits(plain.lengthAlongEnergy, along(t.previousEnergy, LENGTH)));
    EXPECT_EQ(t.timed, run.timed);
    if (evenTimes) {
        const uint8_t* shortest = t.previousDistance.steps();
        EXPECT_TRUE(std::equal(shortest, shortest + t.shape().cells(), t.previousTime.steps()));
        expectWithinOneFloatUnit(exact.time, along(t.previousTime, Measure::Time));
    } else if (run.timed) {
        expectCostsAlongRoutes(exact.time, along(t.previousTime, Measure::Time));
        EXPECT_TRUE(sameBits(plain.lengthAlongTime, along(t.previousTime, LENGTH)));
    }
}

using SweepOracle = PlannerTest;
using ExactOracle = PlannerTest;
using PlannerOracle = PlannerTest;

TEST_F(SweepOracle, RealTerrainFromCornersEdgesCentreDefaultAndRandomStarts) {
    useBuiltInGround();
    std::vector<Start> starts = {{0, 0},      {0, LAST},   {LAST, 0},      {LAST, LAST},
                                 {0, MIDDLE}, {MIDDLE, 0}, {LAST, MIDDLE}, {MIDDLE, LAST},
                                 {182, 182},  {10, 360}};
    for (const Start& s : randomStarts(20261208u, 4)) {
        starts.push_back(s);
    }
    for (const Start& s : starts) {
        expectSameTables(run, s, "real terrain");
    }
    for (const Start& s : {starts[0], starts[3], starts[8], starts[9], starts[10]}) {
        expectExactMatchesOracle(run, s, "real terrain");
    }
}

// relaxNeighbours works on the route tables themselves; cell by cell in spiral order it must
// give what computeRoutes gives.
TEST_F(SweepOracle, RelaxNeighboursInSpiralOrderMatchesComputeRoutes) {
    useBuiltInGround();
    planFrom(40, 300);
    RouteSnapshot fast;
    fast.capture(run);
    resetRouteTables(run.tables, 40, 300);
    forEachSpiralCell(BUILT_IN_SHAPE, 40, 300, [this](int a, int b) { relaxNeighbours(a, b); });
    expectRouteTablesEqual(run, fast);
}

// The program's names over the current run plan and relax as the explicit calls do over a run
// of the test's own; the current run is set up here, as the program would start it.
TEST_F(SweepOracle, CurrentRunPlansAndRelaxesAsTheExplicitCalls) {
    landscapeRun.settings = Settings{};
    landscapeRun.barriers.clear();
    ::useBuiltInGround();
    useBuiltInGround();
    ::computeRoutes();
    planRun(run);
    RouteSnapshot own;
    own.capture(run);
    expectRouteTablesEqual(landscapeRun, own);
    resetRouteTables(landscapeRun.tables, 40, 300);
    resetRouteTables(run.tables, 40, 300);
    forEachSpiralCell(BUILT_IN_SHAPE, 40, 300, [this](int a, int b) {
        ::relaxNeighbours(a, b);
        relaxNeighbours(a, b);
    });
    own.capture(run);
    expectRouteTablesEqual(landscapeRun, own);
}

using HeightRule = int32_t (*)(int x, int y);

struct Ground {
    const char* name;
    HeightRule height;
};

int32_t flat(int, int) {
    return 40;
}
// Terraces whose edges are exactly 2 m (passable) along x and 3 m (not) along y.
int32_t terraces(int x, int y) {
    return 100 + (x / 7) * 2 + (y / 11) * 3;
}
// Every straight step 2 m, every diagonal level.
int32_t checkerTwo(int x, int y) {
    return 60 + ((x + y) % 2) * 2;
}
// Every straight step 3 m: only diagonals pass, splitting the grid into two lattices.
int32_t checkerThree(int x, int y) {
    return 60 + ((x + y) % 2) * 3;
}
// Columns cut off from each other by 3 m steps, level along y.
int32_t columns(int x, int) {
    return 20 + (x % 2) * 3;
}
// A diagonal staircase of 1 m steps with diagonal cliffs every 5 cells.
int32_t diagonalSteps(int x, int y) {
    return 10 + (x + y) + ((x - y + 400) % 5 == 0 ? 3 : 0);
}
// Walls with alternating gaps: the way out snakes back past cells the spiral already visited.
int32_t serpentine(int x, int y) {
    if (x % 4 != 3) {
        return 70 + (y % 3 == 0 ? 1 : 0);
    }
    const bool gapAtTop = (x / 4) % 2 == 0;
    return (gapAtTop ? y > LAST - 3 : y < 3) ? 70 : 90;
}

int32_t hashedSmallSteps(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<int32_t>(h % 4); // heights 0..3: steps of 0 to 3 m in every direction
}

// A rolling random walk: neighbouring heights differ mostly by 0..2 m, sometimes 3.
int32_t rolling(int x, int y) {
    return 200 + (x * 7 + y * 3) % 5 + hashedSmallSteps(x, y) / 2;
}

TEST_F(SweepOracle, HandMadeGround) {
    const Ground grounds[] = {
        {"flat", flat},
        {"terraces", terraces},
        {"checker 2 m", checkerTwo},
        {"checker 3 m", checkerThree},
        {"columns", columns},
        {"diagonal steps", diagonalSteps},
        {"serpentine", serpentine},
        {"random 0..3 m", hashedSmallSteps},
        {"rolling", rolling},
    };
    const std::vector<Start> randomOnes = randomStarts(7u, static_cast<int>(std::size(grounds)));
    for (std::size_t g = 0; g < std::size(grounds); ++g) {
        HeightGrid& heights = scratchHeights();
        for (int x = 0; x < GRID_SIZE; ++x) {
            for (int y = 0; y < GRID_SIZE; ++y) {
                heights[x][y] = grounds[g].height(x, y);
            }
        }
        useGround(heights);
        expectSameTables(run, {MIDDLE, MIDDLE - 1}, grounds[g].name);
        expectSameTables(run, {LAST, 0}, grounds[g].name);
        expectSameTables(run, randomOnes[g], grounds[g].name);
        expectExactMatchesOracle(run, randomOnes[g], grounds[g].name);
        expectExactMatchesOracle(run, randomOnes[g], grounds[g].name,
                                 {{{MIDDLE, MIDDLE - 1}, {LAST, 0}, {0, LAST}}, false});
        expectExactMatchesOracle(run, randomOnes[g], grounds[g].name, {{}, true});
    }
}

// Ground on which one spiral pass falls short: walls of cliffs whose way round runs against the
// spiral. The exact planner must match the oracle there, and the sweep must cost more somewhere.
int32_t ringWithOneGap(int x, int y) {
    const int ring = std::max(std::abs(x - MIDDLE), std::abs(y - MIDDLE));
    return ring == 40 && !(x < MIDDLE && std::abs(y - MIDDLE) < 2) ? 90 : 50;
}
// Nested cliff rings with gaps on alternating sides: a corridor winding outward.
int32_t windingCorridor(int x, int y) {
    const int ring = std::max(std::abs(x - MIDDLE), std::abs(y - MIDDLE));
    if (ring == 0 || ring % 8 != 0) {
        return 50;
    }
    const bool gapEast = (ring / 8) % 2 == 0;
    const bool inGap = std::abs(y - MIDDLE) < 2 && (gapEast ? x > MIDDLE : x < MIDDLE);
    return inGap ? 50 : 90;
}
// Level plateaus joined by 1 m steps: most steps cost no energy at all.
int32_t plateaus(int x, int y) {
    return 30 + (x / 60 + y / 45) % 3;
}

TEST_F(ExactOracle, GroundWhereTheSweepFallsShort) {
    const Ground grounds[] = {
        {"ring with one gap", ringWithOneGap},
        {"winding corridor", windingCorridor},
        {"plateaus", plateaus},
        {"flat", flat},
    };
    for (const Ground& ground : grounds) {
        HeightGrid& heights = scratchHeights();
        for (int x = 0; x < GRID_SIZE; ++x) {
            for (int y = 0; y < GRID_SIZE; ++y) {
                heights[x][y] = ground.height(x, y);
            }
        }
        useGround(heights);
        planFrom(MIDDLE, MIDDLE);
        RouteSnapshot sweep;
        sweep.capture(run);
        expectExactMatchesOracle(run, {MIDDLE, MIDDLE}, ground.name);
        // The sweep sums in float, each sum rounded, so a route of hundreds of steps may come
        // out a little below its exact sum; never by more than that.
        constexpr float FLOAT_SUM_SLACK = 1e-4f;
        int below = 0;
        int above = 0;
        for (int x = 0; x < GRID_SIZE; ++x) {
            for (int y = 0; y < GRID_SIZE; ++y) {
                const float swept = sweep.distance[BUILT_IN_SHAPE.index(x, y)];
                below += swept < distanceTable[x][y] * (1.0f - FLOAT_SUM_SLACK) ? 1 : 0;
                above += swept > distanceTable[x][y] ? 1 : 0;
            }
        }
        SCOPED_TRACE(ground.name);
        EXPECT_EQ(below, 0);
        if (ground.height != flat && ground.height != plateaus) {
            EXPECT_GT(above, 0);
        }
    }
}

// A strip of slow mud across flat ground: a move that jumps it still pays for the ground between
// its ends, so no route crosses w cells of it at 1 km/h faster than w spacings at that speed,
// nor with less rolling energy than its coefficient over that width, whatever the headings.
TEST_F(PlannerOracle, NoMoveJumpsAStripOfSlowGround) {
    const GridShape shape{40, 21, 100.0};
    settings.vehicle.rolling = 0.015f;
    run.timed = true;
    constexpr double MUD_KMH = 1.0;
    constexpr float MUD_ROLLING = 0.9f;
    for (const int width : {1, 2, 3, 4}) {
        run.cover.speedKmh.assign(shape.cells(), 80.0f);
        run.cover.rolling.assign(shape.cells(), NAN);
        for (int x = 18; x < 18 + width; ++x) {
            for (int y = 0; y < shape.rows; ++y) {
                run.cover.speedKmh[shape.index(x, y)] = MUD_KMH;
                run.cover.rolling[shape.index(x, y)] = MUD_ROLLING;
            }
        }
        for (const int moves : {8, 16, 48, 96}) {
            SCOPED_TRACE(testing::Message() << width << " cells of mud, " << moves << " moves");
            settings.moves = moves;
            useGround(shape, [](int, int) { return 50.0f; });
            expectExactMatchesOracle(run, {2, 10}, "a strip of mud");
            const double metres = width * shape.spacing;
            EXPECT_GE(run.tables.time[37][10], metres / (MUD_KMH / 3.6));
            EXPECT_GE(run.tables.energy[37][10],
                      metres * MUD_ROLLING * settings.vehicle.vehicleMass * 9.80665);
        }
    }
}

// A start outside the grid reaches nothing, as with the sweep.
TEST_F(ExactOracle, StartOutsideTheGridReachesNothing) {
    useGround(fillHeights(40));
    settings.planner = PlannerKind::Exact;
    planFrom(GRID_SIZE, 3);
    EXPECT_EQ(distanceTable[0][3], UNREACHED_COST);
    EXPECT_EQ(previousEnergyVertices[LAST][3].x, NO_PREVIOUS);
}

// A raised cancel flag stops either planner over every kind of moves, which then says the plan
// is unfinished, and the pricing of the steps; a flag never raised leaves every table as a plan
// without one gives it, bit for bit.
TEST_F(PlannerOracle, CancelledPlansSaySoAndUncancelledOnesAreUnchanged) {
    const struct {
        PlannerKind planner;
        int moves;
        bool timed;
    } cases[] = {{PlannerKind::Sweep, 8, false},
                 {PlannerKind::Sweep, 16, true},
                 {PlannerKind::Exact, 8, true},
                 {PlannerKind::Exact, 48, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.moves << " moves, exact " << (c.planner == PlannerKind::Exact));
        settings.moves = c.moves;
        run.timed = c.timed;
        useBuiltInGround();
        const Cell start{40, 300};
        ASSERT_TRUE(planRunFrom(run, PlanRequest{c.planner, start, start, {}, false}, {}, nullptr));
        RouteSnapshot whole;
        whole.capture(run);
        const CancelFlag raised{true};
        EXPECT_FALSE(
            planRunFrom(run, PlanRequest{c.planner, start, start, {}, false}, {}, &raised));
        EXPECT_FALSE(run.plannedFrom.has_value());
        const CancelFlag lowered{false};
        // Pricing stops too; priced again under a lowered flag, the steps plan as before.
        EXPECT_FALSE(priceStepsFor(run, stepChoice(run), &raised));
        EXPECT_TRUE(priceStepsFor(run, stepChoice(run), &lowered));
        EXPECT_TRUE(
            planRunFrom(run, PlanRequest{c.planner, start, start, {}, false}, {}, &lowered));
        EXPECT_TRUE(run.plannedFrom && *run.plannedFrom == start);
        expectRouteTablesEqual(run, whole);
    }
}

// Ground of the user's kind: not square, another spacing, float heights, holes without ground,
// and vehicles whose limits, descent share and rolling resistance each change the answer.
TEST_F(PlannerOracle, AnyShapeSpacingHeightsAndVehicle) {
    struct Case {
        const char* name;
        GridShape shape;
        double up;
        double down;
        float descent;
        float rolling;
        bool wholeMetres = false;
        bool sea = false; // columns 0..499 level: every energy step between them free
        int moves = 8;
        int cover = 0;      // 1: a road, a forest and a lake of speeds; 2: with their surfaces
        double power = 0.0; // kW; with a cover, timed plans
        bool timed = false; // timed plans without either
        double side = NO_SIDE_SLOPE; // the side-slope limit, percent
    };
    const Case cases[] = {
        {"71 x 43 at 7.3 m", {71, 43, 7.3}, 7.0, 7.0, 1.0f, 0.0f},
        {"40 x 90 at 1 m, 15 % up, 5 % down", {40, 90, 1.0}, 15.0, 5.0, 1.0f, 0.0f},
        {"64 x 50 at 30 m, free descents", {64, 50, 30.0}, 12.0, 12.0, 0.0f, 0.0f},
        {"55 x 61 at 12.5 m, rolling", {55, 61, 12.5}, 10.0, 20.0, 0.5f, 0.015f},
        {"48 x 40 at 30 m, a barrier across all but a gap", {48, 40, 30.0}, 9.0, 9.0, 1.0f, 0.0f},
        // Whole metres, as the built-in ground, but a ridge whose rises are too many kinds of step.
        {"60 x 45 at 30 m, whole metres, 60 %", {60, 45, 30.0}, 60.0, 60.0, 0.7f, 0.0f, true},
        // Past PARALLEL_CELLS: the sweep's two measures on two cores, in records of their own;
        // in the second, a sea whose free steps and ties the energy search takes up once.
        {"1025 x 1024 at 10 m", {1025, 1024, 10.0}, 7.0, 7.0, 1.0f, 0.0f},
        {"1100 x 1000 at 85 m, a sea", {1100, 1000, 85.0}, 7.0, 7.0, 1.0f, 0.0f, false, true},
        // Longer moves: each tested along its line, over holes, barriers and ridges.
        {"71 x 43 at 7.3 m, 48 moves", {71, 43, 7.3}, 7.0, 7.0, 1.0f, 0.0f, false, false, 48},
        // Timed without a cover: the time is the length at the top speed.
        {"40 x 90 at 1 m, 15 % / 5 %, 16 moves", {40, 90, 1}, 15, 5, 1, 0, 0, 0, 16, 0, 0, 1},
        {"55 x 61 at 12.5 m, rolling, 96", {55, 61, 12.5}, 10, 20, .5, .015f, 0, 0, 96, 0, 0, 1},
        {"48 x 40 at 30 m, a barrier, 32 moves", {48, 40, 30.0}, 5, 9, 1, 0, false, false, 32},
        {"1025 x 1024 at 10 m, 16 moves", {1025, 1024, 10.0}, 5, 5, 1, 0, false, false, 16},
        // Timed: a cover of speeds, then of surfaces too, a power limit on the climbs.
        {"64 x 50 at 30 m, a cover", {64, 50, 30.0}, 12, 12, 1, 0, 0, 0, 8, 1},
        {"55 x 61 at 12.5 m, surfaces, 8 kW", {55, 61, 12.5}, 10, 20, .5, .015f, 0, 0, 8, 2, 8},
        {"60 x 45, whole metres, 5 kW, no cover", {60, 45, 30.0}, 9, 9, 1, 0, 1, 0, 8, 0, 5},
        {"71 x 43 at 7.3 m, surfaces, 48 moves", {71, 43, 7.3}, 7, 7, 1, .01f, 0, 0, 48, 2, 12},
        {"1025 x 1024 at 10 m, surfaces", {1025, 1024, 10.0}, 7, 7, 1, 0, 0, 0, 8, 2, 9},
        // A side-slope limit on every set of moves, over holes, barriers and a cover.
        {"71 x 43 at 7.3 m, side 6 %", {71, 43, 7.3}, 7, 7, 1, 0, 0, 0, 8, 0, 0, 0, 6},
        {"40 x 90 at 1 m, 15/5 %, side 9 %, 16", {40, 90, 1}, 15, 5, 1, 0, 0, 0, 16, 0, 0, 1, 9},
        {"48 x 40 at 30 m, side 5 %, 32 moves", {48, 40, 30.0}, 5, 9, 1, 0, 0, 0, 32, 0, 0, 0, 5},
        {"71 x 43 at 7.3 m, side 7 %, 48, cover", {71, 43, 7.3}, 7, 7, 1, 0, 0, 0, 48, 1, 0, 0, 7},
        {"55 x 61 at 12.5 m, side 8 %, 80", {55, 61, 12.5}, 10, 20, .5, 0, 0, 0, 80, 0, 0, 0, 8},
        {"64 x 50 at 30 m, side 6 %, 96", {64, 50, 30.0}, 12, 12, 1, 0, 0, 0, 96, 0, 0, 0, 6},
        {"1025 x 1024 at 10 m, side 6 %, 16", {1025, 1024, 10.0}, 7, 7, 1, 0, 0, 0, 16, 0, 0, 0, 6},
    };
    static_assert(1025 * 1024 >= PARALLEL_CELLS && 1100 * 1000 >= PARALLEL_CELLS);
    bool bigSearched = false;
    for (const Case& c : cases) {
        settings.vehicle.gradeUpPercent = c.up;
        settings.vehicle.gradeDownPercent = c.down;
        settings.vehicle.descent = c.descent;
        settings.vehicle.rolling = c.rolling;
        settings.moves = c.moves;
        settings.vehicle.powerKw = c.power;
        settings.vehicle.sideSlopePercent = c.side;
        run.timed = c.timed || c.cover != 0 || c.power > 0.0;
        // A road along row 9 at 80 km/h, a forest at 10 km/h (rougher, with surfaces), a lake
        // across columns 44..46 but for a gap at the road; elsewhere no value.
        run.cover = {};
        if (c.cover != 0) {
            run.cover.speedKmh.assign(c.shape.cells(), NAN);
            run.cover.rolling.assign(c.shape.cells(), NAN);
            for (int x = 0; x < c.shape.columns; ++x) {
                for (int y = 0; y < c.shape.rows; ++y) {
                    const std::size_t p = c.shape.index(x, y);
                    const bool forest = (x + y) % 7 < 3 && x < 35;
                    run.cover.speedKmh[p] = y == 9                       ? 80.0f
                                            : forest                     ? 10.0f
                                            : x > 43 && x < 47 && y > 12 ? 0.0f
                                                                         : NAN;
                    run.cover.rolling[p] = c.cover == 2 && forest ? 0.08f : NAN;
                }
            }
        }
        const double s = c.shape.spacing;
        // A wall across column 30 with a gap at rows 5..7, when the case has room for one.
        run.barriers.assign(c.shape.cells(), 0);
        for (int y = 0; c.shape.columns == 48 && y < c.shape.rows; ++y) {
            run.barriers[c.shape.index(30, y)] = y < 5 || y > 7 ? 1 : 0;
        }
        // Rolling hills of a few percent with a ridge too steep and a pond without ground.
        useGround(c.shape, [s, &c](int x, int y) {
            if (c.sea && x < 500) {
                return 0.0f;
            }
            if (std::hypot(x - 20, y - 12) < 4.0) {
                return std::nanf("");
            }
            const double h = 0.06 * s * (3.0 * std::sin(x * 0.31) + 2.0 * std::cos(y * 0.23)) +
                             (x == 33 ? 0.4 * s : 0.0);
            return static_cast<float>(c.wholeMetres ? std::round(h) : h);
        });
        // A big ground's side test is the two workers' strips, which one start shows; the
        // searches over it are those of the cases without a limit.
        const bool bigLeaning = c.shape.cells() >= PARALLEL_CELLS && c.side != NO_SIDE_SLOPE;
        const bool big = c.shape.cells() >= PARALLEL_CELLS;
        std::vector<Start> starts =
            randomStarts(99u, bigLeaning || (big && SANITIZED_BUILD) ? 1 : 2, c.shape);
        if (big && !bigLeaning && !SANITIZED_BUILD) { // in a corner
            starts.push_back({1, 1});
        }
        // Every path finds the same moves open.
        const std::vector<uint8_t> fastestSteps = run.grid.steps;
        for (Kernels k : kernelsThisMachineRuns()) {
            run.kernels = k;
            priceSteps(run);
            EXPECT_TRUE(run.grid.steps == fastestSteps) << c.name << ", " << kernelsName(k);
        }
        for (const Start& start : starts) {
            expectSameTables(run, start, c.name);
            expectExactMatchesOracle(run, start, c.name);
            // Every other plan as a batch makes it: cells and tables given back as searches end.
            run.work.exact.keepCells = !run.work.exact.keepCells;
        }
        // Seeded at three starts, one of them named twice, and over the moves reversed: on
        // every small ground and the first big one, whose oracle takes longest (not under the
        // sanitizers, where it alone would take ten minutes; the plain build checks it).
        if (c.shape.cells() >= PARALLEL_CELLS &&
            (SANITIZED_BUILD || std::exchange(bigSearched, true))) {
            continue;
        }
        std::vector<Cell> several;
        for (const Start& s : randomStarts(5u, 3, c.shape)) {
            several.push_back({s.x, s.y});
        }
        several.push_back(several[1]);
        expectExactMatchesOracle(run, starts[0], c.name, {several, false});
        expectExactMatchesOracle(run, starts[0], c.name, {{}, true});
    }
}

} // namespace

namespace {

// The search loop alone, over random graphs whose move prices are small whole numbers (sums then
// exact in double), many of them free: from several starts its labels must be the least cost and,
// among equal costs, the least other measure that relaxing every move until nothing changes gives.
struct GraphMove {
    std::size_t to;
    double price;
    double otherPrice;
};
struct GraphLabels {
    std::vector<SearchCell>* cells;
    std::vector<uint8_t>* from;
    void reset(std::size_t p) const { (*cells)[p] = {static_cast<double>(UNREACHED_COST), 0.0}; }
    SearchCell& operator[](std::size_t p) const { return (*cells)[p]; }
    void arrived(std::size_t q, uint8_t by) const { (*from)[q] = by; }
    uint8_t arrivedBy(std::size_t q) const { return (*from)[q]; }
};
struct GraphMoves {
    const std::vector<std::vector<GraphMove>>* out;
    template <typename Offer>
    void offersFrom(const GraphLabels& labels, std::size_t p, double base, double,
                    Offer&& offer) const {
        for (std::size_t d = 0; d < (*out)[p].size(); ++d) {
            const GraphMove& m = (*out)[p][d];
            if (base + m.price <= labels[m.to].cost) {
                offer(static_cast<int>(d), m.to, base + m.price, m.otherPrice);
            }
        }
    }
};

TEST(SearchLoop, LeastCostsThenLeastOtherFromSeveralStartsOnRandomGraphs) {
    uint32_t seed = 12345;
    const auto next = [&seed](uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % below;
    };
    for (int graph = 0; graph < 40; ++graph) {
        const std::size_t n = 20 + next(200);
        std::vector<std::vector<GraphMove>> out(n);
        for (std::size_t p = 0; p < n; ++p) {
            for (uint32_t k = next(6); k > 0; --k) {
                // A third of the moves free, so that cells open again within a bucket.
                const double price = next(3) == 0 ? 0.0 : 1.0 + next(9);
                out[p].push_back({next(static_cast<uint32_t>(n)), price, 1.0 + next(5)});
            }
        }
        const std::vector<std::size_t> starts = {next(static_cast<uint32_t>(n)),
                                                 next(static_cast<uint32_t>(n))};
        std::vector<SearchCell> cells(n);
        std::vector<uint8_t> from(n);
        BucketQueue frontier;
        frontier.reset(1.0, 9.0);
        SearchWatch watch;
        ASSERT_TRUE(
            searchLoop(n, starts, GraphLabels{&cells, &from}, GraphMoves{&out}, frontier, watch));
        std::vector<std::pair<double, double>> least(n, {UNREACHED_COST, 0.0});
        for (std::size_t s : starts) {
            least[s] = {0.0, 0.0};
        }
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t p = 0; p < n; ++p) {
                for (const GraphMove& m : out[p]) {
                    const std::pair<double, double> via = {least[p].first + m.price,
                                                           least[p].second + m.otherPrice};
                    if (least[p].first != UNREACHED_COST && via < least[m.to]) {
                        least[m.to] = via;
                        changed = true;
                    }
                }
            }
        }
        for (std::size_t p = 0; p < n; ++p) {
            SCOPED_TRACE(testing::Message() << "graph " << graph << " cell " << p);
            EXPECT_EQ(cells[p].cost, least[p].first);
            EXPECT_EQ(cells[p].other(), least[p].second);
            EXPECT_FALSE(cells[p].waiting());
        }
    }
}

} // namespace
