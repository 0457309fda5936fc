#pragma once
// Long work on a big grid tells how far it has come, about once a second, so that a user sees
// the program is busy: the program prints each line on the console and shows it in the window.
// Work on fewer than PROGRESS_MIN_ITEMS items says nothing, so small grids stay quiet.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

constexpr std::size_t PROGRESS_MIN_ITEMS = std::size_t{1} << 20; // about a million cells

// Items of work between two calls of update in a tight loop: a look at the clock is then too
// rare to count.
constexpr std::size_t PROGRESS_STRIDE = std::size_t{1} << 16;

// What a plan tells while it goes: the share of the grid's cells it has taken up.
constexpr const char* PLANNING_WORK = "Planning";

// Takes each line of progress ("Planning: 40 % of 16000000 cells"); may be empty.
using ProgressListener = std::function<void(const std::string& line)>;

class ProgressReport {
  public:
    // `what` names the work ("distanceTable.txt"), `total` counts its items (cells).
    ProgressReport(std::string what, std::size_t total, const ProgressListener& listener);

    // `done` of the items are finished (more than `total` counts as all); tells the listener
    // when a second has passed since the last line.
    void update(std::size_t done);
    std::size_t total() const { return total_; }

  private:
    std::string what_;
    std::size_t total_;
    const ProgressListener& listener_;
    std::chrono::steady_clock::time_point last_;
};
