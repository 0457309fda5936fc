#pragma once
// Least distance and least energy from the start to every cell, exactly, over the same steps
// the sweep takes: a shortest-path search per measure, taken up in buckets of cost (Dial's
// method, with free steps, steps cheaper than a bucket and ties taken up inside a bucket until
// nothing changes). Costs are summed in double during the search, so that the sum along a route
// does not depend on the order of its steps, and rounded to float only when the tables are
// written: of routes equally cheap in one measure the search keeps the one cheapest in the
// other, whichever order it found them in.

#include "planner/bucketQueue.h"
#include "planner/cancel.h"
#include "planner/kernels/eightStepRecords.h"
#include "planner/kernels/parallelWork.h"
#include "planner/planningGrid.h"
#include "planner/progress.h"
#include "planner/routeTables.h"
#include "planner/searchCell.h"

#include <cmath>
#include <cstdint>
#include <vector>

// Working space of the searches, reused between plans so that a plan allocates nothing once
// the frontiers and cells have grown. Two searches run at a time, on the two cores: the energy
// search on the calling thread and, on the helper, the distance search and then in the same
// space the time search, which takes about as long together. A third search at once would
// cost another 16 bytes a cell and finish no sooner.
constexpr int SEARCH_SPACES = 2;
struct ExactWorkspace {
    BucketQueue frontiers[SEARCH_SPACES];
    PlannerArray<SearchCell> cells[SEARCH_SPACES];             // 16 bytes a cell each
    PlannerArray<EightStepCell> eightStepCells[SEARCH_SPACES]; // the eight steps: 24 bytes
    HelperThread helper;
    // A run that plans once clears it: each space's cells are then given back as soon as its last
    // search ends, and a measure's cost table takes memory only once its search has ended, so
    // that at no time do two searches' cells and all the tables take memory together.
    bool keepCells = true;

    // Gives back the cells' memory, for a run that plans no more.
    void release() {
        for (int k = 0; k < SEARCH_SPACES; ++k) {
            cells[k].release();
            eightStepCells[k].release();
        }
    }
};

// True when the grid's plans are timed and a move's time is its length at one pace everywhere (no
// cover, no power limit): the fastest routes are then the shortest, and the distance search gives
// the times too, each its distance times that pace, within one float unit of a time search's.
bool timesFromDistance(const PlanningGrid& grid);

// Fills `out` (sized for the grid) with the least costs from (startX, startY) over the steps of
// `grid` and, for each measure, a predecessor on a least-cost route: of routes of equal least
// cost, one of least cost in the measure that breaks its ties (least distance among least-energy
// and among fastest routes, least energy among least-distance ones), and of routes equal in both
// the one whose last move has the least number in the grid's move set: the routes depend on the
// ground alone, not on the order cells are taken up in. The measures (time too on a timed grid)
// search independently of each other, two at a time. A start outside the grid or without ground
// leaves every cell unreached. A big grid's search tells `progress` how far it has come. Returns
// false, the tables left unfinished, when `cancel` was raised before the search ended; true
// otherwise.
bool exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out, const ProgressListener& progress = {},
                 const CancelFlag* cancel = nullptr);

// Which way a search takes the moves. Forward, a cell's cost is the least cost of a route from
// a start to it; reversed, the least cost of a route from it to a start (the end of a trip, say),
// each move still priced as the move from its first cell to its second, so that climbs,
// descents and cover count as the vehicle meets them. A reversed search's predecessor of a cell
// is the move out of it toward the start searched from.
enum class SearchDirection { Forward, Reversed };

// The same search from every cell of `starts` at once, each seeded at cost 0 (those a plan
// cannot start at are passed over; with none left every cell stays unreached): a cell's cost is
// its least cost from any of them, and its route leads back to the start it is nearest. Every
// path takes several starts; a reversed search takes its moves one by one, never through the
// hand-widened offers (chosen once per search).
bool exactRoutesFrom(const PlanningGrid& grid, const std::vector<Cell>& starts,
                     SearchDirection direction, ExactWorkspace& work, RouteTables& out,
                     const ProgressListener& progress = {}, const CancelFlag* cancel = nullptr);
