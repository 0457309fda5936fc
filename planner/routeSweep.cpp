// The spiral sweep: each cell in the walker's order offers its costs to its neighbours, in the
// route tables themselves on a small grid, or on a big one in packed working cells per measure,
// one measure on each core. A set of longer moves is swept in the route tables, one move at a
// time.
#include "planner/routeSweep.h"

#include "planner/kernels/eightSteps.h"
#include "planner/kernels/parallelWork.h"
#include "planner/spiralOrder.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Stores the candidate base + step when it is strictly below the stored cost. The test is on the
// sum in double (exact for two floats; a move's time is a double already), the stored value is
// rounded: a candidate that rounds to the stored cost but lies below it still wins.
template <typename Step>
inline void offer(float& cost, uint8_t& previous, float base, Step step, uint8_t from) {
    const double candidate = static_cast<double>(base) + static_cast<double>(step);
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous = from;
    }
}

// The sweep's state kept in the route tables themselves, beside the terrain's heights and the
// grid's steps: nothing to set up or copy, the better choice while the grid fits in the caches.
// The measures are offered in one visit; Timed adds the time tables to the other two.
template <bool Timed> struct TableCells {
    float* distance;
    float* energy;
    float* time;
    uint8_t* distanceFrom;
    uint8_t* energyFrom;
    uint8_t* timeFrom;
    const float* heights;
    const uint8_t* steps;
    const StepPrices* prices; // for the times

    struct Base {
        std::size_t p;
        float distance;
        float energy;
        float time;
    };

    // The measures step over the same passable steps, so a cell unreached in distance is
    // unreached in the others too.
    bool reached(std::size_t p) const { return distance[p] != UNREACHED_COST; }
    Base base(std::size_t p) const { return {p, distance[p], energy[p], Timed ? time[p] : 0.0f}; }
    float heightOf(std::size_t p) const { return heights[p]; }
    uint8_t stepsOf(std::size_t p) const { return steps[p]; }
    template <typename Prices>
    void offerStep(const Base& base, std::size_t q, int d, const Prices& step) const {
        const auto arrived = static_cast<uint8_t>(d + 1);
        offer(distance[q], distanceFrom[q], base.distance, step.length(d), arrived);
        offer(energy[q], energyFrom[q], base.energy, step.energy(d), arrived);
        if (Timed) {
            offer(time[q], timeFrom[q], base.time,
                  prices->oneCellTimeOf(base.p, q, d, step.length(d), heights[base.p], heights[q]),
                  arrived);
        }
    }
    void prefetch(std::size_t) const {} // the tables fit in the caches
};

// One measure's sweep state in records of its own.
template <Measure M> struct PackedCells {
    SweepCell* cells;
    const StepPrices* prices; // for the times

    using Base = std::size_t; // the cell offering

    bool reached(std::size_t p) const { return cells[p].cost != UNREACHED_COST; }
    Base base(std::size_t p) const { return p; }
    float heightOf(std::size_t p) const { return cells[p].height; }
    uint8_t stepsOf(std::size_t p) const { return cells[p].steps; }
    template <typename Prices>
    void offerStep(std::size_t p, std::size_t q, int d, const Prices& step) const {
        const auto arrived = static_cast<uint8_t>(d + 1);
        if constexpr (M == Measure::Time) {
            offer(cells[q].cost, cells[q].from, cells[p].cost,
                  prices->oneCellTimeOf(p, q, d, step.length(d), cells[p].height, cells[q].height),
                  arrived);
        } else {
            offer(cells[q].cost, cells[q].from, cells[p].cost,
                  M == Measure::Energy ? step.energy(d) : step.length(d), arrived);
        }
    }
    void prefetch(std::size_t p) const { __builtin_prefetch(cells + p); }
};

