// The planning thread's life: one thread a job, which costs far less than the smallest plan that
// runs beside the window, and leaves nothing running between plans.
#include "app/planWorker.h"

#include <utility>

PlanWorker::~PlanWorker() {
    cancel();
    join();
}

void PlanWorker::start(Job job) {
    cancel_.store(false, std::memory_order_relaxed);
    finished_.store(false, std::memory_order_relaxed);
    thread_ = std::thread([this, job = std::move(job)] {
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
