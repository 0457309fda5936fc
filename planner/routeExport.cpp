#include "planner/routeExport.h"

// Placeholder until the export lands.
void exportRouteTables() {}
