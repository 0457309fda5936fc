#include "io/groundSource.h"
#include "app/cellPlace.h"
#include "io/coverTable.h"
#include "io/lonLat.h"
#include "io/pointFile.h"
#include "terrain/coverCells.h"

#include <gdal.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

TEST(GroundSource, KernelFilesAndLinksToThemAreRefusedByName) {
    const std::string link = testing::TempDir() + "kernelLink";
    unlink(link.c_str());
    ASSERT_EQ(symlink("/proc/self/mem", link.c_str()), 0);
    for (const std::string& name :
         {std::string("/proc/version"), std::string("/proc/self/environ"),
          std::string("/sys/kernel/notes"), link, "NETCDF:\"" + link + "\":z"}) {
        EXPECT_EQ(checkSourceName(BARRIERS_OPTION, name),
                  "--barriers: '" + name + "' lies under /proc, /sys or /dev, not a data file");
    }
    EXPECT_EQ(checkSourceName(TERRAIN_OPTION, "/etc/hostname"), "");
    unlink(link.c_str());
}

TEST(GroundSource, BlocksFarLargerThanTheirRasterAreRefused) {
    GDALAllRegister();
    for (const int side : {256, 32768}) {
        const std::string width = "BLOCKXSIZE=" + std::to_string(side);
        const std::string height = "BLOCKYSIZE=" + std::to_string(side);
        const char* options[] = {"TILED=YES", width.c_str(), height.c_str(), "SPARSE_OK=YES",
                                 nullptr};
        const Dataset tiny(GDALCreate(GDALGetDriverByName("GTiff"), "/vsimem/tiles.tif", 3, 3, 1,
                                      GDT_Float32, const_cast<char**>(options)));
        ASSERT_TRUE(tiny);
        EXPECT_EQ(checkBlockSizes(tiny.get(), TERRAIN_OPTION, "tiles.tif"),
                  side == 256 ? ""
                              : "--terrain: 'tiles.tif' has blocks of 32768 x 32768 pixels, far "
                                "larger than its 3 x 3 pixels");
    }
    VSIUnlink("/vsimem/tiles.tif");
}

TEST(PointFile, PointsComeInTheirFileOrderAndFaultsNameThePoint) {
    const std::string gpx =
        "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"9\" lon=\"9\"/>";
    const std::string line = R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
                             R"("properties":{},"geometry":{"type":"LineString","coordinates":)";
    struct Case {
        const char* name;
        std::string text;
        std::vector<double> xs; // empty: refused with `error`
        std::vector<double> ys;
        std::string error;
    };
    const Case cases[] = {
        {"r.gpx",
         gpx + R"(<rte><rtept lat="2" lon="1"/><rtept lat="4" lon="3"/>)"
               R"(<rtept lat="6" lon="5"/></rte></gpx>)",
         {1, 3, 5},
         {2, 4, 6},
         ""},
        {"t.gpx",
         gpx + R"(<trk><trkseg><trkpt lat="1" lon="7"/><trkpt lat="2" lon="8"/>)"
               R"(</trkseg></trk></gpx>)",
         {7, 8},
         {1, 2},
         ""},
        {"w.gpx", gpx + R"(<wpt lat="5" lon="4"/></gpx>)", {9, 4}, {9, 5}, ""},
        {"l.geojson", line + "[[3,1],[2,2],[1,3],[0,4]]}}]}", {3, 2, 1, 0}, {1, 2, 3, 4}, ""},
        {"xy.csv", "name,x,y\na,30,60\nb,90,120\nc,150,180\n", {30, 90, 150}, {60, 120, 180}, ""},
        {"ll.csv", "lat,lon,x,y\n36,-84,1,2\n37,-85,3,4\n", {-84, -85}, {36, 37}, ""},
        {"bad.csv", "x,y\n1,2\n3,north\n", {}, {}, "line 3: y 'north' is not a number"},
        {"one.csv",
         "x,y\n1,2\n",
         {},
         {},
         "holds one point (line 2); a start and an end are needed"},
        {"none.csv", "a,b\n1,2\n", {}, {}, "has neither lon,lat nor x,y columns"},
        {"two.geojson",
         line + "[[0,0],[1,1]]}}," + line.substr(line.find("{\"type\":\"Feature\"")) +
             "[[2,2],[3,3]]}}]}",
         {},
         {},
         "holds more than one line string, or a line "
         "string with points; only points or one line string are read"},
        {"area.geojson",
         R"({"type":"Polygon","coordinates":[[[0,0],[1,0],[1,1],[0,0]]]})",
         {},
         {},
         "has a Polygon in feature 1; only points or one line string are read"}};
    for (const Case& c : cases) {
        const std::string path = testing::TempDir() + c.name;
        std::ofstream(path) << c.text;
        FilePoints points;
        const std::string error = readPointFile(path, points);
        EXPECT_EQ(error, c.error.empty() ? "" : "--points: '" + path + "' " + c.error) << c.name;
        EXPECT_EQ(points.xs, c.xs) << c.name;
        EXPECT_EQ(points.ys, c.ys) << c.name;
        EXPECT_EQ(points.names.size(), c.xs.size()) << c.name;
        // Longitude/latitude files carry WGS 84; x,y columns carry no system of their own.
        EXPECT_EQ(points.system.empty(), c.xs.empty() || std::string(c.name) == "xy.csv") << c.name;
        unlink(path.c_str());
    }
}

