#pragma once
// The fly camera: an eye position, a target orientation that rotations change at once and a
// view orientation that follows it smoothly, and six motion flags applied every timer tick.

#include "camera/quaternion.h"
#include "camera/vector3.h"

constexpr double CAMERA_TICK_STEP = 0.01; // time step of one timer tick
constexpr double ORIENTATION_BLEND = 0.3; // share of the remaining turn the view makes per tick
// A view this close to its target (radians, about a third of a pixel) takes the rest of the
// turn at once, so the picture arrives at the final view and then stays still.
constexpr double SETTLED_ANGLE = 5e-4;

// The nine gluLookAt arguments, in scene units.
struct LookAt {
    Vector3 eye;
    Vector3 centre;
    Vector3 up;
};

// `orientation` turned by `angle` radians about `bodyAxis` as `orientation` sees it (the axis in
// world terms), renormalised so that many small turns do not let its length drift.
Quaternion turnedAbout(const Quaternion& orientation, const Vector3& bodyAxis, double angle);

class Camera {
  public:
    Quaternion targetOrientation;
    Quaternion orientation;
    Vector3 localUp{0.0, 1.0, 0.0};
    Vector3 localRight{1.0, 0.0, 0.0};
    Vector3 localForward{0.0, 0.0, -1.0};
    Vector3 position{0.0, 1.0, 0.0}; // scene units
    double speed = 4.0;              // scene units per unit of tick time
    bool movingForward = false;
    bool movingBackward = false;
    bool movingRight = false;
    bool movingLeft = false;
    bool movingUp = false;
    bool movingDown = false;

    void startForward() { movingForward = true; }
    void startBackward() { movingBackward = true; }
    void startLeft() { movingLeft = true; }
    void startRight() { movingRight = true; }
    void startUp() { movingUp = true; }
    void startDown() { movingDown = true; }
    void stopForward() { movingForward = false; }
    void stopBackward() { movingBackward = false; }
    void stopLeft() { movingLeft = false; }
    void stopRight() { movingRight = false; }
    void stopUp() { movingUp = false; }
    void stopDown() { movingDown = false; }

    // Turn targetOrientation about the camera's current right, up or forward axis; radians, any
    // sign. The view orientation follows over the next ticks.
    void pitch(double angle);
    void yaw(double angle);
    void roll(double angle);

    // Where the flags carry the eye in `dt` units of tick time: `speed * dt` scene units along
    // the flagged axes of targetOrientation, or zero when no flag is set or the flags cancel.
    Vector3 displacement(double dt) const;

    // Moves the eye by displacement(dt) and blends the view orientation ORIENTATION_BLEND of the
    // way towards targetOrientation; within SETTLED_ANGLE of it the view becomes the target.
    void update(double dt);

    // True while a motion flag is set or the view is not yet its target: the next update would
    // change the picture.
    bool isMoving() const;

    // The view for this frame: from the eye one unit along the view orientation's forward axis.
    LookAt viewLookAt() const;

    // Passes viewLookAt() to gluLookAt; needs a current GL context.
    void applyView() const;
};
