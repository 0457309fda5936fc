// The sweep's visiting order and the rules it must keep, and where a plan on loaded ground starts
// and ends, on hand-made ground where the answer can be worked out by hand; the predecessor
// chains on the real terrain.

#include "planner/defaultEnds.h"
#include "planner/routeSummary.h"
#include "planner/routeWalk.h"
#include "planner/spiralOrder.h"
#include "planner/trip.h"
#include "render/overlays.h"
#include "tests/unit/plainSweep.h"
#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>;

constexpr int LAST = GRID_SIZE - 1;
constexpr int32_t PLAIN_HEIGHT = 50;

std::vector<Cell> spiralCells(int startX, int startY) {
    std::vector<Cell> cells;
    forEachSpiralCell(BUILT_IN_SHAPE, startX, startY,
                      [&](int x, int y) { cells.emplace_back(x, y); });
    return cells;
}

std::vector<Cell> walkerCells(const LandscapeRun& run, int startX, int startY) {
    std::vector<Cell> cells;
    plainSpiralWalk(run, startX, startY, [&](int x, int y) { cells.emplace_back(x, y); });
    return cells;
}

void expectUnreached(const RouteTables& tables, int x, int y) {
    EXPECT_EQ(tables.distance[x][y], UNREACHED_COST) << x << "," << y;
    EXPECT_EQ(tables.energy[x][y], UNREACHED_COST) << x << "," << y;
    for (const PreviousTable* table : {&tables.previousDistance, &tables.previousEnergy}) {
        const GridPoint& p = (*table)[x][y];
        EXPECT_EQ(p.x, NO_PREVIOUS) << x << "," << y;
        EXPECT_EQ(p.y, NO_PREVIOUS) << x << "," << y;
        EXPECT_EQ(p.z, 0) << x << "," << y;
    }
}

void expectPrevious(const PreviousTable& table, int x, int y, Cell expected) {
    EXPECT_EQ(table[x][y].x, expected.first) << "predecessor of " << x << "," << y;
    EXPECT_EQ(table[x][y].y, expected.second) << "predecessor of " << x << "," << y;
}

using SpiralOrder = PlannerTest;
using Sweep = PlannerTest;
using WalkRoute = PlannerTest;

TEST_F(SpiralOrder, VisitsEveryCellOnceInTheWalkersOrder) {
    useBuiltInGround();
    const Cell starts[] = {{0, 0}, {0, LAST}, {LAST, 0}, {LAST, LAST}, {182, 182}, {10, 360}};
    for (const Cell& start : starts) {
        const std::vector<Cell> cells = spiralCells(start.first, start.second);
        ASSERT_EQ(cells.size(), static_cast<std::size_t>(GRID_CELLS));
        std::vector<int> visits(GRID_CELLS, 0);
        for (const Cell& c : cells) {
            ASSERT_TRUE(isInsideGrid(c.first, c.second));
            ++visits[c.first * GRID_SIZE + c.second];
        }
        for (int v : visits) {
            ASSERT_EQ(v, 1);
        }
        EXPECT_EQ(cells, walkerCells(run, start.first, start.second))
            << "start " << start.first << "," << start.second;
    }
}

TEST_F(SpiralOrder, StartsWithRingOneThenRingTwo) {
    const std::vector<Cell> cells = spiralCells(5, 5);
    const std::vector<Cell> expected = {{5, 5}, {6, 5}, {6, 6}, {5, 6}, {4, 6}, {4, 5},
                                        {4, 4}, {5, 4}, {6, 4}, {7, 4}, {7, 5}, {7, 6}};
    EXPECT_EQ(std::vector<Cell>(cells.begin(), cells.begin() + 12), expected);
}

TEST_F(SpiralOrder, CornerStartSkipsMovesOutsideTheGrid) {
    const std::vector<Cell> cells = spiralCells(0, 0);
    const std::vector<Cell> expected = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 0},
                                        {2, 1}, {2, 2}, {1, 2}, {0, 2}, {3, 0}};
    EXPECT_EQ(std::vector<Cell>(cells.begin(), cells.begin() + 10), expected);
}

