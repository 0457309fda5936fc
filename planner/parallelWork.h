#pragma once
// Work split over the machine's cores. A small grid is done on the calling thread alone: a
// thread costs more than planning the built-in ground, and plans there allocate nothing.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
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
// An exception (out of memory, most likely) that ends any item's work is thrown again on the
// calling thread once all are done: escaping a thread of its own it would end the program.
template <typename Item, typename Work> void runEach(std::vector<Item>& items, Work&& work) {
    std::vector<std::exception_ptr> failures(items.size());
    const auto guarded = [&work, &items, &failures](std::size_t k) {
        try {
            work(items[k]);
        } catch (...) {
            failures[k] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(items.size());
    for (std::size_t k = 0; k + 1 < items.size(); ++k) {
        try {
            threads.emplace_back(guarded, k);
        } catch (...) {
            failures[k] = std::current_exception(); // no thread: that item is not done
        }
    }
    if (!items.empty()) {
        guarded(items.size() - 1);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

// A second thread kept from one piece of work to the next: handing it work neither creates a
// thread nor allocates, so it pays off on a grid planned in milliseconds. The thread starts with
// the first work and ends with the object.
class HelperThread {
  public:
    HelperThread() = default;
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;
    ~HelperThread() {
        if (!thread_.joinable()) {
            return;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    // Starts work(context) on the helper; finish() must be called before the next start.
    void start(void (*work)(void*), void* context) {
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { serve(); });
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            work_ = work;
            context_ = context;
        }
        wake_.notify_one();
    }

    // Returns when the work started last is done; an exception that ended it is thrown here.
    void finish() {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return work_ == nullptr; });
        if (failure_) {
            std::exception_ptr failure = failure_;
            failure_ = nullptr;
            std::rethrow_exception(failure);
        }
    }

  private:
    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return work_ != nullptr || stopping_; });
            if (work_ == nullptr) {
                return;
            }
            lock.unlock();
            std::exception_ptr failure;
            try {
                work_(context_);
            } catch (...) {
                failure = std::current_exception(); // for finish() to throw on its caller
            }
            lock.lock();
            failure_ = failure;
            work_ = nullptr;
            done_.notify_one();
        }
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    void (*work_)(void*) = nullptr; // the work under way, or none
    void* context_ = nullptr;
    bool stopping_ = false;
    std::exception_ptr failure_; // what ended the last work, if it did not end by itself
};
