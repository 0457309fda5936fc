// The three export files byte for byte, and exports that cannot write a file.

#include "io/costRaster.h"
#include "io/routeExport.h"
#include "io/routeGeoJson.h"
#include "planner/progress.h"
#include "render/panel.h"
#include "tests/unit/plannerTestSupport.h"

#include <gdal.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr char DISTANCE_TABLE[] = "distanceTable.txt";
constexpr char DISTANCE_ROUTE[] = "previousDistanceVertices.txt";
constexpr char ENERGY_ROUTE[] = "previousEnergyVertices.txt";
constexpr int32_t PIT_HEIGHT = 1000;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The run's distance table written the slow, obvious way: through a standard stream in its
// default float format.
std::string streamedDistanceTable(const LandscapeRun& run) {
    const TerrainPositions& terrainVertices = run.terrain;
    const CostTable& distanceTable = run.tables.distance;
    std::ostringstream text;
    text << "X\tY\tZ\tDIST\n";
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            const TerrainVertex& v = terrainVertices[x][y];
            text << v.x << '\t' << v.y << '\t' << v.z << '\t' << distanceTable[x][y] << '\n';
        }
    }
    return text.str();
}

// Runs each test in a fresh temporary directory, the export's working directory.
class RouteExport : public PlannerTest {
  protected:
    void SetUp() override {
        home_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "routeExport.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        fs::current_path(directory_);
    }
    void TearDown() override {
        fs::current_path(home_);
        fs::remove_all(directory_);
    }

    // Ground rising 1 m per column (level along y) with one 1000 m pit wall at (364, 364),
    // planned from (0, 0).
    void planOnSlope(int endX, int endY) {
        HeightGrid& heights = scratchHeights();
        for (int x = 0; x < GRID_SIZE; ++x) {
            for (int y = 0; y < GRID_SIZE; ++y) {
                heights[x][y] = x;
            }
        }
        heights[GRID_SIZE - 1][GRID_SIZE - 1] = PIT_HEIGHT;
        useGround(heights);
        settings.endX = endX;
        settings.endY = endY;
        planFrom(0, 0);
    }

    std::string exportCapturingErrors() {
        testing::internal::CaptureStderr();
        exportRouteTablesInto(AT_FDCWD,
                              {run.terrain, run.tables, routeEnds(run.settings), run.progress});
        return testing::internal::GetCapturedStderr();
    }

    // The profile of the run's route least in `measure` between `ends`.
    Profile routeProfile(Measure measure, const RouteEnds& ends) const {
        const Route route = readRoute(run.terrain, run.grid.prices, run.tables, measure, ends);
        return ::routeProfile(run.terrain, route, run.tables.costs(measure));
    }

    fs::path home_;
    fs::path directory_;
};

TEST_F(RouteExport, WritesTheThreeFilesByteForByte) {
    planOnSlope(3, 0);
    EXPECT_EQ(exportCapturingErrors(), "");
    const std::string table = readFile(DISTANCE_TABLE);
    // Straight along y on the level: 30 m a step; along x each step climbs 1 m.
    EXPECT_EQ(table.substr(0, 39), "X\tY\tZ\tDIST\n0\t0\t0\t0\n0\t30\t0\t30\n0\t60\t0\t60\n");
    EXPECT_NE(table.find("\n30\t0\t1\t30.0167\n"), std::string::npos);
    const std::string lastLine = "10920\t10920\t1000\t1e+35\n";
    ASSERT_GE(table.size(), lastLine.size());
    EXPECT_EQ(table.substr(table.size() - lastLine.size()), lastLine);
    EXPECT_EQ(table, streamedDistanceTable(run));
    // Least distance and least energy both run straight back along row 0.
    EXPECT_EQ(readFile(DISTANCE_ROUTE), "3\t0\t90.05\n2\t0\t60.0333\n1\t0\t30.0167\n");
    EXPECT_EQ(readFile(ENERGY_ROUTE), "3\t0\t38981.4\n2\t0\t25987.6\n1\t0\t12993.8\n");
    EXPECT_FALSE(fs::exists("distanceTable.txt.tmp"));
}

// The panel's profile is the exported route read from the other end, with the same costs.
TEST_F(RouteExport, RouteProfileIsTheExportedRouteFromTheStart) {
    planOnSlope(3, 0);
    exportCapturingErrors();
    const auto exported = [](const Profile& profile) {
        std::ostringstream text;
        for (size_t k = profile.points.size() - 1; k > 0; --k) {
            const ProfilePoint& p = profile.points[k];
            text << p.cell.x << '\t' << p.cell.y << '\t' << p.cost << '\n';
        }
        return text.str();
    };
    const Profile distance = routeProfile(Measure::Distance, {0, 0, 3, 0});
    const Profile energy = routeProfile(Measure::Energy, {0, 0, 3, 0});
    EXPECT_EQ(exported(distance), readFile(DISTANCE_ROUTE));
    EXPECT_EQ(exported(energy), readFile(ENERGY_ROUTE));
    EXPECT_EQ(distance.points.back().along, distanceTable[3][0]);
    EXPECT_EQ(energy.points.back().along, distanceTable[3][0]);
    EXPECT_EQ(distance.points.front().cost, 0.0f);
    EXPECT_EQ(distance.steepestStep, 1); // every step climbs 1 m in 30: the first one wins
    EXPECT_FLOAT_EQ(distance.steepestGrade, 100.0f / 30.0f);
    EXPECT_EQ(profileReport(distance, "m"), "Length along the route: 90.049988 m\nCost at the "
                                            "end: 90.049988 m\nSteepest step: 3.33 %\nfrom (0, "
                                            "0) to (1, 0)");
    EXPECT_TRUE(routeProfile(Measure::Distance, {0, 0, 364, 364}).points.empty()); // unreached
}