template <typename Pricer, typename Cells>
void relaxCell(const Pricer& pricer, int rows, const Cells& cells, std::size_t p) {
    // An unreached cell has nothing to offer.
    if (!cells.reached(p)) {
        return;
    }
    const unsigned steps = cells.stepsOf(p);
    if (steps == 0) {
        return;
    }
    const typename Cells::Base base = cells.base(p);
    // A step not taken is priced on the cell itself and offered to it at CLOSED_STEP, which
    // changes nothing: the eight offers need no test, and the grid's edge is never crossed.
    std::size_t next[NEIGHBOUR_COUNT];
#pragma GCC unroll 8
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        next[d] = (steps & (1u << d)) != 0 ? p + neighbourOffset(d, rows) : p;
    }
    const auto prices =
        pricer.price(p, cells.heightOf(p), steps, [&](int d) { return cells.heightOf(next[d]); });
#pragma GCC unroll 8
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        cells.offerStep(base, next[d], d, prices);
    }
}

// The moves of a set other than the eight steps, as the sweep of the route tables takes them.
struct SetMoves {
    StepPrices prices; // a copy, kept out of reach of the stores into the tables
    const uint8_t* bits;
    int bitBytes;
    std::ptrdiff_t offsets[MOST_MOVES];

    explicit SetMoves(const PlanningGrid& grid)
        : prices(grid.prices), bits(grid.steps.data()), bitBytes(grid.moves->bitBytes()) {
        for (int d = 0; d < grid.moves->count; ++d) {
            offsets[d] = moveOffset((*grid.moves)[d], grid.shape.rows);
        }
    }
};

// Offers the costs of the cell at flat index p along each of its open moves in the set's order.
template <bool Timed>
void relaxAlongMoves(const SetMoves& moves, const TableCells<Timed>& cells, std::size_t p) {
    if (!cells.reached(p)) {
        return;
    }
    const typename TableCells<Timed>::Base base = cells.base(p);
    const float zp = cells.heightOf(p);
    forEachMove(moves.bits + p * moves.bitBytes, moves.bitBytes, [&](int d) {
        const std::size_t q = p + moves.offsets[d];
        const float zq = cells.heightOf(q);
        const auto arrived = static_cast<uint8_t>(d + 1);
        // A long move's line gives all three prices in one walk.
        const auto oneCell = [&] {
            const float length = moves.prices.length(p, d, zp, zq);
            return MovePrice{length, moves.prices.energy(p, d, zp, zq),
                             Timed ? moves.prices.timeOf(p, q, d, length, zp, zq) : 0.0};
        };
        const MovePrice price =
            moves.prices.isLong(d) ? moves.prices.alongLine<Timed>(p, d) : oneCell();
        offer(cells.distance[q], cells.distanceFrom[q], base.distance, price.length, arrived);
        offer(cells.energy[q], cells.energyFrom[q], base.energy, price.energy, arrived);
        if (Timed) {
            offer(cells.time[q], cells.timeFrom[q], base.time, price.time, arrived);
        }
    });
}

// How many cells ahead along a leg of the spiral a record is asked for: a leg across the columns
// steps a column's worth of memory per cell, which the hardware does not foresee.
constexpr std::size_t SWEEP_PREFETCH_CELLS = 16;

// Walks the spiral from (startX, startY), relaxing every cell of `cells`; false when `cancel`
// stopped it.
template <typename Pricer, typename Cells>
bool sweepCellsWith(const PlanningGrid& grid, const Pricer& pricer, int startX, int startY,
                    const Cells& cells, const ProgressListener& progress,
                    const CancelFlag* cancel) {
    const GridShape shape = grid.shape;
    const std::size_t cellCount = shape.cells();
    std::size_t last = shape.index(startX, startY);
    ProgressReport report(PLANNING_WORK, cellCount, progress);
    std::size_t visited = 0;
    return forEachSpiralCell(
        shape, startX, startY,
        [&](int a, int b) {
            if (++visited % PROGRESS_STRIDE == 0) {
                report.update(visited);
            }
            const std::size_t p = shape.index(a, b);
            // The leg goes on the way the last move went (a wrong guess at a corner costs nothing).
            const std::size_t ahead = p + (p - last) * SWEEP_PREFETCH_CELLS;
            if (ahead < cellCount) {
                cells.prefetch(ahead);
            }
            last = p;
            relaxCell(pricer, shape.rows, cells, p);
        },
        cancel);
}