TEST(CellPlace, EndsGoToLongitudeLatitudeAndBackToTheirCells) {
    // UTM zone 16 north: cell (0, 0) lies on its central meridian, 87 degrees west, on the equator.
    const GroundReference utm{"EPSG:32616", 500000.0, 0.0, ""};
    const GridShape shape{10, 10, 30.0};
    const std::optional<EndsLonLat> origin = endsLonLat(utm, shape.spacing, RouteEnds{0, 0, 9, 0});
    ASSERT_TRUE(origin);
    EXPECT_NEAR(origin->start.lon, -87.0, 1e-12);
    EXPECT_NEAR(origin->start.lat, 0.0, 1e-12);
    EXPECT_NEAR(origin->end.lat, 0.0, 1e-12);
    EXPECT_GT(origin->end.lon, origin->start.lon);
    const RouteEnds cells{5, 7, 9, 2};
    RouteEnds back{};
    EXPECT_EQ(cellsAtLonLat(utm, shape, *endsLonLat(utm, shape.spacing, cells), back), "");
    EXPECT_EQ(back, cells);
    EXPECT_EQ(cellsAtLonLat(utm, shape, EndsLonLat{origin->start, {-87.01, 0.0}}, back),
              "end: lon -87.010000, lat 0.000000 lies off the ground");
    EXPECT_FALSE(endsLonLat(GroundReference{}, shape.spacing, cells));
}

