#include "app/keyboard.h"
#include "app/currentRun.h"

#include "app/planning.h"
#include "app/settings.h"
#include "app/windowState.h"
#include "camera/camera.h"
#include "keyboardTestConsole.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string echoOf(const Settings& s) {
    const Settings saved = settings;
    settings = s;
    CapturedConsole captured;
    printSettingsEcho(captured.console().out);
    settings = saved;
    return captured.text();
}

void expectSameSettings(const Settings& actual, const Settings& expected, const char* name) {
    EXPECT_EQ(actual.viewMode, expected.viewMode) << name;
    EXPECT_EQ(actual.sceneOffset.x, expected.sceneOffset.x) << name;
    EXPECT_EQ(actual.sceneOffset.y, expected.sceneOffset.y) << name;
    EXPECT_EQ(actual.sceneOffset.z, expected.sceneOffset.z) << name;
    EXPECT_EQ(actual.sceneRotation.x, expected.sceneRotation.x) << name;
    EXPECT_EQ(actual.sceneRotation.y, expected.sceneRotation.y) << name;
    EXPECT_EQ(actual.sceneRotation.z, expected.sceneRotation.z) << name;
    EXPECT_EQ(actual.startX, expected.startX) << name;
    EXPECT_EQ(actual.startY, expected.startY) << name;
    EXPECT_EQ(actual.endX, expected.endX) << name;
    EXPECT_EQ(actual.endY, expected.endY) << name;
    EXPECT_EQ(actual.distanceRings, expected.distanceRings) << name;
    EXPECT_EQ(actual.distanceIncrement, expected.distanceIncrement) << name;
    EXPECT_EQ(actual.speedMph, expected.speedMph) << name;
    EXPECT_EQ(actual.vehicle, expected.vehicle) << name;
    EXPECT_EQ(actual.energyRings, expected.energyRings) << name;
    EXPECT_EQ(actual.energyIncrement, expected.energyIncrement) << name;
    EXPECT_EQ(actual.timeRings, expected.timeRings) << name;
    EXPECT_EQ(actual.timeIncrement, expected.timeIncrement) << name;
    EXPECT_EQ(actual.windowWidth, expected.windowWidth) << name;
    EXPECT_EQ(actual.windowHeight, expected.windowHeight) << name;
    EXPECT_EQ(actual.panelVisible, expected.panelVisible) << name;
}

class KeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        camera = Camera{};
        sceneDirty = false;
    }
    // Later tests expect the process-wide state of a fresh run.
    void TearDown() override {
        settings = Settings{};
        camera = Camera{};
    }
};

using Adjust = void (*)(Settings&);

struct CommandCase {
    const char* name;
    unsigned char key;
    Adjust before; // applied to the defaults
    Adjust change; // applied to `before` gives the expected settings
};

void nothing(Settings&) {}
void timeView(Settings& s) {
    s.viewMode = Time;
}
ViewMode otherMode() {
    return static_cast<ViewMode>(4);
}

