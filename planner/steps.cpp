// A ground's and a vehicle's step prices, set up once per planning grid.
#include "planner/steps.h"

#include <cstdlib>
#include <memory>
#include <utility>

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

// The value `weight` of the way from a to b, in double: a itself where both are equal.
double between(double a, double b, double weight) {
    return a + weight * (b - a);
}

// The line of the move m as alongLine walks it on a grid of `rows` rows and `spacing` metres.
MoveLine lineOf(const Move& m, int rows, double spacing) {
    MoveLine line;
    const MoveCrossings crossings = moveCrossings(0, 0, m.dx, m.dy);
    const double run = std::sqrt(static_cast<double>(m.dx * m.dx + m.dy * m.dy)) * spacing;
    line.crossings = crossings.count;
    double t = 0.0;
    for (int k = 0; k <= crossings.count; ++k) {
        const double next = k < crossings.count ? crossings.at[k].t : 1.0;
        line.run[k] = (next - t) * run;
        t = next;
        if (k < crossings.count) {
            const Crossing& c = crossings.at[k];
            line.first[k] = static_cast<std::ptrdiff_t>(c.first.x) * rows + c.first.y;
            line.second[k] = static_cast<std::ptrdiff_t>(c.second.x) * rows + c.second.y;
            line.weight[k] = c.weight;
        }
    }
    return line;
}

} // namespace

template <bool Timed> MovePrice StepPrices::alongLine(std::size_t p, int d) const {
    const MoveLine& line = (*lines_)[d];
    const std::size_t q = endOf(p, d);
    // What the line reads at a grid point, and between two.
    struct Point {
        double z;
        double pace;    // seconds a metre
        double rolling; // coefficient
    };
    const auto pointAt = [&](std::size_t c) {
        return Point{heights_[c], cellPace_ == nullptr ? pace_ : cellPace_[c],
                     cellRolling_ == nullptr ? rollingCoefficient_ : cellRolling_[c]};
    };
    const double descent = descent_;
    Point from = pointAt(p);
    double length = 0.0;
    double energy = 0.0;
    double seconds = 0.0;
    for (int k = 0; k <= line.crossings; ++k) {
        Point to{};
        if (k < line.crossings) {
            const Point a = pointAt(p + line.first[k]);
            const Point b = pointAt(p + line.second[k]);
            const double w = line.weight[k];
            to = {between(a.z, b.z, w), between(a.pace, b.pace, w),
                  between(a.rolling, b.rolling, w)};
        } else {
            to = pointAt(q);
        }
        const double h = line.run[k];
        const double rise = to.z - from.z;
        const double piece = std::sqrt(h * h + rise * rise);
        const double rolling = (from.rolling + to.rolling) / 2.0;
        length += piece;
        energy += massGravityExact_ * (rise > 0.0 ? rise : descent * -rise) +
                  massGravityExact_ * h * rolling;
        if (Timed) {
            double pieceSeconds = piece * (from.pace + to.pace) / 2.0;
            if (powerWatts_ > 0.0 && rise > 0.0) {
                const double speed = powerWatts_ / (massGravityExact_ * (rise / h + rolling));
                pieceSeconds = std::max(pieceSeconds, piece / speed);
            }
            seconds += pieceSeconds;
        }
        from = to;
    }
    return {static_cast<float>(length), static_cast<float>(energy), seconds};
}

template MovePrice StepPrices::alongLine<false>(std::size_t p, int d) const;
template MovePrice StepPrices::alongLine<true>(std::size_t p, int d) const;

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
    heights_ = terrain.heights().data();
    if (moves.reach > 1) {
        auto lines = std::make_shared<std::vector<MoveLine>>();
        for (int d = 0; d < moves.count; ++d) {
            lines->push_back(lineOf(moves[d], terrain.shape().rows, terrain.shape().spacing));
            longMove_[d] = std::abs(moves[d].dx) > 1 || std::abs(moves[d].dy) > 1;
        }
        lines_ = std::move(lines);
    }
}
