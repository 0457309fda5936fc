#include "app/settings.h"
#include "planner/isochrones.h"
#include "planner/routeTables.h"
#include "render/mesh.h"
#include "render/ringFit.h"
#include "render/roundNumbers.h"
#include "terrain/sceneScale.h"
#include "terrain/terrainGrid.h"
#include "tests/unit/sceneOfTheRun.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Float3 grey(float level) {
    return {level, level, level};
}

struct GreyCase {
    float cost;
    float rings;
    float increment;
    Float3 expected;
};

// Thresholds and one step past them, with the default distance and energy settings.
TEST(RingGrey, BandsAroundTheDefaultSettings) {
    const float justBelow1000 = std::nextafter(1000.0f, 0.0f);
    const GreyCase cases[] = {
        {0.0f, 15, 1000, grey(1.0f)},
        {justBelow1000, 15, 1000, grey(1.0f)},
        {1000.0f, 15, 1000, grey(238.0f / 255.0f)},
        {1999.0f, 15, 1000, grey(238.0f / 255.0f)},
        {14999.0f, 15, 1000, grey(17.0f / 255.0f)},
        {std::nextafter(15000.0f, 0.0f), 15, 1000, grey(17.0f / 255.0f)},
        {15000.0f, 15, 1000, BEYOND_RINGS_COLOUR},
        {UNREACHED_COST, 15, 1000, BEYOND_RINGS_COLOUR},
        {449999.0f, 10, 50000, grey(0.2f)},
        {450000.0f, 10, 50000, grey(0.1f)},
        {499999.0f, 10, 50000, grey(0.1f)},
        {500000.0f, 10, 50000, BEYOND_RINGS_COLOUR},
        {0.0f, 0, 1000, BEYOND_RINGS_COLOUR},
        {0.0f, -0.5f, 1000, BEYOND_RINGS_COLOUR},
    };
    for (const GreyCase& c : cases) {
        const Float3 colour = ringGrey(c.cost, c.rings, c.increment);
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(colour[k], c.expected[k])
                << "cost " << c.cost << " rings " << c.rings << " increment " << c.increment;
        }
    }
}

// A ring count that is not whole runs every integer ring below it and steps by the real value.
TEST(RingGrey, FractionalRingCount) {
    const float rings = 2.5f;
    EXPECT_FLOAT_EQ(ringGrey(50, rings, 100)[0], 1.0f);
    EXPECT_FLOAT_EQ(ringGrey(150, rings, 100)[0], 0.6f);
    EXPECT_FLOAT_EQ(ringGrey(250, rings, 100)[0], 0.2f);
    EXPECT_EQ(ringGrey(300, rings, 100), BEYOND_RINGS_COLOUR);
    EXPECT_EQ(ringGrey(0, 0.5f, 100), grey(1.0f));
    EXPECT_EQ(ringGrey(100, 0.5f, 100), BEYOND_RINGS_COLOUR);
}

// Second method: ring = floor(cost / increment), grey = 1 - ring / rings.
// The areas the window saves end where its rings do: a cost at a ring's outer edge is shaded
// as the next ring, one just below it as the ring; a part ring has its edge too.
TEST(RingIsochrones, EachRingsOuterEdgeIsAValue) {
    const std::pair<ViewMode, const char*> views[] = {
        {Distance, "m"}, {Energy, "J"}, {Time, "min"}};
    for (const auto& [view, unit] : views) {
        Settings s;
        s.viewMode = view;
        s.distanceRings = s.energyRings = s.timeRings = 2.5f;
        const Isochrones areas = ringIsochrones(s, shadedMeasure(s.viewMode));
        const float width = view == Distance ? s.distanceIncrement
                            : view == Energy ? s.energyIncrement
                                             : s.timeIncrement;
        ASSERT_EQ(areas.values.size(), 3u) << unit;
        EXPECT_EQ(areas.unit, unit);
        for (int k = 0; k < 3; ++k) {
            const auto edge = static_cast<float>(areas.values[k]);
            EXPECT_EQ(ringGrey(std::nextafter(edge, 0.0f), 2.5f, width), grey(ringLevel(k, 2.5f)));
            EXPECT_NE(ringGrey(edge, 2.5f, width), grey(ringLevel(k, 2.5f)));
        }
    }
    Settings none;
    none.distanceRings = 0.0f;
    EXPECT_TRUE(ringIsochrones(none, shadedMeasure(none.viewMode)).empty());
}

