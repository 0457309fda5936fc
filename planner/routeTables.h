#pragma once
// Least cost from the start cell to every grid cell, by path length and by path energy, and the
// cell each cost was reached from. Sized for the ground once, overwritten in place by every
// planning run.

#include "planner/steps.h"
#include "terrain/gridShape.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// A grid cell; only x (column) and y (row) carry meaning, z stays 0.
struct GridPoint {
    int32_t x;
    int32_t y;
    int32_t z;
};

constexpr float UNREACHED_COST = 1e35f;    // cost of a cell no step has reached
constexpr int32_t NO_PREVIOUS = 164888576; // x and y of a predecessor that was never set

// No neighbour: the planner has not lowered this cost.
constexpr uint8_t FROM_NOWHERE = 0;

// The predecessor of grid cell (x, y) that arrived by move from - 1 of `moves`, or
// (NO_PREVIOUS, NO_PREVIOUS, 0) for from 0 (nothing arrived).
inline GridPoint previousFromStep(const MoveSet& moves, int x, int y, uint8_t from) {
    if (from == FROM_NOWHERE) {
        return {NO_PREVIOUS, NO_PREVIOUS, 0};
    }
    const Move& step = moves[from - 1];
    return {x - step.dx, y - step.dy, 0};
}

// One cost per cell, metres or joules: costs[x][y].
class CostTable {
  public:
    void resize(const GridShape& shape) {
        shape_ = shape;
        costs_.assign(shape.cells(), UNREACHED_COST);
    }
    // Gives the costs' memory back until the next resize or unfilled(), for a plan that writes
    // every cost only when its search ends; the shape stays. Nothing may be read in between.
    void release() { Costs().swap(costs_); }
    bool released() const { return costs_.empty() && shape_.cells() > 0; }
    // Room for every cost of the shape, left as it comes: memory a plan takes only as it writes
    // the costs, every one of them, before anything reads them.
    float* unfilled() {
        costs_.resize(shape_.cells());
        return costs_.data();
    }
    const GridShape& shape() const { return shape_; }
    float* operator[](int x) { return costs_.data() + shape_.index(x, 0); }
    const float* operator[](int x) const { return costs_.data() + shape_.index(x, 0); }
    float* data() { return costs_.data(); }
    const float* data() const { return costs_.data(); }
    // True when (x, y) lies in the grid and a plan has reached it: a route ends there.
    bool reaches(int x, int y) const {
        return shape_.contains(x, y) && costs_[shape_.index(x, y)] != UNREACHED_COST;
    }

  private:
    // Grown without being filled: unfilled() writes nothing, and fresh memory is taken only when
    // first written.
    template <typename T> struct LeftUnfilled : std::allocator<T> {
        template <typename U> struct rebind { using other = LeftUnfilled<U>; };
        template <typename U> void construct(U* at) { ::new (static_cast<void*>(at)) U; }
        template <typename U, typename... Args> void construct(U* at, Args&&... args) {
            ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
        }
    };
    using Costs = std::vector<float, LeftUnfilled<float>>;

    GridShape shape_{0, 0, GRID_SPACING};
    Costs costs_;
};

// The predecessor of every cell, held as the move that arrived there (1 + its number in the
// plan's move set, 0 for none): one byte a cell instead of a GridPoint's twelve. previous[x][y]
// reads a GridPoint.
class PreviousTable {
  public:
    class Column {
      public:
        Column(const MoveSet* moves, const uint8_t* from, int x)
            : moves_(moves), from_(from), x_(x) {}
        GridPoint operator[](int y) const { return previousFromStep(*moves_, x_, y, from_[y]); }

      private:
        const MoveSet* moves_;
        const uint8_t* from_;
        int x_;
    };

    void resize(const GridShape& shape) {
        shape_ = shape;
        from_.assign(shape.cells(), FROM_NOWHERE);
    }
    const GridShape& shape() const { return shape_; }
    // True when the table holds a predecessor for every cell of its shape.
    bool sized() const { return from_.size() == shape_.cells(); }
    Column operator[](int x) const { return Column(moves_, from_.data() + shape_.index(x, 0), x); }
    // The set the arriving moves are numbered in; `moves` must outlive the table (moveSetFor's
    // do).
    void useMoves(const MoveSet& moves) { moves_ = &moves; }
    const MoveSet& moves() const { return *moves_; }
    // The arriving steps, indexed like the shape.
    uint8_t* steps() { return from_.data(); }
    const uint8_t* steps() const { return from_.data(); }

  private:
    GridShape shape_{0, 0, GRID_SPACING};
    const MoveSet* moves_ = &moveSetFor(NEIGHBOUR_COUNT);
    std::vector<uint8_t> from_;
};

// The tables one planning run writes: a cost and a predecessor table per measure. A plan of a
// grid that is not timed leaves the time tables unreached.
struct RouteTables {
    CostTable distance; // metres
    CostTable energy;   // joules
    CostTable time;     // seconds
    PreviousTable previousDistance;
    PreviousTable previousEnergy;
    PreviousTable previousTime;
    bool timed = false; // the last plan filled the time tables

    void resize(const GridShape& shape) {
        timed = false;
        distance.resize(shape);
        energy.resize(shape);
        time.resize(shape);
        previousDistance.resize(shape);
        previousEnergy.resize(shape);
        previousTime.resize(shape);
    }
    const GridShape& shape() const { return distance.shape(); }
    // Resizes for `shape` unless the tables already hold a plan's room for it.
    void sizeFor(const GridShape& shape) {
        const GridShape& held = previousDistance.shape();
        if (!previousDistance.sized() || held.columns != shape.columns || held.rows != shape.rows ||
            held.spacing != shape.spacing) {
            resize(shape);
        }
    }
    void useMoves(const MoveSet& moves) {
        previousDistance.useMoves(moves);
        previousEnergy.useMoves(moves);
        previousTime.useMoves(moves);
    }
    const CostTable& costs(Measure m) const {
        return m == Measure::Distance ? distance : m == Measure::Energy ? energy : time;
    }
    CostTable& costs(Measure m) {
        return m == Measure::Distance ? distance : m == Measure::Energy ? energy : time;
    }
    const PreviousTable& previous(Measure m) const {
        return m == Measure::Distance ? previousDistance
               : m == Measure::Energy ? previousEnergy
                                      : previousTime;
    }
    PreviousTable& previous(Measure m) {
        return m == Measure::Distance ? previousDistance
               : m == Measure::Energy ? previousEnergy
                                      : previousTime;
    }
};

// Every cell unreached with no predecessor, then the costs of (startX, startY) set to 0 (a start
// outside the grid leaves every cell unreached); the time table's too when the plan is `timed`.
void resetRouteTables(RouteTables& tables, int startX, int startY, bool timed = false);

// Leaves the time tables unreached after a plan that does not time its routes.
void forgetTimes(RouteTables& tables);
