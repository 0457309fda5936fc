#pragma once
// The moves the search loop (planner/searchLoop.h) offers out of a cell, one at a time, forward
// or reversed, and the plain records it keeps its labels in. Prices is StepPrices, or KindPrices
// on a grid whose steps come in kinds; Records is TableRecords here, or a record of
// planner/kernels/ that keeps a cell's height and steps beside its label.

#include "planner/planningGrid.h"
#include "planner/routeTables.h"
#include "planner/searchCell.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// Where a search keeps its labels: records of 16 bytes beside the grid's heights and moves and
// the predecessor table, for any set of moves.
struct TableRecords {
    // Over any set, a move may be longer than one cell.
    static constexpr bool ONE_CELL_MOVES = false;

    SearchCell* cells;
    const float* heights;
    const uint8_t* moves;
    int moveBytes;
    uint8_t* from;

    SearchCell& operator[](std::size_t p) const { return cells[p]; }
    void reset(std::size_t p) const {
        cells[p] = {static_cast<double>(UNREACHED_COST), 0.0};
        from[p] = FROM_NOWHERE;
    }
    float height(std::size_t p) const { return heights[p]; }
    const uint8_t* movesOf(std::size_t p) const { return moves + p * moveBytes; }
    // True when move d may be taken out of the cell at p.
    bool takes(std::size_t p, int d) const { return (movesOf(p)[d / 8] >> (d % 8) & 1u) != 0; }
    // Calls visit(d) for every move d open from the cell at p, in order.
    template <typename Visit> void forEachMoveOf(std::size_t p, Visit&& visit) const {
        forEachMove(movesOf(p), moveBytes, visit);
    }
    void arrived(std::size_t q, uint8_t by) const { from[q] = by; }
    uint8_t arrivedBy(std::size_t q) const { return from[q]; }
    // The cell's predecessor is in the table already.
    void finish(std::size_t) const {}
};

// What the moves of a search may add at least: no move costs less than its measure's cheapest
// step, and a long move no less than its straight run. A neighbour already cheaper than a cell's
// cost plus that can be neither lowered nor tied from it, and its move is not priced.
struct MoveFloor {
    std::ptrdiff_t offsets[MOST_MOVES]; // flat index offsets
    double leastOf[MOST_MOVES];         // least price of each move, measure M
    double leastOther = 0.0;            // least price of any step, in the other measure
    int count = 0;

    template <Measure M, typename Prices>
    static MoveFloor of(const PlanningGrid& grid, const Prices& prices, const StepRange& range,
                        const StepRange& otherRange) {
        MoveFloor floor;
        floor.count = grid.moves->count;
        const double leastStep = range.free ? 0.0 : range.cheapest;
        for (int d = 0; d < floor.count; ++d) {
            floor.offsets[d] = moveOffset((*grid.moves)[d], grid.shape.rows);
            floor.leastOf[d] = leastStep;
            if constexpr (std::is_same_v<Prices, StepPrices>) {
                floor.leastOf[d] = std::max(leastStep, prices.template leastPrice<M>(d));
            }
        }
        floor.leastOther = otherRange.free ? 0.0 : otherRange.cheapest;
        return floor;
    }

    // True when the neighbour `next` may be lowered or tied through move d from a cell of cost
    // `base` and other measure `otherBase`. One as cheap is only lowered or tied by a free step,
    // and in the other measure by no less than its cheapest step.
    bool mayLower(int d, double base, double otherBase, const SearchCell& next) const {
        return !(next.cost < base + leastOf[d] ||
                 (next.cost == base && next.other() < otherBase + leastOther));
    }
};

// The price in measure M of move d from the cell at p (height zp) to a cell of height zq; over
// records of one-cell moves only, by the rule of one cell, which walks no line.
template <Measure M, bool ONE_CELL, typename Prices>
double movePrice(const Prices& prices, std::size_t p, int d, float zp, float zq) {
    if constexpr (ONE_CELL) {
        return static_cast<double>(prices.template oneCellPrice<M>(p, d, zp, zq));
    } else {
        return static_cast<double>(prices.template price<M>(p, d, zp, zq));
    }
}

// Offers the neighbour q (its label `next`) the cost `base` plus the price of move d, taken from
// the cell at `first` (height zFirst) to its end (height zEnd), when that lowers or ties q. A long
// move's line gives both measures in one walk, after its straight line's bound; otherwise the
// other measure is priced only for a move that lowers or ties. Forward, the move leads from the
// cell taken up to q; reversed, from q to it.
template <Measure M, bool LINES, bool ONE_CELL, typename Prices, typename Offer>
void offerPriced(const Prices& prices, int d, std::size_t first, float zFirst, float zEnd,
                 std::size_t q, const SearchCell& next, double base, Offer& offer) {
    if constexpr (LINES) {
        if (prices.isLong(d)) {
            if (base + prices.template lineBound<M>(d, zFirst, zEnd) > next.cost) {
                return;
            }
            const auto [price, otherPrice] = prices.template alongLineIn<M>(first, d);
            if (base + price <= next.cost) {
                offer(d, q, base + price, otherPrice);
            }
            return;
        }
    }
    const double cost = base + movePrice<M, ONE_CELL>(prices, first, d, zFirst, zEnd);
    if (cost <= next.cost) {
        offer(d, q, cost, movePrice<otherMeasure(M), ONE_CELL>(prices, first, d, zFirst, zEnd));
    }
}

// The open moves out of a cell, each offered to the cell it leads to.
template <Measure M, typename Prices, typename Records> struct ForwardMoves {
    // Long moves are priced along their lines.
    static constexpr bool LINES = !Records::ONE_CELL_MOVES && std::is_same_v<Prices, StepPrices>;

    const Prices& prices;
    MoveFloor floor;

    template <typename Offer>
    void offersFrom(const Records& cells, std::size_t p, double base, double otherBase,
                    Offer&& offer) const {
        const float zp = cells.height(p);
        cells.forEachMoveOf(p, [&](int d) {
            const std::size_t q = p + floor.offsets[d];
            const SearchCell& next = cells[q];
            if (!floor.mayLower(d, base, otherBase, next)) {
                return;
            }
            offerPriced<M, LINES, Records::ONE_CELL_MOVES>(prices, d, p, zp, cells.height(q), q,
                                                           next, base, offer);
        });
    }
};

// Every move of the set that may be taken into a cell, offered to the cell it comes from, each
// priced as the move forward: a cell's cost is then its least cost to a start.
template <Measure M, typename Prices, typename Records> struct ReversedMoves {
    static constexpr bool LINES = ForwardMoves<M, Prices, Records>::LINES;

    const Prices& prices;
    MoveFloor floor;
    std::size_t cellCount;

    template <typename Offer>
    void offersFrom(const Records& cells, std::size_t p, double base, double otherBase,
                    Offer&& offer) const {
        const float zp = cells.height(p);
        for (int d = 0; d < floor.count; ++d) {
            // A flat index in the grid whose move d is open ends in the grid, so at p itself.
            const std::ptrdiff_t from = static_cast<std::ptrdiff_t>(p) - floor.offsets[d];
            if (from < 0 || from >= static_cast<std::ptrdiff_t>(cellCount) ||
                !cells.takes(static_cast<std::size_t>(from), d)) {
                continue;
            }
            const std::size_t q = static_cast<std::size_t>(from);
            const SearchCell& next = cells[q];
            if (!floor.mayLower(d, base, otherBase, next)) {
                continue;
            }
            offerPriced<M, LINES, Records::ONE_CELL_MOVES>(prices, d, q, cells.height(q), zp, q,
                                                           next, base, offer);
        }
    }
};
