// Plans asked for by the window's commands: on the calling thread before the window runs them
// beside itself, then on the worker, one at a time, the newest question cancelling the plan
// under way. Everything the worker reads of the settings is copied when the plan is asked for,
// so the event thread may change any setting meanwhile.
#include "app/planning.h"

#include "app/currentRun.h"
#include "app/planWorker.h"
#include "app/shutdown.h"
#include "app/windowState.h"
#include "render/ringFit.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <thread>

namespace {

// How often a wait for the worker looks whether it has ended, and prints its progress lines.
constexpr auto WAIT_LOOK = std::chrono::milliseconds(1);

// StepsCancelled: cancelled while pricing, which leaves the steps half priced.
enum class PlanEnd { Whole, Cancelled, StepsCancelled, StepsOutOfMemory, PlanOutOfMemory };

// A plan as it was asked for: what to do, and what it reads of the settings then.
struct PlanOrder {
    PlanAsk ask;
    StepChoice steps;
    PlanRequest request;
};

struct Planning {
    bool beside = false;
    ProgressListener console;
    PlanWorker worker;
    std::optional<LongWork> longWork; // a signal ends the process at once while the worker plans
    PlanOrder order{};                // of the plan under way, or of the last
    bool underWay = false;
    // Written by the job, read once it has been joined.
    PlanEnd end = PlanEnd::Whole;
    std::exception_ptr failure;
    std::atomic<bool> stepsPriced{false};
    std::string lastLine;    // the last progress line of the plan under way
    bool firstAsked = false; // the ground's first plan has been asked for
    bool firstEnded = false;
    // The ground's preparation under way on the worker, and what the event thread does once it
    // has ended.
    bool preparing = false;
    std::function<void()> prepared;
};

Planning& planning() {
    static Planning state;
    return state;
}

// Prices the steps when asked, then plans; what went wrong is the answer, never an exception
// (but for failures other than memory).
PlanEnd runOrder(LandscapeRun& run, const PlanOrder& order, const ProgressListener& progress,
                 const CancelFlag* cancel, std::atomic<bool>& stepsPriced) {
    if (order.ask.priceSteps) {
        try {
            if (!priceStepsFor(run, order.steps, cancel)) {
                stepsPriced.store(true);
                return PlanEnd::StepsCancelled;
            }
        } catch (const std::bad_alloc&) {
            stepsPriced.store(true);
            return PlanEnd::StepsOutOfMemory;
        }
    }
    stepsPriced.store(true);
    try {
        return planRunFrom(run, order.request, progress, cancel) ? PlanEnd::Whole
                                                                 : PlanEnd::Cancelled;
    } catch (const std::bad_alloc&) {
        return PlanEnd::PlanOutOfMemory;
    }
}

// What the console and the rings learn once the ground's first plan has ended.
void endFirstPlan(std::FILE* out) {
    Planning& p = planning();
    if (!p.firstAsked || p.firstEnded) {
        return;
    }
    p.firstEnded = true;
    // Later plans keep whatever widths the user has set by then.
    if (landscapeRun.loadedGround) {
        fitRingWidths(landscapeRun.settings, landscapeRun.tables);
    }
    std::fputs(startReachText(landscapeRun).c_str(), out);
    std::fflush(out);
}

void sayNoMemory(std::FILE* out) {
    std::fputs(NO_MEMORY_MESSAGE, out);
    std::fflush(out);
}

// Takes up a plan's end on the event thread. A plan `replaced` by a newer question shows
// nothing and asks for nothing more. True when the scene is to be drawn anew.
bool takeUp(PlanEnd end, const PlanOrder& order, bool replaced, std::FILE* out) {
    LandscapeRun& run = landscapeRun;
    switch (end) {
    case PlanEnd::Cancelled:
    case PlanEnd::StepsCancelled:
        return false;
    case PlanEnd::Whole:
        if (replaced) {
            return false;
        }
        sceneDirty = true;
        endFirstPlan(out);
        return true;
    case PlanEnd::StepsOutOfMemory:
        sayNoMemory(out);
        if (!replaced) {
            // The steps as they were: their grid fitted before, and its memory is free again.
            settings.vehicle = order.ask.stepsBefore.vehicle;
            settings.moves = order.ask.stepsBefore.moves;
            settings.barriersOn = order.ask.stepsBefore.barriersOn;
            run.timed = order.ask.timedBefore;
            askForPlan(PlanAsk{true}, out);
        }
        return false;
    case PlanEnd::PlanOutOfMemory:
        // The window keeps running with every cell unreached, the working cells given back.
        run.work.release();
        resetRouteTables(run.tables, -1, -1);
        run.trip.clear();
        run.corridorPlanned = false;
        run.plannedFrom.reset();
        run.tablesFrom.reset();
        run.keptLegs.clear();
        sayNoMemory(out);
        if (replaced) {
            return false;
        }
        if (order.ask.plannerBack) {
            settings.planner = order.request.planner == PlannerKind::Exact ? PlannerKind::Sweep
                                                                           : PlannerKind::Exact;
            askForPlan(PlanAsk{}, out);
            return false;
        }
        sceneDirty = true;
        endFirstPlan(out);
        return true;
    }
    return false;
}

} // namespace