TEST(CoverTable, EachFaultIsNamedWithItsLine) {
    const std::string head = "class,name,speed_kmh,rolling\n";
    const std::string at = "--cover-table: 't.csv' ";
    const std::pair<std::string, std::string> rows[] = {
        {"class,name,speed_kmh\n1,a,5\n",
         "line 1: missing column 'rolling' (the header must be class,name,speed_kmh,rolling)"},
        {"class,name,kmh,rolling\n",
         "line 1: unknown column 'kmh' (the header must be class,name,speed_kmh,rolling)"},
        {"name,class,speed_kmh,rolling\n",
         "line 1: the header must be exactly class,name,speed_kmh,rolling"},
        {head + "1,road,80\n", "line 2: 3 fields, not 4"},
        {head + "1,road,80,0.1,x\n", "line 2: 5 fields, not 4"},
        {head + "1.5,road,80,\n", "line 2: class '1.5' is not an integer"},
        {head + "99999999999999999999,road,80,\n",
         "line 2: class '99999999999999999999' is not an integer"},
        {head + "1,\"a\nb\",80,\n2,b,1e31,\n",
         "line 4: speed_kmh '1e31' is above the limit of 1e+30"},
        {head + "1,road,inf,\n", "line 2: speed_kmh 'inf' must be finite"},
        {head + "1,road,80,1e999\n", "line 2: rolling '1e999' must be finite"},
        {head + "1,\"road,80,\n", "line 2: the quote that opens field 2 is never closed"},
        {head + "1,\"a\"b,80,\n", "line 2: text follows the closing quote of field 2"},
        {head + "1,a," + std::string(70, '9') + "x,\n",
         "line 2: speed_kmh '" + std::string(60, '9') + "...' is not a speed of 0 or more km/h"},
        {head + "\xc3\xa9,a,1,\n", "line 2: class '\\xc3\\xa9' is not an integer"},
        {head + std::string("1,a\0b,1,\n", 10), "is not a text table"},
        {head + "1,\xff,1,\n", "is not a text table"},
        {head + "1,road,-3,\n", "line 2: speed_kmh '-3' is not a speed of 0 or more km/h"},
        {head + "1,road,fast,\n", "line 2: speed_kmh 'fast' is not a speed of 0 or more km/h"},
        {head + "1,road,nan,\n", "line 2: speed_kmh 'nan' is not a speed of 0 or more km/h"},
        {head + "1,road,80,-0.1\n", "line 2: rolling '-0.1' is not a coefficient of 0 or more"},
        {head + "1,road,80,\n\r\n2,lake,0,\n1,path,5,\n", "line 5: class 1 repeats line 2"},
        {head, "has no class"},
        {"", "has no header (class,name,speed_kmh,rolling)"}};
    for (const auto& [text, error] : rows) {
        std::vector<CoverClass> classes;
        EXPECT_EQ(parseCoverTable(text, "t.csv", classes), at + error) << text;
        EXPECT_TRUE(classes.empty());
    }
    std::vector<CoverClass> classes;
    ASSERT_EQ(parseCoverTable("\xEF\xBB\xBF" + head +
                                  "4294967295,\"road, \"\"paved\"\"\",80,0.015\r\n-2,lake,0,\n",
                              "t.csv", classes),
              "");
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].value, 4294967295);
    EXPECT_EQ(classes[0].name, "road, \"paved\"");
    EXPECT_EQ(classes[0].speedKmh, 80.0f);
    EXPECT_EQ(classes[0].rolling, 0.015f);
    EXPECT_EQ(classes[1].value, -2);
    EXPECT_EQ(classes[1].speedKmh, 0.0f);
    EXPECT_TRUE(std::isnan(classes[1].rolling));
}

TEST(CoverCells, ValuesBecomeSpeedsOrClassesAndFaultsStop) {
    const std::vector<CoverClass> table = {{7, "road", 80.0f, 0.015f}, {2, "lake", 0.0f, NAN}};
    struct Row {
        bool classes;
        std::vector<double> values;
        CoverFault fault;
        std::vector<float> speeds; // NaN: none
        std::vector<uint16_t> classOf;
        std::size_t unvalued;
    } rows[] = {
        {false, {12.5, NAN, 0.0}, CoverFault::None, {12.5f, NAN, 0.0f}, {}, 1},
        {false, {12.5, -1.0}, CoverFault::NegativeSpeed, {}, {}, 0},
        {false, {INFINITY}, CoverFault::NegativeSpeed, {}, {}, 0},
        {true, {7, 7, NAN, 2, 7}, CoverFault::None, {80, 80, NAN, 0, 80}, {1, 1, 0, 2, 1}, 1},
        {true, {7, 3}, CoverFault::UnknownClass, {}, {}, 0},
        {true, {2, 7.5}, CoverFault::NotWhole, {}, {}, 0},
        {true, {2147483648.0}, CoverFault::UnknownClass, {}, {}, 0}};
    for (const Row& row : rows) {
        GroundCover cover;
        CoverCells cells(row.classes ? table : std::vector<CoverClass>{}, row.values.size(), cover);
        bool taken = true;
        for (std::size_t p = 0; p < row.values.size() && taken; ++p) {
            taken = cells.take(p, row.values[p]);
        }
        EXPECT_EQ(cells.fault(), row.fault) << row.values.back();
        if (!taken) {
            EXPECT_EQ(cells.faultValue(), row.values.back());
            continue;
        }
        cells.finish();
        for (std::size_t p = 0; p < row.speeds.size(); ++p) {
            const float speed = cover.speedKmh[p];
            EXPECT_TRUE(speed == row.speeds[p] || (std::isnan(speed) && std::isnan(row.speeds[p])))
                << p;
        }
        EXPECT_EQ(cover.classOf, row.classOf);
        EXPECT_EQ(cover.unvalued, row.unvalued);
    }
}
