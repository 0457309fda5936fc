// Building the mesh: corners and face normals once a ground (over every stride-th grid point on a
// big grid), and the ring colour of each quadrilateral on every scene rebuild.

#include "render/mesh.h"

#include "planner/corridor.h"
#include "planner/planningGrid.h"
#include "planner/routeSummary.h"
#include "planner/routeTables.h"
#include "terrain/sceneScale.h"
#include "terrain/settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Float3 subtract(const Float3& a, const Float3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

void normalizeVector(Float3& v) {
    // The sum is rounded to float before the single-precision root.
    const float squared = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    const float length = std::sqrt(squared);
    if (length == 0.0f) {
        std::printf("Error: Zero Length Vector\n");
        std::fflush(stdout);
        return;
    }
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

Float3 crossProduct(const Float3& a, const Float3& b) {
    Float3 out = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    normalizeVector(out);
    return out;
}

int meshStride(const GridShape& shape) {
    int stride = 1;
    if (shape.cells() <= static_cast<std::size_t>(GRID_CELLS)) {
        return stride;
    }
    while (static_cast<std::size_t>((shape.columns - 1) / stride) *
               static_cast<std::size_t>((shape.rows - 1) / stride) >
           MAX_MESH_QUADS) {
        ++stride;
    }
    return stride;
}

bool hasQuad(const GridShape& shape, int x, int y) {
    return x >= 0 && x < shape.columns - 1 && y >= 0 && y < shape.rows - 1;
}

bool isDrawnCell(const TerrainPositions& t, int x, int y) {
    return hasQuad(t.shape(), x, y) && hasGround(t[x][y]) && hasGround(t[x][y + 1]) &&
           hasGround(t[x + 1][y + 1]) && hasGround(t[x + 1][y]);
}

Float3 faceNormal(const Float3& tLeft, const Float3& tRight, const Float3& bLeft) {
    return crossProduct(subtract(tLeft, tRight), subtract(tLeft, bLeft));
}

Float3 scenePosition(const TerrainPositions& terrain, const SceneScale& scale, int x, int y) {
    const TerrainVertex v = terrain[x][y];
    return {groundToScene(scale, v.x), groundToScene(scale, v.y), heightToScene(scale, v.z)};
}

void buildMeshGeometry(const TerrainPositions& terrain, MeshGeometry& m, ViewerSide viewer) {
    const GridShape& shape = terrain.shape();
    m.viewer = viewer;
    m.scale = sceneScaleFor(shape);
    m.stride = meshStride(shape);
    m.columns = (shape.columns - 1) / m.stride + 1;
    m.rows = (shape.rows - 1) / m.stride + 1;
    m.corners.resize(std::size_t(m.columns) * m.rows);
    std::vector<uint8_t> ground(m.corners.size());
    const std::vector<float>& heights = terrain.heights();
    m.groundMissing =
        std::any_of(heights.begin(), heights.end(), [](float h) { return std::isnan(h); });
    for (int i = 0; i < m.columns; ++i) {
        for (int j = 0; j < m.rows; ++j) {
            const std::size_t k = std::size_t(i) * m.rows + j;
            m.corners[k] = scenePosition(terrain, m.scale, i * m.stride, j * m.stride);
            ground[k] = std::isnan(m.corners[k][2]) ? 0 : 1;
        }
    }
    const std::size_t quads = std::size_t(m.columns - 1) * (m.rows - 1);
    m.normals.resize(quads);
    m.drawn.resize(quads);
    for (int i = 0; i + 1 < m.columns; ++i) {
        for (int j = 0; j + 1 < m.rows; ++j) {
            const std::size_t q = std::size_t(i) * (m.rows - 1) + j;
            const std::size_t k = std::size_t(i) * m.rows + j;
            m.drawn[q] = ground[k] & ground[k + 1] & ground[k + m.rows] & ground[k + m.rows + 1];
            m.normals[q] =
                towardViewer(viewer, m.drawn[q] ? faceNormal(m.corner(i, j), m.corner(i, j + 1),
                                                             m.corner(i + 1, j))
                                                : Float3{0.0f, 0.0f, -1.0f});
        }
    }
}

namespace {
constexpr float FULL_LEVEL = 255.0f; // grey levels are fractions of this
} // namespace

float ringLevel(int ring, float rings) {
    return (FULL_LEVEL - ring * (FULL_LEVEL / rings)) / FULL_LEVEL;
}

Float3 ringGrey(float cost, float rings, float increment) {
    for (int ring = 0; ring < rings; ++ring) {
        if (cost < (ring + 1) * increment) {
            const float level = ringLevel(ring, rings);
            return {level, level, level};
        }
    }
    return BEYOND_RINGS_COLOUR;
}

namespace {
// The cost of the best route (of a trip, the whole trip's) in measure m; none when the end is
// out of reach.
std::optional<float> corridorBest(const SceneInputs& in, Measure m) {
    const PlanSettings& s = in.settings;
    if (in.trip.empty()) {
        return in.tables.costs(m).reaches(s.endX, s.endY)
                   ? std::optional<float>(in.tables.costs(m)[s.endX][s.endY])
                   : std::nullopt;
    }
    for (const Route& route : in.trip) {
        if (route.measure == m && route.reachable) {
            return ownTotal(route);
        }
    }
    return std::nullopt;
}

// The ring shade `grey` of cell (x, y), half of it CORRIDOR_COLOUR where the corridor is shown
// and the cell lies within it in measure m.
Float3 corridorTint(const SceneInputs& in, Measure m, int x, int y, const Float3& grey) {
    if (in.corridor == nullptr) {
        return grey;
    }
    const RouteTables& c = *in.corridor;
    const std::optional<float> best = corridorBest(in, m);
    if (!best || !c.costs(m).shape().contains(x, y)) {
        return grey;
    }
    if (!withinCorridor(c.costs(m)[x][y], *best, in.corridorPercent)) {
        return grey;
    }
    constexpr float SHARE = CORRIDOR_TINT_SHARE;
    return {grey[0] * (1.0f - SHARE) + CORRIDOR_COLOUR[0] * SHARE,
            grey[1] * (1.0f - SHARE) + CORRIDOR_COLOUR[1] * SHARE,
            grey[2] * (1.0f - SHARE) + CORRIDOR_COLOUR[2] * SHARE};
}
} // namespace

Float3 ringColour(const SceneInputs& in, const Float3& scenePosition) {
    const int x = sceneToGridIndex(in.mesh.scale, scenePosition[0]);
    const int y = sceneToGridIndex(in.mesh.scale, scenePosition[1]);
    const CostTable& distance = in.tables.distance;
    if (!distance.shape().contains(x, y)) {
        return BEYOND_RINGS_COLOUR;
    }
    if (in.grid.open[distance.shape().index(x, y)] == 0) {
        // The cell under a drawn corner may still be the one below it without ground.
        return hasGround(in.terrain[x][y]) ? BARRIER_COLOUR : NO_GROUND_COLOUR;
    }
    if (distance[x][y] == UNREACHED_COST) {
        return UNREACHED_COLOUR;
    }
    const PlanSettings& s = in.settings;
    switch (in.viewMode) {
    case Distance:
        return corridorTint(in, Measure::Distance, x, y,
                            ringGrey(distance[x][y], s.distanceRings, s.distanceIncrement));
    case Energy:
        return corridorTint(in, Measure::Energy, x, y,
                            ringGrey(in.tables.energy[x][y], s.energyRings, s.energyIncrement));
    case Time: // rings of minutes
        return corridorTint(in, Measure::Time, x, y,
                            ringGrey(static_cast<float>(in.tables.time[x][y] / SECONDS_PER_MINUTE),
                                     s.timeRings, s.timeIncrement));
    }
    return BEYOND_RINGS_COLOUR;
}

std::vector<MeshQuad> meshQuads(const SceneInputs& in) {
    const MeshGeometry& m = in.mesh;
    std::vector<MeshQuad> quads;
    quads.reserve(m.drawn.size());
    for (int i = 0; i + 1 < m.columns; ++i) {
        for (int j = 0; j + 1 < m.rows; ++j) {
            if (m.drawn[std::size_t(i) * (m.rows - 1) + j]) {
                quads.push_back({i, j, ringColour(in, m.corner(i, j))});
            }
        }
    }
    return quads;
}
