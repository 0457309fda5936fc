#include "camera/quaternion.h"
#include "camera/vector3.h"

#include "cameraTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TOLERANCE = CAMERA_TOLERANCE;

// Deterministic pseudo-random numbers in [lo, hi), the same on every run.
class Lcg {
  public:
    double next(double lo, double hi) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return lo + (hi - lo) * static_cast<double>(state >> 11) / 9007199254740992.0;
    }

  private:
    std::uint64_t state = 12345;
};

Vector3 unitAxis(Lcg& random) {
    for (;;) {
        const Vector3 v(random.next(-1, 1), random.next(-1, 1), random.next(-1, 1));
        const double length = v.length();
        if (length > 0.1 && length <= 1.0) {
            return (1.0 / length) * v;
        }
    }
}

void expectEqual(const Quaternion& actual, const Quaternion& expected) {
    EXPECT_EQ(actual.w, expected.w);
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.z, expected.z);
}

double norm(const Quaternion& q) {
    return std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
}

TEST(Vector3, DefaultsToZeroAndKeepsComponentOrder) {
    const Vector3 zero;
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_EQ(zero.y, 0.0);
    EXPECT_EQ(zero.z, 0.0);
    const Vector3 v(1.5, -2.0, 3.25);
    EXPECT_EQ(v.x, 1.5);
    EXPECT_EQ(v.y, -2.0);
    EXPECT_EQ(v.z, 3.25);
}

TEST(Vector3, ArithmeticAgreesComponentWise) {
    Vector3 v(1.0, -2.0, 4.0);
    v += Vector3(0.5, 0.25, -1.0);
    expectNear(v, {1.5, -1.75, 3.0}, 0.0);
    v *= 2.0;
    expectNear(v, {3.0, -3.5, 6.0}, 0.0);
    v /= 4.0;
    expectNear(v, {0.75, -0.875, 1.5}, 0.0);
    expectNear(-v, {-0.75, 0.875, -1.5}, 0.0);
    expectNear(v + Vector3(0.25, 0.875, 0.5), {1.0, 0.0, 2.0}, 0.0);
    expectNear(2.0 * v, {1.5, -1.75, 3.0}, 0.0);
    expectNear(v * 2.0, {1.5, -1.75, 3.0}, 0.0);
    EXPECT_EQ(Vector3(3.0, 4.0, 12.0).length(), 13.0);
    EXPECT_EQ(Vector3().length(), 0.0);
}

TEST(Quaternion, DefaultsToIdentityAndBuildsFromScalarAndVector) {
    expectEqual(Quaternion(), {1.0, 0.0, 0.0, 0.0});
    expectEqual(Quaternion(0.5, Vector3(1.0, 2.0, 3.0)), {0.5, 1.0, 2.0, 3.0});
    expectEqual(Quaternion(1.0, 2.0, 3.0, 4.0).conjugate(), {1.0, -2.0, -3.0, -4.0});
    expectNear(Quaternion(1.0, 2.0, 3.0, 4.0).vectorPart(), {2.0, 3.0, 4.0}, 0.0);
    expectEqual(Quaternion(1, 2, 3, 4) + Quaternion(0.5, -2, 1, 0), {1.5, 0, 4, 4});
    expectEqual(2.0 * Quaternion(1, 2, 3, 4), {2, 4, 6, 8});
}

TEST(Quaternion, IdentityIsNeutralOnBothSidesAndInRotate) {
    Lcg random;
    for (int i = 0; i < 50; ++i) {
        const Quaternion q(random.next(-2, 2), random.next(-2, 2), random.next(-2, 2),
                           random.next(-2, 2));
        expectEqual(Quaternion() * q, q);
        expectEqual(q * Quaternion(), q);
        const Vector3 v(random.next(-5, 5), random.next(-5, 5), random.next(-5, 5));
        expectNear(rotate(Quaternion(), v), v, 0.0);
    }
}

