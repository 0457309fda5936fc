// Numbering the cells by the start their routes lead back to, each chain walked once.
#include "planner/nearestStart.h"

namespace {

// Not numbered yet: a reached cell whose chain has not been walked.
constexpr int32_t UNNUMBERED = -1;

// The flat index of the predecessor of the cell at p, which arrived by `from`.
std::size_t previousIndex(const PreviousTable& previous, std::size_t p, uint8_t from) {
    const Move& step = previous.moves()[from - 1];
    return p - moveOffset(step, previous.shape().rows);
}

} // namespace

Cell routeStartOf(const PreviousTable& previous, int x, int y) {
    const GridShape& shape = previous.shape();
    // A chain no longer than the grid has cells: a reached cell's always is.
    for (std::size_t steps = 0; steps < shape.cells() && shape.contains(x, y); ++steps) {
        const GridPoint p = previous[x][y];
        if (p.x == NO_PREVIOUS) {
            break;
        }
        x = p.x;
        y = p.y;
    }
    return {x, y};
}

std::vector<int32_t> nearestStarts(const CostTable& costs, const PreviousTable& previous,
                                   const std::vector<Cell>& starts) {
    const GridShape& shape = costs.shape();
    const std::size_t cells = shape.cells();
    const float* cost = costs.data();
    const uint8_t* from = previous.steps();
    std::vector<int32_t> number(cells, NO_NEAREST_START);
    for (std::size_t p = 0; p < cells; ++p) {
        number[p] = cost[p] == UNREACHED_COST ? NO_NEAREST_START : UNNUMBERED;
    }
    for (std::size_t k = starts.size(); k-- > 0;) {
        const Cell& s = starts[k];
        if (shape.contains(s.x, s.y) && cost[shape.index(s.x, s.y)] != UNREACHED_COST) {
            number[shape.index(s.x, s.y)] = static_cast<int32_t>(k + 1);
        }
    }
    std::vector<std::size_t> chain;
    for (std::size_t p = 0; p < cells; ++p) {
        std::size_t at = p;
        chain.clear();
        while (number[at] == UNNUMBERED && from[at] != FROM_NOWHERE) {
            chain.push_back(at);
            at = previousIndex(previous, at, from[at]);
        }
        // A reached cell that arrived from nowhere and is no start cannot be: it counts as
        // unreached rather than as some start's.
        const int32_t found = number[at] == UNNUMBERED ? NO_NEAREST_START : number[at];
        if (number[at] == UNNUMBERED) {
            number[at] = found;
        }
        for (const std::size_t c : chain) {
            number[c] = found;
        }
    }
    return number;
}
