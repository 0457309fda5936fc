#include "render/scene.h"

#include "terrain/sceneScale.h"
#include "terrain/settings.h"

Scene buildScene() {
    Scene scene;
    scene.mesh = meshQuads();
    const Settings& s = settings;
    if (s.viewMode == Distance) {
        scene.overlays.push_back(distanceRouteOverlay());
        scene.profile = routeProfile(previousDistanceVertices, distanceTable, s.startX, s.startY,
                                     s.endX, s.endY);
    } else if (s.viewMode == Energy) {
        scene.overlays.push_back(energyRouteOverlay());
        scene.profile =
            routeProfile(previousEnergyVertices, energyTable, s.startX, s.startY, s.endX, s.endY);
        scene.costUnit = "J";
    }
    scene.overlays.push_back(straightLineOverlay());
    scene.markers = startAndEndMarkers(s);
    scene.legend = legendEntries(s);
    return scene;
}

std::optional<Cell> cellAt(double sceneX, double sceneY) {
    const SceneScale& scale = meshGeometry.scale;
    const int x = sceneToGridIndex(scale, static_cast<float>(sceneX));
    const int y = sceneToGridIndex(scale, static_cast<float>(sceneY));
    if (!terrainVertices.shape().contains(x, y)) {
        return std::nullopt;
    }
    return Cell{x, y};
}
