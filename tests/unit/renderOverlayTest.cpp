#include "app/settings.h"
#include "planner/moveSet.h"
#include "planner/routeTables.h"
#include "render/markers.h"
#include "render/overlays.h"
#include "render/panel.h"
#include "render/scene.h"
#include "terrain/terrainGrid.h"
#include "tests/unit/sceneOfTheRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cells = std::vector<Cell>;

class Overlays : public SceneTest {
  protected:
    // Lays a route through `cells` (end first) to the start, with the given final costs.
    void layRoute(const Cells& cells, PreviousTable& previous) {
        for (size_t k = 0; k + 1 < cells.size(); ++k) {
            setPrevious(previous, cells[k].x, cells[k].y, cells[k + 1].x, cells[k + 1].y);
        }
    }
};

TEST_F(Overlays, QuadCornersAreInsetAndLifted) {
    const Quad q = overlayQuad(10, 20);
    const Float3 p00 = scenePosition(10, 20);
    const Float3 p01 = scenePosition(10, 21);
    const Float3 p11 = scenePosition(11, 21);
    const Float3 p10 = scenePosition(11, 20);
    EXPECT_EQ(q.tLeft, (Float3{p00[0] + 0.02f, p00[1] + 0.02f, p00[2] - 0.01f}));
    EXPECT_EQ(q.tRight, (Float3{p01[0] + 0.02f, p01[1] - 0.02f, p01[2] - 0.01f}));
    EXPECT_EQ(q.bRight, (Float3{p11[0] - 0.02f, p11[1] - 0.02f, p11[2] - 0.01f}));
    EXPECT_EQ(q.bLeft, (Float3{p10[0] - 0.02f, p10[1] + 0.02f, p10[2] - 0.01f}));
    EXPECT_LT(q.normal[2], 0.0f);
    EXPECT_NEAR(std::hypot(q.normal[0], q.normal[1], q.normal[2]), 1.0, 1e-6);
}

TEST_F(Overlays, Colours) {
    EXPECT_EQ(distanceRouteColour, (Float3{0, 0, 1}));
    EXPECT_EQ(energyRouteColour, (Float3{0, 1, 0}));
    EXPECT_EQ(straightLineColour, (Float3{0, 1, 1}));
}

TEST_F(Overlays, RouteRunsFromEndToStartWithoutTheStart) {
    const Cells route = {{5, 7}, {5, 6}, {4, 5}, {3, 5}};
    layRoute(route, previousDistanceVertices);
    EXPECT_EQ(routeCells(previousDistanceVertices, 3, 5, 5, 7), (Cells{{5, 7}, {5, 6}, {4, 5}}));
    EXPECT_EQ(routeCells(previousDistanceVertices, 3, 5, 3, 5), Cells{});
}

// Two knight's moves (10, 10) -> (12, 11) -> (14, 12): the cell along each joins its ends.
TEST_F(Overlays, RouteOfLongerMovesHasTheCellsAlongThem) {
    previousDistanceVertices.useMoves(moveSetFor(16));
    for (const Cell& c : {Cell{12, 11}, Cell{14, 12}}) {
        const size_t p = previousDistanceVertices.shape().index(c.x, c.y);
        previousDistanceVertices.steps()[p] = 1 + moveSetFor(16).numberOf(2, 1);
    }
    EXPECT_EQ(routeCells(previousDistanceVertices, 10, 10, 14, 12),
              (Cells{{14, 12}, {13, 12}, {12, 11}, {11, 11}}));
}

// Cells of index 364 have no far corners: skipped, but the walk goes on past them.
TEST_F(Overlays, RouteSkipsTheLastRowAndColumn) {
    const Cells route = {{362, 364}, {363, 364}, {364, 363}, {364, 362}, {363, 361}, {362, 360}};
    layRoute(route, previousEnergyVertices);
    EXPECT_EQ(routeCells(previousEnergyVertices, 362, 360, 362, 364), (Cells{{363, 361}}));
}