TEST(RingGrey, AgreesWithFloorDivision) {
    for (float rings : {15.0f, 10.0f, 7.0f, 99.0f}) {
        for (float cost = 0.0f; cost < 110000.0f; cost += 137.0f) {
            const float ring = std::floor(cost / 1000.0f);
            const Float3 colour = ringGrey(cost, rings, 1000.0f);
            if (ring >= rings) {
                ASSERT_EQ(colour, BEYOND_RINGS_COLOUR) << cost;
                continue;
            }
            ASSERT_NEAR(colour[0], 1.0 - ring / rings, 1e-5) << cost << " rings " << rings;
        }
    }
}

class RingColour : public SceneTest {
  protected:
    void setCosts(int x, int y, float metres, float joules) {
        distanceTable[x][y] = metres;
        energyTable[x][y] = joules;
    }
};

TEST_F(RingColour, UnreachedDistanceIsRedInBothViewModes) {
    setCosts(5, 5, UNREACHED_COST, 10.0f);
    for (ViewMode mode : {Distance, Energy, static_cast<ViewMode>(4)}) {
        settings.viewMode = mode;
        EXPECT_EQ(ringColour(scenePosition(5, 5)), UNREACHED_COLOUR) << mode;
    }
}

TEST_F(RingColour, EnergyModeShadesTheEnergyTable) {
    setCosts(5, 5, 20000.0f, 460000.0f);
    settings.viewMode = Energy;
    EXPECT_EQ(ringColour(scenePosition(5, 5)), grey(0.1f));
    settings.viewMode = Distance;
    EXPECT_EQ(ringColour(scenePosition(5, 5)), BEYOND_RINGS_COLOUR);
    setCosts(5, 5, 1000.0f, 460000.0f);
    EXPECT_EQ(ringColour(scenePosition(5, 5)), grey(238.0f / 255.0f));
}

// Reached by distance but not by energy: in the energy view no ring matches.
TEST_F(RingColour, EnergyUnreachedOnlyIsWhite) {
    setCosts(5, 5, 500.0f, UNREACHED_COST);
    settings.viewMode = Energy;
    EXPECT_EQ(ringColour(scenePosition(5, 5)), BEYOND_RINGS_COLOUR);
}

TEST_F(RingColour, OtherViewModesAreWhite) {
    setCosts(5, 5, 1500.0f, 60000.0f);
    for (int mode : {0, 4, -1}) {
        settings.viewMode = static_cast<ViewMode>(mode);
        EXPECT_EQ(ringColour(scenePosition(5, 5)), BEYOND_RINGS_COLOUR) << mode;
    }
}

TEST_F(RingColour, ZeroRingsLeaveReachedCellsWhite) {
    setCosts(5, 5, 1500.0f, 60000.0f);
    settings.distanceRings = 0.0f;
    EXPECT_EQ(ringColour(scenePosition(5, 5)), BEYOND_RINGS_COLOUR);
    settings.viewMode = Energy;
    settings.energyRings = 0.0f;
    EXPECT_EQ(ringColour(scenePosition(5, 5)), BEYOND_RINGS_COLOUR);
}

// Index 1 comes back as 0, 5 as itself: cell (1, 5) takes the ring of (0, 5).
TEST_F(RingColour, ColourComesFromTheTruncatedCell) {
    setCosts(0, 5, UNREACHED_COST, UNREACHED_COST);
    setCosts(1, 5, 100.0f, 0.0f);
    EXPECT_EQ(ringColour(scenePosition(1, 5)), UNREACHED_COLOUR);
    setCosts(0, 5, 100.0f, 0.0f);
    setCosts(1, 5, UNREACHED_COST, UNREACHED_COST);
    EXPECT_EQ(ringColour(scenePosition(1, 5)), grey(1.0f));
    EXPECT_EQ(ringColour(scenePosition(0, 5)), grey(1.0f));
}