TEST_F(SpiralOrder, StartOutsideTheGridVisitsNothingOfItsOwn) {
    useBuiltInGround();
    EXPECT_EQ(spiralCells(-1, 3).size(), walkerCells(run, -1, 3).size());
    EXPECT_EQ(spiralCells(-1, 3), walkerCells(run, -1, 3));
}

TEST_F(Sweep, StartKeepsZeroCostAndNoPredecessor) {
    useGround(fillHeights(PLAIN_HEIGHT));
    planFrom(5, 5);
    EXPECT_EQ(distanceTable[5][5], 0.0f);
    EXPECT_EQ(energyTable[5][5], 0.0f);
    expectPrevious(previousDistanceVertices, 5, 5, {NO_PREVIOUS, NO_PREVIOUS});
    expectPrevious(previousEnergyVertices, 5, 5, {NO_PREVIOUS, NO_PREVIOUS});
}

TEST_F(Sweep, LevelGroundCostsNoEnergyAndStraightStepsThirtyMetres) {
    useGround(fillHeights(PLAIN_HEIGHT));
    planFrom(5, 5);
    EXPECT_EQ(distanceTable[6][5], 30.0f);
    EXPECT_EQ(distanceTable[5][7], 60.0f);
    EXPECT_EQ(distanceTable[6][6], static_cast<float>(std::sqrt(1800.0)));
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            ASSERT_EQ(energyTable[x][y], 0.0f) << x << "," << y;
        }
    }
}

// (7, 6) is offered the same distance by (6, 5) (straight then diagonal) and (6, 6) (diagonal then
// straight), and the same zero energy by both; (6, 5) comes first in the spiral and keeps it.
TEST_F(Sweep, FirstOfEqualCandidatesStaysThePredecessor) {
    useGround(fillHeights(PLAIN_HEIGHT));
    planFrom(5, 5);
    expectPrevious(previousDistanceVertices, 7, 6, {6, 5});
    expectPrevious(previousEnergyVertices, 7, 6, {6, 5});
    // On level ground every cell of ring 1 takes its zero energy from the start itself.
    expectPrevious(previousEnergyVertices, 4, 4, {5, 5});
    expectPrevious(previousEnergyVertices, 6, 4, {5, 5});
}

// Start S (5, 5) at 0 m. C (6, 5), the first cell of ring 1, stands 4 m up and is reached only
// through P (6, 4) at 2 m, the last cell of ring 1. D (7, 5) at 6 m is reached only from C.
// Everything else is a 100 m plateau. C gets its cost after its own visit, so D never gets one.
TEST_F(Sweep, CostArrivingAfterTheVisitIsStoredButNotPassedOn) {
    HeightGrid& heights = fillHeights(100);
    heights[5][5] = 0;
    heights[6][5] = 4;
    heights[6][4] = 2;
    heights[7][5] = 6;
    useGround(heights);
    planFrom(5, 5);
    const float toP = static_cast<float>(std::sqrt(1804.0));
    const float pToC = static_cast<float>(std::sqrt(904.0));
    EXPECT_EQ(distanceTable[6][4], toP);
    EXPECT_EQ(distanceTable[6][5], static_cast<float>(static_cast<double>(toP) + pToC));
    expectPrevious(previousDistanceVertices, 6, 5, {6, 4});
    expectPrevious(previousEnergyVertices, 6, 5, {6, 4});
    const float twoMetres = 2.0f * (settings.vehicle.vehicleMass * GRAVITY);
    EXPECT_EQ(energyTable[6][5], twoMetres + twoMetres);
    expectUnreached(run.tables, 7, 5);
    expectUnreached(run.tables, 100, 100);
}

