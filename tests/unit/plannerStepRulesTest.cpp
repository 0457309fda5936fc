#include "planner/routeTables.h"
#include "planner/stepRules.h"
#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr float BASE_HEIGHT = 50.0f;

// Length of a step of (dx, dy) grid spacings that changes the height by dz metres.
float stepLength(int dx, int dy, float dz) {
    return segmentLength(0.0f, static_cast<float>(dx * GRID_SPACING), 0.0f,
                         static_cast<float>(dy * GRID_SPACING), BASE_HEIGHT, BASE_HEIGHT + dz);
}

TEST(Sentinels, HaveTheDocumentedBitPatterns) {
    uint32_t bits = 0;
    std::memcpy(&bits, &UNREACHED_COST, sizeof bits);
    EXPECT_EQ(bits, 0x799A130Cu);
    EXPECT_EQ(NO_PREVIOUS, 0x09D40000);
}

TEST(SegmentLength, KnownSteps) {
    EXPECT_EQ(stepLength(1, 0, 0.0f), 30.0f);
    EXPECT_EQ(stepLength(0, -1, 0.0f), 30.0f);
    EXPECT_EQ(stepLength(1, 0, 1.0f), static_cast<float>(std::sqrt(901.0)));
    EXPECT_EQ(stepLength(1, 1, 0.0f), static_cast<float>(std::sqrt(1800.0)));
    EXPECT_EQ(stepLength(-1, 1, -2.0f), static_cast<float>(std::sqrt(1804.0)));
    EXPECT_EQ(segmentLength(0.0f, 0.0f, 0.0f, 0.0f, 7.0f, 7.0f), 0.0f);
}

TEST(SegmentLength, TakesItsArgumentsAxisByAxis) {
    // x from 10 to 40, y from 5 to 45, z level: a 30-40-50 triangle.
    EXPECT_EQ(segmentLength(10.0f, 40.0f, 5.0f, 45.0f, 0.0f, 0.0f), 50.0f);
    EXPECT_EQ(segmentLength(0.0f, 0.0f, 0.0f, 30.0f, 0.0f, 40.0f), 50.0f);
}

TEST(SegmentLength, IsTheSameBothWays) {
    EXPECT_EQ(segmentLength(30.0f, 60.0f, 90.0f, 60.0f, 71.0f, 74.0f),
              segmentLength(60.0f, 30.0f, 60.0f, 90.0f, 74.0f, 71.0f));
}

TEST(GradeLimit, IsASevenPercentGrade) {
    EXPECT_EQ(GRADE_LIMIT, std::atan(0.07));
    EXPECT_NEAR(GRADE_LIMIT, 0.0698860, 1e-7);
}

struct PassCase {
    int dx;
    int dy;
    float dz;
    int passable;
};

// Whole-metre heights: up to 2 m passes, 3 m fails, straight or diagonal, up or down.
TEST(IsPassable, TwoMetresPassAndThreeFailStraightAndDiagonal) {
    const PassCase cases[] = {
        {1, 0, 0.0f, 1},   {1, 0, 1.0f, 1},    {1, 0, 2.0f, 1},  {1, 0, 3.0f, 0},
        {0, 1, -2.0f, 1},  {0, -1, -3.0f, 0},  {-1, 0, 2.0f, 1}, {1, 0, 40.0f, 0},
        {1, 1, 0.0f, 1},   {1, 1, 1.0f, 1},    {1, -1, 2.0f, 1}, {1, -1, 3.0f, 0},
        {-1, 1, -2.0f, 1}, {-1, -1, -3.0f, 0},
    };
    for (const PassCase& c : cases) {
        const float multiplier = (c.dx != 0 && c.dy != 0) ? DIAGONAL_STEP : STRAIGHT_STEP;
        EXPECT_EQ(isPassable(multiplier, stepLength(c.dx, c.dy, c.dz)), c.passable)
            << c.dx << "," << c.dy << " dz " << c.dz;
    }
}

TEST(IsPassable, BoundaryLiesAtTheGradeLimitAngle) {
    // A straight step 30.07 m long climbs 0.0683 rad, one 30.08 m long 0.0729 rad.
    EXPECT_EQ(isPassable(STRAIGHT_STEP, 30.07f), 1);
    EXPECT_EQ(isPassable(STRAIGHT_STEP, 30.08f), 0);
}

TEST(IsPassable, FlatDiagonalHasRatioExactlyOne) {
    const float length = stepLength(1, 1, 0.0f);
    EXPECT_EQ(length, static_cast<float>(std::sqrt(1800.0)));
    EXPECT_EQ(DIAGONAL_STEP * GRID_SPACING / length, 1.0f);
    EXPECT_EQ(isPassable(DIAGONAL_STEP, length), 1);
}

TEST(IsPassable, StepShorterThanItsRunIsLevel) {
    EXPECT_EQ(isPassable(STRAIGHT_STEP, 29.9999f), 1);
    EXPECT_EQ(isPassable(DIAGONAL_STEP, 42.42f), 1);
}

TEST(StepEnergy, LevelIsFreeAndUpCostsTheSameAsDown) {
    const float mass = 1325.0f;
    EXPECT_EQ(stepEnergy(50.0f, 50.0f, mass), 0.0f);
    EXPECT_EQ(stepEnergy(50.0f, 52.0f, mass), stepEnergy(52.0f, 50.0f, mass));
    EXPECT_NEAR(stepEnergy(50.0f, 52.0f, mass), 2.0 * 1325.0 * 9.80665, 0.01);
    // The weight is rounded to a float before it is scaled by the rise.
    EXPECT_EQ(stepEnergy(50.0f, 51.0f, mass), mass * GRAVITY);
}

