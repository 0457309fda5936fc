#include "app/keyboard.h"

#include "app/options.h"
#include "render/panel.h"

#include "app/settings.h"
#include "app/windowState.h"
#include "keyboardTestConsole.h"
#include "planner/planningGrid.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

const std::string PROMPT = "\nPlease enter in start_x, start_y, end_x, end_y: ";
const std::string RANGE_MESSAGE = "Some of the input values exceed the range.\n";
const std::string DEFAULT_ECHO = "\nUPDATED DATA\n"
                                 "Speed (mph):                   55.000000\n"
                                 "Number of Distance Rings:      15.000000\n"
                                 "Number of Distance Increment:  1000.000000\n"
                                 "Number of Energy Rings:        10.000000\n"
                                 "Number of Energy Increment:    50000.000000\n";
constexpr float MARKER_COST = 123.0f; // a value no sweep leaves at a start cell

class CellDialogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        sceneDirty = false;
        landscapeRun.timed = false;
        useBuiltInGround();
    }

    void expectDefaultCells() const {
        EXPECT_EQ(settings.startX, 10);
        EXPECT_EQ(settings.startY, 360);
        EXPECT_EQ(settings.endX, 350);
        EXPECT_EQ(settings.endY, 340);
    }
};

// A cell picked in the window replaces one end and takes the dialogue's path, without a prompt.
TEST_F(CellDialogueTest, PickedCellsReplanLikeAnEntry) {
    useBuiltInGround();
    buildStepTable();
    CapturedConsole captured;
    submitPickedCell(PickedEnd::End, 20, 30, captured.console().out);
    EXPECT_EQ(captured.text(), DEFAULT_ECHO);
    submitPickedCell(PickedEnd::Start, 0, 5, captured.console().out);
    EXPECT_EQ(captured.text(), DEFAULT_ECHO + RANGE_MESSAGE + DEFAULT_ECHO);
    distanceTable[5][6] = MARKER_COST;
    submitPickedCell(PickedEnd::Start, 5, 6, captured.console().out);
    EXPECT_EQ(settings.startX, 5);
    EXPECT_EQ(settings.startY, 6);
    EXPECT_EQ(settings.endX, 20);
    EXPECT_EQ(settings.endY, 30);
    EXPECT_EQ(distanceTable[5][6], 0.0f);
    EXPECT_TRUE(sceneDirty);
}

// Via points picked in the window join the trip before the end, in order, up to the limit; a
// cell the start/end entry refuses is refused as a via point too, the trip kept.
TEST_F(CellDialogueTest, PickedViaPointsJoinTheTripInOrder) {
    CapturedConsole captured;
    EXPECT_EQ(submitPickedCell(PickedEnd::Via, 100, 200, captured.console().out), "");
    EXPECT_EQ(submitPickedCell(PickedEnd::Via, 300, 41, captured.console().out), "");
    EXPECT_EQ(captured.text(),
              DEFAULT_ECHO + "Via: (100, 200)\n" + DEFAULT_ECHO + "Via: (100, 200), (300, 41)\n");
    EXPECT_EQ(landscapeRun.trip.at(0).legs.size(), 3u);
    EXPECT_NE(submitPickedCell(PickedEnd::Via, 0, 41, captured.console().out), "");
    settings.via.assign(MOST_VIA_POINTS, {100, 200});
    EXPECT_NE(submitPickedCell(PickedEnd::Via, 300, 41, captured.console().out), "");
    EXPECT_EQ(settings.via.size(), static_cast<std::size_t>(MOST_VIA_POINTS));
    EXPECT_EQ(editedVia({{1, 1}, {2, 2}, {3, 3}}, 0, ViaEdit::Down),
              (std::vector<Cell>{{2, 2}, {1, 1}, {3, 3}}));
    EXPECT_EQ(editedVia({{1, 1}, {2, 2}}, 0, ViaEdit::Up), (std::vector<Cell>{{1, 1}, {2, 2}}));
    EXPECT_EQ(editedVia({{1, 1}, {2, 2}}, 1, ViaEdit::Remove), (std::vector<Cell>{{1, 1}}));
    settings.via.clear();
}

