#pragma once
// A record layout for searches over the eight steps: each cell's height, steps and predecessor
// beside its label, so that looking at a neighbour touches one cache line where the tables would
// take three, which halves the search of a big grid. A larger set's move bits do not fit.

#include "planner/planningGrid.h"
#include "planner/routeTables.h"
#include "planner/searchCell.h"

#include <cstddef>
#include <cstdint>

// 24 bytes a cell.
struct EightStepCell : SearchCell {
    float height;
    uint8_t steps; // PlanningGrid::steps
    uint8_t from;  // 1 + the step into the cell on its route, or FROM_NOWHERE
};

// The records of planner/searchMoves.h's TableRecords, laid out as EightStepCell; the
// predecessors go out to the table as each cell finishes.
struct EightStepRecords {
    static constexpr bool ONE_CELL_MOVES = true;

    EightStepCell* cells;
    const float* heights;
    const uint8_t* moves;
    uint8_t* from;

    EightStepCell& operator[](std::size_t p) const { return cells[p]; }
    void reset(std::size_t p) const {
        cells[p] = {};
        cells[p].cost = static_cast<double>(UNREACHED_COST);
        cells[p].height = heights[p];
        cells[p].steps = moves[p];
        cells[p].from = FROM_NOWHERE;
    }
    float height(std::size_t p) const { return cells[p].height; }
    bool takes(std::size_t p, int d) const { return (cells[p].steps >> d & 1u) != 0; }
    // Unrolled: each step's offset is then a constant.
    template <typename Visit> void forEachMoveOf(std::size_t p, Visit&& visit) const {
        const unsigned open = cells[p].steps;
#pragma GCC unroll 8
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            if ((open & (1u << d)) != 0) {
                visit(d);
            }
        }
    }
    void arrived(std::size_t q, uint8_t by) const {
        cells[q].from = by;
    }
    uint8_t arrivedBy(std::size_t q) const {
        return cells[q].from;
    }
    void finish(std::size_t p) const {
        from[p] = cells[p].from;
    }
};