TEST_F(Overlays, BrokenChainsEndWithoutReadingOutsideTheTables) {
    layRoute({{7, 7}, {8, 8}, {7, 7}}, previousDistanceVertices); // a loop
    const Cells looped = routeCells(previousDistanceVertices, 0, 0, 7, 7);
    EXPECT_LE(looped.size(), static_cast<size_t>(GRID_CELLS + 1));
    // (9, 9) still has NO_PREVIOUS: the walk stops where the chain leaves the grid.
    EXPECT_EQ(routeCells(previousDistanceVertices, 0, 0, 9, 9), (Cells{{9, 9}}));
}

TEST_F(Overlays, DistanceRouteReportsMilesAndFuel) {
    settings.startX = 3;
    settings.startY = 5;
    settings.endX = 5;
    settings.endY = 6;
    layRoute({{5, 6}, {4, 5}, {3, 5}}, previousDistanceVertices);
    distanceTable[5][6] = 16093.44f;
    const Overlay o = distanceRouteOverlay();
    EXPECT_EQ(o.cells, (Cells{{5, 6}, {4, 5}}));
    EXPECT_EQ(o.colour, distanceRouteColour);
    EXPECT_EQ(o.report, distanceSummary(16093.44f, 55.0f));
}

TEST_F(Overlays, SeveralDestinationsDrawEveryRouteAndALineEach) {
    setRouteEnds(settings, {3, 5, 5, 6});
    settings.destinations = {{2, 8}, {9, 9}};
    layRoute({{5, 6}, {4, 5}, {3, 5}}, previousDistanceVertices);
    layRoute({{2, 8}, {2, 7}, {3, 6}, {3, 5}}, previousDistanceVertices);
    distanceTable[5][6] = 16093.44f;
    distanceTable[2][8] = 3218.688f;
    energyTable[5][6] = 1000.5f;
    energyTable[2][8] = 250.25f;
    const Overlay o = distanceRouteOverlay();
    EXPECT_EQ(o.cells, (Cells{{5, 6}, {4, 5}, {2, 8}, {2, 7}, {3, 6}}));
    EXPECT_EQ(o.report, distanceSummary(16093.44f, 55.0f) +
                            "To (5, 6): 10.000000 miles, 1000.500000 joules\n"
                            "To (2, 8): 2.000000 miles, 250.250000 joules\n"
                            "To (9, 9): unreachable\n");
}

TEST_F(Overlays, EnergyRouteReportsJoules) {
    settings.startX = 3;
    settings.startY = 5;
    settings.endX = 4;
    settings.endY = 5;
    layRoute({{4, 5}, {3, 5}}, previousEnergyVertices);
    energyTable[4][5] = 2500.0f;
    const Overlay o = energyRouteOverlay();
    EXPECT_EQ(o.cells, (Cells{{4, 5}}));
    EXPECT_EQ(o.colour, energyRouteColour);
    EXPECT_EQ(o.report, "\nENERGY DATA\nTotal Energy Path:\t2500.000000 joules\n");
}

TEST_F(Overlays, UnreachableEndDrawsNoRoute) {
    // Fresh tables: the default end (350, 340) is unreached in both measures.
    const Overlay distance = distanceRouteOverlay();
    EXPECT_TRUE(distance.cells.empty());
    EXPECT_EQ(distance.report, "\tUNREACHABLE DISTANCE PATH\n");
    const Overlay energy = energyRouteOverlay();
    EXPECT_TRUE(energy.cells.empty());
    EXPECT_EQ(energy.report, "\tUNREACHABLE ENERGY PATH\n");
    // Out-of-grid end cells read nothing and count as unreachable.
    settings.endX = 365;
    EXPECT_EQ(distanceRouteOverlay().report, "\tUNREACHABLE DISTANCE PATH\n");
    settings.endX = -1;
    EXPECT_EQ(energyRouteOverlay().report, "\tUNREACHABLE ENERGY PATH\n");
}