// A new end of the plan at hand is walked at once; a new start, or new steps, plan again.
TEST_F(CellDialogueTest, OnlyANewStartOrNewStepsPlanAgain) {
    useBuiltInGround();
    CapturedConsole captured;
    submitPickedCell(PickedEnd::Start, 5, 6, captured.console().out);
    for (const auto& [end, x, y, replanned] :
         {std::tuple{PickedEnd::End, 20, 30, false}, std::tuple{PickedEnd::Start, 5, 6, false},
          std::tuple{PickedEnd::Start, 7, 7, true}}) {
        distanceTable[9][9] = MARKER_COST;
        submitPickedCell(end, x, y, captured.console().out);
        EXPECT_EQ(distanceTable[9][9] != MARKER_COST, replanned) << x << ", " << y;
    }
    distanceTable[9][9] = MARKER_COST;
    submitMoves(16, captured.console().out);
    EXPECT_NE(distanceTable[9][9], MARKER_COST);
    submitMoves(NEIGHBOUR_COUNT, captured.console().out);
}

TEST_F(CellDialogueTest, AcceptedEntryStoresTheCellsAndRerunsTheSweep) {
    useBuiltInGround();
    buildStepTable();
    distanceTable[1][1] = MARKER_COST;
    energyTable[1][1] = MARKER_COST;
    CapturedConsole captured("1 1 364 364\n");

    handleKeyDown('p', captured.console());

    EXPECT_EQ(settings.startX, 1);
    EXPECT_EQ(settings.startY, 1);
    EXPECT_EQ(settings.endX, 364);
    EXPECT_EQ(settings.endY, 364);
    EXPECT_EQ(distanceTable[1][1], 0.0f);
    EXPECT_EQ(energyTable[1][1], 0.0f);
    EXPECT_EQ(captured.text(), PROMPT + DEFAULT_ECHO);
    EXPECT_TRUE(sceneDirty);
}

TEST_F(CellDialogueTest, RejectedEntriesChangeNeitherCellsNorTables) {
    const char* inputs[] = {"0 5 5 5\n",          "5 5 5 365\n", "12abc 5 5 5\n", "5 5 5",     "",
                            "2147483648 5 5 5\n", "a b c d\n",   "-1 5 5 5\n",    "08 5 5 5\n"};
    for (const char* input : inputs) {
        settings = Settings{};
        sceneDirty = false;
        distanceTable[5][5] = MARKER_COST;
        CapturedConsole captured(input);

        handleKeyDown('p', captured.console());

        expectDefaultCells();
        EXPECT_EQ(distanceTable[5][5], MARKER_COST) << input;
        EXPECT_EQ(captured.text(), PROMPT + RANGE_MESSAGE + DEFAULT_ECHO) << input;
        EXPECT_TRUE(sceneDirty) << input;
    }
}

TEST_F(CellDialogueTest, PanelRefusesCellsOutOfRangeOrWithoutGround) {
    useGround(BUILT_IN_SHAPE, [](int x, int y) {
        return x == 20 && y == 30 ? NAN : static_cast<float>(heightMap[x][y]);
    });
    const std::pair<RouteEnds, std::string> cases[] = {
        {{10, 360, 350, 340}, ""},
        {{0, 360, 350, 340}, "Refused: cells are 1..364"},
        {{10, 360, 350, 365}, "Refused: cells are 1..364"},
        {{20, 30, 350, 340}, "Refused: no ground at (20, 30)"},
        {{10, 360, 20, 30}, "Refused: no ground at (20, 30)"}};
    for (const auto& [entry, refusal] : cases) {
        EXPECT_EQ(cellEntryRefusal(entry), refusal) << entry.startX << " " << entry.endY;
    }
    useBuiltInGround();
}

TEST_F(CellDialogueTest, PanelRefusesVehiclesWhoseEnergiesPassTheUnreachedMarker) {
    const std::tuple<float, float, std::string> cases[] = {
        {2000.0f, 0.015f, ""},
        {1e31f, 0.0f, "Refused: the mass is above 0 and at most 1e+30 kg"},
        {1325.0f, 1e31f, "Refused: the rolling coefficient is 0 to 1e+30"},
        {1325.0f, 1e30f,
         "Refused: with this mass and rolling a route's energy could pass 1e+35 J"}};
    for (const auto& [mass, rolling, refusal] : cases) {
        Vehicle v;
        v.vehicleMass = mass;
        v.rolling = rolling;
        EXPECT_EQ(vehicleRefusal(v), refusal) << mass << " " << rolling;
    }
    for (const auto& [kmh, kw, refusal] :
         {std::tuple{90.0, 75.0, ""},
          {0.0, 0.0, "Refused: the top speed is above 0 and at most 1e+30 km/h"},
          {90.0, -1.0, "Refused: the power is 0 (none) or above 0 and at most 1e+30 kW"}}) {
        Vehicle v;
        std::tie(v.topSpeedKmh, v.powerKw) = std::pair{kmh, kw};
        EXPECT_EQ(vehicleRefusal(v), refusal) << kmh << " " << kw;
    }
    for (const double side : {-1.0, 100.5}) {
        Vehicle v;
        v.sideSlopePercent = side;
        EXPECT_EQ(vehicleRefusal(v),
                  "Refused: the side slope is 0 (none) or above 0 and at most 100 %");
    }
}

