// Writing the three text tables: each line is formatted with to_chars into a chunk buffer, floats
// as printf's %g would, and each file replaces the old one whole.

#include "io/routeExport.h"

#include "io/fileReplace.h"
#include "planner/nearestStart.h"
#include "planner/progress.h"
#include "planner/routeTables.h"
#include "planner/routeWalk.h"
#include "terrain/terrainGrid.h"

#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <string>

namespace {

constexpr char DISTANCE_TABLE_HEADER[] = "X\tY\tZ\tDIST\n";
constexpr std::size_t DISTANCE_MEASURE = static_cast<std::size_t>(Measure::Distance);
constexpr std::size_t ENERGY_MEASURE = static_cast<std::size_t>(Measure::Energy);

// The stream's default float format is printf's "%g": general notation, 6 significant digits.
constexpr int FLOAT_DIGITS = 6;
constexpr int FIELD_ROOM = 16; // "-1.23457e+38" and "-2147483648" both fit
constexpr int LINE_ROOM = 4 * FIELD_ROOM;
constexpr int CHUNK_BYTES = 1 << 16;

// Collects formatted lines and hands them to the file a chunk at a time.
class ChunkedWriter {
  public:
    explicit ChunkedWriter(std::FILE* out) : out_(out) {}
    ChunkedWriter(const ChunkedWriter&) = delete;
    ChunkedWriter& operator=(const ChunkedWriter&) = delete;
    ~ChunkedWriter() { flush(); }

    // Room for one line of at most four fields; commit the end of what was written.
    char* line() {
        if (CHUNK_BYTES - used_ < LINE_ROOM) {
            flush();
        }
        return buffer_ + used_;
    }
    void commit(const char* end) { used_ = static_cast<int>(end - buffer_); }

  private:
    void flush() {
        std::fwrite(buffer_, 1, static_cast<std::size_t>(used_), out_);
        used_ = 0;
    }

    std::FILE* out_;
    char buffer_[CHUNK_BYTES];
    int used_ = 0;
};

char* putFloat(char* at, float value, char separator) {
    at = std::to_chars(at, at + FIELD_ROOM, static_cast<double>(value), std::chars_format::general,
                       FLOAT_DIGITS)
             .ptr;
    *at = separator;
    return at + 1;
}

char* putInt(char* at, int value, char separator) {
    at = std::to_chars(at, at + FIELD_ROOM, value).ptr;
    *at = separator;
    return at + 1;
}

void writeDistanceTable(std::FILE* out, const RouteExport& run) {
    const TerrainPositions& terrain = run.terrain;
    std::fputs(DISTANCE_TABLE_HEADER, out);
    ChunkedWriter writer(out);
    const GridShape& shape = terrain.shape();
    ProgressReport progress(DISTANCE_TABLE_FILE, shape.cells(), run.progress);
    for (int x = 0; x < shape.columns; ++x) {
        progress.update(shape.index(x, 0));
        for (int y = 0; y < shape.rows; ++y) {
            const TerrainVertex v = terrain[x][y];
            char* at = writer.line();
            at = putFloat(at, v.x, '\t');
            at = putFloat(at, v.y, '\t');
            at = putFloat(at, v.z, '\t');
            at = putFloat(at, run.tables.distance[x][y], '\n');
            writer.commit(at);
        }
    }
}

// One line per route cell, from the end toward the start; nothing when the end is unreached.
void writeRoute(std::FILE* out, const CostTable& cost, const PreviousTable& previous,
                const RouteEnds& ends, bool severalStarts) {
    const int endX = ends.endX;
    const int endY = ends.endY;
    if (!cost.reaches(endX, endY)) {
        return;
    }
    ChunkedWriter writer(out);
    const Cell start =
        severalStarts ? routeStartOf(previous, endX, endY) : Cell{ends.startX, ends.startY};
    walkRoute(previous, start.x, start.y, endX, endY, [&](int x, int y) {
        char* at = writer.line();
        at = putInt(at, x, '\t');
        at = putInt(at, y, '\t');
        at = putFloat(at, cost[x][y], '\n');
        writer.commit(at);
    });
}

// One line per cell of a trip's joined route, from the end toward the start (the start left
// out), with the cost carried along the whole trip; nothing when any leg is unreachable.
void writeTripRoute(std::FILE* out, const Route& route) {
    if (!route.reachable || route.costs.size() != route.cells.size()) {
        return;
    }
    ChunkedWriter writer(out);
    for (std::size_t k = route.cells.size(); k-- > 1;) {
        char* at = writer.line();
        at = putInt(at, route.cells[k].x, '\t');
        at = putInt(at, route.cells[k].y, '\t');
        at = putFloat(at, route.costs[k], '\n');
        writer.commit(at);
    }
}

// Writes `name` inside the folder open as `folder` through fill(file); reports a failure on
// stderr. False when the file was not written.
template <typename Fill> bool writeReplacing(int folder, const char* name, Fill&& fill) {
    const std::string error = replaceFile(folder, name, [&](std::FILE* out) {
        fill(out);
        return true; // write errors stay in the file's error flag, which replaceFile checks
    });
    if (error.empty()) {
        return true;
    }
    std::fprintf(stderr, "Error: could not write %s: %s\n", name, error.c_str());
    return false;
}

} // namespace

bool exportRouteTablesInto(int folder, const RouteExport& run) {
    bool written = writeReplacing(folder, DISTANCE_TABLE_FILE,
                                  [&](std::FILE* out) { writeDistanceTable(out, run); });
    const bool trip = run.trip != nullptr && run.trip->size() > ENERGY_MEASURE;
    written &= writeReplacing(folder, DISTANCE_ROUTE_FILE, [&](std::FILE* out) {
        if (trip) {
            writeTripRoute(out, (*run.trip)[DISTANCE_MEASURE]);
        } else {
            writeRoute(out, run.tables.distance, run.tables.previousDistance, run.ends,
                       run.severalStarts);
        }
    });
    written &= writeReplacing(folder, ENERGY_ROUTE_FILE, [&](std::FILE* out) {
        if (trip) {
            writeTripRoute(out, (*run.trip)[ENERGY_MEASURE]);
        } else {
            writeRoute(out, run.tables.energy, run.tables.previousEnergy, run.ends,
                       run.severalStarts);
        }
    });
    return written;
}
