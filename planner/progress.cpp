// Progress lines of long work: at most one a second, none for small work.
#include "planner/progress.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
constexpr auto PROGRESS_INTERVAL = std::chrono::seconds(1);
constexpr double PERCENT = 100.0;
} // namespace

ProgressReport::ProgressReport(std::string what, std::size_t total,
                               const ProgressListener& listener)
    : what_(std::move(what)), total_(total), listener_(listener),
      last_(std::chrono::steady_clock::now()) {}

void ProgressReport::update(std::size_t done) {
    if (total_ < PROGRESS_MIN_ITEMS || !listener_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < PROGRESS_INTERVAL) {
        return;
    }
    last_ = now;
    char line[256];
    std::snprintf(line, sizeof line, "%s: %.0f %% of %zu cells", what_.c_str(),
                  PERCENT * static_cast<double>(std::min(done, total_)) / total_, total_);
    listener_(line);
}
