#include "planner/planningGrid.h"

#include "planner/parallelWork.h"
#include "planner/runState.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A cost range being gathered; folded into StepRange at the end.
struct RangeBuilder {
    double cheapest = std::numeric_limits<double>::infinity();
    double dearest = 0.0;
    bool free = false;

    void add(float cost) {
        free = free || cost == 0.0f;
        if (cost > 0.0f) {
            cheapest = std::min(cheapest, static_cast<double>(cost));
            dearest = std::max(dearest, static_cast<double>(cost));
        }
    }
    void add(const RangeBuilder& other) {
        cheapest = std::min(cheapest, other.cheapest);
        dearest = std::max(dearest, other.dearest);
        free = free || other.free;
    }
    StepRange range() const {
        return dearest == 0.0 ? StepRange{0.0, 0.0, free} : StepRange{cheapest, dearest, free};
    }
};

// The slope test of one vehicle: a climb against the up limit, a descent against the down limit,
// a level step always passes.
struct SlopeTest {
    float upThreshold;
    float downThreshold;

    bool passes(float ratio, float rise) const {
        if (rise == 0.0f) {
            return true;
        }
        return ratio >= (rise > 0.0f ? upThreshold : downThreshold) && ratio <= 1.0f;
    }
};

// What one worker gathers over its columns. Steps into the first column past its own are kept
// aside and merged after the workers are done, so no two workers write one cell.
struct ColumnsPart {
    int from = 0;
    int to = 0;
    RangeBuilder lengths;
    RangeBuilder energies;
    std::vector<uint8_t> nextColumn;
};

void measureColumns(const TerrainPositions& t, const SlopeTest& slope, PlanningGrid& grid,
                    ColumnsPart& part) {
    const GridShape& shape = grid.shape;
    const float* z = t.heights().data();
    part.nextColumn.assign(shape.rows, 0);
    for (int x = part.from; x < part.to; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            if (grid.open[p] == 0) {
                continue;
            }
            // The first half of the table; the second half is the same steps walked backwards.
            for (int d = 0; d < NEIGHBOUR_COUNT / 2; ++d) {
                const NeighbourStep& s = NEIGHBOUR_STEPS[d];
                const int nx = x + s.dx;
                const int ny = y + s.dy;
                if (!shape.contains(nx, ny)) {
                    continue;
                }
                const std::size_t q = shape.index(nx, ny);
                if (grid.open[q] == 0) {
                    continue;
                }
                const float length =
                    segmentLength(t.columnX(x), t.columnX(nx), t.rowY(y), t.rowY(ny), z[p], z[q]);
                const float ratio = slopeRatio(s.multiplier, grid.run, length);
                const float rise = z[q] - z[p];
                const bool diagonal = isDiagonal(d);
                if (slope.passes(ratio, rise)) {
                    grid.steps[p] |= static_cast<uint8_t>(1u << d);
                    part.lengths.add(length);
                    part.energies.add(pricedStepEnergy(grid.pricing, z[p], z[q], diagonal));
                }
                if (slope.passes(ratio, -rise)) {
                    const auto back = static_cast<uint8_t>(1u << oppositeNeighbour(d));
                    (nx == part.to ? part.nextColumn[ny] : grid.steps[q]) |= back;
                    part.lengths.add(length);
                    part.energies.add(pricedStepEnergy(grid.pricing, z[q], z[p], diagonal));
                }
            }
        }
    }
}

// True when every neighbouring pair of columns and of rows is exactly `run` apart as floats.
bool evenlySpaced(const TerrainPositions& t, float run) {
    for (int x = 0; x + 1 < t.shape().columns; ++x) {
        if (std::fabs(t.columnX(x + 1) - t.columnX(x)) != run) {
            return false;
        }
    }
    for (int y = 0; y + 1 < t.shape().rows; ++y) {
        if (std::fabs(t.rowY(y + 1) - t.rowY(y)) != run) {
            return false;
        }
    }
    return true;
}

} // namespace

void buildPlanningGrid(const TerrainPositions& terrain, const Vehicle& vehicle,
                       const std::vector<uint8_t>& closed, PlanningGrid& grid) {
    const GridShape& shape = terrain.shape();
    grid.shape = shape;
    grid.terrain = &terrain;
    grid.run = static_cast<float>(shape.spacing);
    grid.pricing = stepPricing(vehicle, shape.spacing);
    grid.uniformRun = evenlySpaced(terrain, grid.run);
    const std::vector<float>& heights = terrain.heights();
    grid.open.resize(shape.cells());
    for (std::size_t p = 0; p < shape.cells(); ++p) {
        grid.open[p] = !std::isnan(heights[p]) && (closed.empty() || closed[p] == 0) ? 1 : 0;
    }
    grid.steps.assign(shape.cells(), 0);
    const SlopeTest slope{passableRatioThreshold(gradeAngle(vehicle.gradeUpPercent)),
                          passableRatioThreshold(gradeAngle(vehicle.gradeDownPercent))};
    std::vector<ColumnsPart> parts(workersFor(shape.cells()));
    for (std::size_t k = 0; k < parts.size(); ++k) {
        parts[k].from = static_cast<int>(shape.columns * k / parts.size());
        parts[k].to = static_cast<int>(shape.columns * (k + 1) / parts.size());
    }
    runEach(parts, [&](ColumnsPart& part) { measureColumns(terrain, slope, grid, part); });
    RangeBuilder lengths;
    RangeBuilder energies;
    for (const ColumnsPart& part : parts) {
        lengths.add(part.lengths);
        energies.add(part.energies);
        if (part.to < shape.columns) {
            for (int y = 0; y < shape.rows; ++y) {
                grid.steps[shape.index(part.to, y)] |= part.nextColumn[y];
            }
        }
    }
    grid.lengths = lengths.range();
    grid.energies = energies.range();
}

void buildStepTable() {
    buildPlanningGrid(terrainVertices, settingsVehicle(settings), landscapeRun.barriers,
                      planningGrid);
}
