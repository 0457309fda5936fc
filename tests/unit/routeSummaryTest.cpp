#include "planner/groundReport.h"
#include "render/overlays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

TEST(RouteSummary, FuelFactorAtDefaultSpeed) {
    // 0.075283 - 0.087406 + 0.04557465
    EXPECT_EQ(fuelPerMile(55.0f), 0.03345165f);
}

// Second method: the same polynomial in Horner form, in long double.
TEST(RouteSummary, FuelFactorMatchesThePolynomial) {
    for (float mph : {0.0f, 5.0f, 30.0f, 52.7f, 55.0f, 60.0f, 105.0f, 500.0f}) {
        const long double v = mph;
        const long double expected = 0.075283L + v * (-0.0015892L + 0.000015066L * v);
        EXPECT_NEAR(fuelPerMile(mph), static_cast<double>(expected), 1e-7 * (1 + v * v * 2e-5))
            << mph;
    }
}

TEST(RouteSummary, MilesAreMetresOverTheMileRoundedToFloat) {
    EXPECT_EQ(distanceInMiles(0.0f), 0.0f);
    EXPECT_EQ(distanceInMiles(1609.344f), 1.0f);
    EXPECT_EQ(distanceInMiles(12345.5f), static_cast<float>(12345.5 / 1609.344));
}

struct LineCase {
    int startX, startY, endX, endY;
    float metres;
};

TEST(RouteSummary, StraightLineLength) {
    const LineCase cases[] = {
        {10, 360, 10, 360, 0.0f},
        {0, 0, 3, 4, 150.0f},
        {3, 4, 0, 0, 150.0f},
        {0, 0, 364, 0, 10920.0f},
        {10, 360, 350, 340, std::sqrt(115600.0f + 400.0f) * 30},
        {1, 1, 364, 364, std::sqrt(2.0f * 363 * 363) * 30},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(straightLineMetres(c.startX, c.startY, c.endX, c.endY, GRID_SPACING), c.metres)
            << c.startX << "," << c.startY << " to " << c.endX << "," << c.endY;
        const double exact = 30.0 * std::hypot(c.startX - c.endX, c.startY - c.endY);
        EXPECT_NEAR(straightLineMetres(c.startX, c.startY, c.endX, c.endY, GRID_SPACING), exact,
                    1e-6 * exact + 1e-9);
    }
}

// 10 miles at the float factor 0.0334516503 gives the float 0.33451649...
TEST(RouteSummary, DistanceReportText) {
    EXPECT_EQ(distanceSummary(0.0f, 55.0f), "\nDISTANCE DATA\nTotal Distance Path:\t0.000000 "
                                            "miles\nTotal Fuel Consumption:\t0.000000 gallons\n");
    EXPECT_EQ(distanceSummary(16093.44f, 55.0f),
              "\nDISTANCE DATA\nTotal Distance Path:\t10.000000 miles\nTotal Fuel "
              "Consumption:\t0.334516 gallons\n");
}

// The printed gallons are the float product of the float miles and the float factor.
TEST(RouteSummary, GallonsAreTheFloatProduct) {
    const float metres = 13057.25f;
    const float miles = static_cast<float>(metres / 1609.344);
    const float gallons = miles * 0.03345165f;
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "\nDISTANCE DATA\nTotal Distance Path:\t%f miles\nTotal Fuel "
                  "Consumption:\t%f gallons\n",
                  double(miles), double(gallons));
    EXPECT_EQ(distanceSummary(metres, 55.0f), expected);
}

TEST(RouteSummary, EnergyAndDirectReportTexts) {
    EXPECT_EQ(energySummary(0.0f), "\nENERGY DATA\nTotal Energy Path:\t0.000000 joules\n");
    EXPECT_EQ(energySummary(1234567.0f), "\nENERGY DATA\nTotal Energy Path:\t1234567.000000 "
                                         "joules\n");
    EXPECT_EQ(straightLineSummary(150.0f), "Total Direct Path:\t150.000000 meters\n");
    EXPECT_STREQ(UNREACHABLE_DISTANCE_TEXT, "\tUNREACHABLE DISTANCE PATH\n");
    EXPECT_STREQ(UNREACHABLE_ENERGY_TEXT, "\tUNREACHABLE ENERGY PATH\n");
}

TEST(RouteSummary, LargestFloatStillPrintsWhole) {
    const std::string text = energySummary(3.4e38f);
    EXPECT_EQ(text.substr(text.size() - 15), ".000000 joules\n");
}

} // namespace

namespace {
TEST(GroundReport, SharesNeverRoundToNoneOrAll) {
    const struct {
        std::size_t part, whole;
        const char* text;
    } cases[] = {{0, 10, "0"},       {10, 10, "100"},      {39, 100, "39"},     {1, 3, "33"},
                 {1, 10000, "0.01"}, {1, 1000000, "0.01"}, {997, 1000, "99.7"}, {0, 0, "0"}};
    for (const auto& c : cases) {
        EXPECT_EQ(percentText(c.part, c.whole), c.text) << c.part << "/" << c.whole;
    }
}

TEST(GroundReport, LinesNameTheGridTheEndsAndTheGrade) {
    Vehicle steep;
    steep.gradeUpPercent = 15.0;
    steep.gradeDownPercent = 10.0;
    const GroundReach reach{191355, 116726, 15174};
    EXPECT_EQ(groundLine({415, 437, 74.6}, reach),
              "Ground: 415 x 437 cells of 74.6 m, 39 % without ground\n");
    EXPECT_EQ(endsLine({221, 224, 403, 386}, defaultEndsReason(Vehicle{}), PlannerKind::Exact),
              "Start (221, 224), end (403, 386): the largest area that 7 % grades join; exact "
              "planner\n");
    EXPECT_EQ(unreachableEndLine(reach, steep),
              "the end lies outside the 13 % of the ground a 15 % up and 10 % down vehicle "
              "reaches from the start; try --grade or --moves\n");
}
} // namespace
