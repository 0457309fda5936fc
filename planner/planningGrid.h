#pragma once
// What both planners read about one ground, vehicle and move set: which moves from each cell may
// be taken, and how to price a move. Built once per ground and vehicle, since testing a long
// move along its line costs more than pricing it; a move's length and energy are computed from
// the two heights when a planner takes it, so a grid of millions of cells keeps one bit a move
// per cell; a small grid of eight steps that come in few prices also keeps each step's kind, to
// look its price up.

#include "planner/cancel.h"
#include "planner/kernels/hugePages.h"
#include "planner/kernels/kernels.h"
#include "planner/steps.h"
#include "terrain/groundCover.h"
#include "terrain/terrainGrid.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <type_traits>
#include <vector>

// The cheapest and the dearest step that costs anything, in one measure (0 and 0 when no step
// costs anything), and whether any step is free.
struct StepRange {
    double cheapest = 0.0;
    double dearest = 0.0;
    bool free = false; // some step costs nothing
};

// The price of a step that may not be taken: added to any cost it lowers nothing.
constexpr float CLOSED_STEP = std::numeric_limits<float>::infinity();

// Kinds of step a small grid's passable steps come in, kind 0 a step not taken: on whole-metre
// heights a step's price depends only on its rise and whether it is diagonal, so at 30 m and a
// 7 % grade (a rise of at most 2 m straight and 2 diagonally) there are ten.
constexpr int STEP_KINDS = 16;
constexpr int STEP_KIND_BITS = 4;

struct StepKindPrice {
    float length; // metres
    float energy; // joules
};

// A grid's steps by kind, so that a plan of a grid that fits in the caches looks a step's price
// up instead of working it out. Empty on a grid of PARALLEL_CELLS or more, of moves other than the
// eight steps, or whose steps take more than STEP_KINDS - 1 prices.
struct StepKinds {
    // Per cell, the kind of step d in bits STEP_KIND_BITS * d and up.
    std::vector<uint32_t> cells;
    StepKindPrice prices[STEP_KINDS];
};

struct PlanningGrid {
    GridShape shape{0, 0, GRID_SPACING};
    const TerrainPositions* terrain = nullptr;
    const MoveSet* moves = &moveSetFor(NEIGHBOUR_COUNT);
    // Bit d of a cell's moves->bitBytes() bytes (bit d % 8 of byte d / 8): move d of the set may
    // be taken (its end lies in the grid, both cells have ground and are open, the slope between
    // them is within the vehicle's limits, and so is the ground along its line).
    std::vector<uint8_t> steps;
    // Per cell, 1 when a plan may start there: ground that no barrier closes.
    std::vector<uint8_t> open;
    // Per cell, seconds a metre (the pace its cover and the vehicle's top speed allow) and the
    // rolling coefficient of its surface; each empty when it is the same everywhere. Closed cells
    // hold anything. The prices read them: a grid is built in place and never copied.
    std::vector<double> pace;
    std::vector<float> rolling;
    // Plans of this grid fill the time tables too.
    bool timed = false;
    // The paths its building took and its searches take, chosen once.
    Kernels kernels = Kernels::Plain;
    StepPrices prices;
    StepRange lengths;
    StepRange energies;
    StepRange times;
    StepKinds kinds;
};

// Cells of a planner's working state in memory asked to come in 2 MB pages: a search over a big
// grid reaches across many columns 4 bytes a row apart at once, and 4 KB pages would cost a
// translation miss on nearly every step. Grows only; what it holds after growing is undefined.
template <typename Cell> class PlannerArray {
    static_assert(std::is_trivial_v<Cell>, "cells are neither built nor destroyed");

  public:
    PlannerArray() = default;
    PlannerArray(const PlannerArray&) = delete;
    PlannerArray& operator=(const PlannerArray&) = delete;
    ~PlannerArray() { std::free(cells_); }

    // Room for `count` cells.
    Cell* reserve(std::size_t count) {
        if (count <= capacity_) {
            return cells_;
        }
        std::free(cells_);
        std::size_t bytes = 0;
        cells_ = static_cast<Cell*>(allocateInHugePages(count * sizeof(Cell), bytes));
        if (cells_ == nullptr) {
            capacity_ = 0;
            throw std::bad_alloc();
        }
        capacity_ = bytes / sizeof(Cell);
        return cells_;
    }

    // Gives the cells' memory back; the next reserve allocates anew.
    void release() {
        std::free(cells_);
        cells_ = nullptr;
        capacity_ = 0;
    }

  private:
    Cell* cells_ = nullptr;
    std::size_t capacity_ = 0;
};

