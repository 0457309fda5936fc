#pragma once
// A frontier that asks for the memory of the cells it will hand out next while the search works
// on the present one: on a big grid most neighbour loads would otherwise miss every cache. The
// search loop takes it in place of the plain BucketQueue; the order of the cells is the same.

#include "planner/bucketQueue.h"
#include "planner/kernels/eightStepRecords.h"
#include "planner/searchMoves.h"

#include <cstddef>
#include <cstdint>

// How many pops ahead a cell's neighbourhood is asked for: enough to cover a memory latency with
// the work of the cells in between.
constexpr std::size_t PREFETCH_DISTANCE = 4;
// How many pops ahead a cell's own record is asked for, over the larger move sets: most of the
// energy search's pops are stale entries, passed over after one look at the record, so four pops
// go by too fast to hide that look's miss. Measured best of 4, 16 and 32 on a big ground.
constexpr std::size_t RECORD_PREFETCH_DISTANCE = 16;

// Asks for the cache lines of the cell at p and of its neighbours in the two columns beside it.
template <typename Cell>
inline void prefetchAround(const Cell* cells, std::size_t cellCount, std::size_t p, int rows) {
    __builtin_prefetch(cells + p);
    if (p >= static_cast<std::size_t>(rows)) {
        __builtin_prefetch(cells + p - rows);
    }
    if (p + rows < cellCount) {
        __builtin_prefetch(cells + p + rows);
    }
}

// What taking up the cell at p first reads: its record, its height and its moves.
inline void prefetchTakingUp(const TableRecords& r, std::size_t p, std::size_t cellCount,
                             int rows) {
    prefetchAround(r.cells, cellCount, p, rows);
    __builtin_prefetch(r.heights + p);
    __builtin_prefetch(r.movesOf(p));
}
inline void prefetchTakingUp(const EightStepRecords& r, std::size_t p, std::size_t cellCount,
                             int rows) {
    prefetchAround(r.cells, cellCount, p, rows);
}

// A cell's record alone, far ahead. Not over the eight steps: a pop there is short, and on the
// built-in ground the extra look cost more than it hid.
inline void prefetchRecord(const TableRecords& r, std::size_t p) {
    __builtin_prefetch(r.cells + p);
}
inline void prefetchRecord(const EightStepRecords&, std::size_t) {}

template <typename Records> class PrefetchingFrontier {
  public:
    PrefetchingFrontier(BucketQueue& queue, const Records& records, std::size_t cellCount, int rows)
        : queue_(&queue), records_(records), cellCount_(cellCount), rows_(rows) {}

    bool empty() const { return queue_->empty(); }
    std::size_t bucketOf(double cost) const { return queue_->bucketOf(cost); }
    void push(std::size_t bucket, uint32_t item) { queue_->push(bucket, item); }
    uint32_t pop() {
        const uint32_t p = queue_->pop();
        if (const uint32_t* later = queue_->ahead(PREFETCH_DISTANCE)) {
            prefetchTakingUp(records_, *later, cellCount_, rows_);
        }
        if (const uint32_t* far = queue_->ahead(RECORD_PREFETCH_DISTANCE)) {
            prefetchRecord(records_, *far);
        }
        return p;
    }

  private:
    BucketQueue* queue_;
    Records records_;
    std::size_t cellCount_;
    int rows_;
};