TEST_F(RouteExport, RoutesAreEmptyWhenTheEndIsTheStart) {
    planOnSlope(0, 0);
    writeFile(DISTANCE_ROUTE, "stale\n");
    EXPECT_EQ(exportCapturingErrors(), "");
    EXPECT_TRUE(fs::exists(DISTANCE_ROUTE));
    EXPECT_TRUE(fs::exists(ENERGY_ROUTE));
    EXPECT_EQ(fs::file_size(DISTANCE_ROUTE), 0u);
    EXPECT_EQ(fs::file_size(ENERGY_ROUTE), 0u);
}

TEST_F(RouteExport, RoutesAreEmptyWhenTheEndIsUnreached) {
    planOnSlope(GRID_SIZE - 1, GRID_SIZE - 1);
    ASSERT_EQ(distanceTable[GRID_SIZE - 1][GRID_SIZE - 1], UNREACHED_COST);
    EXPECT_EQ(exportCapturingErrors(), "");
    EXPECT_EQ(fs::file_size(DISTANCE_ROUTE), 0u);
    EXPECT_EQ(fs::file_size(ENERGY_ROUTE), 0u);
    EXPECT_GT(fs::file_size(DISTANCE_TABLE), 0u);
}

// A directory where the table should go: the rename fails, the table is reported and the
// routes are still written; the temporary file is removed.
TEST_F(RouteExport, TargetThatIsADirectoryIsReportedAndTheRestWritten) {
    planOnSlope(3, 0);
    fs::create_directory(DISTANCE_TABLE);
    EXPECT_EQ(exportCapturingErrors(),
              "Error: could not write distanceTable.txt: not a plain file\n");
    EXPECT_TRUE(fs::is_directory(DISTANCE_TABLE));
    EXPECT_FALSE(fs::exists("distanceTable.txt.tmp"));
    EXPECT_EQ(readFile(DISTANCE_ROUTE), "3\t0\t90.05\n2\t0\t60.0333\n1\t0\t30.0167\n");
    EXPECT_EQ(readFile(ENERGY_ROUTE), "3\t0\t38981.4\n2\t0\t25987.6\n1\t0\t12993.8\n");
}

constexpr char UTM_33N[] =
    "PROJCS[\"UTM 33N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
    "298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION["
    "\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",15],PARAMETER[\"scale_factor\","
    "0.9996],PARAMETER[\"false_easting\",500000],UNIT[\"metre\",1]]";

// On UTM zone 33N, whose origin (500000, 0) lies at 15 E on the equator, the raster keeps the
// system and the routes turn to longitude (first) and latitude.
TEST_F(RouteExport, GeoreferencedGroundKeepsItsSystemAndRoutesTurnToLongitudeLatitude) {
    planOnSlope(3, 0);
    const GroundReference utm{UTM_33N, 500000.0, 0.0, ""};
    ASSERT_EQ(writeGridRaster(AT_FDCWD, "d.tif", distanceTable.data(), distanceTable.shape(), utm),
              "");
    GDALDatasetH tif = GDALOpen("d.tif", GA_ReadOnly);
    ASSERT_NE(tif, nullptr);
    double t[6];
    GDALGetGeoTransform(tif, t);
    EXPECT_EQ(std::vector<double>(t, t + 6), (std::vector<double>{499985, 30, 0, 10935, 0, -30}));
    EXPECT_NE(std::string(GDALGetProjectionRef(tif)).find("\"EPSG\",\"32633\"]]"),
              std::string::npos);
    GDALClose(tif);

    ASSERT_EQ(writeRouteGeoJson(AT_FDCWD, "r.json", plannedRoutes(run), "sweep", 16, Vehicle{},
                                settings.speedMph, utm, GRID_SPACING),
              "");
    const std::string json = readFile("r.json");
    EXPECT_NE(json.find("\"planner\": \"sweep\", \"moves\": 16,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"cells\": 4, \"length_m\": 90.04999,"), std::string::npos) << json;
    double v[3] = {0, 0, 0}; // the first position and the longitude of the second, 7 decimals
    ASSERT_EQ(
        std::sscanf(json.c_str() + json.find("[ ["), "[ [ %lf, %lf ], [ %lf", v, v + 1, v + 2), 3);
    EXPECT_NEAR(v[0], 15.0, 1e-9);
    EXPECT_NEAR(v[1], 0.0, 1e-9);
    EXPECT_NEAR(v[2], 15.0 + 30.0 / 0.9996 / 111319.4908, 1e-7);
}

// Long work tells its share done at most once a second, capped at all of it; small work never.
TEST(ProgressReport, BigWorkTellsItsShareOnceASecondAndSmallWorkNothing) {
    std::vector<std::string> lines;
    const ProgressListener listen = [&](const std::string& line) { lines.push_back(line); };
    ProgressReport small(PLANNING_WORK, PROGRESS_MIN_ITEMS - 1, listen);
    ProgressReport big(PLANNING_WORK, 2 * PROGRESS_MIN_ITEMS, listen);
    big.update(1); // within the first second
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    small.update(PROGRESS_MIN_ITEMS - 2);
    big.update(3 * PROGRESS_MIN_ITEMS);
    big.update(PROGRESS_MIN_ITEMS); // within a second of the last line
    EXPECT_EQ(lines, std::vector<std::string>{"Planning: 100 % of 2097152 cells"});
}

} // namespace
