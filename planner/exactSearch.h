#pragma once
// Least distance and least energy from the start to every cell, exactly, over the same steps
// the sweep takes: a shortest-path search per measure, taken up in buckets of cost (Dial's
// method, with free steps, steps cheaper than a bucket and rounding taken up inside a bucket
// until nothing changes). Each sum is compared exactly (in double) with the stored cost and
// stored rounded to float, as the sweep does; since a rounded sum never falls below its base,
// every cell joined to the start by passable steps ends with its least cost.

#include "planner/bucketQueue.h"
#include "planner/parallelWork.h"
#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/routeTables.h"
#include "planner/searchBorder.h"

#include <cmath>
#include <cstdint>

// One cell of a search's working state: its cost beside its height, the other measure along its
// route, its steps and its predecessor, so that taking up a cell and looking at a neighbour
// touch one cache line instead of one in each of five tables. The other measure's sign marks a
// cell waiting in the frontier. Only the thread whose part holds a cell writes it, and the
// other reads only its height.
struct SearchCell {
    float cost;
    float height;
    float tie;       // the other measure, metres or joules (>= 0), negated while waiting
    uint8_t steps;   // PlanningGrid::steps of the cell into cells of its own part
    uint8_t from;    // 1 + the step into the cell on its route, or FROM_NOWHERE
    uint8_t foreign; // PlanningGrid::steps of the cell into the other part's cells

    float other() const { return std::fabs(tie); }
    bool waiting() const { return std::signbit(tie); }
    void setOther(float value) { tie = std::copysign(value, tie); }
    void setWaiting(bool w) { tie = std::copysign(tie, w ? -1.0f : 1.0f); }
};

// Working space of the searches, reused between plans so that a plan allocates nothing once
// the frontiers and cells have grown.
struct ExactWorkspace {
    // On a small grid the two measures search at once, one in each part; on a big one each
    // measure in turn is split between the two parts.
    SearchPart parts[2];
    SearchMeeting meeting;
    PlannerArray<SearchCell> distanceCells; // also the energy search's, on a big grid
    PlannerArray<SearchCell> energyCells;
    HelperThread helper; // runs the second part

    // Gives back the cells' memory (16 bytes a cell for each measure on a small grid, for both
    // measures in turn on a big one), for a run that plans no more.
    void release() {
        distanceCells.release();
        energyCells.release();
    }
};

// Stripes of columns a big grid is dealt out in, alternately to the two parts of a split search:
// a wave of cost then crosses both parts' cells at every stage of a search, from a start
// anywhere, so that neither part waits long for the other. On a hilly grid of 4000 columns 16
// stripes left the parts within 6 % of each other's work; more balance better but hand more
// steps over.
constexpr int SPLIT_STRIPES = 16;

// Columns in each stripe of a split search over `columns` columns (>= 1): the last may be
// narrower.
inline int splitStripeWidth(int columns) {
    return (columns + SPLIT_STRIPES - 1) / SPLIT_STRIPES;
}

// Fills `out` (sized for the grid) with the least costs from (startX, startY) over the steps of
// `grid` and, for each measure, a predecessor on a least-cost route: of routes of equal least
// cost, one of least cost in the other measure (least distance among least-energy routes, least
// energy among least-distance ones). Deterministic on a small grid: cells are taken up bucket
// by bucket (the oldest first within one), neighbours in NEIGHBOUR_STEPS order. Both cores take
// part: on a grid of fewer than PARALLEL_CELLS cells the two measures run at once, on a bigger
// one each measure is split between them by stripes of columns, where of routes equal in both
// measures the one kept may depend on how the threads met. A start outside the grid or without
// ground leaves every cell unreached. A big grid's search tells `progress` how far it has come.
void exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out, const ProgressListener& progress = {});
