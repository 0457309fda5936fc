#pragma once
// Work split over the machine's cores. A small grid is done on the calling thread alone: a
// thread costs more than planning the built-in ground, and plans there allocate nothing.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <type_traits>

// Grids of at least this many cells are worth a second thread.
constexpr std::size_t PARALLEL_CELLS = std::size_t{1} << 20;
constexpr std::size_t MAX_WORKERS = 2;

inline std::size_t workersFor(std::size_t cells) {
    return cells >= PARALLEL_CELLS ? MAX_WORKERS : 1;
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

// Calls work(item) for every item of `items` (a vector or an array), all but the last in turn on
// `helper` and the last on the calling thread; returns when all are done. The one way the
// planners use both cores: a plan keeps its helper from one plan to the next and allocates
// nothing here, work done once per ground makes one for the call.
// An exception (out of memory, most likely) that ends any item's work is thrown again on the
// calling thread once all are done, the earliest item's: escaping the helper it would end the
// program, and the helper's items live in the caller's frame.
template <typename Items, typename Work>
void runEach(Items& items, Work&& work, HelperThread& helper) {
    const std::size_t count = items.size();
    if (count == 0) {
        return;
    }
    struct Helped {
        Items* items;
        std::remove_reference_t<Work>* work;
        std::size_t count;
        std::exception_ptr failure; // the first of the helper's items to fail
    } helped{&items, &work, count - 1, nullptr};
    const auto helpedItems = [](void* context) {
        Helped& h = *static_cast<Helped*>(context);
        for (std::size_t k = 0; k < h.count; ++k) {
            try {
                (*h.work)((*h.items)[k]);
            } catch (...) {
                if (!h.failure) {
                    h.failure = std::current_exception();
                }
            }
        }
    };
    bool started = false;
    if (helped.count > 0) {
        try {
            helper.start(helpedItems, &helped);
            started = true;
        } catch (...) {
            helped.failure = std::current_exception(); // no thread: those items are not done
        }
    }
    std::exception_ptr failure;
    try {
        work(items[count - 1]);
    } catch (...) {
        failure = std::current_exception();
    }
    if (started) {
        helper.finish(); // the helper's items catch their own failures
    }
    if (helped.failure) {
        std::rethrow_exception(helped.failure);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// The same with a helper for this call alone, for work done once per ground.
template <typename Items, typename Work> void runEach(Items& items, Work&& work) {
    HelperThread helper;
    runEach(items, work, helper);
}
