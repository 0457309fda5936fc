#pragma once
// Measures a height grid against what the compiled-in terrain must satisfy. Shared by the
// generator that searches for the terrain and the test that guards the result, so both judge
// a grid by the same rules.

#include "app/landscapeRun.h"
#include "app/settings.h"
#include "planner/planningGrid.h"
#include "planner/routePlanner.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

constexpr int LOWEST_HEIGHT = 4;
constexpr int HIGHEST_HEIGHT = 194;
constexpr double TARGET_MEAN_HEIGHT = 72.8;
constexpr double MEAN_HEIGHT_TOLERANCE = 0.3;
// A step between integer heights keeps within the 7 % grade exactly up to this difference.
constexpr int MAX_GENTLE_RISE = 2;
constexpr double MIN_GENTLE_PAIR_SHARE = 0.85;
// A cell at least this far above (or below) all its neighbours is a spike (or pit).
constexpr int SPIKE_RISE = 3;
constexpr double MIN_DETOUR_RATIO = 1.1;
constexpr double MIN_UNREACHED_SHARE = 0.05;
constexpr double MAX_UNREACHED_SHARE = 0.35;
constexpr int MIN_LARGE_PATCHES = 3;
constexpr int LARGE_PATCH_CELLS = 200;

struct PinnedHeight {
    int x;
    int y;
    int height;
};

// Heights the rest of the program and its users rely on: the corner row, the default start
// and the default end.
constexpr PinnedHeight PINNED_HEIGHTS[] = {
    {0, 0, 54}, {0, 1, 54}, {0, 2, 55}, {0, 3, 55},  {0, 4, 55},  {0, 5, 55},    {0, 6, 55},
    {0, 7, 55}, {0, 8, 55}, {0, 9, 55}, {0, 10, 55}, {0, 11, 55}, {10, 360, 46}, {350, 340, 109},
};

struct HeightSummary {
    int lowest;
    int highest;
    double mean;
};

inline HeightSummary summarizeHeights(const HeightGrid& heights) {
    HeightSummary summary = {heights[0][0], heights[0][0], 0.0};
    int64_t total = 0;
    for (const auto& row : heights) {
        for (const int32_t h : row) {
            summary.lowest = std::min(summary.lowest, h);
            summary.highest = std::max(summary.highest, h);
            total += h;
        }
    }
    summary.mean = static_cast<double>(total) / GRID_CELLS;
    return summary;
}

// Share of pairs of 4-neighbours whose heights differ by at most MAX_GENTLE_RISE.
inline double gentlePairShare(const HeightGrid& heights) {
    int gentle = 0;
    int pairs = 0;
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            if (x + 1 < GRID_SIZE) {
                gentle += std::abs(heights[x + 1][y] - heights[x][y]) <= MAX_GENTLE_RISE;
                ++pairs;
            }
            if (y + 1 < GRID_SIZE) {
                gentle += std::abs(heights[x][y + 1] - heights[x][y]) <= MAX_GENTLE_RISE;
                ++pairs;
            }
        }
    }
    return static_cast<double>(gentle) / pairs;
}

// Cells at least `rise` metres above every neighbour, or below every neighbour. Border cells
// are judged by the neighbours they have.
inline int countIsolatedExtrema(const HeightGrid& heights, int rise) {
    int count = 0;
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            int highestAround = std::numeric_limits<int>::min();
            int lowestAround = std::numeric_limits<int>::max();
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy) {
                    if ((dx == 0 && dy == 0) || !BUILT_IN_SHAPE.contains(x + dx, y + dy)) {
                        continue;
                    }
                    highestAround = std::max(highestAround, heights[x + dx][y + dy]);
                    lowestAround = std::min(lowestAround, heights[x + dx][y + dy]);
                }
            }
            count += heights[x][y] - highestAround >= rise || lowestAround - heights[x][y] >= rise;
        }
    }
    return count;
}

// Sizes of the 8-connected patches of marked cells (index x * GRID_SIZE + y), largest first.
inline std::vector<int> patchSizes(const std::vector<bool>& marked) {
    std::vector<bool> seen(GRID_CELLS, false);
    std::vector<int> sizes;
    std::vector<int> pending;
    for (int cell = 0; cell < GRID_CELLS; ++cell) {
        if (!marked[cell] || seen[cell]) {
            continue;
        }
        int size = 0;
        seen[cell] = true;
        pending.push_back(cell);
        while (!pending.empty()) {
            const int current = pending.back();
            pending.pop_back();
            ++size;
            const int x = current / GRID_SIZE;
            const int y = current % GRID_SIZE;
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy) {
                    const int next = (x + dx) * GRID_SIZE + y + dy;
                    if (!BUILT_IN_SHAPE.contains(x + dx, y + dy) || !marked[next] || seen[next]) {
                        continue;
                    }
                    seen[next] = true;
                    pending.push_back(next);
                }
            }
        }
        sizes.push_back(size);
    }
    std::sort(sizes.begin(), sizes.end(), std::greater<int>());
    return sizes;
}

