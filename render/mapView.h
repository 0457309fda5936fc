#pragma once
// How loaded ground is first shown: as a map, from straight above, north at the top of the view
// and east to the right, so that a picture of it reads like a GeoTIFF of the same ground. The
// built-in ground keeps its own first view.

#include "camera/vector3.h"
#include "render/view.h"
#include "terrain/terrainGrid.h"

// No turn at all: scene x (east) runs right, scene y (north) up and heights toward an eye that
// looks down negative z.
constexpr Vec3f MAP_SCENE_ROTATION = {0.0f, 0.0f, 0.0f};

// Share of the view's height left free around the ground's longer side.
constexpr double MAP_VIEW_MARGIN = 0.12;

// The scene offset that puts the middle of `terrain` (drawn at its scene scale, shifted by
// `gridShiftX`) straight in front of `eye`, far enough that the whole ground with its highest
// point fits a square view of `fieldOfViewDegrees` with MAP_VIEW_MARGIN to spare.
Vec3f mapSceneOffset(const TerrainPositions& terrain, const Vector3& eye, float gridShiftX,
                     double fieldOfViewDegrees);
