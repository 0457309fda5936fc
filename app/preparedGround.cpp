#include "app/preparedGround.h"

#include "app/options.h"
#include "io/groundRaster.h"

namespace {
GroundHeights loadedHeights;
bool groundLoaded = false;
} // namespace

std::string prepareGround(const Options& options) {
    if (options.terrainFile.empty()) {
        return {};
    }
    const std::string error = loadGroundRaster(options.terrainFile, options.centreX,
                                               options.centreY, loadedHeights, groundReference);
    groundLoaded = error.empty();
    return error;
}

void buildPreparedGroundVertices() {
    if (groundLoaded) {
        buildTerrainVerticesFromGround(loadedHeights);
        return;
    }
    buildTerrainVertices();
}