const CommandCase COMMAND_CASES[] = {
    {"x", 'x', nothing, [](Settings& s) { s.sceneOffset.x = -0.75f; }},
    {"X", 'X', nothing, [](Settings& s) { s.sceneOffset.x = -0.25f; }},
    {"y", 'y', nothing, [](Settings& s) { s.sceneOffset.y = 2.0f; }},
    {"Y", 'Y', nothing, [](Settings& s) { s.sceneOffset.y = 2.5f; }},
    {"z", 'z', nothing, [](Settings& s) { s.sceneOffset.z = -2.75f; }},
    {"Z", 'Z', nothing, [](Settings& s) { s.sceneOffset.z = -2.25f; }},
    {"] distance", ']', nothing, [](Settings& s) { s.distanceRings = 16.0f; }},
    {"] at 99", ']', [](Settings& s) { s.distanceRings = 99.0f; },
     [](Settings& s) { s.distanceRings = 100.0f; }},
    {"] at 100", ']', [](Settings& s) { s.distanceRings = 100.0f; }, nothing},
    {"] at 99.5", ']', [](Settings& s) { s.distanceRings = 99.5f; },
     [](Settings& s) { s.distanceRings = 100.5f; }},
    {"] energy", ']', [](Settings& s) { s.viewMode = Energy; },
     [](Settings& s) { s.energyRings = 11.0f; }},
    {"] energy at 100", ']',
     [](Settings& s) {
         s.viewMode = Energy;
         s.energyRings = 100.0f;
     },
     nothing},
    {"] other mode acts on energy", ']', [](Settings& s) { s.viewMode = otherMode(); },
     [](Settings& s) { s.energyRings = 11.0f; }},
    {"[ distance", '[', nothing, [](Settings& s) { s.distanceRings = 14.0f; }},
    {"[ at 1", '[', [](Settings& s) { s.distanceRings = 1.0f; },
     [](Settings& s) { s.distanceRings = 0.0f; }},
    {"[ at 0.5", '[', [](Settings& s) { s.distanceRings = 0.5f; },
     [](Settings& s) { s.distanceRings = -0.5f; }},
    {"[ at 0", '[', [](Settings& s) { s.distanceRings = 0.0f; }, nothing},
    {"[ energy", '[', [](Settings& s) { s.viewMode = Energy; },
     [](Settings& s) { s.energyRings = 9.0f; }},
    {"[ energy at 0", '[',
     [](Settings& s) {
         s.viewMode = Energy;
         s.energyRings = 0.0f;
     },
     nothing},
    {"} distance", '}', nothing, [](Settings& s) { s.distanceIncrement = 1100.0f; }},
    {"} energy", '}', [](Settings& s) { s.viewMode = Energy; },
     [](Settings& s) { s.energyIncrement = 100000.0f; }},
    {"} has no cap", '}', [](Settings& s) { s.distanceIncrement = 1e9f; },
     [](Settings& s) { s.distanceIncrement = 1e9f + 100.0f; }},
    {"{ distance", '{', nothing, [](Settings& s) { s.distanceIncrement = 900.0f; }},
    {"{ distance at 50", '{', [](Settings& s) { s.distanceIncrement = 50.0f; },
     [](Settings& s) { s.distanceIncrement = -50.0f; }},
    {"{ distance at -50", '{', [](Settings& s) { s.distanceIncrement = -50.0f; }, nothing},
    {"{ distance at 0", '{', [](Settings& s) { s.distanceIncrement = 0.0f; }, nothing},
    {"{ energy at 50000", '{', [](Settings& s) { s.viewMode = Energy; },
     [](Settings& s) { s.energyIncrement = 0.0f; }},
    {"{ energy at 0", '{',
     [](Settings& s) {
         s.viewMode = Energy;
         s.energyIncrement = 0.0f;
     },
     nothing},
    {"m distance to energy", 'm', nothing, [](Settings& s) { s.viewMode = Energy; }},
    {"m energy to distance", 'm', [](Settings& s) { s.viewMode = Energy; },
     [](Settings& s) { s.viewMode = Distance; }},
    {"m other to energy", 'm', [](Settings& s) { s.viewMode = otherMode(); },
     [](Settings& s) { s.viewMode = Energy; }},
    {"m zero to energy", 'm', [](Settings& s) { s.viewMode = static_cast<ViewMode>(0); },
     [](Settings& s) { s.viewMode = Energy; }},
    {"m time to energy", 'm', timeView, [](Settings& s) { s.viewMode = Energy; }},
    {"] time", ']', timeView, [](Settings& s) { s.timeRings = 13.0f; }},
    {"[ time", '[', timeView, [](Settings& s) { s.timeRings = 11.0f; }},
    {"} time", '}', timeView, [](Settings& s) { s.timeIncrement = 6.0f; }},
    {"{ time", '{', timeView, [](Settings& s) { s.timeIncrement = 4.0f; }},
    {"S", 'S', nothing, [](Settings& s) { s.speedMph = 60.0f; }},
    {"v brings the offset home", 'v',
     [](Settings& s) {
         s.sceneOffset = {1.0f, -2.0f, 3.0f};
     },
     [](Settings& s) { s.sceneOffset = Settings{}.sceneOffset; }},
    {"h shows", 'h', nothing, [](Settings& s) { s.panelVisible = true; }},
    {"h hides", 'h', [](Settings& s) { s.panelVisible = true; },
     [](Settings& s) { s.panelVisible = false; }},
    {"H", 'H', nothing, nothing},
    {"W", 'W', nothing, nothing},
    {"A", 'A', nothing, nothing},
    {"D", 'D', nothing, nothing},
    {"R", 'R', nothing, nothing},
    {"F", 'F', nothing, nothing},
    {"M", 'M', nothing, nothing},
    {"q", 'q', nothing, nothing},
    {"digit", '1', nothing, nothing},
    {"minus", '-', nothing, nothing},
    {"plus", '+', nothing, nothing},
    {"space", ' ', nothing, nothing},
    {"escape", 27, nothing, nothing},
    {"NUL", 0, nothing, nothing},
    {"byte 255", 255, nothing, nothing},
};

