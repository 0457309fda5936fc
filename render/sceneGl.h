#pragma once
// The frame: view, light and scene transform, the compiled scene list drawn from the scene
// data, and the pixel-to-cell probe that picking and hovering use. What the GL side keeps from
// one frame to the next is a SceneGlState the window owns and passes in.

#include "render/scene.h"
#include "render/view.h"

#include <optional>

class Camera;

// The matrices the mesh is drawn with in a frame (GLdouble and GLint), kept so that a pixel can
// be turned back into a cell after the frame moved on to the panel.
struct MeshMatrices {
    double modelview[16] = {};
    double projection[16] = {};
    int viewport[4] = {};
};

struct SceneGlState {
    bool sceneDirty = false;    // the next frame must rebuild sceneList
    unsigned int sceneList = 0; // OpenGL display-list name of the compiled scene (a GLuint)
    Scene scene;                // the scene sceneList was compiled from
    int currentViewWidth = START_WINDOW_SIZE; // pixels, as the last reshape left it
    MeshMatrices meshMatrices;
};

// Viewport and perspective of the view in a width x height window: the window less the panel's
// strip while the panel shows.
void reshape(SceneGlState& gl, int width, int height, bool panelVisible);

// Camera view followed by the fixed look-at and offsets.
void setupView(const Camera& camera);

// Light 0, positional, at the origin of the view transform.
void setupLight();

// The scene's offset (scene units), then its rotation about x, y and z (degrees); remembers the
// matrices the mesh is drawn with, for cellUnderPixel.
void applySceneTransform(SceneGlState& gl, const Vec3f& offset, const Vec3f& rotation);

// Clears the buffers and sets up view, light and scene transform: what comes before the scene.
void beginFrame(SceneGlState& gl, const Camera& camera, const Vec3f& offset, const Vec3f& rotation);

// Replaces sceneList by a new list of `scene`, built from `in`, compiled and executed at once so
// this frame already shows it, keeps the scene and clears sceneDirty. Prints the route reports.
void rebuildSceneList(SceneGlState& gl, Scene scene, const SceneInputs& in);

// Draws the compiled scene list.
void replaySceneList(const SceneGlState& gl);

// The cell drawn under window pixel (x, y) (GLUT's convention, y downwards) in the frame being
// drawn: the depth read back and unprojected with the matrices the mesh was drawn with.
// Nothing off the ground. Call after the scene is drawn and before the buffers swap.
std::optional<Cell> cellUnderPixel(const SceneGlState& gl, const SceneInputs& in, int x, int y);
