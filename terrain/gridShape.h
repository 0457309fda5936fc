#pragma once
// The shape of a height grid: how many cells along each index and how far apart they are. Every
// table of a run is stored with the first index outermost, so cell (x, y) is element
// x * rows + y.

#include <cstddef>

constexpr int GRID_SIZE = 365;   // cells per side of the built-in ground
constexpr int GRID_SPACING = 30; // metres between neighbouring cells of the built-in ground
constexpr int GRID_CELLS = GRID_SIZE * GRID_SIZE;
constexpr int MIN_GRID_SIDE = 3;    // the smallest grid with a cell a dialogue may name
constexpr int FIRST_ENTRY_CELL = 1; // cell 0 of either index cannot be named

struct GridShape {
    int columns = GRID_SIZE;       // values of the first index, x, growing east
    int rows = GRID_SIZE;          // values of the second index, y, growing north
    double spacing = GRID_SPACING; // metres between neighbouring cells along either index

    std::size_t cells() const { return static_cast<std::size_t>(columns) * rows; }
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(x) * rows + y; }
    bool contains(int x, int y) const { return x >= 0 && x < columns && y >= 0 && y < rows; }
    // True when a dialogue may name cell (x, y): x in FIRST_ENTRY_CELL..columns - 1 and y in
    // FIRST_ENTRY_CELL..rows - 1 (1..364 on the built-in ground).
    bool nameable(int x, int y) const {
        return x >= FIRST_ENTRY_CELL && x < columns && y >= FIRST_ENTRY_CELL && y < rows;
    }
};

// One cell of a grid: x the first index (a column), y the second (a row).
struct Cell {
    int x;
    int y;
};

inline bool operator==(const Cell& a, const Cell& b) {
    return a.x == b.x && a.y == b.y;
}

// Where a plan starts and where its route ends, as cells of a grid.
struct RouteEnds {
    int startX;
    int startY;
    int endX;
    int endY;
};

inline bool operator==(const RouteEnds& a, const RouteEnds& b) {
    return a.startX == b.startX && a.startY == b.startY && a.endX == b.endX && a.endY == b.endY;
}

// The built-in ground's shape.
constexpr GridShape BUILT_IN_SHAPE{};
