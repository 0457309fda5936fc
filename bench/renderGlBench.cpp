// Scene list timings in a real 500 x 500 GLUT window: rebuilding the list (compile and first
// draw, with the ring colours and overlays recomputed) and replaying it, each as one frame
// finished with glFinish so the drawing is inside the timing; a replayed frame with the panel
// over it; and a pick: the cell under a pixel, the replanning (by either planner) and the first
// new frame. On the built-in ground, or on the raster LANDSCAPE_BENCH_RASTER names.

#include "app/currentRun.h"
#include "app/firstScene.h"
#include "app/keyboard.h"
#include "app/options.h"
#include "app/panelGl.h"
#include "app/preparedGround.h"
#include "app/settings.h"
#include "app/windowState.h"
#include "render/mesh.h"
#include "render/scene.h"
#include "render/sceneGl.h"

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

constexpr int WINDOW_SIZE = 500;

// The settings of the first frame, which every benchmark leaves behind it.
Settings firstSettings;

// The window's scene state, which the panel reads too; the camera stays in its start pose.
SceneGlState& gl = windowState.scene;

// The route reports print on every rebuild; they go to /dev/null while a benchmark runs so the
// timing table stays readable.
class QuietStdout {
  public:
    QuietStdout() : saved_(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

  private:
    int saved_;
};

void openWindowWithScene() {
    int argc = 1;
    char name[] = "renderGlBench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WINDOW_SIZE, WINDOW_SIZE);
    glutCreateWindow("renderGlBench");
    gl.sceneList = glGenLists(1);
    Options options;
    if (const char* raster = std::getenv("LANDSCAPE_BENCH_RASTER")) {
        options.terrainFile = raster;
    }
    const std::string error = prepareGround(options, landscapeRun, false);
    if (!error.empty()) {
        std::fprintf(stderr, "renderGlBench: %s\n", error.c_str());
        std::exit(2);
    }
    prepareFirstScene(landscapeRun, options, true);
    firstSettings = settings;
    glEnable(GL_DEPTH_TEST);
    reshape(gl, WINDOW_SIZE, WINDOW_SIZE, false);
    initPanel();
}

void beginFrame() {
    ::beginFrame(gl, windowState.camera, settings.sceneOffset, settings.sceneRotation);
}

void rebuildSceneList() {
    const SceneInputs in = sceneInputs(landscapeRun);
    ::rebuildSceneList(gl, buildScene(in), in);
}

void BM_RebuildSceneList(benchmark::State& state) {
    settings.viewMode = static_cast<ViewMode>(state.range(0));
    const QuietStdout quiet;
    for (auto _ : state) {
        beginFrame();
        rebuildSceneList();
        glFinish();
    }
    settings = firstSettings;
}
BENCHMARK(BM_RebuildSceneList)
    ->Arg(Distance)
    ->Arg(Energy)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// Frames drawn before a replay is timed: the first replays after a compile still settle the
// renderer's caches and would count as steady drawing.
constexpr int WARM_UP_FRAMES = 3;

void BM_ReplaySceneList(benchmark::State& state) {
    {
        const QuietStdout quiet;
        beginFrame();
        rebuildSceneList();
    }
    for (int frame = 0; frame < WARM_UP_FRAMES; ++frame) {
        beginFrame();
        replaySceneList(gl);
        glFinish();
    }
    for (auto _ : state) {
        beginFrame();
        replaySceneList(gl);
        glFinish();
    }
}
BENCHMARK(BM_ReplaySceneList)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same replayed frame with the panel drawn over it; the difference is the panel's cost.
void BM_ReplayWithPanel(benchmark::State& state) {
    settings.panelVisible = true;
    {
        const QuietStdout quiet;
        beginFrame();
        rebuildSceneList();
    }
    // The first panel frames also measure the window and upload the font.
    for (int frame = 0; frame < WARM_UP_FRAMES; ++frame) {
        beginFrame();
        replaySceneList(gl);
        drawPanel(windowState);
        glFinish();
    }
    for (auto _ : state) {
        beginFrame();
        replaySceneList(gl);
        drawPanel(windowState);
        glFinish();
    }
    settings = firstSettings;
}
BENCHMARK(BM_ReplayWithPanel)->Unit(benchmark::kMillisecond)->Iterations(20);

// A pick as the window does it: the cell under the window's centre in the frame just drawn
// becomes the start (alternately the cell beside it, so every pick replans), then the first
// frame of the new scene.
void BM_PickReplanAndFirstFrame(benchmark::State& state) {
    constexpr int CENTRE = WINDOW_SIZE / 2;
    const QuietStdout quiet;
    settings.planner = static_cast<PlannerKind>(state.range(0));
    beginFrame();
    rebuildSceneList();
    int shift = 0;
    for (auto _ : state) {
        beginFrame();
        replaySceneList(gl);
        const std::optional<Cell> cell =
            cellUnderPixel(gl, sceneInputs(landscapeRun), CENTRE, CENTRE + shift);
        if (!cell) {
            state.SkipWithError("nothing drawn at the window's centre");
            break;
        }
        submitPickedCell(PickedEnd::Start, cell->x, cell->y, stdout);
        beginFrame();
        rebuildSceneList();
        glFinish();
        shift = 10 - shift;
    }
    settings = firstSettings;
}
BENCHMARK(BM_PickReplanAndFirstFrame)
    ->Arg(static_cast<int>(PlannerKind::Sweep))
    ->Arg(static_cast<int>(PlannerKind::Exact))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// A vehicle set in the panel, alternately a 15 % and the default 7 % grade: the steps priced
// anew, the exact planner's plan and the first frame of the new scene.
void BM_VehicleChangeAndFirstFrame(benchmark::State& state) {
    const QuietStdout quiet;
    settings.planner = PlannerKind::Exact;
    Vehicle vehicle;
    for (auto _ : state) {
        vehicle.gradeUpPercent = vehicle.gradeDownPercent =
            vehicle.gradeUpPercent == DEFAULT_GRADE_PERCENT ? 15.0 : DEFAULT_GRADE_PERCENT;
        submitVehicle(vehicle, true, stdout);
        beginFrame();
        rebuildSceneList();
        glFinish();
    }
    settings = firstSettings;
    buildStepTable();
}
BENCHMARK(BM_VehicleChangeAndFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    openWindowWithScene();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
