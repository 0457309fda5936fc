#include "planner/moveProfile.h"
#include "planner/moveSet.h"
#include "planner/planningGrid.h"
#include "planner/sideSlope.h"
#include "planner/steps.h"
#include "render/panel.h"
#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr float BARRIER = -1.0f; // a barrier on ground of the plane's height
struct ProfileCase {
    float slope; // metres up per column from 100 m at column 0; 3 is a 10 % grade
    std::vector<std::pair<Cell, float>> marks; // cells of another height, NAN (no ground), BARRIER
    double up, down;
    int x, y, dx, dy;
    bool passes;
};

TEST(MoveProfile, PassesAlongTheLengthOnHandMadeGround) {
    const ProfileCase cases[] = {
        {3, {}, 7, 7, 0, 0, 1, 2, true},  // on a plane every piece climbs as the move: 4.47 %
        {3, {}, 7, 7, 0, 0, 2, 1, false}, // 8.94 %
        {0, {{{2, 1}, 110}, {{2, 2}, 110}}, 7, 7, 1, 1, 2, 1, false}, // a ridge, level ends
        // (3, 1) crosses (1, 0)-(1, 1) at 1/3, 2 m up over 31.6 m, then (2, 0)-(2, 1), 2 m down.
        {0, {{{1, 1}, 106}}, 7, 7, 0, 0, 3, 1, true},
        {0, {{{1, 1}, 106}}, 6, 7, 0, 0, 3, 1, false},
        {0, {{{1, 1}, 106}}, 7, 6, 0, 0, 3, 1, false},
        {0, {{{2, 0}, NAN}}, 7, 7, 0, 0, 3, 1, false},
        {0, {{{2, 1}, BARRIER}}, 7, 7, 0, 0, 3, 1, false},
        {0, {{{3, 1}, 102.5f}}, 7, 7, 0, 0, 3, 1, false}, // the last piece climbs 7.9 %
        {0, {{{3, 0}, NAN}, {{0, 1}, BARRIER}}, 7, 7, 0, 0, 3, 1, true},
        {0, {{{2, 1}, NAN}, {{1, 2}, BARRIER}}, 7, 7, 1, 1, 1, 1, false}, // both corners shut
        {0, {{{2, 1}, BARRIER}}, 7, 7, 1, 1, 1, 1, true},                 // one corner open
    };
    const GridShape shape{6, 6, 30.0}; // cells 30 m apart
    const MoveSet& moves = moveSetFor(MOST_MOVES);
    for (const ProfileCase& c : cases) {
        std::vector<float> heights(shape.cells());
        std::vector<uint8_t> closed(shape.cells(), 0);
        for (std::size_t p = 0; p < shape.cells(); ++p) {
            heights[p] = 100.0f + c.slope * static_cast<float>(p / shape.rows);
        }
        for (const auto& [cell, z] : c.marks) {
            closed[shape.index(cell.x, cell.y)] = z == BARRIER;
            heights[shape.index(cell.x, cell.y)] = z == BARRIER ? 100.0f + c.slope * cell.x : z;
        }
        TerrainPositions terrain;
        terrain.assign(shape, heights);
        PlanningGrid grid;
        buildPlanningGrid(terrain, GroundUse{Vehicle{c.up, c.down}, moves, closed, {}}, grid);
        const int d = moves.numberOf(c.dx, c.dy);
        EXPECT_EQ(takesMove(grid, shape.index(c.x, c.y), d), c.passes) << "case " << &c - cases;
    }
}

