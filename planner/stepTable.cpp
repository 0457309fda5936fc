#include "planner/stepTable.h"

// Placeholder until the precomputed sweep lands.
void buildStepTable() {}