// 't' times the plans once and for good: 'm' leaves for the energy view, and a second 't' finds
// the tables timed and keeps them. Only the time view's echo names its rings.
TEST_F(CellDialogueTest, TimeKeyTimesThePlansOnce) {
    computeRoutes(); // untimed
    const std::string timeEcho = DEFAULT_ECHO + "Number of Time Rings:          12.000000\n"
                                                "Number of Time Increment:      5.000000\n";
    for (const auto& [key, view, echo] :
         {std::tuple{'t', Time, timeEcho}, std::tuple{'m', Energy, DEFAULT_ECHO},
          std::tuple{'t', Time, timeEcho}}) {
        landscapeRun.tables.time[5][6] = MARKER_COST;
        CapturedConsole captured;
        handleKeyDown(key, captured.console());
        EXPECT_EQ(settings.viewMode, view) << key;
        EXPECT_EQ(captured.text(), echo) << key;
        EXPECT_TRUE(landscapeRun.timed && planningGrid.timed && landscapeRun.tables.timed) << key;
        EXPECT_EQ(landscapeRun.tables.time[settings.startX][settings.startY], 0.0f) << key;
    }
    EXPECT_EQ(landscapeRun.tables.time[5][6], MARKER_COST); // the last 't' did not replan
}

TEST_F(CellDialogueTest, PanelRefusesRingsOutsideWhatTheKeysReach) {
    const std::tuple<float, float, std::string> cases[] = {
        {15.0f, 2500.0f, ""},
        {100.0f, 0.5f, ""},
        {101.0f, 1000.0f, "Refused: the rings number 0 to 100"},
        {-1.0f, 1000.0f, "Refused: the rings number 0 to 100"},
        {15.0f, 0.0f, "Refused: a ring is wider than 0 and narrower than 1e+35"},
        {15.0f, 1e36f, "Refused: a ring is wider than 0 and narrower than 1e+35"}};
    for (const auto& [rings, width, refusal] : cases) {
        EXPECT_EQ(ringRefusal(rings, width), refusal) << rings << " " << width;
    }
}

TEST_F(CellDialogueTest, AfterEndOfInputEveryPressIsRejectedAtOnce) {
    CapturedConsole captured("5 6");
    for (int press = 0; press < 3; ++press) {
        handleKeyDown('p', captured.console());
    }
    expectDefaultCells();
    const std::string once = PROMPT + RANGE_MESSAGE + DEFAULT_ECHO;
    EXPECT_EQ(captured.text(), once + once + once);
}

// The temporary directory keeps the export's files out of the build tree.
class ExportKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        previous_ = std::filesystem::current_path();
        char pattern[] = "/tmp/keyboardExportXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory_ = pattern;
        std::filesystem::current_path(directory_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(directory_);
    }

    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

TEST_F(ExportKeyTest, PrintsItsLineThenTheEcho) {
    CapturedConsole captured;
    handleKeyDown('P', captured.console());
    EXPECT_EQ(captured.text(), "\nPrinting distance table...\n" + DEFAULT_ECHO);
    EXPECT_TRUE(sceneDirty);
}

TEST_F(CellDialogueTest, PlannerKeyTogglesPrintsReplansThenEchoes) {
    useBuiltInGround();
    buildStepTable();
    const struct {
        PlannerKind after;
        const char* line;
    } presses[] = {{PlannerKind::Exact, "\nPlanner: exact least cost\n"},
                   {PlannerKind::Sweep, "\nPlanner: single spiral sweep\n"}};
    for (const auto& press : presses) {
        distanceTable[settings.startX][settings.startY] = MARKER_COST;
        CapturedConsole captured;
        handleKeyDown('e', captured.console());
        EXPECT_EQ(settings.planner, press.after);
        EXPECT_EQ(distanceTable[settings.startX][settings.startY], 0.0f);
        EXPECT_EQ(captured.text(), press.line + DEFAULT_ECHO);
        EXPECT_TRUE(sceneDirty);
    }
}

} // namespace
