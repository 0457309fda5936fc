#pragma once
// A line on the console about once a second while long work goes on, so a user of a big grid
// sees that the program is busy. Work on fewer than PROGRESS_MIN_ITEMS items prints nothing.

#include <chrono>
#include <cstddef>
#include <string>

constexpr std::size_t PROGRESS_MIN_ITEMS = std::size_t{1} << 20; // about a million cells

class ProgressReport {
  public:
    // `what` names the work ("distanceTable.txt"), `total` counts its items.
    ProgressReport(std::string what, std::size_t total);

    // `done` of the items are finished; prints when a second has passed since the last line.
    void update(std::size_t done);

  private:
    std::string what_;
    std::size_t total_;
    std::chrono::steady_clock::time_point last_;
};
