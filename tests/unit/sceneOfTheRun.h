#pragma once
// Tests of the scene's plain pieces, each in a run of its own: the built-in ground with fresh
// settings and reset tables, and the pieces called over that run as the window calls them over
// its own.

#include "app/landscapeRun.h"
#include "render/markers.h"
#include "render/overlays.h"
#include "render/panel.h"
#include "render/scene.h"

#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

class SceneTest : public PlannerTest {
  protected:
    void SetUp() override {
        useBuiltInGround();
        resetRouteTables(run.tables, settings.startX, settings.startY);
    }

    MeshGeometry& meshGeometry = run.mesh;

    SceneInputs in() const { return sceneInputs(run); }
    void buildMeshGeometry() { ::buildMeshGeometry(run.terrain, run.mesh); }
    Float3 scenePosition(int x, int y) const {
        return ::scenePosition(run.terrain, run.mesh.scale, x, y);
    }
    bool isDrawnCell(int x, int y) const { return ::isDrawnCell(run.terrain, x, y); }
    Float3 ringColour(const Float3& position) const { return ::ringColour(in(), position); }
    std::vector<MeshQuad> meshQuads() const { return ::meshQuads(in()); }
    Quad overlayQuad(int x, int y) const { return ::overlayQuad(in(), x, y); }
    std::vector<Cell> routeCells(const PreviousTable& previous, int startX, int startY, int endX,
                                 int endY) const {
        return ::routeCells(run.terrain, previous, {startX, startY, endX, endY});
    }
    std::vector<Cell> straightLineCells(int startX, int startY, int endX, int endY) const {
        return ::straightLineCells(run.terrain, startX, startY, endX, endY);
    }
    Overlay distanceRouteOverlay() const { return ::distanceRouteOverlay(in()); }
    Overlay energyRouteOverlay() const { return ::energyRouteOverlay(in()); }
    Overlay straightLineOverlay() const { return ::straightLineOverlay(in()); }
    std::vector<LegendEntry> legendEntries(const Settings& s) const {
        return ::legendEntries(s, s.viewMode, !activeBarriers(run).empty());
    }
    std::vector<Marker> cellMarker(int x, int y, const Float3& colour) const {
        return ::cellMarker(in(), x, y, colour);
    }
    std::vector<Marker> startAndEndMarkers() const { return ::startAndEndMarkers(in()); }
    std::optional<Cell> cellAt(double sceneX, double sceneY) const {
        return ::cellAt(in(), sceneX, sceneY);
    }
    std::string cellReport(int x, int y) const {
        return ::cellReport(run.terrain, run.tables, x, y);
    }
    Profile routeProfile(Measure measure, const RouteEnds& ends) const {
        const Route route = readRoute(run.terrain, run.grid.prices, run.tables, measure, ends);
        return ::routeProfile(run.terrain, route, run.tables.costs(measure));
    }
    Scene buildScene() const { return ::buildScene(in()); }
};
