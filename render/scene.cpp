// Assembling one frame's scene from its inputs, and finding the cell drawn at a point of the mesh.

#include "render/scene.h"

#include "terrain/sceneScale.h"

Scene buildScene(const SceneInputs& in) {
    Scene scene;
    scene.mesh = meshQuads(in);
    const PlanSettings& s = in.settings;
    if (const std::optional<Measure> shaded = shadedMeasure(in.viewMode)) {
        const Measure measure = *shaded;
        scene.overlays.push_back(measure == Measure::Distance ? distanceRouteOverlay(in)
                                 : measure == Measure::Energy ? energyRouteOverlay(in)
                                                              : timeRouteOverlay(in));
        const std::size_t m = static_cast<std::size_t>(measure);
        // A trip's profile runs along its whole route; one of several destinations' is the end's.
        const Route route =
            !s.via.empty() && m < in.trip.size()
                ? in.trip[m]
                : readRoute(in.terrain, in.grid.prices, in.tables, measure, routeEnds(s));
        scene.profile = routeProfile(in.terrain, route, in.tables.costs(measure), &in.grid);
        scene.costUnit = measure == Measure::Distance ? "m"
                         : measure == Measure::Energy ? "J"
                                                      : "s";
    }
    scene.overlays.push_back(straightLineOverlay(in));
    scene.markers = startAndEndMarkers(in);
    if (!s.via.empty()) {
        scene.legTexts = tripLegTexts(in.trip);
        scene.legVia = s.via;
    }
    scene.legend = legendEntries(s, in.viewMode, in.barriers, in.mesh.groundMissing,
                                 in.corridor != nullptr ? in.corridorPercent : 0.0);
    return scene;
}

std::optional<Cell> cellAt(const SceneInputs& in, double sceneX, double sceneY) {
    const SceneScale& scale = in.mesh.scale;
    const int x = sceneToGridIndex(scale, static_cast<float>(sceneX));
    const int y = sceneToGridIndex(scale, static_cast<float>(sceneY));
    if (!in.terrain.shape().contains(x, y)) {
        return std::nullopt;
    }
    return Cell{x, y};
}
