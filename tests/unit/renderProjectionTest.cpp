#include "render/mapScale.h"
#include "render/mapView.h"
#include "render/scene.h"

#include <gtest/gtest.h>

namespace {

struct AspectCase {
    int width, height;
    double expected;
};

TEST(Projection, AspectRatioIsWidthOverHeight) {
    const AspectCase cases[] = {
        {500, 500, 1.0}, {800, 400, 2.0}, {1, 3, 1.0 / 3.0},
        {640, 1, 640.0}, {640, 0, 640.0}, {0, 0, 0.0},
    };
    for (const AspectCase& c : cases) {
        EXPECT_DOUBLE_EQ(aspectRatio(c.width, c.height), c.expected) << c.width << "x" << c.height;
    }
}

} // namespace

namespace {
TEST(MapScale, BarIsTheLongestRoundLengthThatFits) {
    const struct {
        double pixelsPerMetre, metres, pixels;
        const char* label;
    } cases[] = {{0.016, 5000.0, 80.0, "5 km"},
                 {1.0, 100.0, 100.0, "100 m"},
                 {0.0003, 200000.0, 60.0, "200 km"},
                 {0.0, 0.0, 0.0, ""}};
    for (const auto& c : cases) {
        const ScaleBar bar = scaleBar(c.pixelsPerMetre, 120.0);
        EXPECT_DOUBLE_EQ(bar.metres, c.metres) << c.pixelsPerMetre;
        EXPECT_NEAR(bar.pixels, c.pixels, 1e-9) << c.pixelsPerMetre;
        EXPECT_EQ(bar.label, c.label) << c.pixelsPerMetre;
    }
    EXPECT_EQ(lengthLabel(1500.0), "1.5 km");
    EXPECT_EQ(screenDirection(1.0, 1.0, 1.0, 1.0), (std::array<double, 2>{0.0, 1.0}));
    EXPECT_EQ(screenDirection(0.0, 0.0, -3.0, 4.0), (std::array<double, 2>{-0.6, 0.8}));
}

TEST(MapView, TheMiddleOfTheGroundLiesStraightAheadOfTheEye) {
    TerrainPositions terrain;
    terrain.assign({41, 21, 30.0}, std::vector<float>(41 * 21, 50.0f));
    const Vector3 eye{0.0, 1.0, 0.0};
    const Vec3f offset = mapSceneOffset(terrain, eye, -0.5f, 45.0);
    const SceneScale scale = sceneScaleFor(terrain.shape());
    EXPECT_NEAR(offset.x - 0.5 + groundToScene(scale, 600.0f), eye.x, 1e-6);
    EXPECT_NEAR(offset.y + groundToScene(scale, 300.0f), eye.y, 1e-6);
    EXPECT_LT(offset.z + heightToScene(scale, 50.0f), -4.0); // the whole 3.64 units in view
}
} // namespace