// Calls use(pricer) with the pricer that suits the grid.
template <typename Use> void withPricer(const PlanningGrid& grid, Use&& use) {
    if (!grid.kinds.cells.empty()) {
        use(StepKindPricer(grid));
        return;
    }
    const StepPrices& prices = grid.prices;
    if (!prices.evenRolling()) {
        use(StepByStepPricer(prices));
        return;
    }
    if (prices.uniformRun()) {
        use(EightStepPricer<true>(prices));
        return;
    }
    use(EightStepPricer<false>(prices));
}

template <typename Cells>
bool sweepCells(const PlanningGrid& grid, int startX, int startY, const Cells& cells,
                const ProgressListener& progress, const CancelFlag* cancel) {
    bool complete = false;
    withPricer(grid, [&](const auto& pricer) {
        complete = sweepCellsWith(grid, pricer, startX, startY, cells, progress, cancel);
    });
    return complete;
}

// One measure's sweep over records of its own, written out to its cost and predecessor tables;
// false, with the tables left as they are, when `cancel` stopped it.
template <Measure M>
bool packedSweep(const PlanningGrid& grid, int startX, int startY, PlannerArray<SweepCell>& state,
                 float* cost, uint8_t* from, const ProgressListener& progress,
                 const CancelFlag* cancel) {
    const std::size_t cellCount = grid.shape.cells();
    SweepCell* cells = state.reserve(cellCount);
    const float* z = grid.terrain->heights().data();
    const uint8_t* steps = grid.steps.data();
    // Filling the records of a big grid takes tens of milliseconds: looked at in stretches.
    for (std::size_t first = 0; first < cellCount; first += PROGRESS_STRIDE) {
        if (cancelAsked(cancel)) {
            return false;
        }
        for (std::size_t p = first, end = std::min(cellCount, first + PROGRESS_STRIDE); p < end;
             ++p) {
            cells[p] = {UNREACHED_COST, z[p], steps[p], FROM_NOWHERE};
        }
    }
    cells[grid.shape.index(startX, startY)].cost = 0.0f;
    if (!sweepCells(grid, startX, startY, PackedCells<M>{cells, &grid.prices}, progress, cancel)) {
        return false;
    }
    for (std::size_t p = 0; p < cellCount; ++p) {
        cost[p] = cells[p].cost;
        from[p] = cells[p].from;
    }
    return true;
}

// A measure's packed sweep handed to a thread.
struct MeasureSweep {
    Measure measure;
    PlannerArray<SweepCell>* state;
    float* cost;
    uint8_t* from;
    const ProgressListener* progress;
    const CancelFlag* cancel;
    bool* complete; // set when the sweep ran to its end
};

template <bool Timed> TableCells<Timed> tableCells(const PlanningGrid& grid, RouteTables& tables) {
    return {tables.distance.data(),
            tables.energy.data(),
            tables.time.data(),
            tables.previousDistance.steps(),
            tables.previousEnergy.steps(),
            tables.previousTime.steps(),
            grid.terrain->heights().data(),
            grid.steps.data(),
            &grid.prices};
}

// Calls use(cells) with the route tables as the sweep of a timed or an untimed grid takes them.
template <typename Use>
void withTableCells(const PlanningGrid& grid, RouteTables& tables, Use&& use) {
    if (grid.timed) {
        use(tableCells<true>(grid, tables));
        return;
    }
    use(tableCells<false>(grid, tables));
}

