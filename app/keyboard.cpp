// The keyboard commands and the panel's submissions, on the run's settings and the window's
// camera. Every replan is asked of the planning (beside the window once it runs), and one that
// runs out of memory leaves the window running with every cell unreached.

#include "app/keyboard.h"

#include "app/consoleInput.h"
#include "app/currentRun.h"
#include "app/options.h"
#include "app/planning.h"
#include "app/savedFiles.h"
#include "app/settings.h"
#include "app/shutdown.h"
#include "app/windowState.h"
#include "camera/camera.h"
#include "io/routeExport.h"
#include "planner/planningGrid.h"
#include "planner/priceBounds.h"
#include "planner/routePlanner.h"
#include "render/overlays.h"
#include "terrain/terrainGrid.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr float OFFSET_STEP = 0.25f; // scene units per key press
constexpr float RING_STEP = 1.0f;
constexpr float RING_CAP = 100.0f;                // ']' adds only while below this
constexpr float RING_FLOOR = 0.0f;                // '[' subtracts only while above this
constexpr float INCREMENT_FLOOR = 0.0f;           // '{' subtracts only while above this
constexpr float DISTANCE_INCREMENT_STEP = 100.0f; // metres
constexpr float ENERGY_INCREMENT_STEP = 50000.0f; // joules
constexpr float TIME_INCREMENT_STEP = 1.0f;       // minutes
constexpr float SPEED_STEP = 5.0f;                // miles per hour

constexpr const char* CELL_PROMPT = "\nPlease enter in start_x, start_y, end_x, end_y: ";
constexpr const char* RANGE_MESSAGE = "Some of the input values exceed the range.\n";
constexpr const char* EXPORT_MESSAGE = "\nPrinting distance table...\n";
constexpr const char* EXACT_PLANNER_MESSAGE = "\nPlanner: exact least cost\n";
constexpr const char* SWEEP_PLANNER_MESSAGE = "\nPlanner: single spiral sweep\n";
// Several starts and the corridor are searches the one spiral sweep cannot make.
constexpr const char* EXACT_ONLY_MESSAGE =
    "\nRefused: several starts and the corridor are planned by the exact planner\n";

// Plans with the settings; when memory runs out the window keeps running with every cell
// unreached, the planners' working cells given back, and says so.
void replan(std::FILE* out) {
    askForPlan(PlanAsk{}, out);
}

// Prices the steps for the settings and plans; when the pricing runs out of memory the steps of
// `before` and `timedBefore` come back.
void repriceAndReplan(const Settings& before, bool timedBefore, std::FILE* out) {
    PlanAsk ask;
    ask.priceSteps = true;
    ask.stepsBefore = before;
    ask.timedBefore = timedBefore;
    askForPlan(ask, out);
}

// Pressing a direction cancels its opposite so the newest key wins.
bool startMovement(unsigned char key) {
    switch (key) {
    case 'w':
        camera.stopBackward();
        camera.startForward();
        return true;
    case 's':
        camera.stopForward();
        camera.startBackward();
        return true;
    case 'd':
        camera.stopLeft();
        camera.startRight();
        return true;
    case 'a':
        camera.stopRight();
        camera.startLeft();
        return true;
    case 'r':
        camera.stopDown();
        camera.startUp();
        return true;
    case 'f':
        camera.stopUp();
        camera.startDown();
        return true;
    default:
        return false;
    }
}

float& currentRings() {
    switch (settings.viewMode) {
    case Distance:
        return settings.distanceRings;
    case Time:
        return settings.timeRings;
    default:
        return settings.energyRings;
    }
}

float& currentIncrement() {
    switch (settings.viewMode) {
    case Distance:
        return settings.distanceIncrement;
    case Time:
        return settings.timeIncrement;
    default:
        return settings.energyIncrement;
    }
}

float currentIncrementStep() {
    switch (settings.viewMode) {
    case Distance:
        return DISTANCE_INCREMENT_STEP;
    case Time:
        return TIME_INCREMENT_STEP;
    default:
        return ENERGY_INCREMENT_STEP;
    }
}