TEST_F(KeyboardTest, CommandKeysChangeSettingsThenEchoAndMarkTheScene) {
    for (const CommandCase& c : COMMAND_CASES) {
        Settings before;
        c.before(before);
        Settings expected = before;
        c.change(expected);
        settings = before;
        camera = Camera{};
        sceneDirty = false;

        CapturedConsole captured;
        handleKeyDown(c.key, captured.console());

        expectSameSettings(settings, expected, c.name);
        EXPECT_EQ(captured.text(), echoOf(expected)) << c.name;
        EXPECT_TRUE(sceneDirty) << c.name;
        EXPECT_FALSE(camera.movingForward || camera.movingBackward || camera.movingLeft ||
                     camera.movingRight || camera.movingUp || camera.movingDown)
            << c.name;
    }
}

TEST_F(KeyboardTest, HomeKeyBringsBackTheFirstCamera) {
    camera.startForward();
    camera.update(1.0);
    camera.yaw(0.5);
    CapturedConsole captured;
    handleKeyDown('v', captured.console());
    const Camera first;
    EXPECT_EQ(camera.position.z, first.position.z);
    EXPECT_EQ(camera.targetOrientation.w, first.targetOrientation.w);
    EXPECT_EQ(camera.orientation.w, first.orientation.w);
    EXPECT_FALSE(camera.isMoving());
}

TEST_F(KeyboardTest, EchoBlockHasItsExactBytes) {
    CapturedConsole captured;
    handleKeyDown('S', captured.console());
    EXPECT_EQ(captured.text(), "\nUPDATED DATA\n"
                               "Speed (mph):                   60.000000\n"
                               "Number of Distance Rings:      15.000000\n"
                               "Number of Distance Increment:  1000.000000\n"
                               "Number of Energy Rings:        10.000000\n"
                               "Number of Energy Increment:    50000.000000\n");
}

TEST_F(KeyboardTest, EchoPrintsFractionsAndNegativesWithSixDecimals) {
    settings.distanceRings = -0.5f;
    settings.distanceIncrement = -50.0f;
    settings.speedMph = 1e9f;
    settings.energyRings = 100.5f;
    settings.energyIncrement = 0.1f;
    CapturedConsole captured;
    printSettingsEcho(captured.console().out);
    EXPECT_EQ(captured.text(), "\nUPDATED DATA\n"
                               "Speed (mph):                   1000000000.000000\n"
                               "Number of Distance Rings:      -0.500000\n"
                               "Number of Distance Increment:  -50.000000\n"
                               "Number of Energy Rings:        100.500000\n"
                               "Number of Energy Increment:    0.100000\n");
}

// A vehicle other than the default adds one line after the five (the default one, none: above).
TEST_F(KeyboardTest, EchoNamesAVehicleOtherThanTheDefault) {
    settings.vehicle.gradeUpPercent = 15.0;
    settings.vehicle.gradeDownPercent = 12.5;
    settings.vehicle.rolling = 0.015f;
    CapturedConsole captured;
    printSettingsEcho(captured.console().out);
    const std::string text = captured.text();
    EXPECT_EQ(text.substr(text.find("Number of Energy Increment")),
              "Number of Energy Increment:    50000.000000\n"
              "Vehicle: grade 15.0 % up, 12.5 % down, 1325 kg, descent 1.00, rolling 0.015\n");
    settings.vehicle.topSpeedKmh = 60.0;
    settings.vehicle.powerKw = 75.5;
    CapturedConsole faster;
    printSettingsEcho(faster.console().out);
    EXPECT_NE(faster.text().find("rolling 0.015, top speed 60 km/h, power 75.5 kW\n"),
              std::string::npos);
    // A side slope alone is a vehicle other than the default too.
    settings.vehicle = Vehicle{};
    settings.vehicle.sideSlopePercent = 30.0;
    CapturedConsole leaning;
    printSettingsEcho(leaning.console().out);
    EXPECT_NE(leaning.text().find("Vehicle: grade 7.0 % up, 7.0 % down, 1325 kg, descent 1.00, "
                                  "rolling 0, side slope 30.0 %\n"),
              std::string::npos);
}

