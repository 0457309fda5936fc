#include "camera/camera.h"

#include "app/windowState.h"
#include "cameraTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TICK_DISTANCE = 0.04; // default speed 4 times the 0.01 tick
constexpr double TOLERANCE = CAMERA_TOLERANCE;

// Rotation angle (radians) that takes unit quaternion a to unit quaternion b.
double angleBetween(const Quaternion& a, const Quaternion& b) {
    const double dot = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    return 2 * std::acos(std::min(1.0, std::fabs(dot)));
}

double norm(const Quaternion& q) {
    return std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
}

void expectStartPose(const Camera& subject) {
    const LookAt view = subject.viewLookAt();
    expectNear(view.eye, {0.0, 1.0, 0.0}, 0.0);
    expectNear(view.centre, {0.0, 1.0, -1.0}, 0.0);
    expectNear(view.up, {0.0, 1.0, 0.0}, 0.0);
    EXPECT_EQ(subject.speed, 4.0);
    EXPECT_FALSE(subject.movingForward || subject.movingBackward || subject.movingRight ||
                 subject.movingLeft || subject.movingUp || subject.movingDown);
}

TEST(Camera, StartsAtEyeHeightOneLookingDownNegativeZ) {
    expectStartPose(Camera());
}

// The window's camera is built before main, so the timer and callbacks find it ready.
TEST(Camera, WindowCameraExistsInTheStartPose) {
    expectStartPose(windowState.camera);
}

TEST(Camera, StartAndStopEachSetOnlyTheirOwnFlag) {
    struct FlagCase {
        void (Camera::*start)();
        void (Camera::*stop)();
        bool Camera::*flag;
    };
    const FlagCase cases[] = {
        {&Camera::startForward, &Camera::stopForward, &Camera::movingForward},
        {&Camera::startBackward, &Camera::stopBackward, &Camera::movingBackward},
        {&Camera::startLeft, &Camera::stopLeft, &Camera::movingLeft},
        {&Camera::startRight, &Camera::stopRight, &Camera::movingRight},
        {&Camera::startUp, &Camera::stopUp, &Camera::movingUp},
        {&Camera::startDown, &Camera::stopDown, &Camera::movingDown},
    };
    for (const FlagCase& c : cases) {
        Camera subject;
        (subject.*c.start)();
        int setFlags = 0;
        for (const FlagCase& other : cases) {
            setFlags += subject.*other.flag;
        }
        EXPECT_TRUE(subject.*c.flag);
        EXPECT_EQ(setFlags, 1);
        (subject.*c.stop)();
        EXPECT_FALSE(subject.*c.flag);
    }
}

// Every one of the 64 flag combinations, for the start pose and a turned one: a tick moves
// exactly 0.04 along the normalised sum of the flagged body axes, or not at all if they cancel.
TEST(Camera, UpdateMovesOneTickDistanceForEveryNonCancellingFlagSet) {
    Camera turned;
    turned.yaw(0.7);
    turned.pitch(-0.4);
    turned.roll(1.1);
    for (const Quaternion& target : {Quaternion(), turned.targetOrientation}) {
        for (int flags = 0; flags < 64; ++flags) {
            Camera subject;
            subject.targetOrientation = target;
            subject.movingForward = flags & 1;
            subject.movingBackward = flags & 2;
            subject.movingRight = flags & 4;
            subject.movingLeft = flags & 8;
            subject.movingUp = flags & 16;
            subject.movingDown = flags & 32;
            // Body-frame sum: right is +x, up is +y, forward is -z.
            const Vector3 body(subject.movingRight - subject.movingLeft,
                               subject.movingUp - subject.movingDown,
                               subject.movingBackward - subject.movingForward);
            const double bodyLength = body.length();
            const Vector3 start = subject.position;
            subject.update(CAMERA_TICK_STEP);
            const Vector3 moved = subject.position + -start;
            SCOPED_TRACE(flags);
            if (bodyLength == 0.0) {
                expectNear(subject.position, start, 0.0);
                continue;
            }
            EXPECT_NEAR(moved.length(), TICK_DISTANCE, TOLERANCE);
            expectNear(moved, rotate(target, (TICK_DISTANCE / bodyLength) * body));
        }
    }
}

TEST(Camera, DisplacementScalesWithSpeedAndStep) {
    struct StepCase {
        double speed;
        double dt;
        double distance;
    };
    const StepCase cases[] = {
        {4.0, 0.01, 0.04}, {4.0, 0.02, 0.08}, {1.0, 0.01, 0.01}, {4.0, 0.0, 0.0}};
    for (const StepCase& c : cases) {
        Camera subject;
        subject.speed = c.speed;
        subject.startRight();
        expectNear(subject.displacement(c.dt), {c.distance, 0.0, 0.0});
    }
}