// Compare in double, store in float: a candidate that rounds up to the stored cost is still
// smaller than it and takes over the predecessor.
TEST_F(Sweep, CandidateEqualOnlyAfterRoundingStillWins) {
    useGround(fillHeights(PLAIN_HEIGHT));
    resetRouteTables(run.tables, 200, 200);
    // Floats between 2^25 and 2^26 are 4 apart: 2^25 + 42.43 rounds up to 2^25 + 44.
    const float base = 33554432.0f;
    distanceTable[10][10] = base;
    distanceTable[11][11] = base + 44.0f;
    distanceTable[9][11] = base + 40.0f;
    relaxNeighbours(10, 10);
    EXPECT_EQ(distanceTable[11][11], base + 44.0f);
    expectPrevious(previousDistanceVertices, 11, 11, {10, 10});
    EXPECT_EQ(distanceTable[9][11], base + 40.0f);
    expectPrevious(previousDistanceVertices, 9, 11, {NO_PREVIOUS, NO_PREVIOUS});
    // An unreached source offers nothing: 1e35 plus a step is not below 1e35.
    relaxNeighbours(100, 100);
    expectUnreached(run.tables, 101, 100);
}

struct CliffCase {
    int rise;
    bool diagonalOnly;
    bool reached;
};

// A single cell raised above level ground, reachable either from all sides or, with its four
// straight neighbours made cliffs, only diagonally.
TEST_F(Sweep, CliffsOfTwoMetresAreClimbedAndThreeAreNot) {
    const CliffCase cases[] = {
        {2, false, true}, {-2, false, true}, {3, false, false}, {-3, false, false},
        {2, true, true},  {-2, true, true},  {3, true, false},  {-3, true, false},
    };
    const int tx = 150;
    const int ty = 150;
    for (const CliffCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "rise " << c.rise << " diagonal " << c.diagonalOnly);
        HeightGrid& heights = fillHeights(PLAIN_HEIGHT);
        heights[tx][ty] = PLAIN_HEIGHT + c.rise;
        if (c.diagonalOnly) {
            heights[tx + 1][ty] = heights[tx - 1][ty] = 200;
            heights[tx][ty + 1] = heights[tx][ty - 1] = 200;
        }
        useGround(heights);
        planFrom(100, 100);
        if (!c.reached) {
            expectUnreached(run.tables, tx, ty);
            continue;
        }
        const GridPoint from = previousDistanceVertices[tx][ty];
        ASSERT_TRUE(isInsideGrid(from.x, from.y));
        const bool diagonal = from.x != tx && from.y != ty;
        if (c.diagonalOnly) {
            EXPECT_TRUE(diagonal);
        }
        const double run = diagonal ? 1800.0 : 900.0;
        const float step = static_cast<float>(std::sqrt(run + c.rise * c.rise));
        EXPECT_EQ(distanceTable[tx][ty],
                  static_cast<float>(static_cast<double>(distanceTable[from.x][from.y]) + step));
        EXPECT_EQ(energyTable[tx][ty], std::abs(c.rise) * (settings.vehicle.vehicleMass * GRAVITY));
    }
}

TEST_F(Sweep, StartOutsideTheGridLeavesEveryCellUnreached) {
    useGround(fillHeights(PLAIN_HEIGHT));
    planFrom(GRID_SIZE, 3);
    expectUnreached(run.tables, 0, 0);
    expectUnreached(run.tables, LAST, 3);
    planFrom(5, 5);
    EXPECT_EQ(distanceTable[6][5], 30.0f);
}

// Plain ground with a column without ground at x = 7: nothing enters, crosses or leaves it, and
// a start on it reaches nothing.
TEST_F(Sweep, CellsWithoutGroundAreNeverEnteredNorLeft) {
    useGround(BUILT_IN_SHAPE, [](int x, int) { return x == 7 ? NAN : 50.0f; });
    for (const Cell& start : {Cell{5, 5}, Cell{7, 5}}) {
        planFrom(start.first, start.second);
        expectUnreached(run.tables, 7, 6);
        expectUnreached(run.tables, 8, 5);
        EXPECT_EQ(distanceTable[6][5], start.first == 5 ? 30.0f : UNREACHED_COST);
    }
    expectUnreached(run.tables, 7, 5);
}

