#include "render/heightShading.h"
#include "render/mesh.h"
#include "terrain/terrainGrid.h"
#include "tests/unit/sceneOfTheRun.h"

#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

bool sameBits(const Float3& a, const Float3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

constexpr int QUAD_CELLS = GRID_SIZE - 1;

class MeshGeometryTest : public SceneTest {
  protected:
    void SetUp() override {
        useBuiltInGround();
        buildMeshGeometry();
    }
};

TEST_F(MeshGeometryTest, ScenePositionDividesGroundBy3000AndHeightBy1000) {
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
TEST_F(MeshGeometryTest, PrecomputedTablesEqualPerFrameComputationBitForBit) {
    for (int i = 0; i < QUAD_CELLS; ++i) {
        for (int j = 0; j < QUAD_CELLS; ++j) {
            const Float3 tLeft = scenePosition(i, j);
            const Float3 tRight = scenePosition(i, j + 1);
            const Float3 bRight = scenePosition(i + 1, j + 1);
            const Float3 bLeft = scenePosition(i + 1, j);
            const MeshGeometry& m = meshGeometry;
            ASSERT_TRUE(sameBits(m.corner(i, j), tLeft)) << i << "," << j;
            ASSERT_TRUE(sameBits(m.corner(i, j + 1), tRight)) << i << "," << j;
            ASSERT_TRUE(sameBits(m.corner(i + 1, j + 1), bRight)) << i << "," << j;
            ASSERT_TRUE(sameBits(m.corner(i + 1, j), bLeft)) << i << "," << j;
            ASSERT_TRUE(sameBits(m.normal(i, j), faceNormal(tLeft, tRight, bLeft)))
                << i << "," << j;
        }
    }
}

// Checked against the normal of the same corners formed in double: unit length, and facing
// negative z, the viewer's side after the scene's half turn about x.
TEST_F(MeshGeometryTest, NormalsAreUnitAndFaceNegativeZ) {
    for (int i = 0; i < QUAD_CELLS; i += 7) {
        for (int j = 0; j < QUAD_CELLS; j += 5) {
            const Float3& n = meshGeometry.normal(i, j);
            const TerrainVertex p = terrainVertices[i][j];
            const TerrainVertex r = terrainVertices[i][j + 1];
            const TerrainVertex b = terrainVertices[i + 1][j];
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

TEST_F(MeshGeometryTest, FlatGroundHasStraightDownNormal) {
    useGround(fillHeights(50));
    buildMeshGeometry();
    EXPECT_EQ(meshGeometry.normal(0, 0), (Float3{0, 0, -1}));
    EXPECT_EQ(meshGeometry.normal(363, 363), (Float3{0, 0, -1}));
    useBuiltInGround();
}

// A big grid is drawn at every k-th point, k the least that keeps the mesh within its budget,
// at the built-in ground's scene size; each drawn point keeps its full-resolution position.
TEST_F(MeshGeometryTest, BigGridsAreDrawnAtEveryKthPointAtTheSameSceneSize) {
    const struct {
        GridShape shape;
        int stride;
    } cases[] = {{{365, 365, 30}, 1},
                 {{366, 366, 1}, 2},
                 {{200, 666, 1}, 1}, // no more cells than the built-in ground
                 {{4000, 4000, 30}, 16},
                 {{1000, 300, 10}, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(meshStride(c.shape), c.stride) << c.shape.columns << "x" << c.shape.rows;
    }
    useGround({1000, 300, 10.0}, [](int x, int y) { return float(x % 7 + y % 5); });
    buildMeshGeometry();
    const MeshGeometry& m = meshGeometry;
    EXPECT_EQ(m.stride, 3);
    EXPECT_EQ(m.columns, 334);
    EXPECT_EQ(m.rows, 100);
    EXPECT_TRUE(sameBits(m.corner(123, 45), scenePosition(369, 135)));
    EXPECT_NEAR(scenePosition(999, 0)[0], 3.64, 1e-6);
    EXPECT_NEAR(scenePosition(0, 0)[2] - scenePosition(6, 0)[2], -6.0 * 3.0 * 3.64 / 9990.0, 1e-6);
    useBuiltInGround();
    buildMeshGeometry();
}

} // namespace

namespace {

// A grid point without ground takes the four quadrilaterals around it out of the mesh; the
// rest keep their order and their ring colours.
TEST_F(MeshGeometryTest, QuadsTouchingGroundWithoutHeightAreLeftOut) {
    useBuiltInGroundWithout(100, 200);
    buildMeshGeometry();
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
            ASSERT_EQ(quads[k].colour, ringColour(meshGeometry.corner(i, j)));
            ++k;
        }
    }
    useBuiltInGround();
    buildMeshGeometry();
}

// Before the first plan: every drawn quadrilateral grey by its height, lowest darkest, and
// nothing drawn over the mesh.
TEST(HeightShading, GreyRampFromTheLowestToTheHighestGround) {
    for (const auto& [height, grey] :
         {std::pair{10.0f, HEIGHT_GREY_LOW}, std::pair{30.0f, HEIGHT_GREY_HIGH},
          std::pair{20.0f, (HEIGHT_GREY_LOW + HEIGHT_GREY_HIGH) / 2}}) {
        EXPECT_FLOAT_EQ(heightGrey(height, 10.0f, 30.0f), grey) << height;
    }
    EXPECT_FLOAT_EQ(heightGrey(5.0f, 5.0f, 5.0f), (HEIGHT_GREY_LOW + HEIGHT_GREY_HIGH) / 2);
    TerrainPositions terrain;
    terrain.assign({3, 2, 30.0}, {1, 2, 3, 4, 5, 6});
    MeshGeometry mesh;
    buildMeshGeometry(terrain, mesh);
    const Scene scene = heightShadedScene(terrain, mesh);
    ASSERT_EQ(scene.mesh.size(), 2u); // cells (0, 0) and (1, 0), heights 1 and 3 of 1..3 drawn
    EXPECT_EQ(scene.mesh[0].colour, (Float3{HEIGHT_GREY_LOW, HEIGHT_GREY_LOW, HEIGHT_GREY_LOW}));
    EXPECT_EQ(scene.mesh[1].colour, (Float3{HEIGHT_GREY_HIGH, HEIGHT_GREY_HIGH, HEIGHT_GREY_HIGH}));
    EXPECT_TRUE(scene.overlays.empty() && scene.markers.empty());
}

} // namespace