TEST(Camera, UpdateWithoutFlagsKeepsPositionButBlendsOrientation) {
    Camera subject;
    subject.yaw(1.0);
    subject.update(CAMERA_TICK_STEP);
    expectNear(subject.position, {0.0, 1.0, 0.0}, 0.0);
    expectNear(subject.orientation, axisAngle({0.0, 1.0, 0.0}, 0.3));
}

TEST(Camera, RemainingTurnFallsToSeventyThenFortyNinePercent) {
    for (double angle : {0.1, 0.5, 1.0, -2.0, 3.0}) {
        SCOPED_TRACE(angle);
        Camera subject;
        subject.yaw(angle);
        EXPECT_NEAR(angleBetween(subject.orientation, subject.targetOrientation), std::fabs(angle),
                    1e-9);
        subject.update(CAMERA_TICK_STEP);
        EXPECT_NEAR(angleBetween(subject.orientation, subject.targetOrientation),
                    0.7 * std::fabs(angle), 1e-9);
        EXPECT_NEAR(norm(subject.orientation), 1.0, TOLERANCE);
        subject.update(CAMERA_TICK_STEP);
        EXPECT_NEAR(angleBetween(subject.orientation, subject.targetOrientation),
                    0.49 * std::fabs(angle), 1e-9);
    }
}

TEST(Camera, OrientationSettlesOnTheTargetAfterManyTicks) {
    Camera subject;
    subject.pitch(0.8);
    subject.roll(-0.3);
    for (int tick = 0; tick < 200; ++tick) {
        subject.update(CAMERA_TICK_STEP);
    }
    EXPECT_LT(angleBetween(subject.orientation, subject.targetOrientation), 1e-9);
}

// Motion uses the target at once while the view keeps the old orientation until the tick.
TEST(Camera, MotionFollowsTheTargetImmediatelyAfterATurn) {
    Camera subject;
    subject.yaw(PI / 2);
    subject.startForward();
    const LookAt before = subject.viewLookAt();
    expectNear(before.centre, {0.0, 1.0, -1.0}, 0.0);
    subject.update(CAMERA_TICK_STEP);
    expectNear(subject.position, {-TICK_DISTANCE, 1.0, 0.0});
}

// Each turn is about the camera's current body axis: the same as composing body-frame turns on
// the right of the orientation.
TEST(Camera, TurnsAreAboutTheCurrentBodyAxes) {
    Camera subject;
    Quaternion expected;
    const Vector3 right(1, 0, 0), up(0, 1, 0), forward(0, 0, -1);
    const struct {
        void (Camera::*turn)(double);
        Vector3 bodyAxis;
        double angle;
    } steps[] = {{&Camera::yaw, up, 0.9},       {&Camera::pitch, right, -0.6},
                 {&Camera::roll, forward, 2.1}, {&Camera::yaw, up, -1.3},
                 {&Camera::pitch, right, 0.25}, {&Camera::roll, forward, -0.05}};
    for (const auto& step : steps) {
        (subject.*step.turn)(step.angle);
        expected = expected * axisAngle(step.bodyAxis, step.angle);
        expectNear(subject.targetOrientation, expected);
    }
}

TEST(Camera, PitchTurnsForwardAboutWorldXFromTheStartPose) {
    for (double angle : {0.3, -1.0, 2.5}) {
        Camera subject;
        subject.pitch(angle);
        expectNear(rotate(subject.targetOrientation, subject.localForward),
                   rodrigues({1.0, 0.0, 0.0}, angle, {0.0, 0.0, -1.0}));
        expectNear(subject.orientation, Quaternion(), 0.0);
    }
}

TEST(Camera, TurnsKeepTheTargetAtUnitLength) {
    Camera subject;
    subject.targetOrientation = Quaternion(2.0, 0.0, 0.0, 0.0);
    subject.yaw(0.0);
    expectNear(subject.targetOrientation, Quaternion(), 0.0);
}

TEST(Camera, ViewLooksOneUnitAlongTheBlendedForwardAxis) {
    Camera subject;
    subject.position = Vector3(1.0, 2.0, 3.0);
    subject.yaw(PI / 2);
    subject.orientation = subject.targetOrientation;
    const LookAt view = subject.viewLookAt();
    expectNear(view.eye, {1.0, 2.0, 3.0}, 0.0);
    expectNear(view.centre, {0.0, 2.0, 3.0});
    expectNear(view.up, {0.0, 1.0, 0.0});
    subject.roll(PI / 2);
    subject.orientation = subject.targetOrientation;
    expectNear(subject.viewLookAt().up, {0.0, 0.0, -1.0});
}

} // namespace