void finishPreparing() {
    Planning& p = planning();
    if (!p.preparing) {
        return;
    }
    p.worker.join();
    p.longWork.reset();
    p.preparing = false;
    if (p.failure) {
        std::rethrow_exception(std::exchange(p.failure, nullptr));
    }
    std::exchange(p.prepared, nullptr)();
}

namespace {

// Joins the worker's job and gives its end; a failure other than memory is thrown again here.
PlanEnd joinUnderWay() {
    Planning& p = planning();
    p.worker.join();
    p.longWork.reset();
    p.underWay = false;
    if (p.failure) {
        std::rethrow_exception(std::exchange(p.failure, nullptr));
    }
    return p.end;
}

// True when there were any.
bool printLines(Planning& p) {
    const std::vector<std::string> lines = p.worker.takeLines();
    for (const std::string& line : lines) {
        p.lastLine = line;
        if (p.console) {
            p.console(line);
        }
    }
    return !lines.empty();
}

} // namespace

void planBesideWindow(ProgressListener console) {
    Planning& p = planning();
    p.beside = true;
    p.console = std::move(console);
}

void prepareBesideWindow(std::function<void(const CancelFlag&)> job, std::function<void()> done) {
    Planning& p = planning();
    p.firstAsked = true;
    p.firstEnded = false;
    p.preparing = true;
    p.prepared = std::move(done);
    p.lastLine.clear();
    p.longWork.emplace();
    p.worker.start([&p, job = std::move(job)](const CancelFlag& cancel) {
        try {
            job(cancel);
        } catch (...) {
            p.failure = std::current_exception();
        }
    });
}

void askForPlan(const PlanAsk& ask, std::FILE* out) {
    finishPreparing();
    Planning& p = planning();
    PlanAsk asked = ask;
    if (p.underWay) {
        p.worker.cancel();
        const PlanEnd end = joinUnderWay();
        p.worker.takeLines(); // they tell of a plan given up
        // Steps left half priced must be priced again, whatever the new question, with the
        // same steps to come back to.
        const bool halfPriced = end == PlanEnd::StepsOutOfMemory || end == PlanEnd::StepsCancelled;
        if (halfPriced && !asked.priceSteps) {
            asked.priceSteps = true;
            asked.stepsBefore = p.order.ask.stepsBefore;
            asked.timedBefore = p.order.ask.timedBefore;
        }
        takeUp(end, p.order, true, out);
    }
    p.order = {asked, stepChoice(landscapeRun), planRequest(landscapeRun)};
    if (!p.beside) {
        PlanEnd end;
        {
            const LongWork work;
            end = runOrder(landscapeRun, p.order, landscapeRun.progress, nullptr, p.stepsPriced);
        }
        takeUp(end, p.order, false, out);
        return;
    }
    p.stepsPriced.store(false);
    p.end = PlanEnd::Cancelled;
    p.lastLine.clear();
    p.longWork.emplace();
    p.underWay = true;
    p.worker.start([&p](const CancelFlag& cancel) {
        const ProgressListener tell = [&p](const std::string& line) { p.worker.tell(line); };
        try {
            p.end = runOrder(landscapeRun, p.order, tell, &cancel, p.stepsPriced);
        } catch (...) {
            p.failure = std::current_exception();
        }
    });
}