// Sweeps the measures of a big grid of the eight steps in packed records, each on a core; false
// when `cancel` stopped any of them.
bool packedSweeps(const PlanningGrid& grid, int startX, int startY, SweepWorkspace& work,
                  RouteTables& out, const ProgressListener& progress, const CancelFlag* cancel) {
    const ProgressListener silent;
    bool complete[MEASURE_COUNT] = {};
    const auto sweep = [&](Measure m, const ProgressListener* told) {
        const int k = static_cast<int>(m);
        return MeasureSweep{m,    &work.cells[k], out.costs(m).data(), out.previous(m).steps(),
                            told, cancel,         &complete[k]};
    };
    const auto run = [&](const MeasureSweep& m) {
        switch (m.measure) {
        case Measure::Distance:
            *m.complete = packedSweep<Measure::Distance>(grid, startX, startY, *m.state, m.cost,
                                                         m.from, *m.progress, m.cancel);
            return;
        case Measure::Energy:
            *m.complete = packedSweep<Measure::Energy>(grid, startX, startY, *m.state, m.cost,
                                                       m.from, *m.progress, m.cancel);
            return;
        case Measure::Time:
            *m.complete = packedSweep<Measure::Time>(grid, startX, startY, *m.state, m.cost, m.from,
                                                     *m.progress, m.cancel);
            return;
        }
    };
    // The energy sweep runs on this thread and tells the progress of all.
    if (grid.timed) {
        std::array<MeasureSweep, 3> sweeps = {sweep(Measure::Distance, &silent),
                                              sweep(Measure::Time, &silent),
                                              sweep(Measure::Energy, &progress)};
        runEach(sweeps, run, work.helpers, 2);
        out.timed = true;
        return complete[0] && complete[1] && complete[2];
    }
    std::array<MeasureSweep, 2> sweeps = {sweep(Measure::Distance, &silent),
                                          sweep(Measure::Energy, &progress)};
    runEach(sweeps, run, work.helpers, 1);
    forgetTimes(out);
    return complete[0] && complete[1];
}

} // namespace

void relaxNeighbours(const PlanningGrid& grid, RouteTables& tables, int a, int b) {
    const std::size_t p = grid.shape.index(a, b);
    withTableCells(grid, tables, [&](const auto& cells) {
        if (grid.moves->count != NEIGHBOUR_COUNT) {
            relaxAlongMoves(SetMoves(grid), cells, p);
            return;
        }
        withPricer(grid, [&](const auto& pricer) { relaxCell(pricer, grid.shape.rows, cells, p); });
    });
}

bool sweepRoutes(const PlanningGrid& grid, int startX, int startY, SweepWorkspace& work,
                 RouteTables& out, const ProgressListener& progress, const CancelFlag* cancel) {
    out.useMoves(*grid.moves);
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1, grid.timed);
        return true;
    }
    // A grid that fits in the caches gains nothing from packing and must plan without
    // allocating; the packed state pays off where the tables do not fit.
    if (grid.moves->count == NEIGHBOUR_COUNT && workersFor(grid.shape.cells()) > 1) {
        return packedSweeps(grid, startX, startY, work, out, progress, cancel);
    }
    resetRouteTables(out, startX, startY, grid.timed);
    bool complete = false;
    withTableCells(grid, out, [&](const auto& cells) {
        if (grid.moves->count == NEIGHBOUR_COUNT) {
            complete = sweepCells(grid, startX, startY, cells, progress, cancel);
            return;
        }
        const SetMoves moves(grid);
        const GridShape shape = grid.shape;
        ProgressReport report(PLANNING_WORK, shape.cells(), progress);
        std::size_t visited = 0;
        complete = forEachSpiralCell(
            shape, startX, startY,
            [&](int a, int b) {
                if (++visited % PROGRESS_STRIDE == 0) {
                    report.update(visited);
                }
                relaxAlongMoves(moves, cells, shape.index(a, b));
            },
            cancel);
    });
    return complete;
}
