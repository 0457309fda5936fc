// The planning thread's life: one thread a job, which costs far less than the smallest plan that
// runs beside the window, and leaves nothing running between plans.
#include "app/planWorker.h"

#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {
// How much the planning thread yields to the event thread: at this niceness a plan keeps the
// cores the window leaves idle, but the window's frames and keys take a core at once when they
// need one. The threads a plan starts inherit it.
constexpr int PLANNING_NICENESS = 10;
} // namespace

PlanWorker::~PlanWorker() {
    cancel();
    join();
}

void PlanWorker::start(Job job) {
    cancel_.store(false, std::memory_order_relaxed);
    finished_.store(false, std::memory_order_relaxed);
    thread_ = std::thread([this, job = std::move(job)] {
        // Linux gives each thread a niceness of its own; a refusal leaves the plan as it was.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), PLANNING_NICENESS);
        job(cancel_);
        finished_.store(true, std::memory_order_release);
    });
}

void PlanWorker::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PlanWorker::tell(const std::string& line) {
    const std::lock_guard<std::mutex> lock(linesMutex_);
    lines_.push_back(line);
}

std::vector<std::string> PlanWorker::takeLines() {
    const std::lock_guard<std::mutex> lock(linesMutex_);
    return std::exchange(lines_, {});
}
