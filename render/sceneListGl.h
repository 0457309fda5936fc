#pragma once
// The compiled scene: terrain mesh, the view mode's route and the straight line.

// Replaces sceneList by a new list compiled and executed at once, so this frame already shows
// it, and clears sceneDirty. Prints the route reports.
void rebuildSceneList();
