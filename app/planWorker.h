#pragma once
// The thread beside the window that plans. The event thread starts one job at a time, may raise
// its cancel flag, and joins it once it has returned (finished() says so without blocking); the
// job reads and writes only what the event thread leaves alone until then, and tells how far it
// has come through tell(), whose lines the event thread takes and prints. The worker itself
// never touches GL or the console.

#include "planner/cancel.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PlanWorker {
  public:
    using Job = std::function<void(const CancelFlag& cancel)>;

    PlanWorker() = default;
    PlanWorker(const PlanWorker&) = delete;
    PlanWorker& operator=(const PlanWorker&) = delete;
    ~PlanWorker();

    // Runs `job` on a thread of its own; the job started before must have been joined.
    void start(Job job);
    // A job was started and has not been joined yet.
    bool busy() const { return thread_.joinable(); }
    // The job started last has returned: join() will not wait.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Asks the job under way to stop.
    void cancel() { cancel_.store(true, std::memory_order_relaxed); }
    // Waits until the job has returned; nothing when none is under way.
    void join();

    // From the job: a line of progress for the event thread.
    void tell(const std::string& line);
    // The lines told since the last call, oldest first.
    std::vector<std::string> takeLines();

  private:
    std::thread thread_;
    CancelFlag cancel_{false};
    std::atomic<bool> finished_{false};
    std::mutex linesMutex_;
    std::vector<std::string> lines_;
};