TEST(Quaternion, TimesVectorEqualsProductWithPureQuaternion) {
    Lcg random;
    for (int i = 0; i < 50; ++i) {
        const Quaternion q(random.next(-2, 2), random.next(-2, 2), random.next(-2, 2),
                           random.next(-2, 2));
        const Vector3 v(random.next(-5, 5), random.next(-5, 5), random.next(-5, 5));
        expectNear(q * v, q * Quaternion(0.0, v));
    }
}

TEST(Quaternion, TimesConjugateIsSquaredLength) {
    const Quaternion q(1.0, -2.0, 3.0, 0.5);
    expectNear(q * q.conjugate(), {14.25, 0.0, 0.0, 0.0});
    expectNear(q.conjugate() * q, {14.25, 0.0, 0.0, 0.0});
}

TEST(Quaternion, QuarterTurnAboutZSendsXToY) {
    const Quaternion quarter(std::cos(PI / 4), 0.0, 0.0, std::sin(PI / 4));
    expectNear(rotate(quarter, {1.0, 0.0, 0.0}), {0.0, 1.0, 0.0});
}

TEST(Quaternion, RotateMatchesRodriguesForManyAxesAndAngles) {
    Lcg random;
    for (int i = 0; i < 500; ++i) {
        const Vector3 axis = unitAxis(random);
        const double angle = random.next(-2 * PI, 2 * PI);
        const Vector3 v(random.next(-3, 3), random.next(-3, 3), random.next(-3, 3));
        SCOPED_TRACE(i);
        expectNear(rotate(axisAngle(axis, angle), v), rodrigues(axis, angle, v));
    }
}

TEST(Quaternion, ProductComposesRotationsRightOperandFirst) {
    Lcg random;
    for (int i = 0; i < 200; ++i) {
        const Quaternion a = axisAngle(unitAxis(random), random.next(-PI, PI));
        const Quaternion b = axisAngle(unitAxis(random), random.next(-PI, PI));
        const Vector3 v(random.next(-3, 3), random.next(-3, 3), random.next(-3, 3));
        SCOPED_TRACE(i);
        expectNear(rotate(a * b, v), rotate(a, rotate(b, v)));
    }
}

struct NormalizeCase {
    Quaternion input;
    Quaternion expected;
};

TEST(Quaternion, NormalizeDividesOnlyAboveItsEpsilon) {
    const double eps = QUATERNION_NORMALIZE_EPSILON;
    const double below = std::nextafter(eps, 0.0);
    const double above = std::nextafter(eps, 1.0);
    ASSERT_EQ(std::sqrt(eps * eps), eps); // so the next case really sits on the threshold
    const NormalizeCase cases[] = {
        {{0, 0, 0, 0}, {0, 0, 0, 0}},
        {{eps, 0, 0, 0}, {eps, 0, 0, 0}},
        {{0, 0, -eps, 0}, {0, 0, -eps, 0}},
        {{below, 0, 0, 0}, {below, 0, 0, 0}},
        {{0, 0.00005, 0, 0.00005}, {0, 0.00005, 0, 0.00005}},
        {{above, 0, 0, 0}, {1, 0, 0, 0}},
        {{0, 0, 0, -above}, {0, 0, 0, -1}},
        {{2, 0, 0, 0}, {1, 0, 0, 0}},
        {{1, 2, 3, 4},
         {1 / std::sqrt(30.0), 2 / std::sqrt(30.0), 3 / std::sqrt(30.0), 4 / std::sqrt(30.0)}},
    };
    for (const NormalizeCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.input.w << " " << c.input.x << " " << c.input.y << " " << c.input.z);
        Quaternion q = c.input;
        q.normalize();
        expectNear(q, c.expected, 1e-15);
    }
}

TEST(Quaternion, SlerpOfEqualUnitQuaternionsIsThatQuaternion) {
    const Quaternion a = axisAngle(Vector3(0.0, 0.6, 0.8), 1.2);
    for (double t : {0.0, 0.3, 0.5, 1.0}) {
        expectNear(slerp(a, a, t), a, 1e-15);
    }
}