TEST_F(Overlays, EndAtStartPrintsZeroTotals) {
    settings.endX = settings.startX;
    settings.endY = settings.startY;
    const Overlay distance = distanceRouteOverlay();
    EXPECT_TRUE(distance.cells.empty());
    EXPECT_EQ(distance.report, "\nDISTANCE DATA\nTotal Distance Path:\t0.000000 miles\nTotal "
                               "Fuel Consumption:\t0.000000 gallons\n");
    EXPECT_EQ(energyRouteOverlay().report, "\nENERGY DATA\nTotal Energy Path:\t0.000000 joules\n");
    const Overlay line = straightLineOverlay();
    EXPECT_EQ(line.cells, (Cells{{10, 360}}));
    EXPECT_EQ(line.report, "Total Direct Path:\t0.000000 meters\n");
}

TEST_F(Overlays, StraightLineOfTheDefaultEndpoints) {
    const Overlay line = straightLineOverlay();
    EXPECT_EQ(line.colour, straightLineColour);
    ASSERT_EQ(line.cells.size(), 341u);
    EXPECT_EQ(line.cells.front(), (Cell{10, 360}));
    EXPECT_EQ(line.cells.back(), (Cell{350, 340}));
    char expected[80];
    std::snprintf(expected, sizeof expected, "Total Direct Path:\t%f meters\n",
                  double(std::sqrt(116000.0f) * 30));
    EXPECT_EQ(line.report, expected);
}

// Ground without a height at grid point (12, 20) takes cells (11..12, 19..20) off every overlay.
TEST_F(Overlays, CellsTouchingGroundWithoutHeightAreNotMarked) {
    useBuiltInGroundWithout(12, 20);
    EXPECT_EQ(straightLineCells(10, 20, 14, 20), (Cells{{10, 20}, {13, 20}, {14, 20}}));
    EXPECT_EQ(straightLineCells(12, 17, 12, 22), (Cells{{12, 17}, {12, 18}, {12, 21}, {12, 22}}));
    layRoute({{13, 21}, {12, 20}, {11, 19}, {10, 18}}, previousDistanceVertices);
    EXPECT_EQ(routeCells(previousDistanceVertices, 10, 18, 13, 21), (Cells{{13, 21}}));
}

TEST_F(Overlays, LegendNamesEveryRingShade) {
    settings.distanceRings = 3;
    const std::vector<LegendEntry> distance = legendEntries(settings);
    ASSERT_EQ(distance.size(), 7u);
    EXPECT_EQ(distance[0].label, "0 to 1000 m");
    EXPECT_EQ(distance[2].label, "2000 to 3000 m");
    EXPECT_EQ(distance[3].label, "3000 m and more");
    EXPECT_EQ(distance[4].label, "unreachable");
    for (size_t k = 0; k < 3; ++k) { // each shade is what a cost inside its ring is drawn with
        EXPECT_EQ(distance[k].colour, ringGrey(1000.0f * k + 500.0f, 3, 1000)) << k;
    }
    EXPECT_EQ(distance[3].colour, BEYOND_RINGS_COLOUR);
    EXPECT_EQ(distance[3].swatchText, BEYOND_RINGS_SWATCH_TEXT);
    EXPECT_EQ(distance[0].swatchText, ""); // the first ring is as white, but unmarked
    EXPECT_EQ(distance[4].colour, UNREACHED_COLOUR);
    EXPECT_EQ(distance[5].label, "start (10, 360)");
    EXPECT_EQ(distance[5].colour, START_MARKER_COLOUR);
    EXPECT_EQ(distance[6].label, "end (350, 340)");
    EXPECT_EQ(distance[6].colour, END_MARKER_COLOUR);
    const LegendEntry corridor =
        ::legendEntries(settings, settings.viewMode, false, false, 12.5)[4];
    EXPECT_EQ(std::make_pair(corridor.label, corridor.colour),
              std::make_pair(std::string("within 12.5 % of the best route"), CORRIDOR_COLOUR));
    settings.viewMode = Energy;
    const std::vector<LegendEntry> energy = legendEntries(settings);
    ASSERT_EQ(energy.size(), 14u);
    EXPECT_EQ(energy[9].label, "450000 to 500000 J");
    EXPECT_EQ(energy[9].colour, ringGrey(460000.0f, 10, 50000));
    settings.viewMode = Time;
    EXPECT_EQ(legendEntries(settings)[11].label, "55 to 60 min");
    EXPECT_EQ(legendEntries(settings)[13].colour, timeRouteColour); // the fastest route's
    settings.viewMode = static_cast<ViewMode>(4);
    EXPECT_EQ(legendEntries(settings).size(), 4u);
}