using ResetRouteTables = PlannerTest;
using StepTable = PlannerTest;
using StepRulesOnGround = PlannerTest;

TEST_F(ResetRouteTables, LeavesSentinelsEverywhereAndZeroAtTheStart) {
    RouteTables& tables = run.tables;
    tables.resize(BUILT_IN_SHAPE);
    std::memset(tables.distance.data(), 0x55, GRID_CELLS * sizeof(float));
    std::memset(tables.energy.data(), 0x55, GRID_CELLS * sizeof(float));
    std::memset(tables.previousDistance.steps(), 0x55, GRID_CELLS);
    std::memset(tables.previousEnergy.steps(), 0x55, GRID_CELLS);
    resetRouteTables(tables, 3, 4);
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            const float expected = (x == 3 && y == 4) ? 0.0f : UNREACHED_COST;
            ASSERT_EQ(distanceTable[x][y], expected) << x << "," << y;
            ASSERT_EQ(energyTable[x][y], expected) << x << "," << y;
            for (const PreviousTable* table :
                 {&previousDistanceVertices, &previousEnergyVertices}) {
                const GridPoint p = (*table)[x][y];
                ASSERT_EQ(p.x, NO_PREVIOUS);
                ASSERT_EQ(p.y, NO_PREVIOUS);
                ASSERT_EQ(p.z, 0);
            }
        }
    }
}

TEST_F(StepTable, NamesThePerStepRulesAndInfinityForStepsNotTaken) {
    HeightGrid& heights = fillHeights(50);
    heights[100][100] = 52;
    heights[100][101] = 53;
    heights[0][0] = 51;
    useGround(heights);
    const int cells[][2] = {{100, 100}, {100, 101}, {0, 0}, {364, 364}, {0, 200}};
    for (const auto& cell : cells) {
        const int a = cell[0];
        const int b = cell[1];
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            const Move& step = NEIGHBOUR_STEPS[d];
            const int nx = a + step.dx;
            const int ny = b + step.dy;
            const bool taken = planningGrid.steps[BUILT_IN_SHAPE.index(a, b)] & (1u << d);
            if (!isInsideGrid(nx, ny)) {
                EXPECT_FALSE(taken);
                continue;
            }
            const TerrainVertex from = terrainVertices[a][b];
            const TerrainVertex to = terrainVertices[nx][ny];
            const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
            EXPECT_EQ(taken, isPassable(step.multiplier, length) == 1) << a << "," << b << " " << d;
            if (!taken) {
                continue;
            }
            const std::size_t p = BUILT_IN_SHAPE.index(a, b);
            EXPECT_EQ(stepLengthAt(planningGrid, p, d), length) << a << "," << b << " d " << d;
            EXPECT_EQ(stepEnergyAt(planningGrid, p, d),
                      stepEnergy(from.z, to.z, settings.vehicle.vehicleMass));
        }
    }
    // (100, 100) to (100, 101) climbs 1 m; (100, 101) to its other neighbours climbs 3 m.
    EXPECT_TRUE(planningGrid.steps[BUILT_IN_SHAPE.index(100, 100)] & (1u << 3));
    EXPECT_FALSE(planningGrid.steps[BUILT_IN_SHAPE.index(100, 101)] & (1u << 1));
}

// The planners test a slope by comparing its ratio with one threshold per limit; every float
// ratio near it must be judged as the arc cosine judges it.
TEST(StepRules, RatioThresholdAgreesWithTheArcCosine) {
    for (const double percent : {0.5, 7.0, 10.0, 15.0, 20.0, 33.3, 100.0}) {
        const double limit = gradeAngle(percent);
        const float threshold = passableRatioThreshold(limit);
        float ratio = threshold;
        for (int ulp = 0; ulp < 2000; ++ulp) {
            ratio = std::nextafter(ratio, 0.0f);
        }
        for (int ulp = 0; ulp < 4000; ++ulp, ratio = std::nextafter(ratio, 2.0f)) {
            ASSERT_EQ(isPassableRatio(ratio, limit) == 1, ratio >= threshold)
                << percent << " % at " << ratio;
        }
        EXPECT_EQ(isPassableRatio(std::nextafter(1.0f, 2.0f), limit), 1);
    }
}

// Far from column 0 the float positions of cells 2,431.3 m apart lie up to half a float unit
// nearer or farther than the spacing: a nearly level step must pass either way.
TEST_F(StepRulesOnGround, NearlyLevelStepsPassWherePositionsRoundCloserThanTheSpacing) {
    const GridShape shape{4000, 3, 2431.3};
    useGround(shape, [](int x, int) { return 100.0f + 0.002f * static_cast<float>(x % 2); });
    int closer = 0;
    int closed = 0;
    for (int x = 0; x + 1 < shape.columns; ++x) {
        closer += terrainVertices.columnX(x + 1) - terrainVertices.columnX(x) <
                  static_cast<float>(shape.spacing);
        closed += (planningGrid.steps[shape.index(x, 1)] & (1u << 1)) == 0;
    }
    EXPECT_GT(closer, 0);
    EXPECT_EQ(closed, 0);
}

} // namespace
