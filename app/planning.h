#pragma once
// The run's plans as the keys, the panel and the start-up ask for them. Until the window runs
// them beside itself (planBesideWindow), and in tests, a plan runs on the calling thread as it
// is asked for. From then on each plan runs on the worker while the event thread goes on
// drawing; a newer question cancels the plan under way, and the event thread takes up the end of
// a plan (takeUpPlanWork) as it used to take up a replan: the scene is rebuilt and the summaries
// print. While a plan is under way the event thread leaves the planning grid, the tables and the
// planners' working cells alone; a cancelled plan's tables are never shown.

#include "app/landscapeRun.h"

#include <cstdio>
#include <functional>
#include <string>

constexpr const char* WAITING_MESSAGE = "Waiting for the plan to finish\n";
constexpr const char* NO_MEMORY_MESSAGE = "Refused: not enough memory to plan on this ground\n";

// What a plan does besides planning from the settings' start with their planner.
struct PlanAsk {
    bool priceSteps = false; // the steps are priced anew first, for the settings as they are
    // When that pricing runs out of memory, the vehicle, moves and barrier switch of these
    // settings and this timing come back (their steps fitted), and the plan is asked again.
    Settings stepsBefore{};
    bool timedBefore = false;
    // When planning runs out of memory, the planner is switched back and the plan asked again.
    bool plannerBack = false;
};

// From now on plans run beside the window, and their progress lines go to `console`.
void planBesideWindow(ProgressListener console);

// Starts `job` on the worker, the part of preparing the ground that takes seconds on a big one
// (pricing its moves), and counts it as the ground's first plan: the view shows the heights
// meanwhile. The event thread runs `done` once the job has ended, between events or before any
// plan is asked for or the grid read; `done` asks for the first plan.
// The job may stop early once its flag is raised, as when the window closes.
void prepareBesideWindow(std::function<void(const CancelFlag&)> job, std::function<void()> done);

// Waits for the ground's preparation, when one is under way, and takes it up (its `done` may set
// the start and end): whatever sets the ends, reads the grid or asks for a plan does so first.
void finishPreparing();

// Starts the plan `ask` describes with the settings as they are now, cancelling any under way.
// Says on `out` when memory runs out.
void askForPlan(const PlanAsk& ask, std::FILE* out);

// A plan (or the ground's preparation) was asked for and its end not yet taken up.
bool planUnderWay();

// The tables hold, or the plan under way will give, a whole plan from (x, y) over the steps as
// now priced: a new end needs no plan.
bool planServesStart(int x, int y);

// The tables as the plan under way, or else the last, leaves them: timed or not.
bool plannedTimed();

// For the event thread, between events: prints the progress lines the worker told and, once
// its plan has ended, takes it up. True when the view is to be drawn anew: the plan ended, or it
// told more of its progress.
bool takeUpPlanWork(std::FILE* out);

// Waits for the plan under way, saying so once on `out`, and takes it up: what the keys that
// write the plan's results do first. Nothing when none is under way.
void waitForPlan(std::FILE* out);

// Waits up to `seconds` for the plan under way, and takes it up if it ended. Running out of
// memory in the first plan of the ground throws std::bad_alloc here, as it did before the window
// ran plans beside it.
void waitForFirstPlan(double seconds, std::FILE* out);

// Waits until the plan under way has priced its steps: the planning grid may then be read.
void waitForPricedSteps();

// Asks for the ground's first plan; a start that `plansNothing` leaves every cell unreached at
// once. Once it has ended the ring widths of a loaded ground are fitted to it and the console
// says how much of the ground it reaches.
void askForFirstPlan(bool plansNothing, std::FILE* out);

// The ground's first plan has ended, or was never asked for: the scene shows rings and routes.
bool firstPlanEnded();

// What the view shows while a plan runs, from the last progress line: "Planning 40 %".
std::string planningViewText();
// The plan under way has told some of its progress (a big grid's does, about once a second).
bool planTellsProgress();
// The view's words for a progress line ("Planning: 40 % of 16000000 cells" gives
// "Planning 40 %"); "Planning 0 %" before the first line.
std::string viewProgressText(const std::string& line);

// Cancels the plan under way and waits for its thread: before the window's end.
void stopPlanning();
