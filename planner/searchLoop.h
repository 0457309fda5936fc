#pragma once
// The least-cost search every exact plan runs, for one measure, in one loop. What it searches is
// pluggable: `Labels` holds each cell's label (its cost and the other measure along its route) and
// predecessor, `Moves` prices the moves out of a cell, and `Frontier` keeps the open cells in
// buckets of cost (planner/bucketQueue.h). The loop itself knows neither the ground, nor the
// vehicle, nor the processor: the faster layouts and offers of planner/kernels/ plug in here.
//
// The search, in outline:
//  1. every cell unreached; each start costs 0 and is open (waits in the first bucket);
//  2. take up the oldest open cell of the lowest bucket that holds any; an entry whose cell was
//     taken up since is passed over;
//  3. offer its cost plus each open move's price to the neighbour the move leads to: a lower
//     cost, or an equal cost that is lower in the other measure, replaces the neighbour's label
//     and predecessor, and the neighbour opens in the bucket of its new cost (a cell settled
//     already opens again: free moves and moves cheaper than a bucket land in the bucket being
//     emptied, and are taken up before it is left); an offer equal in both measures only
//     replaces the predecessor, by a move of lower number;
//  4. until no cell is open.
// Every label only falls, and sums in double do not depend on the order of the moves, so the
// labels it ends with are the least whatever order the cells were taken up in: of routes of equal
// least cost, the one least in the other measure. Each predecessor is then the move of least
// number among those that arrive at the cell's final label, which every cell that offers them
// makes once it holds its own final label: the routes, too, do not depend on the order.
//
// Several starts are several cells of cost 0. A search over the moves reversed is a `Moves` that
// offers, from each cell, the moves into it to the cells they come from, each priced as the move
// forward; the loop is the same.

#include "planner/cancel.h"
#include "planner/progress.h"
#include "planner/searchCell.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// What a search tells and heeds while it runs: its progress (may be null) and a cancel flag
// (may be null). `cancelled` says whether the flag stopped it, its labels then unfinished.
struct SearchWatch {
    ProgressReport* report = nullptr;
    const CancelFlag* cancel = nullptr;
    bool cancelled = false;
};

// Runs the search from `starts` (flat indices) over `cellCount` cells. Labels provides
// reset(p), operator[](p) -> SearchCell&, arrived(q, move number) and arrivedBy(q) (the move
// number arrived() set last); Moves provides
// offersFrom(labels, p, cost, other, offer), which calls offer(d, q, cost through d, d's price in
// the other measure) for each move d to a cell q whose cost it may lower or tie (never one above
// q's cost); Frontier, emptied for the search's costs, provides empty(), pop(), push(bucket, item)
// and bucketOf(cost). True when it ran to the end; false when `watch`'s flag stopped it. The three
// are small handles, taken by value: kept in registers, they stay out of reach of the loop's
// stores.
template <typename Labels, typename Moves, typename Frontier>
bool searchLoop(std::size_t cellCount, const std::vector<std::size_t>& starts, Labels labels,
                Moves moves, Frontier frontier, SearchWatch& watch) {
    // 1. Unreached everywhere; resetting a big grid takes tens of milliseconds, so the flag is
    // looked at in stretches.
    for (std::size_t first = 0; first < cellCount; first += PROGRESS_STRIDE) {
        if (cancelAsked(watch.cancel)) {
            watch.cancelled = true;
            return false;
        }
        for (std::size_t p = first, end = std::min(cellCount, first + PROGRESS_STRIDE); p < end;
             ++p) {
            labels.reset(p);
        }
    }
    for (const std::size_t start : starts) {
        // A start named twice opens once.
        if (!labels[start].waiting()) {
            labels[start].cost = 0.0;
            labels[start].tie = -0.0;
            frontier.push(frontier.bucketOf(0.0), static_cast<uint32_t>(start));
        }
    }
    std::size_t takenUp = 0;
    while (!frontier.empty()) {
        // 2. The next open cell; a stale entry is passed over.
        const std::size_t p = frontier.pop();
        SearchCell& cell = labels[p];
        if (!cell.waiting()) {
            continue;
        }
        cell.setWaiting(false);
        if (++takenUp % CANCEL_STRIDE == 0) {
            if (cancelAsked(watch.cancel)) {
                watch.cancelled = true;
                return false;
            }
            if (takenUp % PROGRESS_STRIDE == 0 && watch.report != nullptr) {
                watch.report->update(takenUp);
            }
        }
        // 3. Offer the cell's cost through each of its moves.
        const double otherBase = cell.other();
        moves.offersFrom(labels, p, cell.cost, otherBase,
                         [&](int d, std::size_t q, double cost, double otherPrice) {
                             SearchCell& next = labels[q];
                             const double other = otherBase + otherPrice;
                             if (cost == next.cost && !(other < next.other())) {
                                 const uint8_t by = static_cast<uint8_t>(d + 1);
                                 if (other == next.other() && by < labels.arrivedBy(q)) {
                                     labels.arrived(q, by);
                                 }
                                 return;
                             }
                             // A cell open in the bucket of its new cost keeps its entry there.
                             const std::size_t bucket = frontier.bucketOf(cost);
                             if (!next.waiting() || bucket != frontier.bucketOf(next.cost)) {
                                 next.setWaiting(true);
                                 frontier.push(bucket, static_cast<uint32_t>(q));
                             }
                             next.cost = cost;
                             next.setOther(other);
                             labels.arrived(q, static_cast<uint8_t>(d + 1));
                         });
    }
    // 4. Nothing open: every label is the least.
    return true;
}
