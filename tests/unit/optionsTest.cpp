// The command line: points and their system, and the lists of values --isochrones takes.

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

namespace {

ParsedOptions isochrones(const std::string& list) {
    return parseOptions({"--plan", "--isochrones", list});
}

TEST(IsochroneListTest, ValuesOfOneUnitAreHeldInItsMeasure) {
    const struct {
        const char* list;
        Measure measure;
        const char* unit;
        double tableUnits;
        std::vector<double> values;
    } cases[] = {{"10min,20min,30min", Measure::Time, "min", 60.0, {10, 20, 30}},
                 {"0.5h", Measure::Time, "h", 3600.0, {0.5}},
                 {"2km, 5 km", Measure::Distance, "km", 1000.0, {2, 5}},
                 {"1e3m,1500m", Measure::Distance, "m", 1.0, {1000, 1500}},
                 {"1MJ,5MJ", Measure::Energy, "MJ", 1e6, {1, 5}},
                 {"250kJ", Measure::Energy, "kJ", 1e3, {250}}};
    for (const auto& c : cases) {
        const ParsedOptions parsed = isochrones(c.list);
        ASSERT_EQ(parsed.error, "") << c.list;
        const Isochrones& got = parsed.options.isochrones;
        EXPECT_EQ(got.measure, c.measure) << c.list;
        EXPECT_EQ(got.unit, c.unit) << c.list;
        EXPECT_EQ(got.values, c.values) << c.list;
        EXPECT_EQ(got.limit(0), c.values[0] * c.tableUnits) << c.list;
    }
}

TEST(IsochroneListTest, BadListsAreRefusedByName) {
    const std::string units = " is not a number above 0 with a unit (s, min, h, m, km, J, kJ, MJ)";
    const std::pair<const char*, std::string> cases[] = {
        {"10min,1h", "'10min,1h' mixes units (min and h); give every value in one"},
        {"2km,10min", "'2km,10min' mixes units (km and min); give every value in one"},
        {"30min,20min", "'30min,20min' does not increase: '20min' follows '30min'"},
        {"5km,5km", "'5km,5km' does not increase: '5km' follows '5km'"},
        {"10", "'10'" + units},
        {"10mins", "'10mins'" + units},
        {"1mJ", "'1mJ'" + units},
        {"0s", "'0s'" + units},
        {"-2km", "'-2km'" + units},
        {"nanh", "'nanh'" + units},
        {"1e308h", "'1e308h'" + units},
        {"10min,", "'10min,' has an empty value"}};
    for (const auto& [list, error] : cases) {
        EXPECT_EQ(isochrones(list).error, "--isochrones: " + error) << list;
    }
    std::string many;
    for (int k = 1; k <= MOST_ISOCHRONES + 1; ++k) {
        many += (k > 1 ? "," : "") + std::to_string(k) + "m";
    }
    EXPECT_NE(isochrones(many).error.find("has more than 100 values"), std::string::npos);
    EXPECT_EQ(parseOptions({"--isochrones", "1km"}).error, "--isochrones: goes with --plan");
    EXPECT_EQ(parseOptions({"--plan", "--isochrones-format", "geojson"}).error,
              "--isochrones-format: goes with --isochrones");
    EXPECT_EQ(parseOptions({"--isochrones-format", "geojson"}).options.isochroneFormat,
              IsochroneFormat::GeoJson);
}

} // namespace
