#pragma once
// The renderer's window callbacks.

// GLUT display callback: draws one frame, rebuilding the scene list when sceneDirty is set.
void display();

// GLUT reshape callback: viewport and perspective.
void reshape(int width, int height);
