#pragma once
// Building blocks of the generated terrain: a small seeded generator and smooth landform
// profiles. Only + - * / and sqrt are used (all exactly rounded by IEEE 754), so the same seed
// gives the same heights with any compiler and standard library.

#include <algorithm>
#include <cmath>
#include <cstdint>

// splitmix64: tiny, fast and fully specified, unlike the standard distributions.
class SplitMix64 {
  public:
    explicit SplitMix64(uint64_t seed) : state(seed) {}

    uint64_t next() {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high), from the top 53 bits.
    double between(double low, double high) {
        constexpr double unitScale = 1.0 / 9007199254740992.0; // 2^-53
        return low + (high - low) * static_cast<double>(next() >> 11) * unitScale;
    }

  private:
    uint64_t state;
};

// 0 below 0, 1 above 1, with zero first and second derivatives at both ends.
inline double smootherStep(double t) {
    const double c = std::clamp(t, 0.0, 1.0);
    return c * c * c * (c * (c * 6.0 - 15.0) + 10.0);
}

// Round hump of height 1 at t = 0 falling smoothly to 0 at |t| = 1; its steepest slope is
// about 1.72 per unit of t.
inline double roundHump(double t) {
    const double s = 1.0 - t * t;
    return s > 0.0 ? s * s * s : 0.0;
}

inline double distanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double ex = bx - ax;
    const double ey = by - ay;
    const double along =
        std::clamp(((px - ax) * ex + (py - ay) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    const double dx = px - (ax + along * ex);
    const double dy = py - (ay + along * ey);
    return std::sqrt(dx * dx + dy * dy);
}

// Nearest integer, halves rounded up; floor is exact, so this is the same everywhere.
inline int roundToInt(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}
