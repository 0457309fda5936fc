#pragma once
// The steps of a frame that set up the modelview matrix before the scene is drawn.

// Camera view followed by the fixed look-at and offsets.
void setupView();

// Light 0, positional, at the origin of the view transform.
void setupLight();

// settings.sceneOffset, then settings.sceneRotation about x, y and z (degrees).
void applySceneTransform();