TEST_F(KeyboardTest, EchoNamesMovesOtherThanTheGrounds) {
    const struct {
        int moves, groundMoves;
        const char* line;
    } cases[] = {{8, 8, ""}, {48, 8, "Moves: 48\n"}, {48, 48, ""}, {8, 48, "Moves: 8\n"}};
    for (const auto& c : cases) {
        EXPECT_EQ(movesEchoLine(c.moves, c.groundMoves), c.line) << c.moves << " " << c.groundMoves;
    }
}

TEST_F(KeyboardTest, SpeedOnlyRises) {
    CapturedConsole captured;
    for (unsigned char key : {'S', 'S', 's', 'S'}) {
        handleKeyDown(key, captured.console());
    }
    EXPECT_EQ(settings.speedMph, 70.0f);
}

struct MovementCase {
    unsigned char key;
    bool Camera::*started;
    bool Camera::*opposite;
};

const MovementCase MOVEMENT_CASES[] = {
    {'w', &Camera::movingForward, &Camera::movingBackward},
    {'s', &Camera::movingBackward, &Camera::movingForward},
    {'d', &Camera::movingRight, &Camera::movingLeft},
    {'a', &Camera::movingLeft, &Camera::movingRight},
    {'r', &Camera::movingUp, &Camera::movingDown},
    {'f', &Camera::movingDown, &Camera::movingUp},
};

int movingFlagCount() {
    return camera.movingForward + camera.movingBackward + camera.movingRight + camera.movingLeft +
           camera.movingUp + camera.movingDown;
}

TEST_F(KeyboardTest, MovementKeyStopsTheOppositeAndStartsItsOwnSilently) {
    for (const MovementCase& c : MOVEMENT_CASES) {
        camera = Camera{};
        camera.*c.opposite = true;
        sceneDirty = false;
        CapturedConsole captured;

        handleKeyDown(c.key, captured.console());

        EXPECT_TRUE(camera.*c.started) << c.key;
        EXPECT_FALSE(camera.*c.opposite) << c.key;
        EXPECT_EQ(movingFlagCount(), 1) << c.key;
        EXPECT_EQ(captured.text(), "") << c.key;
        EXPECT_FALSE(sceneDirty) << c.key;
        expectSameSettings(settings, Settings{}, "movement");
    }
}

TEST_F(KeyboardTest, MovementKeyUpStopsOnlyItsOwnMotion) {
    for (const MovementCase& c : MOVEMENT_CASES) {
        camera = Camera{};
        camera.movingForward = camera.movingBackward = camera.movingRight = true;
        camera.movingLeft = camera.movingUp = camera.movingDown = true;

        handleKeyUp(c.key);

        EXPECT_FALSE(camera.*c.started) << c.key;
        EXPECT_EQ(movingFlagCount(), 5) << c.key;
        EXPECT_FALSE(sceneDirty) << c.key;
    }
}

TEST_F(KeyboardTest, OtherKeyUpChangesNothing) {
    camera.movingForward = camera.movingLeft = camera.movingUp = true;
    for (unsigned char key : {'W', 'S', 'x', 'p', 'P', 'm', ' ', '\0'}) {
        handleKeyUp(key);
    }
    EXPECT_EQ(movingFlagCount(), 3);
    expectSameSettings(settings, Settings{}, "key up");
    EXPECT_FALSE(sceneDirty);
}

TEST_F(KeyboardTest, HoldingForwardThenPressingBackwardLeavesOnlyBackward) {
    CapturedConsole captured;
    handleKeyDown('w', captured.console());
    handleKeyDown('s', captured.console());
    EXPECT_FALSE(camera.movingForward);
    EXPECT_TRUE(camera.movingBackward);
    handleKeyUp('s');
    EXPECT_FALSE(camera.movingForward);
    EXPECT_FALSE(camera.movingBackward);
}

TEST_F(KeyboardTest, UpperCaseMovementLettersDoNotSteer) {
    CapturedConsole captured;
    for (unsigned char key : {'W', 'A', 'D', 'R', 'F'}) {
        handleKeyDown(key, captured.console());
    }
    EXPECT_EQ(movingFlagCount(), 0);
}

// The view's words for the planner's progress lines, and before the first of them.
TEST(PlanningText, ViewSaysHowFarThePlanHasCome) {
    for (const auto& [line, shown] :
         {std::pair{"Planning: 40 % of 16000000 cells", "Planning 40 %"},
          std::pair{"Planning: 100 % of 1048576 cells", "Planning 100 %"},
          std::pair{"", "Planning 0 %"}}) {
        EXPECT_EQ(viewProgressText(line), shown) << line;
    }
}

} // namespace
