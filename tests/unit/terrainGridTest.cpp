#include "terrain/terrainGrid.h"
#include "app/settings.h"
#include "terrain/groundUnits.h"
#include "terrain/sceneScale.h"

#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct VertexCase {
    int x;
    int y;
    TerrainVertex expected;
};

using TerrainVertices = PlannerTest;

TEST_F(TerrainVertices, CornersAndDefaultEndpointsAreExact) {
    useBuiltInGround();
    const VertexCase cases[] = {
        {0, 0, {0.0f, 0.0f, 54.0f}},
        {364, 364, {10920.0f, 10920.0f, static_cast<float>(heightMap[364][364])}},
        {10, 360, {300.0f, 10800.0f, 46.0f}},
        {350, 340, {10500.0f, 10200.0f, 109.0f}},
        {0, 11, {0.0f, 330.0f, 55.0f}},
    };
    for (const VertexCase& c : cases) {
        const TerrainVertex& v = terrainVertices[c.x][c.y];
        EXPECT_EQ(v.x, c.expected.x) << c.x << "," << c.y;
        EXPECT_EQ(v.y, c.expected.y) << c.x << "," << c.y;
        EXPECT_EQ(v.z, c.expected.z) << c.x << "," << c.y;
    }
}

TEST_F(TerrainVertices, EveryCellMatchesItsIndicesAndHeight) {
    useBuiltInGround();
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            const TerrainVertex v = terrainVertices[x][y];
            ASSERT_EQ(v.x, 30.0f * x);
            ASSERT_EQ(v.y, 30.0f * y);
            ASSERT_EQ(v.z, static_cast<float>(heightMap[x][y]));
        }
    }
}

TEST(SceneScale, GridSpansThreePointSixFourUnits) {
    const SceneScale builtIn = sceneScaleFor(BUILT_IN_SHAPE);
    EXPECT_FLOAT_EQ(groundToScene(builtIn, 10920.0f), 3.64f);
    EXPECT_FLOAT_EQ(heightToScene(builtIn, 194.0f), 0.194f);
}

// The rounded forward mapping sends some indices back one lower; these are the documented ones.
TEST(SceneScale, ReverseMappingTruncatesSomeIndicesToTheirPredecessor) {
    const int expected[][2] = {{0, 0}, {1, 0}, {2, 1}, {3, 2},   {4, 3},   {5, 5},  {6, 5},
                               {7, 7}, {8, 7}, {9, 9}, {10, 10}, {11, 10}, {14, 14}};
    for (const auto& e : expected) {
        const SceneScale builtIn = sceneScaleFor(BUILT_IN_SHAPE);
        const float scene = groundToScene(builtIn, static_cast<float>(e[0] * GRID_SPACING));
        EXPECT_EQ(sceneToGridIndex(builtIn, scene), e[1]) << "index " << e[0];
    }
    int lowered = 0;
    for (int i = 0; i < GRID_SIZE; ++i) {
        const SceneScale builtIn = sceneScaleFor(BUILT_IN_SHAPE);
        const int back =
            sceneToGridIndex(builtIn, groundToScene(builtIn, static_cast<float>(i * GRID_SPACING)));
        ASSERT_TRUE(back == i || back == i - 1) << i;
        lowered += back == i - 1;
    }
    EXPECT_EQ(lowered, 182);
}

TEST(GroundWindow, UtmZonesAndHeightUnits) {
    const double zones[][3] = {{-84.25, 36.6, 32616}, {-84.0, 36.6, 32617}, {151.2, -33.9, 32756},
                               {-180.0, 0.0, 32601},  {180.0, 0.0, 32601},  {359.5, 10.0, 32630}};
    for (const auto& z : zones) {
        EXPECT_EQ(utmZoneEpsg(z[0], z[1]), z[2]) << z[0] << "," << z[1];
    }
    EXPECT_EQ(metresPerHeightUnit("ft"), 0.3048);
    EXPECT_EQ(metresPerHeightUnit("US survey foot"), 1200.0 / 3937.0);
    EXPECT_EQ(metresPerHeightUnit("metre"), 1.0);
    const std::pair<const char*, double> more[] = {
        {"", 1.0},          {"m", 1.0},   {"Meters", 1.0},           {"km", 1000.0},
        {"kilometre", 1e3}, {"cm", 0.01}, {"furlong", UNKNOWN_UNIT}, {"mi", UNKNOWN_UNIT}};
    for (const auto& [unit, metres] : more) {
        EXPECT_EQ(metresPerHeightUnit(unit), metres) << unit;
    }
    const std::pair<const char*, double> speeds[] = {
        {"", 1.0},           {"KPH", 1.0},        {"km h-1", 1.0},  {"mph", 1.609344},
        {"M/S", 3.6},        {"m s-1", 3.6},      {"Knots", 1.852}, {"kn", 1.852},
        {"m", UNKNOWN_UNIT}, {"mi", UNKNOWN_UNIT}};
    for (const auto& [unit, kmh] : speeds) {
        EXPECT_EQ(kmhPerSpeedUnit(unit), kmh) << unit;
    }
    EXPECT_EQ(longitudeTurn(0.0174532925199433), 360.0);
    EXPECT_EQ(longitudeTurn(3.14159265358979 / 200.0), 400.0);
}

TEST(Settings, FreshRunHasTheDocumentedDefaults) {
    const Settings s;
    EXPECT_EQ(s.windowWidth, 500);
    EXPECT_EQ(s.windowHeight, 500);
    EXPECT_EQ(s.viewMode, Distance);
    EXPECT_EQ(static_cast<int>(Distance), 2);
    EXPECT_EQ(static_cast<int>(Energy), 1);
    EXPECT_EQ(s.sceneOffset.x, -0.5f);
    EXPECT_EQ(s.sceneOffset.y, 2.25f);
    EXPECT_EQ(s.sceneOffset.z, -2.5f);
    EXPECT_EQ(s.sceneRotation.x, 180.0f);
    EXPECT_EQ(s.sceneRotation.y, 0.0f);
    EXPECT_EQ(s.sceneRotation.z, 20.0f);
    EXPECT_EQ(s.startX, 10);
    EXPECT_EQ(s.startY, 360);
    EXPECT_EQ(s.endX, 350);
    EXPECT_EQ(s.endY, 340);
    EXPECT_EQ(s.distanceRings, 15.0f);
    EXPECT_EQ(s.distanceIncrement, 1000.0f);
    EXPECT_EQ(s.speedMph, 55.0f);
    EXPECT_EQ(s.vehicle.vehicleMass, 1325.0f);
    EXPECT_EQ(s.energyRings, 10.0f);
    EXPECT_EQ(s.energyIncrement, 50000.0f);
}

} // namespace
