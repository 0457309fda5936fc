#pragma once
// The ground before its first plan has ended: the mesh shaded by height alone, in a neutral grey
// ramp, with no rings, routes or markers, so that a big ground shows at once.

#include "render/scene.h"

// The darkest and the lightest grey of the ramp: the lowest and the highest drawn ground.
constexpr float HEIGHT_GREY_LOW = 0.25f;
constexpr float HEIGHT_GREY_HIGH = 0.9f;

// Grey level of `height` between `lowest` and `highest`; the middle of the ramp when the ground
// is flat.
float heightGrey(float height, float lowest, float highest);

// Every drawn quadrilateral of the mesh, shaded by the height of its tLeft grid point; nothing
// else. Needs buildMeshGeometry; reads neither the tables nor the planning grid.
Scene heightShadedScene(const TerrainPositions& terrain, const MeshGeometry& mesh);
