#pragma once
// The working state a search keeps for each cell, shared by the search and the lanes that offer
// its moves eight at a time.

#include <cmath>

// One cell of a search's working state: its cost and the other measure along its route, both in
// double, together so that looking at a neighbour touches one cache line. The heights, moves and
// predecessors stay in their own tables, read or written only for a neighbour the search may
// lower: 16 bytes a cell for each measure. The other measure is never negative, so its sign marks
// a cell waiting in the frontier.
struct SearchCell {
    double cost;
    double tie; // the other measure, metres or joules (>= 0), negated while waiting

    double other() const { return std::fabs(tie); }
    bool waiting() const { return std::signbit(tie); }
    void setOther(double value) { tie = std::copysign(value, tie); }
    void setWaiting(bool w) { tie = std::copysign(tie, w ? -1.0 : 1.0); }
};
