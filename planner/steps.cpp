// A ground's and a vehicle's step prices, set up once per planning grid.
#include "planner/steps.h"

namespace {

// True when every neighbouring pair of columns and of rows is exactly `run` apart as floats.
bool evenlySpaced(const TerrainPositions& t, float run) {
    for (int x = 0; x + 1 < t.shape().columns; ++x) {
        if (std::fabs(t.columnX(x + 1) - t.columnX(x)) != run) {
            return false;
        }
    }
    for (int y = 0; y + 1 < t.shape().rows; ++y) {
        if (std::fabs(t.rowY(y + 1) - t.rowY(y)) != run) {
            return false;
        }
    }
    return true;
}

} // namespace

StepPrices::StepPrices(const TerrainPositions& terrain, const Vehicle& vehicle)
    : terrain_(&terrain), run_(static_cast<float>(terrain.shape().spacing)) {
    uniformRun_ = evenlySpaced(terrain, run_);
    descent_ = vehicle.descent;
    massGravity_ = vehicle.vehicleMass * GRAVITY;
    const float rollingForce = vehicle.rolling * massGravity_;
    const float runSquare = run_ * run_;
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        const NeighbourStep& s = NEIGHBOUR_STEPS[d];
        moveRun_[d] = s.multiplier * run_;
        rolling_[d] = rollingForce * moveRun_[d];
        xSquare_[d] = s.dx != 0 ? runSquare : 0.0f;
        ySquare_[d] = s.dy != 0 ? runSquare : 0.0f;
    }
}
