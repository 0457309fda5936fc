#include "render/overlayCells.h"

#include "planner/routeWalk.h"
#include "render/quad.h"

#include <algorithm>

std::vector<Cell> routeCells(const PreviousTable& previous, int startX, int startY, int endX,
                             int endY) {
    std::vector<Cell> cells;
    walkRoute(previous, startX, startY, endX, endY, [&cells](int x, int y) {
        if (hasQuad(x, y)) {
            cells.push_back({x, y});
        }
    });
    return cells;
}

namespace {
std::vector<Cell> columnCells(int x, int fromY, int toY) {
    std::vector<Cell> cells;
    const int low = std::max(std::min(fromY, toY), 0);
    const int high = std::min(std::max(fromY, toY), QUAD_CELLS - 1);
    for (int y = low; y <= high && hasQuad(x, y); ++y) {
        cells.push_back({x, y});
    }
    return cells;
}
} // namespace

std::vector<Cell> straightLineCells(int startX, int startY, int endX, int endY) {
    if (startX > endX) {
        return straightLineCells(endX, endY, startX, startY);
    }
    if (startX == endX) {
        return columnCells(startX, startY, endY);
    }
    const float slope = static_cast<float>(static_cast<double>(endY - startY) / (endX - startX));
    std::vector<Cell> cells;
    // Columns outside the grid have no quadrilateral; skipping them changes nothing drawn.
    for (int x = std::max(startX, 0); x <= std::min(endX, QUAD_CELLS - 1); ++x) {
        const int y = static_cast<int>(startY + (x - startX) * slope);
        if (hasQuad(x, y)) {
            cells.push_back({x, y});
        }
    }
    return cells;
}
