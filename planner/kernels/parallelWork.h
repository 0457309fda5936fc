#pragma once
// Work split over the machine's cores. A small grid is done on the calling thread alone: a
// thread costs more than planning the built-in ground, and plans there allocate nothing.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
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

// Calls work(item) for every item of `items` (a vector or an array): the last on the calling
// thread, the others shared out among the `count` helpers, helper h taking items h, h + count, ...
// in turn; returns when all are done. The one way the planners use the cores: a plan keeps its
// helpers from one plan to the next and allocates nothing here, work done once per ground makes
// one for the call. Three measures on two helpers search at once, so that two cores share them
// out rather than one waiting for two in turn.
// An exception (out of memory, most likely) that ends any item's work is thrown again on the
// calling thread once all are done, the earliest helper's: escaping a helper it would end the
// program, and the helpers' items live in the caller's frame.
template <typename Items, typename Work>
void runEach(Items& items, Work&& work, HelperThread* helpers, std::size_t count) {
    const std::size_t itemCount = items.size();
    if (itemCount == 0) {
        return;
    }
    struct Helped {
        Items* items;
        std::remove_reference_t<Work>* work;
        std::size_t first;
        std::size_t stride;
        std::size_t end;
        std::exception_ptr failure; // the first of this helper's items to fail
        bool started;
        bool here; // no thread could be started for them: done on the calling thread
    };
    const auto helpedItems = [](void* context) {
        Helped& h = *static_cast<Helped*>(context);
        for (std::size_t k = h.first; k < h.end; k += h.stride) {
            try {
                (*h.work)((*h.items)[k]);
            } catch (...) {
                if (!h.failure) {
                    h.failure = std::current_exception();
                }
            }
        }
    };
    constexpr std::size_t MOST_HELPERS = 4;
    Helped helped[MOST_HELPERS];
    const std::size_t used = std::min({count, itemCount - 1, MOST_HELPERS});
    for (std::size_t h = 0; h < used; ++h) {
        helped[h] = {&items, &work, h, used, itemCount - 1, nullptr, false, false};
        try {
            helpers[h].start(helpedItems, &helped[h]);
            helped[h].started = true;
        } catch (const std::system_error&) {
            // The system would start no more threads (a limit on processes or on address space):
            // the items are worked here, after this thread's own, and come out the same.
            helped[h].here = true;
        } catch (...) {
            helped[h].failure = std::current_exception(); // no memory: those items are not done
        }
    }
    std::exception_ptr failure;
    try {
        work(items[itemCount - 1]);
    } catch (...) {
        failure = std::current_exception();
    }
    for (std::size_t h = 0; h < used; ++h) {
        if (helped[h].here) {
            helpedItems(&helped[h]);
        }
    }
    for (std::size_t h = 0; h < used; ++h) {
        if (helped[h].started) {
            helpers[h].finish(); // the helper's items catch their own failures
        }
    }
    for (std::size_t h = 0; h < used; ++h) {
        if (helped[h].failure) {
            std::rethrow_exception(helped[h].failure);
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// The same with one helper, which takes all but the last item in turn.
template <typename Items, typename Work>
void runEach(Items& items, Work&& work, HelperThread& helper) {
    runEach(items, work, &helper, 1);
}

// The same with a helper for this call alone, for work done once per ground.
template <typename Items, typename Work> void runEach(Items& items, Work&& work) {
    HelperThread helper;
    runEach(items, work, helper);
}
