#include "render/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct CrossCase {
    Float3 a;
    Float3 b;
};

// Unnormalised cross product in double, as a second method.
void doubleCross(const Float3& a, const Float3& b, double out[3]) {
    out[0] = double(a[1]) * b[2] - double(a[2]) * b[1];
    out[1] = double(a[2]) * b[0] - double(a[0]) * b[2];
    out[2] = double(a[0]) * b[1] - double(a[1]) * b[0];
}

TEST(CrossProduct, IsTheUnitNormalOfBothArguments) {
    const CrossCase cases[] = {
        {{1, 0, 0}, {0, 1, 0}},
        {{0, 0.03f, 0.002f}, {0.03f, 0, -0.001f}},
        {{0, 0.01f, 0.005f}, {0.01f, 0, 0.007f}},
        {{-3, 2, 7}, {5, -1, 0.5f}},
    };
    for (const CrossCase& c : cases) {
        double expected[3];
        doubleCross(c.a, c.b, expected);
        const double length = std::sqrt(expected[0] * expected[0] + expected[1] * expected[1] +
                                        expected[2] * expected[2]);
        const Float3 n = crossProduct(c.a, c.b);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(n[k], expected[k] / length, 1e-5) << k;
        }
    }
}

TEST(CrossProduct, FollowsTheRightHandRule) {
    const Float3 z = crossProduct({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z, (Float3{0, 0, 1}));
    const Float3 minusZ = crossProduct({0, 1, 0}, {1, 0, 0});
    EXPECT_EQ(minusZ, (Float3{0, 0, -1}));
}

TEST(NormalizeVector, ScalesToUnitLengthSilently) {
    Float3 v = {3, 0, 4};
    testing::internal::CaptureStdout();
    normalizeVector(v);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[1], 0.0f);
    EXPECT_FLOAT_EQ(v[2], 0.8f);
}

TEST(NormalizeVector, ZeroVectorIsReportedAndLeftAlone) {
    Float3 v = {0, 0, 0};
    testing::internal::CaptureStdout();
    normalizeVector(v);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: Zero Length Vector\n");
    EXPECT_EQ(v, (Float3{0, 0, 0}));
}

// Squares below the smallest float underflow to a zero sum: that is a zero length too.
TEST(NormalizeVector, UnderflowingVectorCountsAsZero) {
    Float3 v = {1e-30f, -1e-30f, 0};
    testing::internal::CaptureStdout();
    normalizeVector(v);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: Zero Length Vector\n");
    EXPECT_EQ(v, (Float3{1e-30f, -1e-30f, 0}));
}

TEST(CrossProduct, ParallelVectorsReportZeroLength) {
    testing::internal::CaptureStdout();
    const Float3 n = crossProduct({1, 2, 3}, {2, 4, 6});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: Zero Length Vector\n");
    EXPECT_EQ(n, (Float3{0, 0, 0}));
}

} // namespace