// The side-slope limit on hand-made ground of 21 x 21 cells of 30 m, from (10, 10) but where a
// case says: which moves leave, and how many cells take a move along the rows.
TEST(SideSlope, MovesLeaveWithinTheLeanOnHandMadeGround) {
    struct Case {
        const char* name;
        float (*height)(int x, int y);
        double grade, side;
        int moves;
        std::vector<std::pair<int, int>> leaving; // every move out of the start, in the set's order
        int alongRows = -1;                       // cells whose move (0, 1) is taken, or -1
    };
    // 30 % along x; 20 % at 45 degrees; a floor over columns 8..12 between walls of 50 %.
    const auto plane = [](int x, int) { return 9.0f * static_cast<float>(x); };
    const auto slant = [](int x, int y) {
        return static_cast<float>(6.0 / std::sqrt(2.0) * (x + y));
    };
    const auto valley = [](int x, int) { return 15.0f * std::max(0, std::abs(x - 10) - 2); };
    const Case cases[] = {
        {"30 % plane, side 29 %", plane, 7, 29, 96, {}},
        {"30 % plane, side 31 %", plane, 7, 31, 8, {{0, 1}, {0, -1}}},
        // (1, 5) climbs 5.9 % and leans 29.4 %, (1, 6) 4.9 % and 29.6 %; (1, 4) climbs 7.3 %.
        {"30 % plane, side 31 %, 96 moves",
         plane,
         7,
         31,
         96,
         {{1, 6}, {1, 5}, {1, -5}, {1, -6}, {0, 1}, {0, -1}, {-1, 6}, {-1, 5}, {-1, -5}, {-1, -6}}},
        // The straight steps climb and lean 14.1 %; (1, -1) leans 20 %, (1, 1) not at all.
        {"20 % at 45 degrees, side 19.9 %",
         slant,
         25,
         19.9,
         8,
         {{1, 1}, {1, 0}, {0, 1}, {0, -1}, {-1, 0}, {-1, -1}}},
        {"20 % at 45 degrees, side 20.1 %",
         slant,
         25,
         20.1,
         8,
         {{1, 1}, {1, 0}, {1, -1}, {0, 1}, {0, -1}, {-1, 1}, {-1, 0}, {-1, -1}}},
        {"valley, side 20 %", valley, 60, 20, 8, {}, 3 * 20},
        {"valley, no side limit", valley, 60, NO_SIDE_SLOPE, 8, {}, 21 * 20},
    };
    const GridShape shape{21, 21, 30.0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> heights(shape.cells());
        for (std::size_t p = 0; p < shape.cells(); ++p) {
            heights[p] = c.height(static_cast<int>(p / 21), static_cast<int>(p % 21));
        }
        TerrainPositions terrain;
        terrain.assign(shape, heights);
        Vehicle vehicle{c.grade, c.grade};
        vehicle.sideSlopePercent = c.side;
        const MoveSet& moves = moveSetFor(c.moves);
        PlanningGrid grid;
        buildPlanningGrid(terrain, GroundUse{vehicle, moves, {}, {}}, grid);
        if (c.alongRows >= 0) {
            int along = 0;
            for (std::size_t p = 0; p < shape.cells(); ++p) {
                along += takesMove(grid, p, moves.numberOf(0, 1)) ? 1 : 0;
            }
            EXPECT_EQ(along, c.alongRows);
            continue;
        }
        std::vector<std::pair<int, int>> leaving;
        for (int d = 0; d < moves.count; ++d) {
            if (takesMove(grid, shape.index(10, 10), d)) {
                leaving.emplace_back(moves[d].dx, moves[d].dy);
            }
        }
        EXPECT_EQ(leaving, c.leaving);
    }
    // The lean worked out at one point: across the slant's contour 20 %, along it none.
    std::vector<float> heights(shape.cells());
    const ProfileGround slanted{shape, heights.data()};
    for (std::size_t p = 0; p < shape.cells(); ++p) {
        heights[p] = slant(static_cast<int>(p / 21), static_cast<int>(p % 21));
    }
    EXPECT_NEAR(sideSlopeOf(hornGradient(slanted, 10, 10), 1, -1), 0.2, 1e-6);
    EXPECT_NEAR(sideSlopeOf(hornGradient(slanted, 10, 10), 1, 1), 0.0, 1e-6);
    EXPECT_NEAR(slopeOf(hornGradient(slanted, 10, 10)), 0.2, 1e-6);
    // What closes a cell of the valley, with a barrier on its west wall, a hole on its east one
    // and a spike on its floor no grade climbs.
    for (std::size_t p = 0; p < shape.cells(); ++p) {
        heights[p] = valley(static_cast<int>(p / 21), static_cast<int>(p % 21));
    }
    heights[shape.index(18, 18)] = NAN;
    heights[shape.index(10, 15)] = 100.0f;
    std::vector<uint8_t> closed(shape.cells(), 0);
    closed[shape.index(3, 3)] = 1;
    TerrainPositions terrain;
    terrain.assign(shape, heights);
    Vehicle vehicle;
    vehicle.sideSlopePercent = 20.0;
    PlanningGrid grid;
    buildPlanningGrid(terrain, GroundUse{vehicle, moveSetFor(8), closed, {}}, grid);
    const std::pair<Cell, const char*> reports[] = {
        {{10, 10}, "slope 0.0 %"},
        {{15, 10}, "slope 50.0 %, closed by the side slope"},
        {{3, 3}, "slope 50.0 %, closed by a no-go area"},
        {{18, 18}, "slope -, closed by no ground"},
        {{10, 15}, "slope 0.0 %, closed by the grades"}};
    for (const auto& [cell, report] : reports) {
        EXPECT_EQ(cellGroundReport(grid, closed, {}, vehicle, cell.x, cell.y), report);
    }
}