// Level ground cut by columns without ground: the plan starts on the largest part (of two equal
// ones, the part of the smaller cells) nearest the centre and ends at its farthest cell. Past
// PARALLEL_CELLS the columns are labelled in two halves: there the largest part crosses the
// halves' border and has a hole at the centre, whose nearest cell lies in the first half.
TEST(DefaultEnds, LargestPieceFromNearestTheCentreToItsFarthestCell) {
    struct Hole {
        int x0, x1, y0, y1; // cells without ground, inclusive
    };
    const struct {
        GridShape shape;
        std::vector<Hole> holes;
        std::array<int, 4> ends;
    } cases[] = {
        {{48, 40, 30.0}, {{30, 30, 0, 39}}, {23, 19, 1, 39}},
        {{48, 40, 30.0}, {{24, 24, 0, 39}}, {23, 19, 1, 39}},
        {{49, 40, 30.0}, {{24, 24, 0, 39}}, {25, 19, 48, 39}},
        {{48, 41, 30.0}, {{30, 30, 0, 40}}, {23, 20, 1, 40}},
        {BUILT_IN_SHAPE, {}, {182, 182, 364, 364}},
        {{1025, 1024, 30.0},
         {{250, 250, 0, 1023}, {780, 780, 0, 1023}, {500, 530, 400, 620}},
         {499, 511, 779, 1023}},
    };
    for (const auto& c : cases) {
        std::vector<float> heights(c.shape.cells(), 50.0f);
        for (const Hole& h : c.holes) {
            for (int x = h.x0; x <= h.x1; ++x) {
                std::fill_n(heights.begin() + c.shape.index(x, h.y0), h.y1 - h.y0 + 1,
                            std::nanf(""));
            }
        }
        TerrainPositions terrain;
        terrain.assign(c.shape, std::move(heights));
        PlanningGrid grid;
        buildPlanningGrid(terrain, GroundUse{Vehicle{}, moveSetFor(NEIGHBOUR_COUNT), {}, {}}, grid);
        const std::optional<RouteEnds> e = defaultRouteEnds(grid);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ((std::array<int, 4>{e->startX, e->startY, e->endX, e->endY}), c.ends);
    }
}

// Follows predecessors from (x, y) until a cell already known to reach the start; marks the
// path. False when the chain leaves the grid, meets an unreached cell or runs longer than the
// grid has cells.
bool chainReachesStart(const CostTable& cost, const PreviousTable& previous, int x, int y,
                       std::vector<char>& reachesStart) {
    std::vector<int> path;
    while (!reachesStart[x * GRID_SIZE + y]) {
        if (path.size() > static_cast<std::size_t>(GRID_CELLS) || cost[x][y] == UNREACHED_COST) {
            return false;
        }
        const GridPoint p = previous[x][y];
        const bool neighbour = std::abs(p.x - x) <= 1 && std::abs(p.y - y) <= 1;
        if (!neighbour || (p.x == x && p.y == y) || p.z != 0) {
            return false;
        }
        path.push_back(x * GRID_SIZE + y);
        x = p.x;
        y = p.y;
    }
    for (int index : path) {
        reachesStart[index] = 1;
    }
    return true;
}

// On the real terrain every reached cell's chain ends at the start and unreached cells carry
// both sentinels. walkRoute agrees on a sample of cells.
TEST_F(Sweep, EveryReachedChainEndsAtTheStartOnTheRealTerrain) {
    useBuiltInGround();
    constexpr int SAMPLE_STRIDE = 997;
    const Cell starts[] = {{10, 360}, {182, 182}, {0, LAST}};
    for (const Cell& start : starts) {
        SCOPED_TRACE(testing::Message() << "start " << start.first << "," << start.second);
        planFrom(start.first, start.second);
        const std::pair<const CostTable*, const PreviousTable*> measures[] = {
            {&distanceTable, &previousDistanceVertices}, {&energyTable, &previousEnergyVertices}};
        for (const auto& [cost, previous] : measures) {
            std::vector<char> reachesStart(GRID_CELLS, 0);
            reachesStart[start.first * GRID_SIZE + start.second] = 1;
            for (int x = 0; x < GRID_SIZE; ++x) {
                for (int y = 0; y < GRID_SIZE; ++y) {
                    if ((*cost)[x][y] == UNREACHED_COST) {
                        ASSERT_EQ((*previous)[x][y].x, NO_PREVIOUS);
                        ASSERT_EQ((*previous)[x][y].y, NO_PREVIOUS);
                        continue;
                    }
                    ASSERT_TRUE(chainReachesStart(*cost, *previous, x, y, reachesStart))
                        << "chain from " << x << "," << y;
                    if ((x * GRID_SIZE + y) % SAMPLE_STRIDE == 0) {
                        int steps = 0;
                        EXPECT_TRUE(walkRoute(*previous, start.first, start.second, x, y,
                                              [&](int, int) { ++steps; }));
                        EXPECT_LE(steps, GRID_CELLS);
                    }
                }
            }
        }
    }
}