// Every grid point's colour is that of the cell sceneToGridIndex gives, which is the point's
// own cell or the one below it on each axis; 182 of 365 indices fall to their predecessor.
TEST_F(RingColour, EveryIndexMapsToItselfOrItsPredecessor) {
    int lowered = 0;
    for (int i = 0; i < GRID_SIZE; ++i) {
        const Float3 p = scenePosition(i, i);
        const int back = sceneToGridIndex(meshGeometry.scale, p[0]);
        ASSERT_TRUE(back == i || back == i - 1) << i;
        lowered += back != i;
        // Mark only the mapped cell unreached: the colour must follow it.
        setCosts(back, back, UNREACHED_COST, UNREACHED_COST);
        ASSERT_EQ(ringColour(p), UNREACHED_COLOUR) << i;
        setCosts(back, back, 0.0f, 0.0f);
        ASSERT_EQ(ringColour(p), grey(1.0f)) << i;
    }
    EXPECT_EQ(lowered, 182);
}

TEST_F(RingColour, PositionOutsideTheGridIsWhite) {
    EXPECT_EQ(ringColour({-1.0f, 0.5f, 0.0f}), BEYOND_RINGS_COLOUR);
    EXPECT_EQ(ringColour({0.5f, 3.66f, 0.0f}), BEYOND_RINGS_COLOUR);
}

} // namespace

namespace {
TEST(RingFit, WidthsRoundUpToOneTwoOrFive) {
    const double cases[][2] = {{1.0, 1.0},  {1.01, 2.0},   {3.0, 5.0},       {5.0, 5.0},
                               {7.3, 10.0}, {0.015, 0.02}, {4321.0, 5000.0}, {1.5e7, 2e7},
                               {0.0, 0.0},  {-3.0, -3.0}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(oneTwoFiveAtLeast(c[0]), c[1]) << c[0];
    }
}

TEST(RingFit, RingsSpanTheDearestReachedCost) {
    RouteTables tables;
    tables.resize({3, 3, 30.0});
    tables.distance[0][0] = 0.0f;
    tables.distance[2][1] = 29000.0f; // 15 rings: 1933 m each, so 2000 m
    tables.energy[0][0] = 0.0f;
    tables.energy[1][1] = 500000.0f; // exactly 10 x 50 000 J would leave it beyond: 100 000 J
    Settings s;
    fitRingWidths(s, tables);
    EXPECT_EQ(s.distanceIncrement, 2000.0f);
    EXPECT_EQ(s.energyIncrement, 100000.0f);
    s.distanceRings = 0.0f; // no rings, nothing reached: the widths stay
    tables.energy[1][1] = UNREACHED_COST;
    s.distanceIncrement = s.energyIncrement = 7.0f;
    fitRingWidths(s, tables);
    EXPECT_EQ(s.distanceIncrement, 7.0f);
    EXPECT_EQ(s.energyIncrement, 7.0f);
}
} // namespace

namespace {
TEST_F(RingColour, ACellWithoutGroundBesideADrawnOneIsSlateNotBrown) {
    std::vector<float> heights = builtInHeights();
    heights[BUILT_IN_SHAPE.index(0, 5)] = NAN; // (1, 5) takes the colour of (0, 5)
    ::useGround(run, BUILT_IN_SHAPE, heights);
    buildMeshGeometry();
    EXPECT_EQ(ringColour(scenePosition(1, 5)), NO_GROUND_COLOUR);
    const std::vector<LegendEntry> legend =
        ::legendEntries(settings, settings.viewMode, false, true);
    EXPECT_EQ(legend[legend.size() - 3].colour, NO_GROUND_COLOUR);
    EXPECT_TRUE(meshGeometry.groundMissing);
}
} // namespace
