#include "tools/terrainChecks.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int FLAT_HEIGHT = 50;

// Height grids are too big for the stack; this owns one on the heap.
struct GridBox {
    HeightGrid cells;
};

std::unique_ptr<GridBox> flatGrid() {
    auto grid = std::make_unique<GridBox>();
    for (auto& row : grid->cells) {
        for (int32_t& h : row) {
            h = FLAT_HEIGHT;
        }
    }
    return grid;
}

TEST(HeightMap, MeetsEveryTerrainTarget) {
    const RouteSummary route = sweepFromDefaultStart(heightMap);
    for (const TerrainTarget& target : terrainTargets(heightMap, route)) {
        EXPECT_TRUE(target.holds()) << target.name << " is " << target.value << ", not in ["
                                    << target.low << ", " << target.high << "]";
    }
}

TEST(HeightMap, StraightLineToTheDefaultEndIsTheGridDiagonal) {
    EXPECT_NEAR(straightLineToDefaultEnd(), 10217.6, 0.05);
}

struct ExtremumCase {
    const char* name;
    int x;
    int y;
    int change; // added to the flat height at (x, y)
    int rise;
    int expected;
};

TEST(TerrainChecks, IsolatedExtremaAreCountedFromTheGivenRise) {
    const ExtremumCase cases[] = {
        {"spike of 3", 100, 100, 3, SPIKE_RISE, 1},
        {"pit of 3", 100, 100, -3, SPIKE_RISE, 1},
        {"bump of 2 is no spike", 100, 100, 2, SPIKE_RISE, 0},
        {"bump of 2 is an extremum of 1", 100, 100, 2, 1, 1},
        {"corner spike", 0, 0, 5, SPIKE_RISE, 1},
        {"edge pit", 364, 200, -4, SPIKE_RISE, 1},
    };
    for (const ExtremumCase& c : cases) {
        auto grid = flatGrid();
        grid->cells[c.x][c.y] += c.change;
        EXPECT_EQ(countIsolatedExtrema(grid->cells, c.rise), c.expected) << c.name;
    }
}

TEST(TerrainChecks, ACellBesideAnEqualNeighbourIsNoSpike) {
    auto grid = flatGrid();
    grid->cells[100][100] += 5;
    grid->cells[101][101] += 5;
    EXPECT_EQ(countIsolatedExtrema(grid->cells, SPIKE_RISE), 0);
}

TEST(TerrainChecks, GentleShareCountsPairsSteeperThanTwoMetres) {
    auto grid = flatGrid();
    EXPECT_EQ(gentlePairShare(grid->cells), 1.0);
    grid->cells[100][100] += 2;
    EXPECT_EQ(gentlePairShare(grid->cells), 1.0);
    grid->cells[100][100] += 1; // now 3 m above its four neighbours
    const double pairs = 2.0 * GRID_SIZE * (GRID_SIZE - 1);
    EXPECT_DOUBLE_EQ(gentlePairShare(grid->cells), 1.0 - 4.0 / pairs);
}

TEST(TerrainChecks, HeightSummaryFindsTheExtremesAndTheMean) {
    auto grid = flatGrid();
    grid->cells[3][4] = 4;
    grid->cells[364][364] = 194;
    const HeightSummary summary = summarizeHeights(grid->cells);
    EXPECT_EQ(summary.lowest, 4);
    EXPECT_EQ(summary.highest, 194);
    EXPECT_DOUBLE_EQ(summary.mean, (FLAT_HEIGHT * (GRID_CELLS - 2.0) + 4.0 + 194.0) / GRID_CELLS);
}

struct PatchCase {
    const char* name;
    std::vector<std::pair<int, int>> cells;
    std::vector<int> expected;
};

TEST(TerrainChecks, PatchesJoinAcrossEdgesAndCorners) {
    const PatchCase cases[] = {
        {"none", {}, {}},
        {"diagonal touch joins", {{10, 10}, {11, 11}, {12, 12}}, {3}},
        {"gap of one cell separates", {{10, 10}, {12, 10}, {13, 10}}, {2, 1}},
        {"no wrap from last row to next column", {{0, 364}, {1, 0}}, {1, 1}},
    };
    for (const PatchCase& c : cases) {
        std::vector<bool> marked(GRID_CELLS, false);
        for (const auto& cell : c.cells) {
            marked[cell.first * GRID_SIZE + cell.second] = true;
        }
        EXPECT_EQ(patchSizes(marked), c.expected) << c.name;
    }
}

TEST(TerrainChecks, SweepOverFlatGroundReachesEverything) {
    auto grid = flatGrid();
    const RouteSummary route = sweepFromDefaultStart(grid->cells);
    EXPECT_EQ(route.unreachedShare, 0.0);
    EXPECT_TRUE(route.unreachedPatchSizes.empty());
    EXPECT_EQ(route.endEnergy, 0.0f);
    // 20 diagonal and 320 straight steps: the octile distance.
    EXPECT_NEAR(route.endDistance, 20 * 42.4264 + 320 * 30.0, 0.1);
}

TEST(TerrainChecks, SweepLeavesARaisedEndUnreached) {
    auto grid = flatGrid();
    const Settings defaults;
    // A 3 m step up onto the end cell cannot be taken from any side.
    grid->cells[defaults.endX][defaults.endY] += 3;
    const RouteSummary route = sweepFromDefaultStart(grid->cells);
    EXPECT_EQ(route.endDistance, UNREACHED_COST);
    EXPECT_EQ(route.endEnergy, UNREACHED_COST);
    EXPECT_EQ(route.unreachedPatchSizes, std::vector<int>{1});
    const std::vector<TerrainTarget> targets = terrainTargets(grid->cells, route);
    for (const char* name : {"end reached by distance", "end reached by energy"}) {
        const auto found = std::find_if(targets.begin(), targets.end(),
                                        [&](const TerrainTarget& t) { return t.name == name; });
        ASSERT_NE(found, targets.end()) << name;
        EXPECT_FALSE(found->holds()) << name;
    }
}

} // namespace
