#pragma once

// Everything the first frame needs that depends only on the prepared ground and the start cell:
// the mesh geometry and the route tables for settings.startX/Y.
void prepareFirstScene();
