#pragma once
// The fly camera: an eye position, a target orientation that rotations change at once and a
// view orientation that follows it smoothly, and six motion flags applied every timer tick.

#include "camera/quaternion.h"
#include "camera/vector3.h"

constexpr double CAMERA_TICK_STEP = 0.01;  // time step of one timer tick
constexpr double ORIENTATION_BLEND = 0.3;  // share of the remaining turn the view makes per tick

class Camera {
  public:
    Quaternion targetOrientation;
    Quaternion orientation;
    Vector3 localUp{0.0, 1.0, 0.0};
    Vector3 localRight{1.0, 0.0, 0.0};
    Vector3 localForward{0.0, 0.0, -1.0};
    Vector3 position{0.0, 1.0, 0.0};  // scene units
    double speed = 4.0;               // scene units per unit of tick time
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

    // Turns targetOrientation about the camera's current right, up or forward axis; radians.
    void pitch(double angle);
    void yaw(double angle);
    void roll(double angle);

    // Moves the eye along the flagged axes at `speed` and blends the view orientation.
    void update(double dt);

    // Sets the OpenGL view for this frame (the camera's one GL call).
    void applyView() const;
};

extern Camera camera;
