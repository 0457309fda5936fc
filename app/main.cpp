// The program's entry: opens any closed standard descriptor, reads the options, prepares the
// ground, then runs the batch plan or the window. Running out of memory ends it with status 2.

#include "app/batchPlan.h"
#include "app/currentRun.h"
#include "app/options.h"
#include "app/preparedGround.h"
#include "app/standardDescriptors.h"
#include "app/startupGl.h"
#include "io/printableText.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {
constexpr int EXIT_BAD_INPUT = 2;
constexpr const char* KERNELS_VARIABLE = "LANDSCAPE_KERNELS";

// The paths LANDSCAPE_KERNELS names (unset or empty: the fastest this processor runs), or an
// error: a name of none, or paths this processor lacks. Chosen once, before any grid is built.
std::string chooseKernels(const char* named, Kernels& kernels) {
    if (named == nullptr || *named == '\0') {
        kernels = fastestKernels();
        return {};
    }
    const std::optional<Kernels> k = kernelsNamed(named);
    if (!k) {
        return std::string(KERNELS_VARIABLE) + ": '" + printable(named) +
               "' is none of plain, avx2, avx512";
    }
    if (!runsKernels(*k)) {
        return std::string(KERNELS_VARIABLE) + ": this processor does not run the " +
               kernelsName(*k) + " paths (it runs " + kernelsName(fastestKernels()) + ")";
    }
    kernels = *k;
    return {};
}
} // namespace

int main(int argc, char** argv) {
    openClosedStandardDescriptors();
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "landscape: %s\n", parsed.error.c_str());
        return EXIT_BAD_INPUT;
    }
    // Preparing the ground brings the given points into its own coordinates.
    Options options = parsed.options;
    if (options.help) {
        std::fputs(USAGE_TEXT, stdout);
        return 0;
    }
    const std::string kernelsError =
        chooseKernels(std::getenv(KERNELS_VARIABLE), landscapeRun.kernels);
    if (!kernelsError.empty()) {
        std::fprintf(stderr, "landscape: %s\n", kernelsError.c_str());
        return EXIT_BAD_INPUT;
    }
    // Progress goes to the console the window talks on, or beside a batch plan's results on
    // standard output to standard error.
    std::FILE* progressOut = options.plan ? stderr : stdout;
    landscapeRun.progress = [progressOut](const std::string& line) {
        std::fprintf(progressOut, "%s\n", line.c_str());
        std::fflush(progressOut);
    };
    // Memory runs out as a plain refusal: the ground, its tables or a plan did not fit.
    try {
        // A loaded ground's moves take seconds to price on a big one: the window shows the
        // ground first and prices them beside itself, then says what this says before it.
        const bool pricesLater = !options.plan && !options.terrainFile.empty();
        const std::string groundError = prepareGround(options, landscapeRun, pricesLater);
        if (!groundError.empty()) {
            std::fprintf(stderr, "landscape: %s\n", groundError.c_str());
            return EXIT_BAD_INPUT;
        }
        if (pricesLater) {
            return runLandscape(argv[0], options, false);
        }
        // Beside a batch plan's results the choices go where its progress goes.
        std::fputs(chosenGroundText(options, landscapeRun).c_str(), progressOut);
        std::fflush(progressOut);
        // A start the cover shuts in plans nothing: a batch plan ends as on bad input, the
        // window opens with every cell unreached.
        const std::string shutStart = shutStartText(options, landscapeRun);
        if (!shutStart.empty() && options.plan) {
            std::fprintf(stderr, "landscape: %s\n", shutStart.c_str());
            return EXIT_BAD_INPUT;
        }
        if (!shutStart.empty()) {
            std::printf("%s\n", shutStart.c_str());
        }
        if (options.plan) {
            return runBatchPlan(options, landscapeRun);
        }
        return runLandscape(argv[0], options, true);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "landscape: %s\n", NO_GROUND_MEMORY);
        return EXIT_BAD_INPUT;
    } catch (const std::exception& failure) {
        // Anything else the system refused (a lock, say) ends the run with one line, not with an
        // abort.
        std::fprintf(stderr, "landscape: %s\n", printable(failure.what()).c_str());
        return EXIT_BAD_INPUT;
    }
}
