#include "camera/mouseDrag.h"
#include "camera/camera.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int RELEASED = 1; // GLUT_UP

// One expected camera call: which turn, and its angle in radians.
struct Turn {
    void (Camera::*call)(double);
    double angle;
};

Quaternion targetAfter(const std::vector<Turn>& turns) {
    Camera reference;
    for (const Turn& turn : turns) {
        (reference.*turn.call)(turn.angle);
    }
    return reference.targetOrientation;
}

void expectSame(const Quaternion& actual, const Quaternion& expected) {
    EXPECT_NEAR(actual.w, expected.w, 1e-15);
    EXPECT_NEAR(actual.x, expected.x, 1e-15);
    EXPECT_NEAR(actual.y, expected.y, 1e-15);
    EXPECT_NEAR(actual.z, expected.z, 1e-15);
}

constexpr int NOMINAL = 500; // the window size presses are classified against

void press(MouseDrag& drag, int state, int x, int y) {
    onMouseButton(drag, state, x, y, NOMINAL, NOMINAL);
}

// A drag before any press rolls as the upper right corner does, from the window's corner.
TEST(MouseDrag, StartsAtTheCornerRollingUpperRight) {
    const MouseDrag drag;
    EXPECT_EQ(drag.lastMouseX, 0);
    EXPECT_EQ(drag.lastMouseY, 0);
    EXPECT_EQ(drag.dragMode, RollUpperRight);
}

TEST(MouseDrag, PressesPickTheModeOfTheirRegion) {
    const struct {
        int x;
        int y;
        int mode;
    } cases[] = {
        {499, 0, RollUpperRight}, {499, 499, RollLowerRight}, {0, 499, RollLowerLeft},
        {0, 0, RollUpperLeft},    {250, 250, YawPitch},       {400, 250, YawPitch},
        {1, 250, YawPitch},       {60, 40, RollUpperLeft},    {450, 60, RollUpperRight},
    };
    for (const auto& c : cases) {
        MouseDrag drag;
        drag.dragMode = RollLowerLeft;
        press(drag, MOUSE_PRESSED, c.x, c.y);
        EXPECT_EQ(drag.dragMode, c.mode) << c.x << "," << c.y;
        EXPECT_EQ(drag.lastMouseX, c.x);
        EXPECT_EQ(drag.lastMouseY, c.y);
    }
}

// Outside the circle on a centre line no corner applies, so the previous mode stays; (0, 250)
// lies exactly on the circle, one pixel further in is inside it.
TEST(MouseDrag, PressesOnACentreLineOutsideTheCircleKeepTheMode) {
    const int points[][2] = {{250, 0}, {0, 250}, {500, 250}, {250, 500}};
    for (int previous : {RollLowerRight, RollUpperLeft, YawPitch}) {
        for (const auto& p : points) {
            MouseDrag drag;
            drag.dragMode = previous;
            press(drag, MOUSE_PRESSED, p[0], p[1]);
            EXPECT_EQ(drag.dragMode, previous) << p[0] << "," << p[1];
        }
    }
}

TEST(MouseDrag, ClassificationScalesWithTheGivenSize) {
    EXPECT_EQ(classifyPress(999, 0, 1000, 1000, YawPitch), RollUpperRight);
    EXPECT_EQ(classifyPress(500, 500, 1000, 1000, RollLowerLeft), YawPitch);
    EXPECT_EQ(classifyPress(499, 0, 1000, 1000, YawPitch), RollUpperLeft);
    // A press beyond the nominal 500 x 500 area is still classified against it.
    MouseDrag drag;
    press(drag, MOUSE_PRESSED, 900, 900);
    EXPECT_EQ(drag.dragMode, RollLowerRight);
}

TEST(MouseDrag, ReleaseStoresThePositionButKeepsTheMode) {
    MouseDrag drag;
    press(drag, MOUSE_PRESSED, 250, 250);
    press(drag, RELEASED, 0, 499);
    EXPECT_EQ(drag.dragMode, YawPitch);
    EXPECT_EQ(drag.lastMouseX, 0);
    EXPECT_EQ(drag.lastMouseY, 499);
}

// Dragging from (250, 250) to (240, 263): dx = +10, dy = -13 pixels (previous minus current).
TEST(MouseDrag, EachModeTurnsTheCameraWithItsSign) {
    const struct {
        int mode;
        std::vector<Turn> turns;
    } cases[] = {
        {RollUpperRight, {{&Camera::roll, 0.015}}},
        {RollLowerRight, {{&Camera::roll, 0.115}}},
        {RollLowerLeft, {{&Camera::roll, -0.015}}},
        {RollUpperLeft, {{&Camera::roll, -0.115}}},
        {YawPitch, {{&Camera::pitch, -0.065}, {&Camera::yaw, 0.05}}},
        {5, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Camera subject;
        MouseDrag drag{250, 250, c.mode};
        onMouseDrag(drag, subject, 240, 263);
        expectSame(subject.targetOrientation, targetAfter(c.turns));
        EXPECT_EQ(drag.lastMouseX, 240);
        EXPECT_EQ(drag.lastMouseY, 263);
        EXPECT_EQ(drag.dragMode, c.mode);
    }
}

TEST(MouseDrag, CentrePressThenDragRightPitchesZeroThenYawsLeft) {
    Camera subject;
    MouseDrag drag;
    press(drag, MOUSE_PRESSED, 250, 250);
    onMouseDrag(drag, subject, 260, 250);
    expectSame(subject.targetOrientation,
               targetAfter({{&Camera::pitch, 0.0}, {&Camera::yaw, -0.05}}));
}

TEST(MouseDrag, DragsAccumulateFromTheLastPositionSeen) {
    Camera subject;
    MouseDrag drag;
    press(drag, MOUSE_PRESSED, 499, 0);
    onMouseDrag(drag, subject, 490, 10);
    onMouseDrag(drag, subject, 470, 40);
    expectSame(subject.targetOrientation,
               targetAfter({{&Camera::roll, 0.005}, {&Camera::roll, 0.05}}));
}

TEST(MouseDrag, DragAfterReleaseContinuesTheOldModeFromTheReleasePoint) {
    Camera subject;
    MouseDrag drag;
    press(drag, MOUSE_PRESSED, 250, 250);
    onMouseDrag(drag, subject, 260, 250);
    press(drag, RELEASED, 300, 280);
    onMouseDrag(drag, subject, 310, 284);
    expectSame(subject.targetOrientation, targetAfter({{&Camera::pitch, 0.0},
                                                       {&Camera::yaw, -0.05},
                                                       {&Camera::pitch, -0.02},
                                                       {&Camera::yaw, -0.05}}));
}

TEST(MouseDrag, DragsLeaveTheViewOrientationToTheTimer) {
    Camera subject;
    MouseDrag drag;
    press(drag, MOUSE_PRESSED, 250, 250);
    onMouseDrag(drag, subject, 300, 200);
    EXPECT_EQ(subject.orientation.w, 1.0);
    EXPECT_EQ(subject.orientation.x, 0.0);
    EXPECT_EQ(subject.orientation.y, 0.0);
    EXPECT_EQ(subject.orientation.z, 0.0);
}

} // namespace
