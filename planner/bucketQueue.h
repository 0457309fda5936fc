#pragma once
// The frontier of a least-cost search whose steps cost either nothing or at least `width`:
// entries are kept in buckets of cost width `width`, and a bucket is emptied before the next.
// A step of at least `width` always lands in a later bucket, so within a bucket order does not
// matter for the costs; what lands in the current bucket (free steps, rounding) is taken up
// before the bucket is left. Push and pop are O(1). Only the next few buckets can ever be
// filled, so they live in a small ring. Capacity is kept between searches: a search after the
// first allocates nothing.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

class BucketQueue {
  public:
    struct Entry {
        float cost;
        uint32_t item; // a grid holds fewer than 2^32 cells
    };

    // Empties the queue for a search whose costs start at 0 and whose positive steps cost
    // `width` .. `widest` (same unit as the costs, width > 0).
    void reset(double width, double widest) {
        width_ = width;
        // A step may add `widest` to a cost anywhere in the current bucket, plus rounding.
        const auto needed = static_cast<std::size_t>(widest / width) + 3;
        // A whole power of two, so that a bucket's place in the ring is a mask, not a division.
        std::size_t span = 1;
        while (span < needed) {
            span *= 2;
        }
        if (ring_.size() < span) {
            ring_.resize(span);
        }
        for (std::vector<Entry>& bucket : ring_) {
            bucket.clear();
        }
        mask_ = span - 1;
        current_ = 0;
        head_ = 0;
        size_ = 0;
    }

    bool empty() const { return size_ == 0; }

    // cost is at least the cost of the entry last popped.
    void push(float cost, uint32_t item) {
        ring_[bucketOf(cost) & mask_].push_back({cost, item});
        ++size_;
    }

    // The oldest entry of the lowest bucket that holds any. Not empty. Oldest first, so that
    // within a bucket cells are taken up in waves from where the bucket was entered, as a
    // breadth-first search would: a cell is then rarely taken up again for a tie.
    Entry pop() {
        while (head_ == ring_[current_ & mask_].size()) {
            ring_[current_ & mask_].clear();
            head_ = 0;
            ++current_;
        }
        --size_;
        return ring_[current_ & mask_][head_++];
    }

    // The entry `later` pops after the next one, if it is already in the bucket being emptied.
    const Entry* ahead(std::size_t later) const {
        const std::vector<Entry>& bucket = ring_[current_ & mask_];
        return head_ + later < bucket.size() ? &bucket[head_ + later] : nullptr;
    }

  private:
    std::size_t bucketOf(float cost) const {
        return static_cast<std::size_t>(std::floor(static_cast<double>(cost) / width_));
    }

    std::vector<std::vector<Entry>> ring_;
    double width_ = 1.0;
    std::size_t mask_ = 0;    // ring places in use, less one
    std::size_t current_ = 0; // bucket being emptied; none below it holds anything
    std::size_t head_ = 0;    // entries of the current bucket already popped
    std::size_t size_ = 0;
};