// Whole planners on ground whose answers are known by hand, 21 x 21 cells of 30 m from (10, 10):
// how many cells each set reaches, with both planners, and a cost worked out by hand. On the
// diagonal wall the plans start from (15, 5) and the cost is to (17, 5).
using MovesOnGround = PlannerTest;
TEST_F(MovesOnGround, ReachAndCostOnHandMadeGround) {
    struct Case {
        const char* name;
        int moves;
        float (*height)(int x, int y);
        bool (*barrier)(int x, int y);
        int reached;
        double costTwoUp; // metres to (12, 10), or 0 for unreached
    };
    // 10 % along x: the straight step (10 %) and the diagonal (7.07 %) both fail at 7 %.
    const auto plane = [](int x, int) { return 100.0f + 3.0f * static_cast<float>(x); };
    const auto flat = [](int, int) { return 100.0f; };
    // A wall one cell thick, 20 m high: no move climbs it at 7 %, and the moves over it have
    // level ends.
    const auto ridge = [](int x, int) { return x == 11 ? 120.0f : 100.0f; };
    const auto gap = [](int x, int) { return x == 11 ? NAN : 100.0f; };
    const auto diagonalWall = [](int x, int y) { return x == y; };
    const double knight = std::sqrt(30.0 * 30.0 + 60.0 * 60.0 + 3.0 * 3.0); // 67.15 m
    const Case cases[] = {
        {"plane, 8 moves", 8, plane, nullptr, 21, 0.0},
        {"plane, 16 moves", 16, plane, nullptr, 441, 2 * knight},
        {"ridge, 16 moves", 16, ridge, nullptr, 11 * 21, 0.0},
        {"no ground, 48 moves", 48, gap, nullptr, 11 * 21, 0.0},
        {"diagonal wall, 8 moves", 8, flat, diagonalWall, 21 * 20 / 2, 60.0},
        {"diagonal wall, 16 moves", 16, flat, diagonalWall, 21 * 20 / 2, 60.0},
    };
    const GridShape shape{21, 21, 30.0};
    for (const Case& c : cases) {
        settings.moves = c.moves;
        run.barriers.assign(shape.cells(), 0);
        for (std::size_t p = 0; c.barrier != nullptr && p < shape.cells(); ++p) {
            run.barriers[p] = c.barrier(static_cast<int>(p / 21), static_cast<int>(p % 21));
        }
        useGround(shape, c.height);
        const bool walled = !run.barriers.empty() && run.barriers[shape.index(10, 10)] != 0;
        for (const PlannerKind planner : {PlannerKind::Sweep, PlannerKind::Exact}) {
            SCOPED_TRACE(testing::Message()
                         << c.name << (planner == PlannerKind::Exact ? ", exact" : ""));
            settings.planner = planner;
            planFrom(walled ? 15 : 10, walled ? 5 : 10);
            int reached = 0;
            for (std::size_t p = 0; p < shape.cells(); ++p) {
                reached += distanceTable.data()[p] != UNREACHED_COST ? 1 : 0;
            }
            EXPECT_EQ(reached, c.reached);
            if (c.costTwoUp > 0.0) {
                EXPECT_NEAR(distanceTable[walled ? 17 : 12][walled ? 5 : 10], c.costTwoUp, 1e-3);
            }
        }
    }
}