// A marker spans its cell and MARKER_REACH more on each side (clamped to the grid), flat and in
// front of the nearest ground it covers; a cell without a quadrilateral has none.
TEST_F(Overlays, MarkersCoverTheirCellInFrontOfTheGround) {
    struct Case {
        int x, y, lowX, lowY, highX, highY;
    };
    const Case cases[] = {{100, 200, 98, 198, 103, 203},
                          {10, 360, 8, 358, 13, 363},
                          {0, 0, 0, 0, 3, 3},
                          {363, 363, 361, 361, 364, 364}};
    for (const Case& c : cases) {
        const std::vector<Marker> m = cellMarker(c.x, c.y, START_MARKER_COLOUR);
        ASSERT_EQ(m.size(), 1u) << c.x;
        float nearest = INFINITY;
        for (int i = c.lowX; i <= c.highX; ++i) {
            for (int j = c.lowY; j <= c.highY; ++j) {
                nearest = std::min(nearest, scenePosition(i, j)[2]);
            }
        }
        const Float3 low = scenePosition(c.lowX, c.lowY);
        const Float3 high = scenePosition(c.highX, c.highY);
        EXPECT_EQ(m[0].quad.tLeft, (Float3{low[0], low[1], nearest + MARKER_LIFT})) << c.x;
        EXPECT_EQ(m[0].quad.bRight, (Float3{high[0], high[1], nearest + MARKER_LIFT})) << c.x;
        EXPECT_LT(m[0].quad.normal[2], 0.0f) << c.x;
    }
    EXPECT_EQ(cellMarker(364, 10, START_MARKER_COLOUR).size(), 1u);
    EXPECT_TRUE(cellMarker(365, 10, START_MARKER_COLOUR).empty());
    const std::vector<Marker> both = startAndEndMarkers();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].cell, (Cell{10, 360}));
    EXPECT_EQ(both[1].colour, END_MARKER_COLOUR);
    EXPECT_EQ(both[1].number, 0);
    // Via markers follow, numbered by their place in the trip.
    settings.via = {{50, 50}, {60, 60}};
    const std::vector<Marker> trip = startAndEndMarkers();
    settings.via.clear();
    ASSERT_EQ(trip.size(), 4u);
    EXPECT_EQ((std::vector<int>{trip[2].number, trip[3].number}), (std::vector<int>{1, 2}));
    EXPECT_EQ(trip[3].cell, (Cell{60, 60}));
}

TEST_F(Overlays, ProfileSamplesInterpolateAlongTheRoute) {
    Profile profile;
    profile.points = {
        {{0, 0}, 0.0f, 10.0f, 0.0f}, {{1, 0}, 30.0f, 16.0f, 5.0f}, {{2, 0}, 90.0f, 4.0f, 9.0f}};
    EXPECT_EQ(profileSamples(profile, &ProfilePoint::height, 4),
              (std::vector<float>{10.0f, 16.0f, 10.0f, 4.0f}));
    EXPECT_EQ(profileSamples(profile, &ProfilePoint::cost, 3),
              (std::vector<float>{0.0f, 6.0f, 9.0f}));
    EXPECT_TRUE(profileSamples(Profile{}, &ProfilePoint::cost, 3).empty());
}

TEST_F(Overlays, ProfileRangesSpanItsPoints) {
    Profile profile;
    profile.points = {
        {{0, 0}, 0.0f, 10.0f, 0.0f}, {{1, 0}, 30.0f, 16.0f, 5.0f}, {{2, 0}, 90.0f, 4.0f, 9.0f}};
    const ProfileRanges r = profileRanges(profile);
    EXPECT_EQ((std::vector<float>{r.length, r.lowHeight, r.highHeight, r.lowCost, r.highCost}),
              (std::vector<float>{90.0f, 4.0f, 16.0f, 0.0f, 9.0f}));
    EXPECT_EQ(profileRanges(Profile{}).highCost, 0.0f);
    EXPECT_EQ(axisRange("cost", 0.0f, 1182436.25f, "J"), "cost 0 to 1182436 J");
}

