#pragma once
// A plan that a newer question makes useless can be stopped: whoever started it raises a flag,
// and the search loops look at it every CANCEL_STRIDE cells (or once a ring of the sweep), so
// that they stop within milliseconds at a cost too small to measure. A null flag never stops.

#include <atomic>
#include <cstddef>

using CancelFlag = std::atomic<bool>;

// Cells an exact search takes up between two looks at the flag: over 96 moves a cell takes a few
// microseconds, so a look every 4096 cells stops it within about 10 ms, where the progress
// stride would take over 100 ms on a loaded machine.
constexpr std::size_t CANCEL_STRIDE = std::size_t{1} << 12;

inline bool cancelAsked(const CancelFlag* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}
