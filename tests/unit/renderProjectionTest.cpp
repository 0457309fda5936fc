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