void addRing() {
    float& rings = currentRings();
    if (rings < RING_CAP) {
        rings += RING_STEP;
    }
}

void removeRing() {
    float& rings = currentRings();
    if (rings > RING_FLOOR) {
        rings -= RING_STEP;
    }
}

void narrowRings() {
    float& increment = currentIncrement();
    if (increment > INCREMENT_FLOOR) {
        increment -= currentIncrementStep();
    }
}

void toggleViewMode() {
    settings.viewMode = settings.viewMode == Energy ? Distance : Energy;
}

// Plans stay timed once the time view has been shown: only then do they pay for the time
// tables, so the first plan of the built-in ground keeps its speed.
void enterTimeView(std::FILE* out) {
    settings.viewMode = Time;
    if (!landscapeRun.timed) {
        // Untimed, as before, should the timed grid not fit.
        landscapeRun.timed = true;
        repriceAndReplan(settings, false, out);
        return;
    }
    if (!plannedTimed()) {
        replan(out);
    }
}

// What the dialogue does with an entry once it is read: a refused one changes nothing.
void useCellEntry(const std::optional<RouteEnds>& entry, std::FILE* out) {
    if (!entry || !isCellEntryInRange(*entry, terrainVertices.shape())) {
        std::fputs(RANGE_MESSAGE, out);
        return;
    }
    finishPreparing(); // the ground's own ends come first, and these replace them
    setRouteEnds(settings, *entry);
    // A new end of the plan at hand is walked at once.
    if (!planServesStart(entry->startX, entry->startY)) {
        replan(out);
    }
}

void askForCells(Console& console) {
    finishPreparing(); // what the console says of the ground comes before the prompt
    std::fputs(CELL_PROMPT, console.out);
    std::fflush(console.out); // the prompt must show before the read blocks
    const std::optional<RouteEnds> entry =
        readAcceptedCellEntry(console.in, terrainVertices.shape());
    if (shutdownRequested()) {
        return; // the wait ended for the program's end: nothing typed so far counts
    }
    useCellEntry(entry, console.out);
}

// Settings that change the steps: the steps are priced anew and the active planner replans, then
// the echo and the rebuild follow as for a key.
void submitSteps(const Settings& changed, std::FILE* out) {
    const Settings before = settings;
    settings = changed;
    repriceAndReplan(before, landscapeRun.timed, out);
    echoAndRebuild(out);
}

// Why `vehicle` with `moves` could price a route past what a plan can count, or "".
std::string overflowRefusal(const Vehicle& vehicle, int moves) {
    PricedGround ground =
        pricedGround(terrainVertices.heights(), terrainVertices.shape().spacing, moveSetFor(moves));
    takeCoverBounds(landscapeRun.cover, ground);
    const PriceOverflow overflow = priceOverflow(vehicle, ground);
    if (overflow == PriceOverflow::Time) {
        return formatText("Refused: with this mass and power a route's time could pass %g s",
                          static_cast<double>(UNREACHED_COST));
    }
    if (overflow != PriceOverflow::None) {
        return formatText("Refused: with this mass and rolling a route's energy could pass %g J",
                          static_cast<double>(UNREACHED_COST));
    }
    return "";
}

void togglePlanner(std::FILE* out) {
    const bool toExact = settings.planner == PlannerKind::Sweep;
    if (!toExact && (!landscapeRun.moreStarts.empty() || landscapeRun.corridorOn)) {
        std::fputs(EXACT_ONLY_MESSAGE, out);
        std::fflush(out);
        return;
    }
    settings.planner = toExact ? PlannerKind::Exact : PlannerKind::Sweep;
    std::fputs(toExact ? EXACT_PLANNER_MESSAGE : SWEEP_PLANNER_MESSAGE, out);
    std::fflush(out); // shows before the replanning
    // Should the plan not fit, the planner goes back as it was and plans again.
    PlanAsk ask;
    ask.plannerBack = true;
    askForPlan(ask, out);
}