TEST_F(WalkRoute, StopsAtACycleAndAtAPredecessorOutsideTheGrid) {
    useBuiltInGround();
    resetRouteTables(run.tables, 0, 0);
    // (5, 5) and (5, 6) point at each other: the walk gives up instead of running forever.
    setPrevious(previousDistanceVertices, 5, 5, 5, 6);
    setPrevious(previousDistanceVertices, 5, 6, 5, 5);
    int visits = 0;
    EXPECT_FALSE(walkRoute(previousDistanceVertices, 0, 0, 5, 5, [&](int, int) { ++visits; }));
    EXPECT_GT(visits, 2);
    EXPECT_LE(visits, GRID_CELLS + 1);
    // (7, 7) was never reached: its predecessor lies outside the grid.
    std::vector<Cell> cells;
    EXPECT_FALSE(walkRoute(previousDistanceVertices, 0, 0, 7, 7,
                           [&](int x, int y) { cells.emplace_back(x, y); }));
    EXPECT_EQ(cells, std::vector<Cell>({{7, 7}}));
}

TEST_F(WalkRoute, EmitsNothingFromTheStartAndRunsEndFirst) {
    useBuiltInGround();
    resetRouteTables(run.tables, 0, 0);
    setPrevious(previousEnergyVertices, 2, 0, 1, 0);
    setPrevious(previousEnergyVertices, 1, 0, 0, 0);
    std::vector<Cell> cells;
    EXPECT_TRUE(walkRoute(previousEnergyVertices, 0, 0, 0, 0,
                          [&](int x, int y) { cells.emplace_back(x, y); }));
    EXPECT_TRUE(cells.empty());
    EXPECT_TRUE(walkRoute(previousEnergyVertices, 0, 0, 2, 0,
                          [&](int x, int y) { cells.emplace_back(x, y); }));
    EXPECT_EQ(cells, std::vector<Cell>({{2, 0}, {1, 0}}));
}

} // namespace

namespace {
// Rolling 12 x 12 ground with a wall of 50 m at x = 9 around the pocket x = 10.
float tripHeight(int x, int y) {
    return x == 9 ? 50.0f : static_cast<float>((x + 2 * y) % 3);
}
} // namespace

using Trip = PlannerTest;

