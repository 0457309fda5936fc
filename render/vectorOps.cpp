#include "render/vectorOps.h"

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
