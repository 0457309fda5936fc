#include "planner/moveProfile.h"
#include "planner/moveSet.h"
#include "planner/planningGrid.h"
#include "planner/steps.h"
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

} // namespace
