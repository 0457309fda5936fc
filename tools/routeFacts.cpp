// Prints what the viewer must show, for the end-to-end tests: the planner run exactly as
// start-up does it, for the default start cell or for the one given as "routeFacts X Y", with
// the exact planner after a first argument "--exact", then one line per grid cell.
//
// Output: "start X Y", "end X Y", "speed MPH", then for x = 0..364, y = 0..364:
// "x y height distance energy previousDistanceX previousDistanceY previousEnergyX
// previousEnergyY", costs with 9 significant digits (exact for a float).

#include "app/landscapeRun.h"
#include "app/settings.h"
#include "planner/routePlanner.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    LandscapeRun run;
    Settings& settings = run.settings;
    if (argc > 1 && std::strcmp(argv[1], "--exact") == 0) {
        settings.planner = PlannerKind::Exact;
        --argc;
        ++argv;
    }
    if (argc == 3) {
        settings.startX = std::atoi(argv[1]);
        settings.startY = std::atoi(argv[2]);
    }
    if ((argc != 1 && argc != 3) || !BUILT_IN_SHAPE.contains(settings.startX, settings.startY)) {
        std::fprintf(stderr, "usage: routeFacts [--exact] [startX startY], each 0..364\n");
        return 2;
    }
    useGround(run, BUILT_IN_SHAPE, builtInHeights());
    planRun(run);
    const RouteTables& tables = run.tables;
    std::printf("start %d %d\nend %d %d\nspeed %.9g\n", settings.startX, settings.startY,
                settings.endX, settings.endY, static_cast<double>(settings.speedMph));
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            const GridPoint d = tables.previousDistance[x][y];
            const GridPoint e = tables.previousEnergy[x][y];
            std::printf("%d %d %d %.9g %.9g %d %d %d %d\n", x, y, heightMap[x][y],
                        static_cast<double>(tables.distance[x][y]),
                        static_cast<double>(tables.energy[x][y]), d.x, d.y, e.x, e.y);
        }
    }
    return 0;
}