// The camera and the scene offset of the first frame; the other settings stay.
void goHome() {
    camera = Camera{};
    settings.sceneOffset = landscapeRun.homeSceneOffset;
}

void exportTables(std::FILE* out) {
    waitForPlan(out); // the files hold the finished plan
    std::fputs(EXPORT_MESSAGE, out);
    std::fflush(out); // shows before the export's wait
    bool written = false;
    {
        const LongWork work;
        written = exportRouteTables();
    }
    recordSaved("Tables", written ? std::vector<std::string>{DISTANCE_TABLE_FILE,
                                                             DISTANCE_ROUTE_FILE, ENERGY_ROUTE_FILE}
                                  : std::vector<std::string>{});
}

void applyCommand(unsigned char key, Console& console) {
    switch (key) {
    case 'x':
        settings.sceneOffset.x -= OFFSET_STEP;
        return;
    case 'X':
        settings.sceneOffset.x += OFFSET_STEP;
        return;
    case 'y':
        settings.sceneOffset.y -= OFFSET_STEP;
        return;
    case 'Y':
        settings.sceneOffset.y += OFFSET_STEP;
        return;
    case 'z':
        settings.sceneOffset.z -= OFFSET_STEP;
        return;
    case 'Z':
        settings.sceneOffset.z += OFFSET_STEP;
        return;
    case ']':
        addRing();
        return;
    case '[':
        removeRing();
        return;
    case '}':
        currentIncrement() += currentIncrementStep();
        return;
    case '{':
        narrowRings();
        return;
    case 'm':
        toggleViewMode();
        return;
    case 't':
        enterTimeView(console.out);
        return;
    case 'p':
        askForCells(console);
        return;
    case 'S':
        settings.speedMph += SPEED_STEP;
        return;
    case 'P':
        exportTables(console.out);
        return;
    case 'e':
        togglePlanner(console.out);
        return;
    case 'h':
        settings.panelVisible = !settings.panelVisible;
        return;
    case 'v':
        goHome();
        return;
    default:
        return; // any other key only echoes and rebuilds
    }
}

} // namespace

void printSettingsEcho(std::FILE* out) {
    std::fprintf(out, "\nUPDATED DATA\n");
    std::fprintf(out, "Speed (mph):                   %f\n",
                 static_cast<double>(settings.speedMph));
    std::fprintf(out, "Number of Distance Rings:      %f\n",
                 static_cast<double>(settings.distanceRings));
    std::fprintf(out, "Number of Distance Increment:  %f\n",
                 static_cast<double>(settings.distanceIncrement));
    std::fprintf(out, "Number of Energy Rings:        %f\n",
                 static_cast<double>(settings.energyRings));
    std::fprintf(out, "Number of Energy Increment:    %f\n",
                 static_cast<double>(settings.energyIncrement));
    if (settings.viewMode == Time) {
        std::fprintf(out, "Number of Time Rings:          %f\n",
                     static_cast<double>(settings.timeRings));
        std::fprintf(out, "Number of Time Increment:      %f\n",
                     static_cast<double>(settings.timeIncrement));
    }
    const Vehicle vehicle = settings.vehicle;
    if (!(vehicle == Vehicle{})) {
        std::fprintf(out,
                     "Vehicle: grade %.1f %% up, %.1f %% down, %g kg, descent %.2f, rolling %g",
                     vehicle.gradeUpPercent, vehicle.gradeDownPercent,
                     static_cast<double>(vehicle.vehicleMass), static_cast<double>(vehicle.descent),
                     static_cast<double>(vehicle.rolling));
        // Only what differs from the default, so that the line reads as before otherwise.
        if (vehicle.topSpeedKmh != DEFAULT_TOP_SPEED_KMH) {
            std::fprintf(out, ", top speed %g km/h", vehicle.topSpeedKmh);
        }
        if (vehicle.powerKw != NO_POWER) {
            std::fprintf(out, ", power %g kW", vehicle.powerKw);
        }
        if (vehicle.sideSlopePercent != NO_SIDE_SLOPE) {
            std::fprintf(out, ", side slope %.1f %%", vehicle.sideSlopePercent);
        }
        std::fputc('\n', out);
    }
    const std::string moves = movesEchoLine(settings.moves, landscapeRun.groundMoves);
    std::fputs(moves.c_str(), out);
    // A trip's via points stay through every command; the echo names them.
    for (std::size_t k = 0; k < settings.via.size(); ++k) {
        std::fprintf(out, "%s(%d, %d)%s", k == 0 ? "Via: " : ", ", settings.via[k].x,
                     settings.via[k].y, k + 1 == settings.via.size() ? "\n" : "");
    }
    std::fflush(out);
}

