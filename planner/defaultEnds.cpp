#include "planner/defaultEnds.h"

#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

namespace {

// Disjoint sets over the cells, halving paths as it finds roots.
class CellSets {
  public:
    explicit CellSets(std::size_t cells) : parent_(cells) {
        std::iota(parent_.begin(), parent_.end(), 0u);
    }
    uint32_t root(uint32_t p) {
        while (parent_[p] != p) {
            parent_[p] = parent_[parent_[p]];
            p = parent_[p];
        }
        return p;
    }
    // The smaller root wins, so a set is named by its smallest cell.
    void join(uint32_t a, uint32_t b) {
        a = root(a);
        b = root(b);
        if (a != b) {
            parent_[a < b ? b : a] = a < b ? a : b;
        }
    }

  private:
    std::vector<uint32_t> parent_;
};

double squaredDistance(double ax, double ay, double bx, double by) {
    return (ax - bx) * (ax - bx) + (ay - by) * (ay - by);
}

} // namespace

std::optional<RouteEnds> defaultRouteEnds(const PlanningGrid& grid) {
    const GridShape& shape = grid.shape;
    CellSets sets(shape.cells());
    // Joining is the same whichever way a pair is stepped, so each neighbouring pair is looked
    // at once, from the cell whose half of the table names it.
    for (int x = 0; x < shape.columns; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            for (int d = 0; d < NEIGHBOUR_COUNT / 2; ++d) {
                const std::size_t q = p + neighbourOffset(d, shape.rows);
                const bool forth = (grid.steps[p] & (1u << d)) != 0;
                if (forth ||
                    (shape.contains(x + NEIGHBOUR_STEPS[d].dx, y + NEIGHBOUR_STEPS[d].dy) &&
                     (grid.steps[q] & (1u << oppositeNeighbour(d))) != 0)) {
                    sets.join(static_cast<uint32_t>(p), static_cast<uint32_t>(q));
                }
            }
        }
    }
    std::vector<uint32_t> sizes(shape.cells(), 0);
    uint32_t best = 0;
    bool found = false;
    for (int x = 1; x + 1 < shape.columns; ++x) {
        for (int y = 1; y + 1 < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            if (grid.open[p] == 0) {
                continue;
            }
            const uint32_t r = sets.root(static_cast<uint32_t>(p));
            ++sizes[r];
            if (!found || sizes[r] > sizes[best] || (sizes[r] == sizes[best] && r < best)) {
                best = r;
                found = true;
            }
        }
    }
    if (!found) {
        return std::nullopt;
    }
    const double centreX = (shape.columns - 1) / 2.0;
    const double centreY = (shape.rows - 1) / 2.0;
    RouteEnds ends{0, 0, 0, 0};
    double nearest = std::numeric_limits<double>::infinity();
    for (int x = 1; x + 1 < shape.columns; ++x) {
        for (int y = 1; y + 1 < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            const double d = squaredDistance(x, y, centreX, centreY);
            if (grid.open[p] != 0 && d < nearest && sets.root(static_cast<uint32_t>(p)) == best) {
                nearest = d;
                ends.startX = x;
                ends.startY = y;
            }
        }
    }
    double farthest = -1.0;
    for (int x = 1; x + 1 < shape.columns; ++x) {
        for (int y = 1; y + 1 < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            const double d = squaredDistance(x, y, ends.startX, ends.startY);
            if (grid.open[p] != 0 && d > farthest && sets.root(static_cast<uint32_t>(p)) == best) {
                farthest = d;
                ends.endX = x;
                ends.endY = y;
            }
        }
    }
    return ends;
}