// Time on covered ground of 21 x 21 cells of 30 m from (0, 10) to (20, 10), by both planners.
TEST_F(MovesOnGround, TimeFollowsTheCoverAndThePower) {
    struct Case {
        const char* name;
        float (*height)(int x, int y);
        float (*speed)(int x, int y); // km/h; NaN: no value
        double powerKw;
        int fastestTopRow; // the highest row the fastest route reaches
        double endSeconds; // the end's time, or 0 for unreached
    };
    const auto flat = [](int, int) { return 100.0f; };
    const auto climb = [](int x, int) { return 100.0f + 1.5f * static_cast<float>(x); }; // 5 %
    // A road along row 15 at 80 km/h, scrub at 10 km/h elsewhere.
    const auto road = [](int, int y) { return y == 15 ? 80.0f : 10.0f; };
    // A lake across column 10: the only way east is closed.
    const auto lake = [](int x, int) { return x == 10 ? 0.0f : NAN; };
    // One row left open, so that no diagonal climbs more gently.
    const auto row = [](int, int y) { return y == 10 ? NAN : 0.0f; };
    // 10 kW up 5 %: m g (0.05) = 650 N, 15.4 m/s against the top speed's 25.
    const double step = std::sqrt(30.0 * 30.0 + 1.5 * 1.5);
    const double powered = 20 * step / (10e3 / (1325.0 * 9.80665 * (1.5 / 30.0)));
    // Up to the road and down from it in 5 straight steps each, 4 in scrub and 1 half on the road
    // (at the mean of the two paces), and 20 steps along it.
    const double scrub = 3.6 / 10.0;
    const double onRoad = 3.6 / 80.0;
    const double viaRoad = 8 * 30.0 * scrub + 2 * 30.0 * (scrub + onRoad) / 2 + 20 * 30.0 * onRoad;
    const Case cases[] = {
        {"a road", flat, road, 0.0, 15, viaRoad},
        {"a lake", flat, lake, 0.0, 10, 0.0},
        {"a climb at 10 kW", climb, row, 10.0, 10, powered},
    };
    const GridShape shape{21, 21, 30.0};
    run.timed = true;
    for (const Case& c : cases) {
        settings.vehicle.powerKw = c.powerKw;
        run.cover.speedKmh.assign(shape.cells(), NAN);
        run.cover.rolling.assign(shape.cells(), NAN);
        for (std::size_t p = 0; p < shape.cells(); ++p) {
            run.cover.speedKmh[p] = c.speed(static_cast<int>(p / 21), static_cast<int>(p % 21));
        }
        useGround(shape, c.height);
        for (const PlannerKind planner : {PlannerKind::Sweep, PlannerKind::Exact}) {
            SCOPED_TRACE(testing::Message()
                         << c.name << (planner == PlannerKind::Exact ? ", exact" : ""));
            settings.planner = planner;
            settings.endX = 20;
            settings.endY = 10;
            planFrom(0, 10);
            if (c.endSeconds == 0.0) {
                EXPECT_FALSE(run.tables.time.reaches(20, 10));
                continue;
            }
            // The sweep's one pass takes the road too, but late.
            EXPECT_NEAR(run.tables.time[20][10], c.endSeconds,
                        planner == PlannerKind::Exact ? 1e-3 : 0.2 * c.endSeconds);
            const std::vector<Route> routes = plannedRoutes(run);
            int top = 0;
            for (const Cell& cell : readRoute(run.terrain, run.grid.prices, run.tables,
                                              Measure::Time, routeEnds(settings))
                                        .cells) {
                top = std::max(top, cell.y);
            }
            EXPECT_EQ(top, c.fastestTopRow);
            EXPECT_FLOAT_EQ(routes[0].lengthMetres, c.powerKw > 0 ? 20 * step : 600.0f);
        }
    }
    settings.vehicle = Vehicle{};
    run.cover = {};
    run.timed = false;
}

} // namespace
