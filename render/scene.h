#pragma once
// One frame's content as plain data, built from the settings and the route tables whenever the
// scene is rebuilt; the GL layer only emits it. Also the frame's fixed placement numbers.

#include "render/markers.h"
#include "render/mesh.h"
#include "render/overlays.h"
#include "render/panel.h"

#include <optional>
#include <vector>

constexpr double FIELD_OF_VIEW_DEGREES = 45.0; // vertical
constexpr double NEAR_PLANE = 0.01;            // scene units
constexpr double FAR_PLANE = 1000.0;           // scene units
constexpr float GRID_SHIFT_X = -0.5f;          // scene units; mesh and overlays share it

// Width over height as a real; a window of height 0 counts as height 1.
inline double aspectRatio(int width, int height) {
    return static_cast<double>(width) / (height == 0 ? 1 : height);
}

struct Scene {
    std::vector<MeshQuad> mesh;
    std::vector<Overlay> overlays; // in drawing and report order
    std::vector<Marker> markers;   // drawn last, over everything
    std::vector<LegendEntry> legend;
    Profile profile;            // of the drawn route; empty when there is none
    const char* costUnit = "m"; // of the profile's costs
    // A trip's leg lines in order, and the via points they were planned through: the panel
    // shows a via point's leg only while the settings still hold the same points.
    std::vector<std::string> legTexts;
    std::vector<Cell> legVia;
};

// The mesh, then the view mode's route (Distance: least distance, Energy: least energy, Time:
// least time, any other mode: none) and the straight line, the start and end markers, with the
// legend and the drawn route's profile.
Scene buildScene(const SceneInputs& in);

// The cell drawn at a point of the mesh, given in the mesh's own scene units (inside the grid
// shift): the reverse mapping of both coordinates, or nothing outside the grid.
std::optional<Cell> cellAt(const SceneInputs& in, double sceneX, double sceneY);
