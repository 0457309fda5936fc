#include "io/progressReport.h"

#include <cstdio>
#include <utility>

namespace {
constexpr auto PROGRESS_INTERVAL = std::chrono::seconds(1);
constexpr double PERCENT = 100.0;
} // namespace

ProgressReport::ProgressReport(std::string what, std::size_t total)
    : what_(std::move(what)), total_(total), last_(std::chrono::steady_clock::now()) {}

void ProgressReport::update(std::size_t done) {
    if (total_ < PROGRESS_MIN_ITEMS) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < PROGRESS_INTERVAL) {
        return;
    }
    last_ = now;
    std::printf("%s: %.0f %% of %zu cells\n", what_.c_str(), PERCENT * done / total_, total_);
    std::fflush(stdout);
}
