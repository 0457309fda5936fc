#include "planner/exactSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The cheapest and the dearest step that costs anything in this measure; a measure without such
// steps gets 1 for both (every cost stays 0, one bucket holds all).
void stepRange(const PlanningGrid& grid, float StepCost::*measure, double& cheapest,
               double& dearest) {
    cheapest = std::numeric_limits<double>::infinity();
    dearest = 0.0;
    for (int kind = NO_STEP + 1; kind < STEP_KIND_LIMIT; ++kind) {
        const double step = grid.stepCosts[kind].*measure;
        if (step > 0.0 && std::isfinite(step)) {
            cheapest = std::min(cheapest, step);
            dearest = std::max(dearest, step);
        }
    }
    if (dearest == 0.0) {
        cheapest = dearest = 1.0;
    }
}

int marginedIndex(int x, int y) {
    return (x + 1) * SWEEP_SIZE + (y + 1);
}

// Offers the cost `base` of cell `item` to its neighbour D over a step of that kind.
template <int D>
inline void offerStep(const PlanningGrid& grid, float StepCost::*measure, int item, float base,
                      uint32_t kinds, ExactWorkspace& work) {
    const uint32_t kind = (kinds >> (STEP_KIND_BITS * D)) & STEP_KIND_MASK;
    if (kind == NO_STEP) {
        return;
    }
    const int next = item + neighbourOffset(D);
    float& cost = work.cost[next];
    const double candidate =
        static_cast<double>(base) + static_cast<double>(grid.stepCosts[kind].*measure);
    if (!(cost > candidate)) {
        return;
    }
    const float stored = static_cast<float>(candidate);
    if (stored < cost) {
        work.frontier.push(stored, next);
    }
    cost = stored;
    work.from[next] = static_cast<uint8_t>(D + 1);
}

void search(const PlanningGrid& grid, int start, float StepCost::*measure, ExactWorkspace& work) {
    std::fill(work.cost, work.cost + MARGINED_CELLS, UNREACHED_COST);
    std::fill(work.from, work.from + MARGINED_CELLS, FROM_NOWHERE);
    double cheapest = 0.0;
    double dearest = 0.0;
    stepRange(grid, measure, cheapest, dearest);
    BucketQueue& frontier = work.frontier;
    frontier.reset(cheapest, dearest);
    work.cost[start] = 0.0f;
    frontier.push(0.0f, start);
    while (!frontier.empty()) {
        const BucketQueue::Entry top = frontier.pop();
        const float base = work.cost[top.item];
        if (base != top.cost) {
            continue; // superseded by a lower cost pushed later
        }
        const uint32_t kinds = grid.stepKinds[top.item];
        offerStep<0>(grid, measure, top.item, base, kinds, work);
        offerStep<1>(grid, measure, top.item, base, kinds, work);
        offerStep<2>(grid, measure, top.item, base, kinds, work);
        offerStep<3>(grid, measure, top.item, base, kinds, work);
        offerStep<4>(grid, measure, top.item, base, kinds, work);
        offerStep<5>(grid, measure, top.item, base, kinds, work);
        offerStep<6>(grid, measure, top.item, base, kinds, work);
        offerStep<7>(grid, measure, top.item, base, kinds, work);
    }
}

void publish(const ExactWorkspace& work, CostTable& cost, PreviousTable& previous) {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            const int i = marginedIndex(x, y);
            cost[x][y] = work.cost[i];
            previous[x][y] = previousFromStep(x, y, work.from[i]);
        }
    }
}

void publishUnreached(const RouteTableSet& out) {
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            out.distance[x][y] = UNREACHED_COST;
            out.energy[x][y] = UNREACHED_COST;
            out.previousDistance[x][y] = previousFromStep(x, y, FROM_NOWHERE);
            out.previousEnergy[x][y] = previousFromStep(x, y, FROM_NOWHERE);
        }
    }
}

} // namespace

void exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 const RouteTableSet& out) {
    if (!canStartAt(grid, startX, startY)) {
        publishUnreached(out);
        return;
    }
    const int start = marginedIndex(startX, startY);
    search(grid, start, &StepCost::length, work);
    publish(work, out.distance, out.previousDistance);
    search(grid, start, &StepCost::energy, work);
    publish(work, out.energy, out.previousEnergy);
}