std::string movesEchoLine(int moves, int groundMoves) {
    return moves == groundMoves ? std::string{} : formatText("Moves: %d\n", moves);
}

void submitVehicle(const Vehicle& vehicle, bool barriersOn, std::FILE* out) {
    Settings changed = settings;
    changed.vehicle = vehicle;
    changed.barriersOn = barriersOn;
    submitSteps(changed, out);
}

std::string corridorRefusal(bool on, double percent) {
    if (!(percent > 0.0) || !std::isfinite(percent)) {
        return "Refused: the corridor's width is a percentage above 0";
    }
    if (on && !landscapeRun.moreStarts.empty()) {
        return "Refused: the corridor goes with one start";
    }
    if (on && settings.planner != PlannerKind::Exact) {
        return "Refused: the corridor goes with the exact planner";
    }
    return "";
}

void submitCorridor(bool on, double percent, std::FILE* out) {
    LandscapeRun& run = landscapeRun;
    run.corridorPercent = percent;
    const bool wasOn = run.corridorOn;
    run.corridorOn = on;
    if (on && !wasOn) {
        replan(out);
    }
    echoAndRebuild(out);
}

void submitMoves(int moves, std::FILE* out) {
    Settings changed = settings;
    changed.moves = moves;
    submitSteps(changed, out);
}

void echoAndRebuild(std::FILE* out) {
    printSettingsEcho(out);
    sceneDirty = true;
}

void handleKeyDown(unsigned char key, Console& console) {
    if (startMovement(key)) {
        return;
    }
    applyCommand(key, console);
    echoAndRebuild(console.out);
}

void submitCellEntry(const RouteEnds& entry, std::FILE* out) {
    useCellEntry(entry, out);
    echoAndRebuild(out);
}

std::string cellEntryRefusal(const RouteEnds& entry) {
    const GridShape& shape = terrainVertices.shape();
    if (!isCellEntryInRange(entry, shape)) {
        return shape.columns == shape.rows
                   ? formatText("Refused: cells are %d..%d", FIRST_ENTRY_CELL, shape.columns - 1)
                   : formatText("Refused: x is %d..%d, y %d..%d", FIRST_ENTRY_CELL,
                                shape.columns - 1, FIRST_ENTRY_CELL, shape.rows - 1);
    }
    waitForPricedSteps(); // which cells plans may use
    for (const Cell& c : {Cell{entry.startX, entry.startY}, Cell{entry.endX, entry.endY}}) {
        if (!canStartAt(planningGrid, c.x, c.y)) {
            return formatText(std::isnan(terrainVertices[c.x][c.y].z)
                                  ? "Refused: no ground at (%d, %d)"
                                  : "Refused: (%d, %d) lies in a no-go area",
                              c.x, c.y);
        }
    }
    return "";
}