TEST_F(Trip, LegsPlannedApartAddUpToTheTripAndJoinInOrder) {
    const GridShape shape{12, 12, GRID_SPACING};
    const std::vector<::Cell> points = {{1, 1}, {7, 9}, {2, 10}, {6, 2}};
    for (const PlannerKind planner : {PlannerKind::Sweep, PlannerKind::Exact}) {
        useGround(shape, tripHeight);
        settings.planner = planner;
        setRouteEnds(settings, {1, 1, 6, 2});
        settings.via = {points[1], points[2]};
        computeRoutes();
        const std::vector<Route> trip = run.trip;
        const float firstLeg = distanceTable[7][9];
        ASSERT_EQ(trip.size(), 2u);
        float metres = 0.0f;
        float joules = 0.0f;
        std::vector<::Cell> cells;
        for (std::size_t k = 0; k + 1 < points.size(); ++k) {
            planFrom(points[k].x, points[k].y);
            const RouteEnds leg{points[k].x, points[k].y, points[k + 1].x, points[k + 1].y};
            metres += distanceTable[leg.endX][leg.endY];
            joules += energyTable[leg.endX][leg.endY];
            const Route route =
                readRoute(run.terrain, run.grid.prices, run.tables, Measure::Distance, leg);
            cells.insert(cells.end(), route.cells.begin() + (k == 0 ? 0 : 1), route.cells.end());
            const std::vector<::Cell> drawn = drawnRouteCells(run.terrain, route.cells);
            const std::vector<::Cell> walked =
                routeCells(run.terrain, previousDistanceVertices, leg);
            EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), walked.begin(), walked.end()));
            EXPECT_EQ(trip[0].legs[k].lengthMetres, distanceTable[leg.endX][leg.endY]);
        }
        EXPECT_EQ(trip[0].lengthMetres, metres);
        EXPECT_EQ(trip[1].energyJoules, joules);
        EXPECT_EQ(trip[0].costs.back(), metres);
        ASSERT_EQ(trip[0].cells.size(), cells.size());
        EXPECT_TRUE(std::equal(cells.begin(), cells.end(), trip[0].cells.begin()));
        // The tables are left holding the first leg's plan.
        EXPECT_EQ(firstLeg, trip[0].legs[0].lengthMetres);
        EXPECT_EQ(routeReport(trip[0], settings.speedMph), distanceSummary(metres, 55.0f));
    }
}

// What the window does to a trip's via points, each replanned with the legs the last trip kept:
// the routes and the first leg's tables come out as a plan of the whole trip afresh gives them.
TEST_F(Trip, KeptLegsGiveWhatAFreshPlanGives) {
    const std::vector<std::vector<::Cell>> changes = {
        {{7, 9}, {3, 8}},           // the second via point moved
        {{7, 9}, {3, 8}, {10, 10}}, // one added before the end
        {{3, 8}, {10, 10}},         // the first removed
        {{10, 10}, {3, 8}},         // the two swapped
        {{10, 10}, {3, 8}}};        // the same again: every leg kept
    for (const PlannerKind planner : {PlannerKind::Sweep, PlannerKind::Exact}) {
        useGround(GridShape{12, 12, GRID_SPACING}, tripHeight);
        settings.planner = planner;
        setRouteEnds(settings, {1, 1, 6, 2});
        settings.via = {{7, 9}, {2, 10}};
        computeRoutes();
        for (const std::vector<::Cell>& via : changes) {
            settings.via = via;
            computeRoutes();
            const std::vector<Route> kept = run.trip;
            RouteSnapshot tables;
            tables.capture(run);
            run.keptLegs.clear();
            computeRoutes();
            RouteSnapshot fresh;
            fresh.capture(run);
            EXPECT_EQ(tables.distance, fresh.distance);
            EXPECT_EQ(tables.energy, fresh.energy);
            ASSERT_EQ(kept.size(), run.trip.size());
            for (std::size_t m = 0; m < kept.size(); ++m) {
                EXPECT_EQ(kept[m].cells, run.trip[m].cells);
                EXPECT_EQ(kept[m].costs, run.trip[m].costs);
                EXPECT_EQ(kept[m].energyJoules, run.trip[m].energyJoules);
            }
        }
    }
}

TEST_F(Trip, AnUnreachableLegMakesTheTripUnreachableAndIsNamed) {
    useGround(GridShape{12, 12, GRID_SPACING}, tripHeight);
    setRouteEnds(settings, {1, 1, 2, 10});
    settings.via = {{10, 5}};
    computeRoutes();
    ASSERT_EQ(run.trip.size(), 2u);
    EXPECT_FALSE(run.trip[0].reachable);
    EXPECT_TRUE(run.trip[0].cells.empty());
    EXPECT_EQ(routeReport(run.trip[1], 55.0f), UNREACHABLE_ENERGY_TEXT);
    EXPECT_EQ(legLines(run.trip), "Leg 1 of 2, (1, 1) to (10, 5): unreachable\n"
                                  "Leg 2 of 2, (10, 5) to (2, 10): unreachable\n");
}
