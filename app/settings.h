#pragma once
// The tunable values of one run: what it plans and shades, and how the window shows it. Fixed
// defaults, set from the command-line options at the start, then changed by keyboard commands
// and the panel.

#include "planner/plannerKind.h"
#include "render/view.h"
#include "terrain/settings.h"

struct Settings : PlanSettings {
    // Mouse presses are classified against these, whatever the window.
    int windowWidth = START_WINDOW_SIZE;
    int windowHeight = START_WINDOW_SIZE;
    ViewMode viewMode = Distance;                // any other value shades white and draws no route
    Vec3f sceneOffset = {-0.5f, 2.25f, -2.5f};   // scene units
    Vec3f sceneRotation = {180.0f, 0.0f, 20.0f}; // degrees about x, y, z
    PlannerKind planner = PlannerKind::Sweep;
    bool panelVisible = false; // the panel of settings, totals, profile and legend; key 'h'
};