TEST_F(Overlays, ReverseMappingAndCellReport) {
    EXPECT_EQ(cellAt(0.105, 3.6049), (Cell{10, 360}));
    EXPECT_EQ(cellAt(-0.02, 1.0), std::nullopt);
    EXPECT_EQ(cellAt(1.0, 3.651), std::nullopt);
    distanceTable[10][360] = 0.0f;
    energyTable[10][360] = 0.0f;
    EXPECT_EQ(cellReport(10, 360),
              "Cell (10, 360), height 46 m\ndistance 0.000000 m\nenergy 0.000000 J");
    EXPECT_EQ(cellReport(11, 360), "Cell (11, 360), height 46 m\nunreachable");
    GroundCover cover; // class numbers count from 1; 0 is no class
    cover.classes = {{4, "road", 60.0f}, {9, "forest", 20.0f, NAN, 7}};
    cover.classOf.assign(run.terrain.shape().cells(), 0);
    cover.classOf[run.terrain.shape().index(10, 360)] = 2;
    run.tables.time[10][360] = 90.0f;
    run.tables.timed = true;
    EXPECT_EQ(cellTimeReport(run.grid, cover, run.tables, 10, 360),
              "cover forest\nspeed 90 km/h\ntime 1.500000 min");
    EXPECT_EQ(coverLegendLines(cover)[1], "forest: 20 km/h, 7 cells");
}

// The scene holds the view mode's route (none for another mode), then the straight line.
TEST_F(Overlays, SceneHoldsTheViewModesRouteThenTheLine) {
    struct Case {
        int mode;
        std::vector<std::string> reports;
        const char* costUnit;
    };
    const std::string line = straightLineOverlay().report;
    const Case cases[] = {{Distance, {UNREACHABLE_DISTANCE_TEXT, line}, "m"},
                          {Energy, {UNREACHABLE_ENERGY_TEXT, line}, "J"},
                          {Time, {UNREACHABLE_TIME_TEXT, line}, "s"},
                          {4, {line}, "m"}};
    for (const Case& c : cases) {
        settings.viewMode = static_cast<ViewMode>(c.mode);
        const Scene scene = buildScene();
        std::vector<std::string> reports;
        for (const Overlay& o : scene.overlays) {
            reports.push_back(o.report);
        }
        EXPECT_EQ(reports, c.reports) << c.mode;
        EXPECT_STREQ(scene.costUnit, c.costUnit) << c.mode;
        EXPECT_EQ(scene.legend.size(), legendEntries(settings).size()) << c.mode;
        EXPECT_TRUE(scene.profile.points.empty()) << c.mode; // fresh tables: end unreached
    }
}

// Every move, from two cells: its ends and the cells along it, each beside the one before.
TEST(CellsAlongMove, JoinEachMovesEndsWithoutAGap) {
    const MoveSet set = *moveSetOf(MOST_MOVES);
    for (const Cell from : {Cell{10, 10}, Cell{0, 7}}) {
        for (const Move& m : set) {
            const Cell to{from.x + m.dx, from.y + m.dy};
            Cells chain = cellsAlongMove(from, to);
            chain.insert(chain.begin(), from);
            chain.push_back(to);
            for (size_t k = 1; k < chain.size(); ++k) {
                const Cell &a = chain[k - 1], &b = chain[k];
                EXPECT_EQ(std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)), 1)
                    << "move (" << m.dx << ", " << m.dy << ") at " << k;
            }
        }
    }
}

