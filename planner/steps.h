#pragma once
// One step of a plan: the moves out of a cell, the test a move must pass and its price in each
// measure. The step table, both planners, the four-lane pricer, the default ends and the price
// bounds all take a step from here, so a move set, a test or a measure changes in one place. The
// float roundings are part of the result: the rules are written once over a number type, a float
// for one step or four lanes for four steps, so that every user rounds the same way and the tables
// come out bit for bit the same.

#include "planner/moveProfile.h"
#include "planner/moveSet.h"
#include "planner/stepRules.h"
#include "terrain/groundCover.h"
#include "terrain/terrainGrid.h"
#include "terrain/vehicle.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

constexpr int NEIGHBOUR_COUNT = 8;

// The eight neighbours, in the order the planners offer them costs: the set of 8 moves, which the
// four-lane pricer and the step kinds are written for. The order decides which of two equal
// candidates becomes the predecessor, so it is part of the result.
constexpr Move NEIGHBOUR_STEPS[NEIGHBOUR_COUNT] = {
    {1, 1, DIAGONAL_STEP},  {1, 0, STRAIGHT_STEP},  {1, -1, DIAGONAL_STEP}, {0, 1, STRAIGHT_STEP},
    {0, -1, STRAIGHT_STEP}, {-1, 1, DIAGONAL_STEP}, {-1, 0, STRAIGHT_STEP}, {-1, -1, DIAGONAL_STEP},
};

// The table is symmetric about its middle: entry d and entry 7 - d point in opposite directions.
constexpr int oppositeNeighbour(int d) {
    return NEIGHBOUR_COUNT - 1 - d;
}

// The number of the move (dx, dy), or -1 when the set has none.
constexpr int moveNumber(int dx, int dy) {
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        if (NEIGHBOUR_STEPS[d].dx == dx && NEIGHBOUR_STEPS[d].dy == dy) {
            return d;
        }
    }
    return -1;
}

constexpr bool isDiagonal(int d) {
    return NEIGHBOUR_STEPS[d].dx != 0 && NEIGHBOUR_STEPS[d].dy != 0;
}

// Flat index offset of move m in a grid of `rows` rows.
inline std::ptrdiff_t moveOffset(const Move& m, int rows) {
    return static_cast<std::ptrdiff_t>(m.dx) * rows + m.dy;
}

// Flat index offset of neighbour d in a grid of `rows` rows.
inline std::ptrdiff_t neighbourOffset(int d, int rows) {
    return moveOffset(NEIGHBOUR_STEPS[d], rows);
}

// The larger of a and b, and b when neither is: the four-lane maximum's rule, so that a -0 or a
// NaN comes out the same either way.
inline float largerOf(float a, float b) {
    return a > b ? a : b;
}

inline float rootOf(float sum) {
    return squareRootOfSum(sum);
}

// How far a step climbs and how far it drops, one of the two 0.
template <typename F> struct Rise {
    F climb;
    F drop;
};

template <typename F> Rise<F> riseOf(F zFrom, F zTo) {
    const F zero(0.0f);
    const F dz = zTo - zFrom;
    return {largerOf(dz, zero), largerOf(zero - dz, zero)};
}

// Metres: the root of the height change squared plus the squares of the column and row gaps,
// summed in that order. A move along a row or a column has one gap of 0, and adding it changes
// no bit, so every move, even or uneven ground, goes through the same sum.
template <typename F> F moveLength(const Rise<F>& rise, F xSquare, F ySquare) {
    const F change = rise.climb + rise.drop;
    return rootOf(change * change + xSquare + ySquare);
}

// Joules: m g (climb + descent * drop) + the rolling resistance along the run. The drop or the
// climb is 0, and so is the rolling term without resistance: adding either changes no bit.
template <typename F> F moveEnergy(const Rise<F>& rise, F descent, F massGravity, F rolling) {
    return (rise.climb + rise.drop * descent) * massGravity + rolling;
}

// The test a move must pass: a climb within the vehicle's up limit, a descent within its down
// limit, a level move always. The limits are kept as the least cosine each passes
// (passableRatioThreshold), so that a move costs a division and two comparisons, not an arc
// cosine. A move longer than one cell also tests the ground along its line (planner/moveProfile.h).
struct MoveTest {
    float upThreshold = 0.0f;
    float downThreshold = 0.0f;

