#pragma once
// The map files of several starts and of the corridor, beside the batch plan's others:
// nearest.tif, the start each cell is nearest to, and corridor.tif, each cell's corridor value.

#include "app/landscapeRun.h"

// Writes nearest.tif when the run plans from several starts (one Int32 band per measure of the
// last plan: distance, energy, then time; the 1-based start each cell's route leads back to, 0
// where unreached) and corridor.tif when the last plan made the corridor (one Float32 band per
// measure, metres, joules and seconds; nodata where no route passes through) into the folder
// open as `folder`, each whole or not at all and each one not written reported on stderr as
// "Error: could not write NAME: REASON". Returns false when any was not written.
bool writeStartsMapFiles(int folder, const LandscapeRun& run);
