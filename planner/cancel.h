#pragma once
// A plan that a newer question makes useless can be stopped: whoever started it raises a flag,
// and the search loops look at it every PROGRESS_STRIDE cells (or once a ring of the sweep), so
// that they stop within milliseconds at a cost too small to measure. A null flag never stops.

#include <atomic>

using CancelFlag = std::atomic<bool>;

inline bool cancelAsked(const CancelFlag* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}
