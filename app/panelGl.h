#pragma once
// The panel in its strip beside the view, drawn with Dear ImGui while settings.panelVisible is set:
// the start and end cells with a Plan button, the planner, view mode, rings and speed, the route
// totals, the drawn route's profile, the legend and the cell under the cursor. Every change it
// makes goes through the matching key or the dialogue's path.

#include <string>

// Creates the ImGui context and its GLUT and OpenGL2 backends; needs the window. Writes no
// settings file.
void initPanel();

// Registers the passive-motion callback (for the hover) while the panel shows and removes it
// while it is hidden; call after anything that may toggle settings.panelVisible.
void syncPanel();

// Draws the panel into the frame being drawn, after the scene; nothing while it is hidden.
void drawPanel();

// Forwards a button event to the panel while it shows. True when the event belongs to the
// panel (a press on it, or the release that ends such a press): the scene must ignore it.
bool panelTakesMouseButton(int button, int state, int x, int y);

// Forwards pointer motion; true while a drag that started on the panel goes on.
bool panelTakesMotion(int x, int y);

// Forwards a key; true when the panel is editing a field and the key is its input.
bool panelTakesKey(unsigned char key, int x, int y);

// Forwards a key release.
void panelKeyUp(unsigned char key, int x, int y);

// Shows a line of progress at the top of the panel's strip at once, drawn straight onto the
// window while long work holds up the frames; the next frame draws the panel over it. Nothing
// while the panel is hidden.
void showProgress(const std::string& line);
