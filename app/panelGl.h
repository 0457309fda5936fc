#pragma once
// The panel in its strip beside the view, drawn with Dear ImGui while settings.panelVisible is set:
// the start and end cells with a Plan button, the planner, view mode, rings and speed, the vehicle
// and the moves, the route totals, the drawn route's profile, the legend and the cell under the
// cursor. Every change it makes goes through the matching key, the dialogue's path, submitView,
// submitVehicle or submitMoves. What it keeps between events is a PanelState the window owns.

#include "app/cellPlace.h"
#include "app/consoleInput.h"

#include <optional>
#include <string>

struct WindowState;

// What the panel keeps from one event or frame to the next.
struct PanelState {
    bool passiveMotionRegistered = false;
    int framesToFollow = 0;

    struct Rect {
        float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
        bool contains(int px, int py) const {
            return px >= x && px < x + width && py >= y && py < y + height;
        }
    } panelRect;

    // ImGui reads the pointer once a frame, and several events can arrive between two frames:
    // it must see a press at the pressed position, and the last position of a drag before its
    // release, or a click is lost and a drag falls short. Such events wait for the next frame.
    bool dragOnPanel = false;
    bool pressUnseen = false;
    bool motionUnseen = false;
    struct Release {
        int button, x, y;
    };
    std::optional<Release> heldRelease;
    struct Position {
        int x, y;
    };
    std::optional<Position> heldMotion;

    int pointerX = -1; // last pointer position over the window, pixels; -1: not seen yet
    int pointerY = -1;

    RouteEnds editedCells{};
    RouteEnds shownCells{};
    // On ground with a coordinate system the start and end may be typed as longitude/latitude.
    bool lonLatEntry = false;
    EndsLonLat editedLonLat{};
    std::string refusal; // why the last Plan was refused; "" when it was taken
};

// Creates the ImGui context and its GLUT and OpenGL2 backends; needs the window. Writes no
// settings file.
void initPanel();

// Registers the passive-motion callback (for the hover) while the panel shows and removes it
// while it is hidden; call after anything that may toggle settings.panelVisible.
void syncPanel(WindowState& window);

// Draws the panel into the frame being drawn, after the scene; nothing while it is hidden.
void drawPanel(WindowState& window);

// Forwards a button event to the panel while it shows. True when the event belongs to the
// panel (a press on it, or the release that ends such a press): the scene must ignore it.
bool panelTakesMouseButton(PanelState& panel, int button, int state, int x, int y);

// Forwards pointer motion; true while a drag that started on the panel goes on.
bool panelTakesMotion(PanelState& panel, int x, int y);

// Forwards a key; true when the panel is editing a field and the key is its input.
bool panelTakesKey(PanelState& panel, unsigned char key, int x, int y);

// Forwards a key release.
void panelKeyUp(unsigned char key, int x, int y);

// Shows a line of progress at the top of the panel's strip at once, drawn straight onto the
// window while long work holds up the frames; the next frame draws the panel over it. Nothing
// while the panel is hidden.
void showProgress(const WindowState& window, const std::string& line);
