#pragma once
// Work split over the machine's cores. A small grid is done on the calling thread alone: a
// thread costs more than planning the built-in ground, and plans there allocate nothing.

#include <cstddef>
#include <thread>
#include <vector>

// Grids of at least this many cells are worth a second thread.
constexpr std::size_t PARALLEL_CELLS = std::size_t{1} << 20;
constexpr std::size_t MAX_WORKERS = 2;

inline std::size_t workersFor(std::size_t cells) {
    return cells >= PARALLEL_CELLS ? MAX_WORKERS : 1;
}

// Calls work(item) for every item, the first ones on threads of their own and the last on the
// calling thread; returns when all are done.
template <typename Item, typename Work> void runEach(std::vector<Item>& items, Work&& work) {
    std::vector<std::thread> threads;
    for (std::size_t k = 0; k + 1 < items.size(); ++k) {
        threads.emplace_back([&work, &items, k] { work(items[k]); });
    }
    if (!items.empty()) {
        work(items.back());
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}
