#pragma once
// The mesh and the overlays share one placement inside the scene transform.

// Pushes the modelview matrix, shifts the grid half a unit along -x and opens a GL_QUADS batch.
void beginSceneQuads();

// Closes the batch and pops the matrix.
void endSceneQuads();
