// Shading the mesh by height, for the frames drawn while the first plan of a ground runs.
#include "render/heightShading.h"

#include <algorithm>
#include <limits>

float heightGrey(float height, float lowest, float highest) {
    const float span = highest - lowest;
    const float share = span > 0.0f ? (height - lowest) / span : 0.5f;
    return HEIGHT_GREY_LOW + (HEIGHT_GREY_HIGH - HEIGHT_GREY_LOW) * std::clamp(share, 0.0f, 1.0f);
}

Scene heightShadedScene(const TerrainPositions& terrain, const MeshGeometry& m) {
    // The height at mesh quadrilateral (i, j), as the ring shading reads its tLeft point.
    const auto heightAt = [&](int i, int j) { return terrain[i * m.stride][j * m.stride].z; };
    const auto drawn = [&](int i, int j) {
        return m.drawn[std::size_t(i) * (m.rows - 1) + j] != 0;
    };
    float lowest = std::numeric_limits<float>::max();
    float highest = std::numeric_limits<float>::lowest();
    for (int i = 0; i + 1 < m.columns; ++i) {
        for (int j = 0; j + 1 < m.rows; ++j) {
            if (drawn(i, j)) {
                lowest = std::min(lowest, heightAt(i, j));
                highest = std::max(highest, heightAt(i, j));
            }
        }
    }
    Scene scene;
    scene.mesh.reserve(m.drawn.size());
    for (int i = 0; i + 1 < m.columns; ++i) {
        for (int j = 0; j + 1 < m.rows; ++j) {
            if (drawn(i, j)) {
                const float grey = heightGrey(heightAt(i, j), lowest, highest);
                scene.mesh.push_back({i, j, Float3{grey, grey, grey}});
            }
        }
    }
    return scene;
}