TEST(CellsAlongMove, TakeTheNearerPointOfEachCrossing) {
    const struct {
        Cell to;
        Cells along;
    } cases[] = {{{1, -1}, {}},                              // one cell: nothing between
                 {{2, 1}, {{1, 1}}},                         // halfway: the second point
                 {{3, 1}, {{1, 0}, {2, 1}}},                 // at y 1/3 and 2/3
                 {{5, 4}, {{1, 1}, {2, 2}, {3, 2}, {4, 3}}}, // crossings that share a point
                 {{4, 2}, {}}};                              // no move: twice (2, 1)
    for (const auto& c : cases) {
        EXPECT_EQ(cellsAlongMove({0, 0}, c.to), c.along) << c.to.x << ", " << c.to.y;
    }
}

struct LineCase {
    int startX, startY, endX, endY;
};

// Second method: each drawn cell lies within one cell of the exact line, x runs without gaps,
// and both endpoint cells are drawn when they have quadrilaterals.
// Lines are drawn over the built-in ground.
class StraightLineCellsTest : public SceneTest {};

TEST_F(StraightLineCellsTest, FollowTheExactLine) {
    const LineCase cases[] = {{10, 360, 350, 340}, {0, 0, 363, 363}, {1, 300, 200, 2},
                              {5, 5, 6, 100},      {100, 7, 300, 8}, {0, 363, 363, 0}};
    for (const LineCase& c : cases) {
        const Cells cells = straightLineCells(c.startX, c.startY, c.endX, c.endY);
        ASSERT_EQ(cells.size(), static_cast<size_t>(c.endX - c.startX + 1));
        for (size_t k = 0; k < cells.size(); ++k) {
            const int x = c.startX + static_cast<int>(k);
            const double exact =
                c.startY + (x - c.startX) * double(c.endY - c.startY) / (c.endX - c.startX);
            ASSERT_EQ(cells[k].x, x);
            ASSERT_LT(std::fabs(cells[k].y - exact), 1.0) << x;
        }
        EXPECT_EQ(cells.front(), (Cell{c.startX, c.startY}));
        EXPECT_EQ(cells.back(), (Cell{c.endX, c.endY}));
    }
}

TEST_F(StraightLineCellsTest, ReversedPairDrawsTheSameCells) {
    const LineCase cases[] = {{350, 340, 10, 360}, {200, 2, 1, 300}, {363, 0, 0, 363}};
    for (const LineCase& c : cases) {
        const Cells reversed = straightLineCells(c.startX, c.startY, c.endX, c.endY);
        EXPECT_FALSE(reversed.empty());
        EXPECT_EQ(reversed, straightLineCells(c.endX, c.endY, c.startX, c.startY));
    }
}

TEST_F(StraightLineCellsTest, VerticalLineRunsUpItsColumn) {
    EXPECT_EQ(straightLineCells(4, 9, 4, 6), (Cells{{4, 6}, {4, 7}, {4, 8}, {4, 9}}));
    EXPECT_EQ(straightLineCells(4, 6, 4, 9), (Cells{{4, 6}, {4, 7}, {4, 8}, {4, 9}}));
    EXPECT_EQ(straightLineCells(4, 6, 4, 6), (Cells{{4, 6}}));
    EXPECT_EQ(straightLineCells(4, 362, 4, 364), (Cells{{4, 362}, {4, 363}}));
    EXPECT_EQ(straightLineCells(364, 1, 364, 5), Cells{});
}

// Threshold: index 363 is drawn, 364 is not.
TEST_F(StraightLineCellsTest, LastRowAndColumnAreSkipped) {
    EXPECT_EQ(straightLineCells(362, 10, 364, 10), (Cells{{362, 10}, {363, 10}}));
    EXPECT_EQ(straightLineCells(10, 362, 12, 364), (Cells{{10, 362}, {11, 363}}));
    const Cells diagonal = straightLineCells(1, 1, 364, 364);
    ASSERT_EQ(diagonal.size(), 363u);
    EXPECT_EQ(diagonal.back(), (Cell{363, 363}));
}

TEST_F(StraightLineCellsTest, CellsOutsideTheGridAreSkipped) {
    EXPECT_EQ(straightLineCells(-2, 0, 1, 3), (Cells{{0, 2}, {1, 3}}));
    EXPECT_EQ(straightLineCells(0, -3, 3, 0), (Cells{{3, 0}}));
}

} // namespace