std::string vehicleRefusal(const Vehicle& v) {
    if (!isGradePercent(v.gradeUpPercent) || !isGradePercent(v.gradeDownPercent)) {
        return formatText("Refused: a grade is above 0 and at most %g %%", MAX_GRADE_PERCENT);
    }
    if (!isVehicleMass(v.vehicleMass)) {
        return formatText("Refused: the mass is above 0 and at most %g kg", MAX_VEHICLE_FIGURE);
    }
    if (!isDescentShare(v.descent)) {
        return "Refused: the descent share is 0 to 1";
    }
    if (!isRollingCoefficient(v.rolling)) {
        return formatText("Refused: the rolling coefficient is 0 to %g", MAX_VEHICLE_FIGURE);
    }
    if (!isTopSpeed(v.topSpeedKmh)) {
        return formatText("Refused: the top speed is above 0 and at most %g km/h",
                          MAX_VEHICLE_FIGURE);
    }
    if (v.powerKw != NO_POWER && !isPower(v.powerKw)) {
        return formatText("Refused: the power is 0 (none) or above 0 and at most %g kW",
                          MAX_VEHICLE_FIGURE);
    }
    if (v.sideSlopePercent != NO_SIDE_SLOPE && !isSideSlopePercent(v.sideSlopePercent)) {
        return formatText("Refused: the side slope is 0 (none) or above 0 and at most %g %%",
                          MAX_GRADE_PERCENT);
    }
    return overflowRefusal(v, settings.moves);
}

std::string movesRefusal(int moves) {
    return overflowRefusal(settings.vehicle, moves);
}

std::string ringRefusal(float rings, float width) {
    if (!(rings >= RING_FLOOR && rings <= RING_CAP)) {
        return formatText("Refused: the rings number %g to %g", double(RING_FLOOR),
                          double(RING_CAP));
    }
    if (!(width > INCREMENT_FLOOR && width < UNREACHED_COST)) {
        return formatText("Refused: a ring is wider than %g and narrower than %g",
                          double(INCREMENT_FLOOR), double(UNREACHED_COST));
    }
    return "";
}

void submitView(ViewMode view, std::FILE* out) {
    if (view == Time) {
        enterTimeView(out);
    } else {
        settings.viewMode = view;
    }
    echoAndRebuild(out);
}

void submitRings(float rings, float width, std::FILE* out) {
    currentRings() = rings;
    currentIncrement() = width;
    echoAndRebuild(out);
}

std::string viaRefusal(const std::vector<Cell>& via) {
    if (via.size() > static_cast<std::size_t>(MOST_VIA_POINTS)) {
        return formatText("Refused: a trip has at most %d via points", MOST_VIA_POINTS);
    }
    if (!via.empty() && !landscapeRun.moreStarts.empty()) {
        return "Refused: via points go with one start";
    }
    if (!via.empty() && !settings.destinations.empty()) {
        return "Refused: via points go with one end";
    }
    for (const Cell& c : via) {
        const std::string refusal = cellEntryRefusal({c.x, c.y, c.x, c.y});
        if (!refusal.empty()) {
            return refusal;
        }
    }
    return "";
}

void submitViaPoints(const std::vector<Cell>& via, std::FILE* out) {
    settings.via = via;
    replan(out);
    echoAndRebuild(out);
}

std::string submitPickedCell(PickedEnd end, int x, int y, std::FILE* out) {
    if (end == PickedEnd::Via) {
        std::vector<Cell> via = settings.via;
        via.push_back({x, y});
        const std::string refusal = viaRefusal(via);
        if (!refusal.empty()) {
            std::fprintf(out, "%s\n", refusal.c_str());
            std::fflush(out);
            return refusal;
        }
        submitViaPoints(via, out);
        return "";
    }
    RouteEnds entry{settings.startX, settings.startY, settings.endX, settings.endY};
    if (end == PickedEnd::Start) {
        entry.startX = x;
        entry.startY = y;
    } else {
        entry.endX = x;
        entry.endY = y;
    }
    submitCellEntry(entry, out);
    return "";
}

void handleKeyUp(unsigned char key) {
    switch (key) {
    case 'w':
        camera.stopForward();
        return;
    case 's':
        camera.stopBackward();
        return;
    case 'd':
        camera.stopRight();
        return;
    case 'a':
        camera.stopLeft();
        return;
    case 'r':
        camera.stopUp();
        return;
    case 'f':
        camera.stopDown();
        return;
    default:
        return;
    }
}