    static MoveTest of(const Vehicle& vehicle) {
        return {passableRatioThreshold(gradeAngle(vehicle.gradeUpPercent)),
                passableRatioThreshold(gradeAngle(vehicle.gradeDownPercent))};
    }
    // `run` is the move's horizontal run, `length` its length (both metres) and `change` the
    // height at its end less the height at its start. Bitwise, not short-circuit, so that the
    // compiler tests many moves at once.
    bool passes(float run, float length, float change) const {
        const float ratio = run / length;
        const float threshold = change > 0.0f ? upThreshold : downThreshold;
        return (change == 0.0f) | (ratio >= threshold);
    }
};

// The measures a plan finds least routes in: a route's length (metres), its energy (joules) and
// the time it takes (seconds).
enum class Measure { Distance, Energy, Time };
constexpr int MEASURE_COUNT = 3;

// The measure that breaks a measure's ties: of routes equal in energy or time the shorter, of
// routes equal in length the one of less energy.
constexpr Measure otherMeasure(Measure m) {
    return m == Measure::Distance ? Measure::Energy : Measure::Distance;
}

// How far below a long move's price its bounds are taken: far above any difference of rounding
// between its line and the straight line between its ends, far below any real difference.
constexpr double LINE_ROUNDING_MARGIN = 1.0 - 1.0 / (1 << 20);

// A move's price in all three measures at once: metres and joules as floats, seconds as a double.
struct MovePrice {
    float length;
    float energy;
    double time;
};

// The line of a move longer than one cell as its price reads it: the pieces between the grid
// lines it crosses. Crossing k lies between the grid points `first[k]` and `second[k]` (flat
// index offsets from the move's start), `weight[k]` of the way from the first; piece k, of
// horizontal length run[k] metres, ends at crossing k, the last piece at the move's end.
struct MoveLine {
    int crossings = 0;
    std::ptrdiff_t first[MOST_CROSSINGS] = {};
    std::ptrdiff_t second[MOST_CROSSINGS] = {};
    double weight[MOST_CROSSINGS] = {};
    double run[MOST_CROSSINGS + 1] = {};
};

// The price of a move in each measure on one ground for one vehicle and move set: all that the
// rules need besides the two heights, per move. A planner copies it into its loop to keep it out
// of reach of its stores.
class StepPrices {
  public:
    StepPrices() = default;
    StepPrices(const TerrainPositions& terrain, const Vehicle& vehicle, const MoveSet& moves);

    // The moves priced, numbered as the planners number them.
    const MoveSet& moves() const { return *moves_; }
    // True when every pair of columns and rows a move spans lies exactly its whole number of
    // run()s apart as floats (any whole-metre spacing does): a move's length then needs only
    // the two heights.
    bool uniformRun() const { return uniformRun_; }
    // The spacing as a float: the horizontal run of a straight move.
    float run() const { return run_; }
    // The horizontal run of move d, metres, as the move test takes it.
    float moveRun(int d) const { return moveRun_[d]; }
    float descent() const { return descent_; }
    float massGravity() const { return massGravity_; }
    float rolling(int d) const { return rolling_[d]; }
    // The squares of the column and row gaps move d crosses on an evenly spaced ground.
    float xSquare(int d) const { return xSquare_[d]; }
    float ySquare(int d) const { return ySquare_[d]; }

    // Metres of move d from the cell at flat index p, of height zp, to its neighbour of height zq.
    float length(std::size_t p, int d, float zp, float zq) const {
        return isLong(d) ? alongLine<false>(p, d).length : oneCellLength(p, d, zp, zq);
    }
    // Joules of the same move.
    float energy(std::size_t p, int d, float zp, float zq) const {
        return isLong(d) ? alongLine<false>(p, d).energy : oneCellEnergy(p, d, zp, zq);
    }
    // Seconds of the same move.
    double time(std::size_t p, int d, float zp, float zq) const {
        return isLong(d) ? alongLine<true>(p, d).time : oneCellTime(p, d, zp, zq);
    }
    // Seconds of move d of `length` metres from the cell at p to the cell at q; a long move's
    // length is its line's, which prices its time itself.
    double timeOf(std::size_t p, std::size_t q, int d, float length, float zp, float zq) const {
        return isLong(d) ? alongLine<true>(p, d).time : oneCellTimeOf(p, q, d, length, zp, zq);
    }
    // The same move in measure M: metres and joules as floats, seconds as a double.
    template <Measure M> auto price(std::size_t p, int d, float zp, float zq) const {
        if constexpr (M == Measure::Distance) {
            return length(p, d, zp, zq);
        } else if constexpr (M == Measure::Energy) {
            return energy(p, d, zp, zq);
        } else {
            return time(p, d, zp, zq);
        }
    }

