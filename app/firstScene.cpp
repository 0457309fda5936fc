// The first scene's mesh, built as long work so that a signal meanwhile ends the process, and
// the first plan asked for.

#include "app/firstScene.h"

#include "app/options.h"
#include "app/planning.h"
#include "app/preparedGround.h"
#include "app/shutdown.h"

#include <cstdio>
#include <memory>

namespace {
constexpr int REFUSED_STATUS = 2; // as on bad input before the window opens
int refusedStatus = 0;

// On the event thread once the ground is priced: what the console says before the window opens
// for ground priced then, and the first plan.
void takeUpPricedGround(LandscapeRun& run, const Options& options, const GroundPricing& priced) {
    const std::string refusal = takePricedGround(options, run, priced);
    if (!refusal.empty()) {
        std::fprintf(stderr, "landscape: %s\n", refusal.c_str());
        std::fflush(stderr);
        refusedStatus = REFUSED_STATUS;
        return;
    }
    std::fputs(chosenGroundText(options, run).c_str(), stdout);
    const std::string shutStart = shutStartText(options, run);
    if (!shutStart.empty()) {
        std::printf("%s\n", shutStart.c_str());
    }
    std::fflush(stdout);
    askForFirstPlan(rulesShutStart(run), stdout);
}
} // namespace

void prepareFirstScene(LandscapeRun& run, const Options& options, bool priced) {
    {
        const LongWork work;
        buildMeshGeometry(run.terrain, run.mesh,
                          run.loadedGround ? ViewerSide::Above : ViewerSide::Below);
    }
    if (priced) {
        askForFirstPlan(rulesShutStart(run), stdout);
        return;
    }
    // Shared by the job and its end, which outlive this call.
    const auto result = std::make_shared<GroundPricing>();
    const StepChoice steps = stepChoice(run);
    const bool defaultEnds = takesDefaultEnds(options);
    prepareBesideWindow(
        [&run, steps, defaultEnds, result](const CancelFlag& cancel) {
            *result = priceGround(run, steps, defaultEnds, &cancel);
        },
        [&run, options, result] { takeUpPricedGround(run, options, *result); });
}

int groundRefusedStatus() {
    return refusedStatus;
}
