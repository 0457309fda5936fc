// The map view's offset: the ground's extent and its highest point in scene units decide how far
// back the ground goes.

#include "render/mapView.h"

#include "terrain/sceneScale.h"

#include <algorithm>
#include <cmath>

Vec3f mapSceneOffset(const TerrainPositions& terrain, const Vector3& eye, float gridShiftX,
                     double fieldOfViewDegrees) {
    const GridShape& shape = terrain.shape();
    const SceneScale scale = sceneScaleFor(shape);
    const TerrainVertex far = terrain[shape.columns - 1][shape.rows - 1];
    const double east = groundToScene(scale, far.x);
    const double north = groundToScene(scale, far.y);
    double top = 0.0;
    for (const float h : terrain.heights()) {
        if (!std::isnan(h)) {
            top = std::max(top, static_cast<double>(heightToScene(scale, h)));
        }
    }
    constexpr double PI = 3.14159265358979323846;
    const double halfView = std::tan(fieldOfViewDegrees / 2.0 * PI / 180.0);
    const double distance = std::max(east, north) / 2.0 / halfView / (1.0 - MAP_VIEW_MARGIN);
    return {static_cast<float>(eye.x - gridShiftX - east / 2.0),
            static_cast<float>(eye.y - north / 2.0), static_cast<float>(eye.z - distance - top)};
}
