// Route planner timings: the fast sweep beside the plain per-step one, the exact planner, the step
// table both read, and the export of the three route files.

#include "io/routeExport.h"
#include "planner/planningGrid.h"
#include "planner/routePlanner.h"
#include "planner/runState.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"
#include "tests/unit/plainSweep.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
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
}
BENCHMARK(BM_ExactRoutes)
    ->Args({DEFAULT_START_X, DEFAULT_START_Y})
    ->Args({CENTRE, CENTRE})
    ->Unit(benchmark::kMillisecond);

void BM_PlainSweep(benchmark::State& state) {
    useRealTerrainFrom(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        plainComputeRoutes();
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

} // namespace

BENCHMARK_MAIN();