// Blending from a towards b by t is the turn from a to b scaled to t of its angle.
TEST(Quaternion, SlerpFollowsTheTurnBetweenItsEnds) {
    Lcg random;
    for (int i = 0; i < 200; ++i) {
        const Quaternion a = axisAngle(unitAxis(random), random.next(-PI, PI));
        const Vector3 axis = unitAxis(random);
        const double angle = random.next(0.05, 1.9 * PI);
        const double t = random.next(0.0, 1.0);
        const Quaternion result = slerp(a, axisAngle(axis, angle) * a, t);
        SCOPED_TRACE(i);
        expectNear(result, axisAngle(axis, t * angle) * a, 1e-9);
        EXPECT_NEAR(norm(result), 1.0, 1e-9); // a true arc needs no normalising
    }
}

TEST(Quaternion, SlerpHalfwayIsTheHalfTurn) {
    const Vector3 axis(0.0, 1.0, 0.0);
    for (double angle : {0.05, 0.5, 1.0, PI / 2, 2.0, 3.0}) {
        SCOPED_TRACE(angle);
        expectNear(slerp(Quaternion(), axisAngle(axis, angle), 0.5), axisAngle(axis, angle / 2));
    }
}

TEST(Quaternion, SlerpAtNinetyDegreesWeighsBySines) {
    const Quaternion a;
    const Quaternion b(0.0, 1.0, 0.0, 0.0); // 90 degrees from a in quaternion space
    const Quaternion result = slerp(a, b, 0.3);
    expectNear(result, {std::sin(0.35 * PI), std::sin(0.15 * PI), 0.0, 0.0});
}

// Just below the linear threshold the linear and the arc blend agree to second order, so the
// switch is seamless; just above it the arc is used and stays on the unit sphere exactly.
TEST(Quaternion, SlerpSwitchesToLinearBelowItsAngle) {
    const Vector3 axis(1.0, 0.0, 0.0);
    const double t = 0.3;
    const double inside = 2 * (SLERP_LINEAR_ANGLE * 0.999); // quaternion angle is half this
    const Quaternion b = axisAngle(axis, inside);
    expectNear(slerp(Quaternion(), b, t), (1 - t) * Quaternion() + t * b, 1e-15);
    const double outside = 2 * (SLERP_LINEAR_ANGLE * 1.001);
    const Quaternion arc = slerp(Quaternion(), axisAngle(axis, outside), t);
    EXPECT_NEAR(norm(arc), 1.0, 1e-15);
    EXPECT_LT(norm(slerp(Quaternion(), b, t)), 1.0 - 1e-6);
}

TEST(Quaternion, SlerpClampsADotProductAboveOne) {
    const Quaternion a(0.5, 0.5, 0.5, 0.5);
    const Quaternion b = (1 + 1e-12) * a; // dot product just above 1
    for (double t : {0.0, 0.3, 1.0}) {
        const Quaternion result = slerp(a, b, t);
        SCOPED_TRACE(t);
        expectNear(result, (1 - t) * a + t * b, 1e-15);
    }
}

// Opposite quaternions leave sin(theta) near zero; the blend must stay finite and bounded.
TEST(Quaternion, SlerpOfNearlyOppositeQuaternionsStaysBounded) {
    const Quaternion a = axisAngle(Vector3(0.0, 0.0, 1.0), 0.4);
    const Quaternion opposites[] = {
        -1.0 * a,
        -1.0 * axisAngle(Vector3(0.0, 0.0, 1.0), 0.4 + 1e-9),
        -1.0 * axisAngle(Vector3(1.0, 0.0, 0.0), 1e-6) * a,
    };
    for (const Quaternion& b : opposites) {
        for (double t : {0.0, 0.3, 0.5, 0.7, 1.0}) {
            const Quaternion result = slerp(a, b, t);
            SCOPED_TRACE(t);
            EXPECT_TRUE(std::isfinite(norm(result)));
            EXPECT_LE(norm(result), 1.0 + 1e-9);
        }
    }
}

} // namespace