    // The prices of a move of one cell (not isLong(d)): a step between its two cells, which a
    // planner of the eight steps takes without asking.
    float oneCellLength(std::size_t p, int d, float zp, float zq) const {
        const Rise<float> rise = riseOf(zp, zq);
        if (uniformRun_) {
            return moveLength(rise, xSquare_[d], ySquare_[d]);
        }
        const int rows = terrain_->shape().rows;
        const int x = static_cast<int>(p / rows);
        const int y = static_cast<int>(p % rows);
        const Move& s = (*moves_)[d];
        return moveLength(rise, gapSquare(terrain_->columnX(x), terrain_->columnX(x + s.dx)),
                          gapSquare(terrain_->rowY(y), terrain_->rowY(y + s.dy)));
    }
    // Its rolling coefficient is the mean of its two cells'.
    float oneCellEnergy(std::size_t p, int d, float zp, float zq) const {
        const float rolling =
            cellRolling_ == nullptr
                ? rolling_[d]
                : (cellRolling_[p] + cellRolling_[endOf(p, d)]) * 0.5f * massGravity_ * moveRun_[d];
        return moveEnergy(riseOf(zp, zq), descent_, massGravity_, rolling);
    }
    double oneCellTime(std::size_t p, int d, float zp, float zq) const {
        return oneCellTimeOf(p, endOf(p, d), d, oneCellLength(p, d, zp, zq), zp, zq);
    }
    // Seconds of move d of `length` metres from the cell at p to the cell at q, in double: the
    // length at the mean of the two cells' paces, and on a climb with a power limit no less than
    // the length at the speed that power keeps up, P / (m g (rise / run + rolling)).
    double oneCellTimeOf(std::size_t p, std::size_t q, int d, float length, float zp,
                         float zq) const {
        const double metres = static_cast<double>(length);
        double seconds =
            cellPace_ == nullptr ? metres * pace_ : metres * (cellPace_[p] + cellPace_[q]) / 2.0;
        if (powerWatts_ > 0.0 && zq > zp) {
            const double rolling =
                cellRolling_ == nullptr
                    ? rollingCoefficient_
                    : (static_cast<double>(cellRolling_[p]) + cellRolling_[q]) / 2.0;
            const double grade = (static_cast<double>(zq) - zp) / moveRun_[d];
            const double speed = powerWatts_ / (massGravityExact_ * (grade + rolling));
            seconds = std::max(seconds, metres / speed);
        }
        return seconds;
    }
    // True when move d runs over more than one cell: it is priced along its line.
    bool isLong(int d) const { return longMove_[d]; }
    // True when some move of the set runs over more than one cell.
    bool anyLong() const { return lines_ != nullptr; }
    // Move d of more than one cell from the cell at p priced along the pieces of its line, in
    // double and rounded to float once for the length and the energy. At each crossing of a grid
    // line the height, the pace and the rolling coefficient are read between its two grid
    // points. A piece of horizontal length h that rises r adds the root of h^2 + r^2 to the
    // length; m g r on a climb, m g F |r| on a descent and m g h times the mean of its ends'
    // coefficients to the energy; its length at the mean of its ends' paces to the time, and no
    // less than the power allows on a climb. The heights along a move that may be taken all
    // have ground. Timed: false leaves the time 0, for a plan that needs none.
    template <bool Timed> MovePrice alongLine(std::size_t p, int d) const;
    // No less than what move d costs in measure M anywhere: its run, at the top speed's pace for
    // a time, and the vehicle's rolling energy over it where no cover varies the surface, a
    // rounding's margin below.
    template <Measure M> double leastPrice(int d) const {
        const double run = static_cast<double>(moveRun_[d]) * LINE_ROUNDING_MARGIN;
        if constexpr (M == Measure::Distance) {
            return run;
        } else if constexpr (M == Measure::Energy) {
            return cellRolling_ == nullptr
                       ? run * rollingCoefficient_ * massGravityExact_ * LINE_ROUNDING_MARGIN
                       : 0.0;
        } else {
            return run * pace_ * LINE_ROUNDING_MARGIN;
        }
    }
    // No more than what the long move d from the cell at p, of height zp, to its neighbour of
    // height zq costs in measure M along its line: what the straight line between its ends
    // costs, which no bump can make dearer, a rounding's margin below. Cheaper to work out than
    // the line, it spares pricing moves that could not lower their neighbour.
    template <Measure M> double lineBound(int d, float zp, float zq) const {
        const Rise<float> rise = riseOf(zp, zq);
        if constexpr (M == Measure::Energy) {
            const float even = cellRolling_ == nullptr ? rolling_[d] : 0.0f;
            return static_cast<double>(moveEnergy(rise, descent_, massGravity_, even)) *
                   LINE_ROUNDING_MARGIN;
        } else {
            const double length = static_cast<double>(moveLength(rise, xSquare_[d], ySquare_[d])) *
                                  LINE_ROUNDING_MARGIN;
            return M == Measure::Distance ? length : length * pace_ * LINE_ROUNDING_MARGIN;
        }
    }
    // The same move's price in measure M, and in the measure that breaks its ties.
    template <Measure M> std::pair<double, double> alongLineIn(std::size_t p, int d) const {
        const MovePrice price = alongLine<M == Measure::Time>(p, d);
        const auto in = [&](Measure m) {
            return m == Measure::Distance ? static_cast<double>(price.length)
                   : m == Measure::Energy ? static_cast<double>(price.energy)
                                          : price.time;
        };
        return {in(M), in(otherMeasure(M))};
    }
    template <Measure M> auto oneCellPrice(std::size_t p, int d, float zp, float zq) const {
        if constexpr (M == Measure::Distance) {
            return oneCellLength(p, d, zp, zq);
        } else if constexpr (M == Measure::Energy) {
            return oneCellEnergy(p, d, zp, zq);
        } else {
            return oneCellTime(p, d, zp, zq);
        }
    }
    // Takes each cell's pace (seconds a metre) and rolling coefficient from these tables, indexed
    // like the heights, in place of the vehicle's; null for the same everywhere. The tables must
    // outlive the prices.
    void useCells(const double* pace, const float* rolling) {
        cellPace_ = pace;
        cellRolling_ = rolling;
    }
    // True when the rolling coefficient is the vehicle's everywhere: each move's rolling energy
    // is then a constant of the move.
    bool evenRolling() const { return cellRolling_ == nullptr; }
    // Seconds a metre where the cover says nothing: the vehicle's top speed.
    double pace() const { return pace_; }
    // True when a move's time is its length at that pace everywhere: no cover, no power limit.
    bool evenTime() const { return cellPace_ == nullptr && powerWatts_ == 0.0; }

