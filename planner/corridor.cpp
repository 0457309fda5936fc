// The corridor's values from the two searches' tables, cell by cell.
#include "planner/corridor.h"

#include <algorithm>
#include <cmath>

void corridorValues(const CostTable& fromStart, const CostTable& toEnd, float best,
                    CostTable& values) {
    const std::size_t cells = fromStart.shape().cells();
    if (values.shape().cells() != cells || values.released()) {
        values.resize(fromStart.shape());
    }
    const float* a = fromStart.data();
    const float* b = toEnd.data();
    float* out = values.data();
    const double bestCost = best;
    const double rounding =
        CORRIDOR_ROUNDING_UNITS * static_cast<double>(std::nextafter(best, UNREACHED_COST) - best);
    for (std::size_t p = 0; p < cells; ++p) {
        if (best == UNREACHED_COST || a[p] == UNREACHED_COST || b[p] == UNREACHED_COST) {
            out[p] = UNREACHED_COST;
            continue;
        }
        const double over = static_cast<double>(a[p]) + static_cast<double>(b[p]) - bestCost;
        out[p] = over <= rounding ? 0.0f : static_cast<float>(over);
    }
}

void joinCorridors(const RouteTables& leg, RouteTables& joined) {
    for (Measure m : {Measure::Distance, Measure::Energy, Measure::Time}) {
        if (m == Measure::Time && !(leg.timed && joined.timed)) {
            continue;
        }
        const float* from = leg.costs(m).data();
        float* into = joined.costs(m).data();
        for (std::size_t p = 0; p < joined.costs(m).shape().cells(); ++p) {
            into[p] = std::min(into[p], from[p]);
        }
    }
}

bool planCorridor(const PlanningGrid& grid, const RouteTables& plan, Cell end, ExactWorkspace& work,
                  RouteTables& corridor, const ProgressListener& progress,
                  const CancelFlag* cancel) {
    corridor.sizeFor(grid.shape);
    if (!exactRoutesFrom(grid, {end}, SearchDirection::Reversed, work, corridor, progress,
                         cancel)) {
        return false;
    }
    const bool inGrid = grid.shape.contains(end.x, end.y);
    for (Measure m : {Measure::Distance, Measure::Energy, Measure::Time}) {
        if (m == Measure::Time && !corridor.timed) {
            continue;
        }
        const float best = inGrid ? plan.costs(m)[end.x][end.y] : UNREACHED_COST;
        corridorValues(plan.costs(m), corridor.costs(m), best, corridor.costs(m));
    }
    return true;
}