// The move bits of the cell at flat index p.
inline const uint8_t* movesAt(const PlanningGrid& grid, std::size_t p) {
    return grid.steps.data() + p * static_cast<std::size_t>(grid.moves->bitBytes());
}

// True when move d may be taken from the cell at flat index p.
inline bool takesMove(const PlanningGrid& grid, std::size_t p, int d) {
    return (movesAt(grid, p)[d / 8] >> (d % 8) & 1u) != 0;
}

// Calls visit(d) for every move d set in the `bytes` bytes of move bits at `bits`, in order.
template <typename Visit> inline void forEachMove(const uint8_t* bits, int bytes, Visit&& visit) {
    for (int b = 0; b < bytes; ++b) {
        for (unsigned open = bits[b]; open != 0; open &= open - 1) {
            visit(8 * b + __builtin_ctz(open));
        }
    }
}

// Length, metres, of move d from the cell at flat index p (the move must be taken).
inline float stepLengthAt(const PlanningGrid& grid, std::size_t p, int d) {
    const float* z = grid.terrain->heights().data();
    return grid.prices.length(p, d, z[p], z[p + moveOffset((*grid.moves)[d], grid.shape.rows)]);
}

// The same prices on a grid whose steps come in kinds, looked up: reads neither height.
struct KindPrices {
    const uint32_t* cells;
    const StepKindPrice* prices;

    explicit KindPrices(const PlanningGrid& g)
        : cells(g.kinds.cells.data()), prices(g.kinds.prices) {}
    float length(std::size_t p, int d, float, float) const { return kindOf(p, d).length; }
    float energy(std::size_t p, int d, float, float) const { return kindOf(p, d).energy; }
    template <Measure M> float price(std::size_t p, int d, float, float) const {
        return M == Measure::Distance ? kindOf(p, d).length : kindOf(p, d).energy;
    }
    template <Measure M> float oneCellPrice(std::size_t p, int d, float zp, float zq) const {
        return price<M>(p, d, zp, zq);
    }

  private:
    const StepKindPrice& kindOf(std::size_t p, int d) const {
        return prices[(cells[p] >> (STEP_KIND_BITS * d)) & (STEP_KINDS - 1)];
    }
};

// Energy, joules, of step d from the cell at flat index p.
inline float stepEnergyAt(const PlanningGrid& grid, std::size_t p, int d) {
    const float* z = grid.terrain->heights().data();
    return grid.prices.energy(p, d, z[p], z[p + moveOffset((*grid.moves)[d], grid.shape.rows)]);
}

// True when a plan can start at (x, y): inside the grid, on ground and outside every barrier. Any
// other start leaves every cell unreached, itself included.
inline bool canStartAt(const PlanningGrid& grid, int x, int y) {
    return grid.shape.contains(x, y) && grid.open[grid.shape.index(x, y)] != 0;
}

// What a planning grid is built from besides its ground: whose moves, which cells are closed,
// what covers the ground and whether plans are timed.
struct GroundUse {
    const Vehicle& vehicle;
    const MoveSet& moves; // must outlive the grid (moveSetFor's do)
    // Empty, or one byte per cell, non-zero for a cell no route may enter or leave.
    const std::vector<uint8_t>& closed;
    // Empty, or the speed and surface of every cell; a speed of 0 closes its cell.
    const GroundCover& cover;
    bool timed = false;                 // plans fill the time tables too
    Kernels kernels = fastestKernels(); // the paths the grid's building and searches take
    const CancelFlag* cancel = nullptr; // raised, stops the building within a column of cells
};

// Tests and prices every move of the use's set from every cell of `terrain`. Uses both cores on
// a big grid. False when the use's cancel flag stopped it: the grid is then unusable until built
// again.
bool buildPlanningGrid(const TerrainPositions& terrain, const GroundUse& use, PlanningGrid& grid);

// The first part of that: sets the grid's shape and marks its open cells (ground that no
// barrier of `closed` and no cover closes), which is all canStartAt reads. Takes a pass over the
// cells where pricing the moves takes seconds on a big ground, so points can be checked before.
// True when `closed` or the cover closes some cell.
bool markOpenCells(const TerrainPositions& terrain, const std::vector<uint8_t>& closed,
                   const GroundCover& cover, PlanningGrid& grid);