    // The square of the gap between two columns' or two rows' positions, as a float.
    static float gapSquare(float from, float to) {
        const float gap = std::fabs(to - from);
        return gap * gap;
    }

  private:
    std::size_t endOf(std::size_t p, int d) const {
        return p + moveOffset((*moves_)[d], terrain_->shape().rows);
    }

    const TerrainPositions* terrain_ = nullptr; // for the gaps of an unevenly spaced ground
    const MoveSet* moves_ = &moveSetFor(NEIGHBOUR_COUNT);
    bool uniformRun_ = true;
    float run_ = GRID_SPACING;
    float descent_ = 0.0f;
    float massGravity_ = 0.0f;
    float moveRun_[MOST_MOVES] = {};
    float rolling_[MOST_MOVES] = {};
    float xSquare_[MOST_MOVES] = {};
    float ySquare_[MOST_MOVES] = {};
    double pace_ = 0.0;               // seconds a metre at the vehicle's top speed
    double powerWatts_ = 0.0;         // 0: no power limit
    double massGravityExact_ = 0.0;   // m g in double, newtons
    double rollingCoefficient_ = 0.0; // the vehicle's
    const double* cellPace_ = nullptr;
    const float* cellRolling_ = nullptr;
    bool longMove_[MOST_MOVES] = {};
    // The lines of the set's moves, by move number; null when every move is of one cell. Shared
    // by the copies a planner makes.
    std::shared_ptr<const std::vector<MoveLine>> lines_;
    const float* heights_ = nullptr;
};