bool planUnderWay() {
    return planning().underWay || planning().preparing;
}

bool planServesStart(int x, int y) {
    const Planning& p = planning();
    const Cell start{x, y};
    if (p.preparing) {
        return false;
    }
    if (p.underWay) {
        const PlanRequest& asked = p.order.request;
        return asked.start == start && asked.via.empty() && !asked.corridor;
    }
    return landscapeRun.plannedFrom && *landscapeRun.plannedFrom == start;
}

bool plannedTimed() {
    const Planning& p = planning();
    return p.underWay ? p.order.steps.timed : landscapeRun.tables.timed;
}

bool takeUpPlanWork(std::FILE* out) {
    Planning& p = planning();
    if (p.preparing) {
        if (!p.worker.finished()) {
            return false;
        }
        finishPreparing();
        return true;
    }
    const bool told = printLines(p);
    if (!p.underWay || !p.worker.finished()) {
        return told;
    }
    const PlanOrder order = p.order;
    return takeUp(joinUnderWay(), order, false, out) || told;
}

void waitForPlan(std::FILE* out) {
    Planning& p = planning();
    if (!p.underWay && !p.preparing) {
        return;
    }
    std::fputs(WAITING_MESSAGE, out);
    std::fflush(out);
    finishPreparing();
    // Taking up a plan that ran out of memory may ask for another: that one is waited for too.
    while (p.underWay) {
        while (!p.worker.finished()) {
            std::this_thread::sleep_for(WAIT_LOOK);
            printLines(p);
        }
        takeUpPlanWork(out);
    }
}

void waitForFirstPlan(double seconds, std::FILE* out) {
    Planning& p = planning();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (p.preparing && !p.worker.finished() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(WAIT_LOOK);
    }
    if (p.preparing && !p.worker.finished()) {
        return;
    }
    finishPreparing();
    while (p.underWay && !p.worker.finished() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(WAIT_LOOK);
    }
    if (p.underWay && p.worker.finished() && p.end == PlanEnd::PlanOutOfMemory && !p.firstEnded) {
        joinUnderWay();
        throw std::bad_alloc(); // as when the first plan ran before the window opened
    }
    takeUpPlanWork(out);
}

void waitForPricedSteps() {
    finishPreparing();
    const Planning& p = planning();
    while (p.underWay && !p.stepsPriced.load()) {
        std::this_thread::sleep_for(WAIT_LOOK);
    }
}

void askForFirstPlan(bool plansNothing, std::FILE* out) {
    Planning& p = planning();
    p.firstAsked = true;
    p.firstEnded = false;
    if (plansNothing) {
        resetRouteTables(landscapeRun.tables, -1, -1);
        endFirstPlan(out);
        return;
    }
    askForPlan(PlanAsk{}, out);
}

bool firstPlanEnded() {
    const Planning& p = planning();
    return !p.firstAsked || p.firstEnded;
}

std::string planningViewText() {
    return viewProgressText(planning().lastLine);
}

bool planTellsProgress() {
    return !planning().lastLine.empty();
}

std::string viewProgressText(const std::string& line) {
    const std::size_t colon = line.find(':');
    const std::size_t of = line.find(" of ");
    if (colon == std::string::npos || of == std::string::npos || of < colon) {
        return std::string(PLANNING_WORK) + " 0 %";
    }
    return line.substr(0, colon) + line.substr(colon + 1, of - colon - 1);
}

void stopPlanning() {
    Planning& p = planning();
    if (p.preparing) {
        p.worker.cancel();
        p.worker.join();
        p.longWork.reset();
        p.preparing = false;
        p.failure = nullptr;
    }
    if (p.underWay) {
        p.worker.cancel();
        p.worker.join();
        p.longWork.reset();
        p.underWay = false;
    }
}
