#pragma once
// The terrain surface, shaded by cost rings.

// Emits all 364 x 364 mesh quadrilaterals in one GL_QUADS batch, each with its ring colour as
// diffuse material and its precomputed normal. Needs buildMeshGeometry.
void drawTerrainMesh();
