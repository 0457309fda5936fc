#include "app/options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

TEST(Options, PointsAndTheirSystemGoWithoutOtherEnds) {
    const std::string named = testing::TempDir() + "system.txt";
    std::ofstream(named) << "EPSG:4326\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--points", "p.gpx", "--crs", "EPSG:32616"}, ""},
        {{"--crs", "+proj=longlat +datum=WGS84", "--from", "-84,36", "--to", "-84.1,36"}, ""},
        {{"--points", "p.gpx", "--from", "1,2", "--to", "3,4"},
         "--points: does not go with --from"},
        {{"--to", "3,4", "--points", "p.gpx"}, "--points: does not go with --to"},
        {{"--plan", "1", "2", "3", "4", "--points", "p.csv"},
         "--points: goes with --plan without cells"},
        {{"--points", ""}, "--points: the file name is empty"},
        {{"--crs", "EPSG:4326", "--crs", "EPSG:4326"}, "--crs: given twice"},
        {{"--crs", "EPSG:0"}, "--crs: 'EPSG:0' is not a coordinate system GDAL reads"},
        // A system is read from the text alone, never from a file it names.
        {{"--crs", "/etc/hostname"},
         "--crs: '/etc/hostname' is not a coordinate system GDAL reads"},
        {{"--crs"}, "--crs: a value is missing"}};
    for (const auto& [args, error] : cases) {
        const ParsedOptions parsed = parseOptions(args);
        EXPECT_EQ(parsed.error, error) << args.front();
        if (error.empty()) {
            EXPECT_EQ(parsed.options.crs, args[3 - 2 * (args[0] == "--crs")]);
            EXPECT_TRUE(parsed.options.via.empty());
        }
    }
}
