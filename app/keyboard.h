#pragma once
// Keyboard commands, and the cells and vehicle the panel submits, on the run's settings and the
// window's camera, free of any window code so they run the same under GLUT and in tests. The
// caller asks for the redisplay after each key.

#include "app/consoleInput.h"
#include "app/settings.h"
#include "terrain/vehicle.h"

#include <cstdio>
#include <istream>
#include <string>
#include <vector>

// Where the commands print and where the start/end dialogue reads.
struct Console {
    std::istream& in;
    std::FILE* out;
};

// A movement key starts camera motion and does nothing else. Every other key applies its
// command (if any), prints the settings echo and marks the scene for rebuilding.
void handleKeyDown(unsigned char key, Console& console);

// The start/end dialogue after its read, for cells given in the window: the same range test
// and message, replanning, echo and rebuild as an entry typed after `p`.
void submitCellEntry(const RouteEnds& entry, std::FILE* out);

// Why the panel refuses cells ("Refused: ..."), or "" when it takes them: a value outside the
// dialogue's range, or a start or end cell without ground.
std::string cellEntryRefusal(const RouteEnds& entry);

// Why the panel refuses a vehicle ("Refused: ..."), or "" when it takes it: a value outside the
// range its option takes.
std::string vehicleRefusal(const Vehicle& vehicle);

// Why the panel refuses a typed ring count and width ("Refused: ..."), or "" when it takes them:
// a count from 0 to the cap ']' stops at, a width above 0 and below the unreached mark.
std::string ringRefusal(float rings, float width);

// The view chosen in the window: the time view is entered as by key 't' (replanning when the
// tables are not timed yet), the others are set as they are; the echo and the rebuild follow.
void submitView(ViewMode view, std::FILE* out);

// The ring count and width of the current view set in the window: nothing is replanned; the
// echo and the rebuild follow as for a key.
void submitRings(float rings, float width, std::FILE* out);

// What a click on the ground picks: the start (Shift), the end (Ctrl) or a new via point (Alt).
enum class PickedEnd { Start, End, Via };

// Cell (x, y) picked in the window becomes the start or the end cell through submitCellEntry;
// the other end stays. A via point picked is added before the end through submitViaPoints, or
// refused: the refusal is printed and is the answer ("" when taken).
std::string submitPickedCell(PickedEnd end, int x, int y, std::FILE* out);

// Why a trip through `via` is refused ("Refused: ..."), or "" when it is taken: more than
// MOST_VIA_POINTS, several starts or destinations, or a via point the start/end entry refuses.
std::string viaRefusal(const std::vector<Cell>& via);

// The via points set in the window, in order: the trip is planned anew (or the single route when
// there are none left), then the echo and the rebuild follow.
void submitViaPoints(const std::vector<Cell>& via, std::FILE* out);

// The vehicle and the barrier switch set in the window: the steps are priced anew and the
// active planner replans, then the echo and the rebuild follow as for a key.
void submitVehicle(const Vehicle& vehicle, bool barriersOn, std::FILE* out);

// Why the panel refuses a number of moves ("Refused: ..."), or "" when it takes it: with the
// vehicle in use, a route's energy could overflow over its longer moves.
std::string movesRefusal(int moves);

// The number of moves set in the panel, one of MOVE_COUNTS, like a vehicle: the steps are priced
// anew and the active planner replans, then the echo and the rebuild follow.
void submitMoves(int moves, std::FILE* out);

// Why the panel refuses the corridor's switch and width ("Refused: ..."), or "" when it takes
// them: the width must be above 0, and the corridor goes with one start.
std::string corridorRefusal(bool on, double percent);

// The corridor switched or widened in the panel: switched on, the plan is made again with its
// second search; then the echo and the rebuild follow.
void submitCorridor(bool on, double percent, std::FILE* out);

// A movement key stops its camera motion; other keys do nothing here.
void handleKeyUp(unsigned char key);

// The block printed after every command key, flushed; a vehicle other than the default one
// adds a line naming it, and so does a number of moves other than the ground's own.
void printSettingsEcho(std::FILE* out);

// The echo's line for `moves` ("Moves: 48"), or nothing when it is `groundMoves`, the number the
// ground plans with unless told otherwise: default transcripts stay as they were.
std::string movesEchoLine(int moves, int groundMoves);

// What every command ends with: the settings echo, and the scene marked for rebuilding.
void echoAndRebuild(std::FILE* out);
