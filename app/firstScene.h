#pragma once

// Everything the first frame needs that depends only on the terrain and the start cell: the
// vertex table of the prepared ground, the mesh geometry, the step table and the route tables for
// settings.startX/Y.
void prepareFirstScene();
