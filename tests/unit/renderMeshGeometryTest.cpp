#include "render/mesh.h"
#include "terrain/terrainGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

bool sameBits(const Float3& a, const Float3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class MeshGeometry : public testing::Test {
  protected:
    void SetUp() override {
        buildTerrainVertices();
        buildMeshGeometry();
    }
};

TEST_F(MeshGeometry, ScenePositionDividesGroundBy3000AndHeightBy1000) {
    struct Case {
        int x, y;
        Float3 expected;
    };
    const Case cases[] = {
        {0, 0, {0.0f, 0.0f, heightMap[0][0] / 1000.0f}},
        {10, 360, {0.1f, 3.6f, heightMap[10][360] / 1000.0f}},
        {350, 340, {3.5f, 3.4f, heightMap[350][340] / 1000.0f}},
        {364, 364, {3.64f, 3.64f, heightMap[364][364] / 1000.0f}},
    };
    for (const Case& c : cases) {
        const Float3 p = scenePosition(c.x, c.y);
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(p[k], c.expected[k]) << c.x << "," << c.y << " axis " << k;
        }
    }
}

// The tables must hold exactly what computing each quadrilateral per frame would give.
TEST_F(MeshGeometry, PrecomputedTablesEqualPerFrameComputationBitForBit) {
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            const Float3 tLeft = scenePosition(i, j);
            const Float3 tRight = scenePosition(i, j + 1);
            const Float3 bRight = scenePosition(i + 1, j + 1);
            const Float3 bLeft = scenePosition(i + 1, j);
            ASSERT_TRUE(sameBits(meshCorners[i][j], tLeft)) << i << "," << j;
            ASSERT_TRUE(sameBits(meshCorners[i][j + 1], tRight)) << i << "," << j;
            ASSERT_TRUE(sameBits(meshCorners[i + 1][j + 1], bRight)) << i << "," << j;
            ASSERT_TRUE(sameBits(meshCorners[i + 1][j], bLeft)) << i << "," << j;
            ASSERT_TRUE(sameBits(meshNormals[i][j], faceNormal(tLeft, tRight, bLeft)))
                << i << "," << j;
        }
    }
}

// Checked against the normal of the same corners formed in double: unit length, and facing
// negative z, the viewer's side after the scene's half turn about x.
TEST_F(MeshGeometry, NormalsAreUnitAndFaceNegativeZ) {
    for (int i = 0; i < QUAD_CELLS; i += 7) {
        for (int j = 0; j < QUAD_CELLS; j += 5) {
            const Float3& n = meshNormals[i][j];
            const TerrainVertex& p = terrainVertices[i][j];
            const TerrainVertex& r = terrainVertices[i][j + 1];
            const TerrainVertex& b = terrainVertices[i + 1][j];
            const double a[3] = {0.0, -0.01, (double(p.z) - r.z) / 1000.0};
            const double c[3] = {-0.01, 0.0, (double(p.z) - b.z) / 1000.0};
            const double e[3] = {a[1] * c[2] - a[2] * c[1], a[2] * c[0] - a[0] * c[2],
                                 a[0] * c[1] - a[1] * c[0]};
            const double len = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
            ASSERT_LT(n[2], 0.0f);
            for (int k = 0; k < 3; ++k) {
                ASSERT_NEAR(n[k], e[k] / len, 2e-4) << i << "," << j << " axis " << k;
            }
        }
    }
}

TEST_F(MeshGeometry, FlatGroundHasStraightDownNormal) {
    static HeightGrid flat;
    for (auto& row : flat) {
        for (int32_t& h : row) {
            h = 50;
        }
    }
    buildTerrainVerticesFrom(flat);
    buildMeshGeometry();
    EXPECT_EQ(meshNormals[0][0], (Float3{0, 0, -1}));
    EXPECT_EQ(meshNormals[363][363], (Float3{0, 0, -1}));
    buildTerrainVertices();
}

} // namespace

namespace {

// A grid point without ground takes the four quadrilaterals around it out of the mesh; the
// rest keep their order and their ring colours.
TEST_F(MeshGeometry, QuadsTouchingGroundWithoutHeightAreLeftOut) {
    terrainVertices[100][200].z = std::nanf("");
    const std::vector<MeshQuad> quads = meshQuads();
    ASSERT_EQ(quads.size(), static_cast<size_t>(QUAD_CELLS * QUAD_CELLS - 4));
    size_t k = 0;
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            const bool touches = (i == 99 || i == 100) && (j == 199 || j == 200);
            ASSERT_EQ(isDrawnCell(i, j), !touches) << i << "," << j;
            if (touches) {
                continue;
            }
            ASSERT_EQ(quads[k].i, i);
            ASSERT_EQ(quads[k].j, j);
            ASSERT_EQ(quads[k].colour, ringColour(meshCorners[i][j]));
            ++k;
        }
    }
    buildTerrainVertices();
}

} // namespace
