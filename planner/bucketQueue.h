#pragma once
// The frontier of a least-cost search whose steps cost either nothing or at least `width`:
// items are kept in buckets of cost width `width`, and a bucket is emptied before the next.
// A step of at least `width` always lands in a later bucket, so within a bucket order does not
// matter for the costs; what lands in the current bucket (free steps, cheaper steps, rounding)
// is taken up before the bucket is left. The queue holds items only: the search tells a live
// entry by its item still waiting at a cost of the bucket being emptied. Push and pop are O(1).
// Only the next few buckets can ever be filled, so they live in a small ring. Capacity is kept
// between searches: a search after the first allocates nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// A cache line of its own: the two searches run on two threads with their queues side by side,
// and a push on one would otherwise evict the other's counters on every step.
class alignas(64) BucketQueue {
  public:
    // Empties the queue for a search whose costs start at 0 and whose positive steps cost
    // `width` .. `widest` (same unit as the costs, width > 0).
    void reset(double width, double widest) {
        perWidth_ = 1.0 / width;
        // A step may add `widest` to a cost anywhere in the current bucket, plus rounding.
        const auto needed = static_cast<std::size_t>(widest * perWidth_) + 3;
        // A whole power of two, so that a bucket's place in the ring is a mask, not a division.
        std::size_t span = 1;
        while (span < needed) {
            span *= 2;
        }
        if (ring_.size() < span) {
            ring_.resize(span);
        }
        for (std::vector<uint32_t>& bucket : ring_) {
            bucket.clear();
        }
        mask_ = span - 1;
        current_ = 0;
        head_ = 0;
        size_ = 0;
    }

    bool empty() const { return size_ == 0; }

    // The bucket of a cost (>= 0): never a lower one for a higher cost. Through a signed integer,
    // one instruction where an unsigned one takes a test and a branch: a search's buckets are
    // never narrower than a sixty-fourth of its dearest step, so a cost is at most 64 widths a
    // step of its route, far below 2^63.
    std::size_t bucketOf(double cost) const {
        return static_cast<std::size_t>(static_cast<int64_t>(cost * perWidth_));
    }

    // An item needs one entry a bucket: one that waits in a bucket and grows cheaper within it
    // keeps its place. An empty queue moves on to a bucket past its ring. A bucket below the
    // current one is taken as the current one; one past the ring as its last: the item is then
    // taken up early, which a search that takes up items until nothing changes allows.
    void push(std::size_t bucket, uint32_t item) {
        if (size_ == 0 && bucket > current_ + mask_) {
            ring_[current_ & mask_].clear();
            head_ = 0;
            current_ = bucket;
        }
        ++size_;
        bucket = std::min(std::max(bucket, current_), current_ + mask_);
        ring_[bucket & mask_].push_back(item);
    }

    // The oldest item of the lowest bucket that holds any. Not empty. Oldest first, so that
    // within a bucket cells are taken up in waves from where the bucket was entered, as a
    // breadth-first search would: a cell is then rarely taken up again for a tie.
    uint32_t pop() {
        advance();
        --size_;
        return ring_[current_ & mask_][head_++];
    }

    // The item `later` pops after the next one, if it is already in the bucket being emptied.
    const uint32_t* ahead(std::size_t later) const {
        const std::vector<uint32_t>& bucket = ring_[current_ & mask_];
        return head_ + later < bucket.size() ? &bucket[head_ + later] : nullptr;
    }

  private:
    bool bucketDone() const { return head_ == ring_[current_ & mask_].size(); }

    // Moves on to the lowest bucket that holds any. Not empty.
    void advance() {
        while (bucketDone()) {
            ring_[current_ & mask_].clear();
            head_ = 0;
            ++current_;
        }
    }

    std::vector<std::vector<uint32_t>> ring_; // items: a grid holds fewer than 2^32 cells
    double perWidth_ = 1.0;
    std::size_t mask_ = 0;    // ring places in use, less one
    std::size_t current_ = 0; // bucket being emptied; none below it holds anything
    std::size_t head_ = 0;    // items of the current bucket already popped
    std::size_t size_ = 0;
};
