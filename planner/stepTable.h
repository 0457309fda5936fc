#pragma once
// Per-neighbour step data, computed once from terrainVertices so the sweep only adds, compares
// and stores. Must be rebuilt whenever terrainVertices or settings.vehicleMass changes.

void buildStepTable();
