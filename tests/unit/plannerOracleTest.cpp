// The fast sweep against the plain per-step one, bit for bit, on the real terrain and on ground
// made to catch slips in the order, the ties and the rounding.

#include "planner/spiralOrder.h"
#include "tests/unit/plainSweep.h"
#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Start {
    int x;
    int y;
};

RouteSnapshot& snapshot() {
    static RouteSnapshot snapshot;
    return snapshot;
}

// All four route tables bit for bit against a snapshot.
void expectRouteTablesEqual(const RouteSnapshot& expected) {
    EXPECT_EQ(std::memcmp(expected.distance, distanceTable, sizeof distanceTable), 0);
    EXPECT_EQ(std::memcmp(expected.energy, energyTable, sizeof energyTable), 0);
    EXPECT_EQ(std::memcmp(expected.previousDistance, previousDistanceVertices,
                          sizeof previousDistanceVertices),
              0);
    EXPECT_EQ(
        std::memcmp(expected.previousEnergy, previousEnergyVertices, sizeof previousEnergyVertices),
        0);
}

// Runs both sweeps from `start` on the current ground and compares all four tables.
void expectSameTables(Start start, const char* ground) {
    SCOPED_TRACE(testing::Message() << ground << " from (" << start.x << ", " << start.y << ")");
    settings.startX = start.x;
    settings.startY = start.y;
    plainComputeRoutes();
    RouteSnapshot& plain = snapshot();
    plain.capture();
    computeRoutes();
    expectRouteTablesEqual(plain);
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

std::vector<Start> randomStarts(uint32_t seed, int count) {
    Lcg random(seed);
    std::vector<Start> starts;
    for (int n = 0; n < count; ++n) {
        const int x = static_cast<int>(random.next(GRID_SIZE));
        const int y = static_cast<int>(random.next(GRID_SIZE));
        starts.push_back({x, y});
    }
    return starts;
}

constexpr int LAST = GRID_SIZE - 1;
constexpr int MIDDLE = GRID_SIZE / 2;

TEST(SweepOracle, RealTerrainFromCornersEdgesCentreDefaultAndRandomStarts) {
    SettingsGuard guard;
    buildTerrainVertices();
    buildStepTable();
    std::vector<Start> starts = {{0, 0},      {0, LAST},   {LAST, 0},      {LAST, LAST},
                                 {0, MIDDLE}, {MIDDLE, 0}, {LAST, MIDDLE}, {MIDDLE, LAST},
                                 {182, 182},  {10, 360}};
    for (const Start& s : randomStarts(20261208u, 4)) {
        starts.push_back(s);
    }
    for (const Start& s : starts) {
        expectSameTables(s, "real terrain");
    }
}

// relaxNeighbours works on the route tables themselves; cell by cell in spiral order it must
// give what computeRoutes gives.
TEST(SweepOracle, RelaxNeighboursInSpiralOrderMatchesComputeRoutes) {
    SettingsGuard guard;
    buildTerrainVertices();
    buildStepTable();
    settings.startX = 40;
    settings.startY = 300;
    computeRoutes();
    RouteSnapshot& fast = snapshot();
    fast.capture();
    resetRouteTables(40, 300);
    forEachSpiralCell(40, 300, relaxNeighbours);
    expectRouteTablesEqual(fast);
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

TEST(SweepOracle, HandMadeGround) {
    SettingsGuard guard;
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
        expectSameTables({MIDDLE, MIDDLE - 1}, grounds[g].name);
        expectSameTables({LAST, 0}, grounds[g].name);
        expectSameTables(randomOnes[g], grounds[g].name);
    }
}

} // namespace
