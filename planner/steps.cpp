// A ground's and a vehicle's step prices, set up once per planning grid.
#include "planner/steps.h"

#include <cstdlib>

namespace {

// True when every pair of columns and of rows up to `reach` apart lies exactly that many times
// `run` apart as floats.
bool evenlySpaced(const TerrainPositions& t, float run, int reach) {
    for (int r = 1; r <= reach; ++r) {
        const float gap = static_cast<float>(r) * run;
        for (int x = 0; x + r < t.shape().columns; ++x) {
            if (std::fabs(t.columnX(x + r) - t.columnX(x)) != gap) {
                return false;
            }
        }
        for (int y = 0; y + r < t.shape().rows; ++y) {
            if (std::fabs(t.rowY(y + r) - t.rowY(y)) != gap) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

StepPrices::StepPrices(const TerrainPositions& terrain, const Vehicle& vehicle,
                       const MoveSet& moves)
    : terrain_(&terrain), moves_(&moves), run_(static_cast<float>(terrain.shape().spacing)) {
    uniformRun_ = evenlySpaced(terrain, run_, moves.reach);
    descent_ = vehicle.descent;
    massGravity_ = vehicle.vehicleMass * GRAVITY;
    pace_ = paceOf(vehicle.topSpeedKmh);
    powerWatts_ = vehicle.powerKw * WATTS_PER_KILOWATT;
    massGravityExact_ = static_cast<double>(vehicle.vehicleMass) * STANDARD_GRAVITY;
    rollingCoefficient_ = vehicle.rolling;
    // The mean of two equal coefficients is the coefficient itself: an even surface's rolling
    // energy is that of a surface that varies, bit for bit.
    const float rollingForce = vehicle.rolling * massGravity_;
    for (int d = 0; d < moves.count; ++d) {
        const Move& s = moves[d];
        moveRun_[d] = s.multiplier * run_;
        rolling_[d] = rollingForce * moveRun_[d];
        // The gaps as an evenly spaced ground's positions give them: whole runs apart.
        xSquare_[d] = gapSquare(0.0f, static_cast<float>(std::abs(s.dx)) * run_);
        ySquare_[d] = gapSquare(0.0f, static_cast<float>(std::abs(s.dy)) * run_);
    }
}