struct RouteSummary {
    float endDistance;
    float endEnergy;
    double unreachedShare;
    std::vector<int> unreachedPatchSizes; // largest first
};

// Runs the real route sweep over `heights` from the default start, in a run of its own, and
// reads the default end.
inline RouteSummary sweepFromDefaultStart(const HeightGrid& heights) {
    const Settings defaults;
    LandscapeRun run;
    std::vector<float> floats(GRID_CELLS);
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            floats[BUILT_IN_SHAPE.index(x, y)] = static_cast<float>(heights[x][y]);
        }
    }
    useGround(run, BUILT_IN_SHAPE, std::move(floats));
    planRun(run);
    const CostTable& distanceTable = run.tables.distance;

    std::vector<bool> unreached(GRID_CELLS, false);
    int unreachedCount = 0;
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            const bool missed = !(distanceTable[x][y] < UNREACHED_COST);
            unreached[x * GRID_SIZE + y] = missed;
            unreachedCount += missed;
        }
    }
    return {distanceTable[defaults.endX][defaults.endY],
            run.tables.energy[defaults.endX][defaults.endY],
            static_cast<double>(unreachedCount) / GRID_CELLS, patchSizes(unreached)};
}

// Ground distance from the default start to the default end, metres.
inline double straightLineToDefaultEnd() {
    const Settings defaults;
    const double dx = defaults.endX - defaults.startX;
    const double dy = defaults.endY - defaults.startY;
    return GRID_SPACING * std::sqrt(dx * dx + dy * dy);
}

inline int countLargePatches(const std::vector<int>& sizes) {
    return static_cast<int>(std::count_if(sizes.begin(), sizes.end(),
                                          [](int size) { return size >= LARGE_PATCH_CELLS; }));
}

// One measured quantity with the closed range it must lie in.
struct TerrainTarget {
    std::string name;
    double value;
    double low;
    double high;

    bool holds() const { return value >= low && value <= high; }
};

inline std::vector<TerrainTarget> terrainTargets(const HeightGrid& heights,
                                                 const RouteSummary& route) {
    constexpr double unbounded = std::numeric_limits<double>::infinity();
    std::vector<TerrainTarget> targets;
    for (const PinnedHeight& pin : PINNED_HEIGHTS) {
        targets.push_back(
            {"height at (" + std::to_string(pin.x) + ", " + std::to_string(pin.y) + ")",
             static_cast<double>(heights[pin.x][pin.y]), static_cast<double>(pin.height),
             static_cast<double>(pin.height)});
    }
    const HeightSummary summary = summarizeHeights(heights);
    const bool distanceReached = route.endDistance < UNREACHED_COST;
    const bool energyReached = route.endEnergy < UNREACHED_COST;
    targets.push_back(
        {"lowest height", static_cast<double>(summary.lowest), LOWEST_HEIGHT, LOWEST_HEIGHT});
    targets.push_back(
        {"highest height", static_cast<double>(summary.highest), HIGHEST_HEIGHT, HIGHEST_HEIGHT});
    targets.push_back({"mean height", summary.mean, TARGET_MEAN_HEIGHT - MEAN_HEIGHT_TOLERANCE,
                       TARGET_MEAN_HEIGHT + MEAN_HEIGHT_TOLERANCE});
    targets.push_back(
        {"share of gentle neighbour pairs", gentlePairShare(heights), MIN_GENTLE_PAIR_SHARE, 1.0});
    targets.push_back({"spikes and pits",
                       static_cast<double>(countIsolatedExtrema(heights, SPIKE_RISE)), 0.0, 0.0});
    targets.push_back({"end reached by distance", distanceReached ? 1.0 : 0.0, 1.0, 1.0});
    targets.push_back({"end reached by energy", energyReached ? 1.0 : 0.0, 1.0, 1.0});
    targets.push_back({"route distance / straight line",
                       route.endDistance / straightLineToDefaultEnd(), MIN_DETOUR_RATIO,
                       unbounded});
    targets.push_back(
        {"unreached share", route.unreachedShare, MIN_UNREACHED_SHARE, MAX_UNREACHED_SHARE});
    targets.push_back({"unreached patches of " + std::to_string(LARGE_PATCH_CELLS) + "+ cells",
                       static_cast<double>(countLargePatches(route.unreachedPatchSizes)),
                       MIN_LARGE_PATCHES, unbounded});
    return targets;
}
