// Route planner timings: the fast sweep beside the plain per-step one, the exact planner, the step
// table both read, and the export of the three route files; and, when LANDSCAPE_BENCH_RASTER
// names a raster, the step table and both planners on that ground from its default start.

#include "app/currentRun.h"
#include "app/mapFiles.h"
#include "app/settings.h"
#include "io/groundRaster.h"
#include "io/routeExport.h"
#include "planner/defaultEnds.h"
#include "planner/planningGrid.h"
#include "planner/routePlanner.h"
#include "terrain/terrainGrid.h"
#include "tests/unit/plainSweep.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr int DEFAULT_START_X = 10;
constexpr int DEFAULT_START_Y = 360;
constexpr int CENTRE = 182;

void useRealTerrainFrom(int startX, int startY, PlannerKind planner = PlannerKind::Sweep) {
    useGround(landscapeRun, BUILT_IN_SHAPE, builtInHeights());
    settings.startX = startX;
    settings.startY = startY;
    settings.planner = planner;
}

void BM_ComputeRoutes(benchmark::State& state) {
    useRealTerrainFrom(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        computeRoutes();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComputeRoutes)
    ->Args({DEFAULT_START_X, DEFAULT_START_Y})
    ->Args({CENTRE, CENTRE})
    ->Unit(benchmark::kMillisecond);

// Both measures, exactly, through the same entry point.
void BM_ExactRoutes(benchmark::State& state) {
    useRealTerrainFrom(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                       PlannerKind::Exact);
    for (auto _ : state) {
        computeRoutes();
        benchmark::ClobberMemory();
    }
    settings.planner = PlannerKind::Sweep;
    settings.moves = NEIGHBOUR_COUNT;
}
BENCHMARK(BM_ExactRoutes)
    ->Args({DEFAULT_START_X, DEFAULT_START_Y})
    ->Args({CENTRE, CENTRE})
    ->Unit(benchmark::kMillisecond);

// Either planner (state.range(0)) on the built-in ground with a cancel flag that is never
// raised, beside BM_ComputeRoutes and BM_ExactRoutes without one: what looking at it costs.
void BM_WatchedRoutes(benchmark::State& state) {
    useRealTerrainFrom(DEFAULT_START_X, DEFAULT_START_Y, static_cast<PlannerKind>(state.range(0)));
    const CancelFlag never{false};
    for (auto _ : state) {
        planRunFrom(landscapeRun, planRequest(landscapeRun), {}, &never);
        benchmark::ClobberMemory();
    }
    settings.planner = PlannerKind::Sweep;
}
BENCHMARK(BM_WatchedRoutes)
    ->Arg(static_cast<int>(PlannerKind::Sweep))
    ->Arg(static_cast<int>(PlannerKind::Exact))
    ->Unit(benchmark::kMillisecond);

// A coast: level sea over the west half of 1100 x 1100 cells of 85 m, hills to the east, the
// plan starting in the sea. Every energy step across the sea is free, so the energy search holds
// over half a million cells in one bucket, tied in energy and told apart by length alone. With
// rolling resistance (range(0) hundredths of a percent) no step is free: the same ground
// without the ties, for comparison.
void BM_CoastExactRoutes(benchmark::State& state) {
    constexpr int SIDE = 1100;
    constexpr int SHORE = SIDE / 2;
    const GridShape shape{SIDE, SIDE, 85.0};
    std::vector<float> heights(shape.cells());
    for (int x = 0; x < SIDE; ++x) {
        for (int y = 0; y < SIDE; ++y) {
            const double hills =
                4.0 * (x - SHORE) * (1.2 + std::sin(y * 0.05) * std::cos(x * 0.07));
            heights[shape.index(x, y)] =
                x < SHORE ? 0.0f : static_cast<float>(std::max(hills, 0.0));
        }
    }
    settings.vehicle.rolling = static_cast<float>(state.range(0)) * 1e-4f;
    useGround(landscapeRun, shape, std::move(heights));
    settings.startX = SHORE / 2;
    settings.startY = SIDE / 2;
    settings.planner = PlannerKind::Exact;
    computeRoutes(); // faults the working space in
    for (auto _ : state) {
        computeRoutes();
        benchmark::ClobberMemory();
    }
    settings.planner = PlannerKind::Sweep;
    settings.vehicle.rolling = DEFAULT_ROLLING;
}
BENCHMARK(BM_CoastExactRoutes)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainSweep(benchmark::State& state) {
    useRealTerrainFrom(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        plainComputeRoutes(landscapeRun);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlainSweep)
    ->Args({DEFAULT_START_X, DEFAULT_START_Y})
    ->Args({CENTRE, CENTRE})
    ->Unit(benchmark::kMillisecond);

void BM_BuildStepTable(benchmark::State& state) {
    useGround(landscapeRun, BUILT_IN_SHAPE, builtInHeights());
    for (auto _ : state) {
        buildStepTable();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildStepTable)->Unit(benchmark::kMillisecond);

// Writes into a private temporary directory, removed afterwards.
void BM_ExportRouteTables(benchmark::State& state) {
    useRealTerrainFrom(DEFAULT_START_X, DEFAULT_START_Y);
    computeRoutes();
    const std::filesystem::path home = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "plannerBench.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    std::filesystem::current_path(pattern);
    for (auto _ : state) {
        exportRouteTables();
    }
    std::filesystem::current_path(home);
    std::filesystem::remove_all(pattern);
}
BENCHMARK(BM_ExportRouteTables)->Unit(benchmark::kMillisecond);

// The raster LANDSCAPE_BENCH_RASTER names, loaded once for all its cases; empty heights when it
// names none or cannot be read.
const LoadedGround& benchRaster() {
    static const LoadedGround ground = [] {
        LoadedGround loaded;
        const char* path = std::getenv("LANDSCAPE_BENCH_RASTER");
        if (path == nullptr) {
            return loaded;
        }
        GroundRequest request;
        request.path = path;
        if (!loadGroundRaster(request, loaded).empty()) {
            loaded.heights.clear();
        }
        return loaded;
    }();
    return ground;
}

// Makes the raster the run's ground for plans of `moves` moves, starting from its default start;
// false (and the case skipped) without one.
bool useBenchRaster(benchmark::State& state, PlannerKind planner, int moves) {
    const LoadedGround& ground = benchRaster();
    if (ground.heights.empty()) {
        state.SkipWithError("LANDSCAPE_BENCH_RASTER names no readable raster");
        return false;
    }
    // LANDSCAPE_KERNELS times one path against another, as the program takes it.
    const char* kernels = std::getenv("LANDSCAPE_KERNELS");
    landscapeRun.kernels =
        kernels == nullptr ? fastestKernels() : kernelsNamed(kernels).value_or(fastestKernels());
    settings.moves = moves;
    useGround(landscapeRun, ground.shape, ground.heights);
    const std::optional<RouteEnds> ends = defaultRouteEnds(landscapeRun.grid);
    if (!ends) {
        state.SkipWithError("the raster has no ground to plan on");
        return false;
    }
    settings.startX = ends->startX;
    settings.startY = ends->startY;
    settings.planner = planner;
    return true;
}

// Testing and pricing every move of the raster's ground, for a set of state.range(0) moves.
void BM_RasterBuildStepTable(benchmark::State& state) {
    if (!useBenchRaster(state, PlannerKind::Sweep, static_cast<int>(state.range(0)))) {
        return;
    }
    for (auto _ : state) {
        buildStepTable();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RasterBuildStepTable)
    ->Arg(8)
    ->Arg(16)
    ->Arg(48)
    ->Arg(96)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same with a vehicle that leans at most 30 %: the side test with the grade profile.
void BM_RasterBuildStepTableLeaning(benchmark::State& state) {
    if (!useBenchRaster(state, PlannerKind::Sweep, static_cast<int>(state.range(0)))) {
        return;
    }
    settings.vehicle.sideSlopePercent = 30.0;
    for (auto _ : state) {
        buildStepTable();
        benchmark::ClobberMemory();
    }
    settings.vehicle.sideSlopePercent = NO_SIDE_SLOPE;
}
BENCHMARK(BM_RasterBuildStepTableLeaning)
    ->Arg(8)
    ->Arg(48)
    ->Arg(96)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Labelling the pieces of the raster's ground to choose where its plan starts and ends.
void BM_RasterDefaultEnds(benchmark::State& state) {
    if (!useBenchRaster(state, PlannerKind::Sweep, static_cast<int>(state.range(0)))) {
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(defaultRouteEnds(landscapeRun.grid));
    }
}
BENCHMARK(BM_RasterDefaultEnds)->Arg(8)->Arg(48)->Unit(benchmark::kMillisecond)->UseRealTime();

// A cover of the bench raster's shape: a road every 500 rows at 80 km/h, forest at 10 km/h and
// rougher in every other block of 300 columns, a lake every 1000th column but for a gap at each
// road, and no value elsewhere.
GroundCover benchCover(const GridShape& shape) {
    GroundCover cover;
    cover.speedKmh.assign(shape.cells(), NAN);
    cover.rolling.assign(shape.cells(), NAN);
    for (int x = 0; x < shape.columns; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            const bool road = y % 500 == 0;
            const bool forest = (x / 300) % 2 == 1;
            cover.speedKmh[p] = road ? 80.0f : x % 1000 == 999 ? 0.0f : forest ? 10.0f : NAN;
            cover.rolling[p] = forest && !road ? 0.08f : NAN;
        }
    }
    return cover;
}

// A plan of the raster with planner state.range(0) over state.range(1) moves; with a cover and
// timed when state.range(2) is 1.
void BM_RasterRoutes(benchmark::State& state) {
    const auto planner = static_cast<PlannerKind>(state.range(0));
    const bool timed = state.range(2) != 0;
    landscapeRun.timed = timed;
    landscapeRun.cover = timed ? benchCover(benchRaster().shape) : GroundCover{};
    if (!useBenchRaster(state, planner, static_cast<int>(state.range(1)))) {
        return;
    }
    // Every plan after a run's first reuses the planners' working space: time those. The first
    // also faults the space in, 0.1-0.3 s on a 16-million-cell grid.
    computeRoutes();
    for (auto _ : state) {
        computeRoutes();
        benchmark::ClobberMemory();
    }
    settings.planner = PlannerKind::Sweep;
    settings.moves = NEIGHBOUR_COUNT;
    landscapeRun.timed = false;
    landscapeRun.cover = {};
}
BENCHMARK(BM_RasterRoutes)
    ->Args({static_cast<int>(PlannerKind::Sweep), 8, 0})
    ->Args({static_cast<int>(PlannerKind::Sweep), 8, 1})
    ->Args({static_cast<int>(PlannerKind::Exact), 8, 0})
    ->Args({static_cast<int>(PlannerKind::Exact), 8, 1})
    ->Args({static_cast<int>(PlannerKind::Exact), 16, 0})
    ->Args({static_cast<int>(PlannerKind::Exact), 48, 0})
    ->Args({static_cast<int>(PlannerKind::Exact), 48, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The areas within five times, 10 to 50 minutes, of the raster's exact plan of 8 moves written
// as isochrones.gpkg (state.range(0) 0) or isochrones.geojson (1) into a private temporary
// directory.
void BM_RasterIsochrones(benchmark::State& state) {
    landscapeRun.timed = true;
    if (!useBenchRaster(state, PlannerKind::Exact, NEIGHBOUR_COUNT)) {
        return;
    }
    computeRoutes();
    std::string folder = (std::filesystem::temp_directory_path() / "plannerBench.XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const Isochrones minutes{Measure::Time, "min", SECONDS_PER_MINUTE, {10, 20, 30, 40, 50}};
    const auto format = static_cast<IsochroneFormat>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeIsochroneFiles(fd, landscapeRun, minutes, format));
    }
    close(fd);
    std::filesystem::remove_all(folder);
    settings.planner = PlannerKind::Sweep;
    landscapeRun.timed = false;
}
BENCHMARK(BM_RasterIsochrones)
    ->Arg(static_cast<int>(IsochroneFormat::GeoPackage))
    ->Arg(static_cast<int>(IsochroneFormat::GeoJson))
    ->Unit(benchmark::kMillisecond);

// A trip over the raster through three via points with the exact planner over 8 moves, planned
// afresh (state.range(0) 0) or with its last via point moved between two cells, which replans
// the two legs that touch it (1): what moving a via point in the window costs.
void BM_RasterTripViaMoved(benchmark::State& state) {
    if (!useBenchRaster(state, PlannerKind::Exact, 8)) {
        return;
    }
    const GridShape& shape = landscapeRun.terrain.shape();
    const auto at = [&](double fx, double fy) {
        return Cell{static_cast<int>(shape.columns * fx), static_cast<int>(shape.rows * fy)};
    };
    settings.endX = at(0.9, 0.9).x;
    settings.endY = at(0.9, 0.9).y;
    settings.via = {at(0.3, 0.6), at(0.6, 0.3), at(0.7, 0.7)};
    computeRoutes();
    bool moved = false;
    for (auto _ : state) {
        moved = !moved;
        settings.via.back() = moved ? at(0.75, 0.65) : at(0.7, 0.7);
        if (state.range(0) == 0) {
            landscapeRun.keptLegs.clear();
        }
        computeRoutes();
        benchmark::ClobberMemory();
    }
    settings.via.clear();
    settings.planner = PlannerKind::Sweep;
    settings.moves = NEIGHBOUR_COUNT;
}
BENCHMARK(BM_RasterTripViaMoved)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs `work` on a thread of its own, raises its cancel flag `wait` ms after it began and gives
// the seconds from then to its return.
double secondsToCancel(long wait, const std::function<void(const CancelFlag&)>& work) {
    CancelFlag cancel{false};
    std::thread worker([&] { work(cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    const auto raised = std::chrono::steady_clock::now();
    cancel.store(true);
    worker.join();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - raised).count();
}

// From raising the cancel flag of a plan of the raster under way (state.range(1) ms after it
// began, with planner state.range(0) over 48 moves) to its return: how long a newer question
// waits before its own plan starts.
void BM_RasterCancel(benchmark::State& state) {
    const auto planner = static_cast<PlannerKind>(state.range(0));
    if (!useBenchRaster(state, planner, 48)) {
        return;
    }
    computeRoutes(); // faults the working space in
    const PlanRequest request{planner, {settings.startX, settings.startY}, {}, {}, false};
    for (auto _ : state) {
        state.SetIterationTime(secondsToCancel(state.range(1), [&](const CancelFlag& cancel) {
            planRunFrom(landscapeRun, request, {}, &cancel);
        }));
    }
    settings.planner = PlannerKind::Sweep;
    settings.moves = NEIGHBOUR_COUNT;
}
BENCHMARK(BM_RasterCancel)
    ->Args({static_cast<int>(PlannerKind::Exact), 50})
    ->Args({static_cast<int>(PlannerKind::Exact), 3000})
    ->Args({static_cast<int>(PlannerKind::Sweep), 1000})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The same for the pricing of the raster's 48 moves, the flag raised state.range(0) ms after it
// began: what a new vehicle value waits for while the last one's steps are priced.
void BM_RasterPricingCancel(benchmark::State& state) {
    if (!useBenchRaster(state, PlannerKind::Exact, 48)) {
        return;
    }
    const StepChoice steps = stepChoice(landscapeRun);
    for (auto _ : state) {
        state.SetIterationTime(secondsToCancel(state.range(0), [&](const CancelFlag& cancel) {
            priceStepsFor(landscapeRun, steps, &cancel);
        }));
    }
    settings.planner = PlannerKind::Sweep;
    settings.moves = NEIGHBOUR_COUNT;
}
BENCHMARK(BM_RasterPricingCancel)
    ->Arg(300)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
