#pragma once
// The scene's plain pieces over the run the tests plan in (landscapeRun), so each test reads as
// the window uses them: cells, costs and settings of that one run.

#include "app/currentRun.h"
#include "render/markers.h"
#include "render/overlays.h"
#include "render/panel.h"
#include "render/scene.h"

#include <optional>
#include <vector>

inline MeshGeometry& meshGeometry = landscapeRun.mesh;

inline SceneInputs runScene() {
    return sceneInputs(landscapeRun);
}
inline void buildMeshGeometry() {
    buildMeshGeometry(landscapeRun.terrain, landscapeRun.mesh);
}
inline Float3 scenePosition(int x, int y) {
    return scenePosition(landscapeRun.terrain, landscapeRun.mesh.scale, x, y);
}
inline bool isDrawnCell(int x, int y) {
    return isDrawnCell(landscapeRun.terrain, x, y);
}
inline Float3 ringColour(const Float3& position) {
    return ringColour(runScene(), position);
}
inline std::vector<MeshQuad> meshQuads() {
    return meshQuads(runScene());
}
inline Quad overlayQuad(int x, int y) {
    return overlayQuad(runScene(), x, y);
}
inline std::vector<Cell> routeCells(const PreviousTable& previous, int startX, int startY, int endX,
                                    int endY) {
    return routeCells(landscapeRun.terrain, previous, {startX, startY, endX, endY});
}
inline std::vector<Cell> straightLineCells(int startX, int startY, int endX, int endY) {
    return straightLineCells(landscapeRun.terrain, startX, startY, endX, endY);
}
inline Overlay distanceRouteOverlay() {
    return distanceRouteOverlay(runScene());
}
inline Overlay energyRouteOverlay() {
    return energyRouteOverlay(runScene());
}
inline Overlay straightLineOverlay() {
    return straightLineOverlay(runScene());
}
inline std::vector<LegendEntry> legendEntries(const Settings& s) {
    return legendEntries(s, !activeBarriers(landscapeRun).empty());
}
inline std::vector<Marker> cellMarker(int x, int y, const Float3& colour) {
    return cellMarker(runScene(), x, y, colour);
}
inline std::vector<Marker> startAndEndMarkers(const Settings&) {
    return startAndEndMarkers(runScene());
}
inline std::optional<Cell> cellAt(double sceneX, double sceneY) {
    return cellAt(runScene(), sceneX, sceneY);
}
inline std::string cellReport(int x, int y) {
    return cellReport(landscapeRun.terrain, landscapeRun.tables, x, y);
}
inline Profile routeProfile(Measure measure, const RouteEnds& ends) {
    const LandscapeRun& run = landscapeRun;
    const Route route = readRoute(run.terrain, run.grid.pricing, run.tables, measure, ends);
    return routeProfile(run.terrain, route, run.tables.costs(measure));
}
inline Scene buildScene() {
    return buildScene(runScene());
}
