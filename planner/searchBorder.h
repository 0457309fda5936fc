#pragma once
// One least-cost search split between two threads, each owning the cells of one part of the grid
// (every other stripe of whole columns). A step from a cell at a border into the other part is
// handed over as an offer, which the other part's thread weighs as it would a step of its own. Each
// part empties its own buckets; a part may run at most `lead` buckets ahead of the other, so that
// little is taken up before the costs that reach it from across the border have come. The search
// takes up cells until nothing changes, so the order in which offers arrive does not change the
// costs it ends with.

#include "planner/bucketQueue.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

// A step into a cell of the other part, with the cost and other measure it gives that cell.
struct BorderOffer {
    float cost;
    float other;
    uint32_t cell; // flat index
    uint8_t step;  // the step's direction d, as NEIGHBOUR_STEPS numbers it
};

// What one part's thread keeps; reused from one search to the next.
struct SearchPart {
    static constexpr std::size_t IDLE = std::numeric_limits<std::size_t>::max();

    BucketQueue frontier;
    std::vector<BorderOffer> outbox; // offers this part found and has not handed over yet
    std::vector<BorderOffer> inbox;  // offers handed to this part, being weighed
    // The last offer weighed for each step into each cell of this part's border columns, at
    // (borderSlots[cell's column] * rows + cell's row) * NEIGHBOUR_COUNT + step: what this part
    // knows of the other's cells.
    std::vector<BorderOffer> lastOffers;
    std::vector<uint32_t> borderSlots;
    std::mutex mailLock;
    std::vector<BorderOffer> mail; // offers handed to this part, not yet collected
    // The bucket this part is emptying, or IDLE when it holds nothing: read by the other part.
    alignas(64) std::atomic<std::size_t> bucket{IDLE};
    bool busy = false;
};

// What the two parts share.
struct SearchMeeting {
    // Parts at work plus offers handed over and not yet weighed: the search is done at 0, and
    // since only a part at work or an offer can add to it, it stays there.
    alignas(64) std::atomic<long> outstanding{0};
    alignas(64) std::atomic<int> arrived{0};
    std::size_t lead = 0; // buckets one part may run ahead of the other
    // Set by a part whose search failed (out of memory): the other stops instead of waiting for
    // it for ever, and the search's results are not used.
    std::atomic<bool> abandoned{false};

    // Readies the meeting and both parts for a search; before either thread starts.
    void begin(SearchPart (&parts)[2], std::size_t leadBuckets) {
        outstanding.store(2);
        arrived.store(0);
        abandoned.store(false);
        lead = leadBuckets;
        for (SearchPart& part : parts) {
            part.bucket.store(0);
            part.busy = true;
            part.outbox.clear();
            part.mail.clear();
        }
    }

    // Returns when both parts have called it: each has its cells ready for the other to read.
    void arriveAndWait() {
        arrived.fetch_add(1);
        while (arrived.load() < 2 && !abandoned.load()) {
            std::this_thread::yield();
        }
    }
};

// Hands the offers of part `self` over to `other`.
inline void postOffers(SearchMeeting& meeting, SearchPart& self, SearchPart& other) {
    if (self.outbox.empty()) {
        return;
    }
    meeting.outstanding.fetch_add(static_cast<long>(self.outbox.size()));
    const std::lock_guard<std::mutex> lock(other.mailLock);
    other.mail.insert(other.mail.end(), self.outbox.begin(), self.outbox.end());
    self.outbox.clear();
}

// Weighs the offers handed to part `self` with weigh(offer), which may push onto its frontier.
template <typename Weigh> void weighOffers(SearchMeeting& meeting, SearchPart& self, Weigh& weigh) {
    self.inbox.clear();
    {
        const std::lock_guard<std::mutex> lock(self.mailLock);
        self.inbox.swap(self.mail);
    }
    if (self.inbox.empty()) {
        return;
    }
    if (!self.busy) {
        self.busy = true;
        meeting.outstanding.fetch_add(1);
    }
    for (const BorderOffer& offer : self.inbox) {
        weigh(offer);
    }
    meeting.outstanding.fetch_sub(static_cast<long>(self.inbox.size()));
}

// Called by part `self` when its current bucket holds no more items: hands its offers over,
// weighs those handed to it with weigh(offer), which may push onto its frontier, and waits while
// the next bucket it holds would be more than meeting.lead buckets ahead of `other`, or while
// `other` is idle with offers still to collect. It waits without moving on, so that an offer
// that comes meanwhile for a bucket it has left is taken up before the later buckets. Returns true
// with an item in the current bucket, false when the search is done: no part holds an item and no
// offer is under way.
template <typename Weigh>
bool meetAtBucketEnd(SearchMeeting& meeting, SearchPart& self, SearchPart& other, Weigh&& weigh) {
    postOffers(meeting, self, other);
    for (;;) {
        if (meeting.abandoned.load()) {
            return false;
        }
        weighOffers(meeting, self, weigh);
        if (!self.frontier.bucketDone()) {
            self.bucket.store(self.frontier.current());
            return true;
        }
        if (self.frontier.empty()) {
            self.bucket.store(SearchPart::IDLE);
            if (self.busy) {
                self.busy = false;
                meeting.outstanding.fetch_sub(1);
            }
            if (meeting.outstanding.load() == 0) {
                return false;
            }
            std::this_thread::yield();
            continue;
        }
        const std::size_t next = self.frontier.nextFilled();
        self.bucket.store(next);
        const std::size_t behind = other.bucket.load();
        // An idle part can only be handed work from this one. With offers still to collect
        // it will start from them, as far back as the bucket they came from: running on
        // meanwhile would leave its answers far behind, each to be taken up in the current
        // bucket, and all the cells they lower with them.
        const bool alone = behind == SearchPart::IDLE && meeting.outstanding.load() == 1;
        if (alone || (behind != SearchPart::IDLE && next <= behind + meeting.lead)) {
            self.frontier.advance();
            return true;
        }
        std::this_thread::yield();
    }
}
