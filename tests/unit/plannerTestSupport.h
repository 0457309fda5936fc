#pragma once
// Shared set-up for the planner tests: every test plans on the ground it needs, in a run of its
// own.

#include "app/currentRun.h"
#include "app/landscapeRun.h"
#include "app/settings.h"
#include "planner/planningGrid.h"
#include "planner/routePlanner.h"
#include "planner/routeSweep.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

// True when (x, y) lies on the run's ground.
inline bool isInsideGrid(const LandscapeRun& run, int x, int y) {
    return run.terrain.shape().contains(x, y);
}

// A copy of all four route tables of a run, predecessors as GridPoints.
struct RouteSnapshot {
    GridShape shape;
    std::vector<float> distance;
    std::vector<float> energy;
    std::vector<GridPoint> previousDistance;
    std::vector<GridPoint> previousEnergy;
    std::vector<float> time;
    std::vector<GridPoint> previousTime;
    std::vector<double> energyAlongDistance; // the oracle's tie totals; empty elsewhere
    std::vector<double> lengthAlongEnergy;
    std::vector<double> lengthAlongTime;

    // Unreached everywhere, for a grid of `s`.
    void clear(const GridShape& s) {
        shape = s;
        distance.assign(s.cells(), UNREACHED_COST);
        energy.assign(s.cells(), UNREACHED_COST);
        previousDistance.assign(s.cells(), {NO_PREVIOUS, NO_PREVIOUS, 0});
        previousEnergy.assign(s.cells(), {NO_PREVIOUS, NO_PREVIOUS, 0});
        time.assign(s.cells(), UNREACHED_COST);
        previousTime.assign(s.cells(), {NO_PREVIOUS, NO_PREVIOUS, 0});
    }
    void capture(const LandscapeRun& run) {
        const RouteTables& t = run.tables;
        clear(t.distance.shape());
        for (int x = 0; x < shape.columns; ++x) {
            for (int y = 0; y < shape.rows; ++y) {
                const std::size_t i = shape.index(x, y);
                distance[i] = t.distance[x][y];
                energy[i] = t.energy[x][y];
                previousDistance[i] = t.previousDistance[x][y];
                previousEnergy[i] = t.previousEnergy[x][y];
                time[i] = t.time[x][y];
                previousTime[i] = t.previousTime[x][y];
            }
        }
    }
};

// Makes neighbour (px, py) the predecessor of (x, y) in `previous`.
inline void setPrevious(PreviousTable& previous, int x, int y, int px, int py) {
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        if (NEIGHBOUR_STEPS[d].dx == x - px && NEIGHBOUR_STEPS[d].dy == y - py) {
            previous.steps()[previous.shape().index(x, y)] = static_cast<uint8_t>(d + 1);
        }
    }
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

inline bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

inline bool sameBits(const std::vector<GridPoint>& a, const std::vector<GridPoint>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(GridPoint)) == 0;
}

// A scratch height grid for hand-made ground of the built-in shape; refilled by each test.
inline HeightGrid& scratchHeights() {
    static HeightGrid heights;
    return heights;
}

inline HeightGrid& fillHeights(int value) {
    HeightGrid& heights = scratchHeights();
    for (auto& column : heights) {
        for (int32_t& h : column) {
            h = value;
        }
    }
    return heights;
}

// Loads whole-metre ground of the built-in shape and its step data into `run`; the start is set
// separately.
inline void useGround(LandscapeRun& run, const HeightGrid& heights) {
    std::vector<float> h(GRID_CELLS);
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            h[BUILT_IN_SHAPE.index(x, y)] = static_cast<float>(heights[x][y]);
        }
    }
    useGround(run, BUILT_IN_SHAPE, std::move(h));
}

// Loads ground of any shape whose heights (metres, NaN for none) come from height(x, y).
template <typename Height>
void useGround(LandscapeRun& run, const GridShape& shape, Height&& height) {
    std::vector<float> h(shape.cells());
    for (int x = 0; x < shape.columns; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            h[shape.index(x, y)] = height(x, y);
        }
    }
    useGround(run, shape, std::move(h));
}

// The built-in ground with the cell (x, y) taken away (its height NaN).
inline void useBuiltInGroundWithout(LandscapeRun& run, int holeX, int holeY) {
    useGround(run, BUILT_IN_SHAPE, [holeX, holeY](int x, int y) {
        return x == holeX && y == holeY ? std::nanf("") : static_cast<float>(heightMap[x][y]);
    });
}

// The same on the one current run, which the keyboard tests work on.
template <typename Height> void useGround(const GridShape& shape, Height&& height) {
    useGround(landscapeRun, shape, std::forward<Height>(height));
}
inline void useBuiltInGround() {
    useGround(landscapeRun, BUILT_IN_SHAPE, builtInHeights());
}

// A run of the test's own, fresh settings and no ground until the test loads some, with the
// program's names and call shapes over it so the tests read as the program does.
class PlannerTest : public testing::Test {
  protected:
    LandscapeRun run;
    Settings& settings = run.settings;
    const TerrainPositions& terrainVertices = run.terrain;
    const PlanningGrid& planningGrid = run.grid;
    CostTable& distanceTable = run.tables.distance;
    CostTable& energyTable = run.tables.energy;
    PreviousTable& previousDistanceVertices = run.tables.previousDistance;
    PreviousTable& previousEnergyVertices = run.tables.previousEnergy;

    void useBuiltInGround() { ::useGround(run, BUILT_IN_SHAPE, builtInHeights()); }
    void useBuiltInGroundWithout(int x, int y) { ::useBuiltInGroundWithout(run, x, y); }
    void useGround(const HeightGrid& heights) { ::useGround(run, heights); }
    template <typename Height> void useGround(const GridShape& shape, Height&& height) {
        ::useGround(run, shape, std::forward<Height>(height));
    }
    bool isInsideGrid(int x, int y) const { return ::isInsideGrid(run, x, y); }
    void computeRoutes() { planRun(run); }
    void relaxNeighbours(int a, int b) { ::relaxNeighbours(run.grid, run.tables, a, b); }
    void planFrom(int startX, int startY) {
        settings.startX = startX;
        settings.startY = startY;
        computeRoutes();
    }
};
