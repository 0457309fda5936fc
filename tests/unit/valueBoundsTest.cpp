#include "io/pictureFile.h"
#include "planner/kernels/parallelWork.h"
#include "planner/priceBounds.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <new>
#include <pthread.h>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

TEST(PriceBounds, RefusesWhatOverflowsAndKeepsWhatFits) {
    const PricedGround builtIn{30.0, 0.0, 2000.0, 365 * 365};
    const PricedGround farPixels{2e19, 0.0, 24.0, 25};
    const std::tuple<float, float, PricedGround, PriceOverflow> rows[] = {
        {1325.0f, 0.0f, builtIn, PriceOverflow::None},
        {1e30f, 0.0f, PricedGround{30.0, 0.0, 0.0, 9}, PriceOverflow::None},
        {1e30f, 1e30f, builtIn, PriceOverflow::Energy},
        {1325.0f, 1e30f, builtIn, PriceOverflow::Energy},
        {1e10f, 1e25f, builtIn, PriceOverflow::Energy},
        {1325.0f, 0.0f, farPixels, PriceOverflow::Length},
        {1325.0f, 0.0f, PricedGround{30.0, -3e38, 3e38, 9}, PriceOverflow::Length}};
    for (const auto& [mass, rolling, ground, expected] : rows) {
        Vehicle v;
        v.vehicleMass = mass;
        v.rolling = rolling;
        EXPECT_EQ(priceOverflow(v, ground), expected) << mass << " " << rolling;
    }
    const PricedGround measured = pricedGround({NAN, 4.0f, -2.0f, NAN}, 5.0, moveSetFor(8));
    EXPECT_EQ(measured.lowest, -2.0);
    EXPECT_EQ(measured.highest, 4.0);
    EXPECT_EQ(measured.cells, 4u);
}

TEST(PriceBounds, TheCoverAndTheSpeedsBoundEnergiesAndTimes) {
    const std::tuple<double, double, double, double, PriceOverflow> rows[] = {
        // top speed, power, the cover's slowest speed and roughest surface
        {90.0, 0.0, 0.0, 0.0, PriceOverflow::None},
        {90.0, 100.0, 5.0, 0.08, PriceOverflow::None},
        {1e-30, 0.0, 0.0, 0.0, PriceOverflow::Time},
        {90.0, 0.0, 1e-30, 0.0, PriceOverflow::Time},
        {90.0, 1e-30, 0.0, 0.0, PriceOverflow::Time},
        {90.0, 0.0, 0.0, 1e30, PriceOverflow::Energy}};
    for (const auto& [top, power, slowest, roughest, expected] : rows) {
        PricedGround ground{30.0, 0.0, 2000.0, 365 * 365};
        ground.slowestKmh = slowest;
        ground.roughest = roughest;
        Vehicle v;
        v.topSpeedKmh = top;
        v.powerKw = power;
        EXPECT_EQ(priceOverflow(v, ground), expected) << top << " " << power << " " << slowest;
    }
    GroundCover cover;
    cover.speedKmh = {NAN, 0.0f, 40.0f, 12.0f};
    cover.rolling = {0.3f, NAN, 0.1f, 0.2f};
    PricedGround ground;
    takeCoverBounds(cover, ground);
    EXPECT_EQ(ground.slowestKmh, 12.0);
    EXPECT_EQ(ground.roughest, double{0.3f});
}

TEST(ParallelWork, WorkThatFailsOnAThreadFailsOnTheCaller) {
    std::vector<int> items = {0, 1};
    EXPECT_THROW(runEach(items,
                         [](int k) {
                             if (k == 0) {
                                 throw std::bad_alloc();
                             }
                         }),
                 std::bad_alloc);
    HelperThread helper;
    int context = 0;
    helper.start([](void*) { throw std::bad_alloc(); }, &context);
    EXPECT_THROW(helper.finish(), std::bad_alloc);
    helper.start([](void* c) { *static_cast<int*>(c) = 1; }, &context);
    helper.finish();
    EXPECT_EQ(context, 1);
}

TEST(ParallelWork, AKeptHelperTakesAllButTheLastItemPlanAfterPlan) {
    HelperThread helper;
    std::array<std::thread::id, 3> ran{};
    std::array<std::thread::id, 3> before{};
    for (int plan = 0; plan < 2; ++plan) {
        runEach(
            ran, [](std::thread::id& id) { id = std::this_thread::get_id(); }, helper);
        EXPECT_NE(ran[0], std::this_thread::get_id());
        EXPECT_EQ(ran[1], ran[0]);
        EXPECT_EQ(ran[2], std::this_thread::get_id());
        if (plan > 0) {
            EXPECT_EQ(ran[0], before[0]); // the same thread, kept
        }
        before = ran;
    }
}

TEST(ParallelWork, ItemsOfAHelperThatCannotStartAreDoneOnTheCaller) {
    // No thread starts when its stack cannot be had, as under a limit on address space.
    pthread_attr_t usual;
    pthread_attr_t huge;
    ASSERT_EQ(pthread_getattr_default_np(&usual), 0);
    ASSERT_EQ(pthread_getattr_default_np(&huge), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&huge, std::size_t{1} << 46), 0);
    ASSERT_EQ(pthread_setattr_default_np(&huge), 0);
    HelperThread helpers[2];
    std::array<std::thread::id, 5> ran{};
    runEach(
        ran, [](std::thread::id& id) { id = std::this_thread::get_id(); }, helpers, 2);
    pthread_setattr_default_np(&usual);
    for (const std::thread::id id : ran) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST(PictureFile, ViewsFarPastAnyScreenAndUnwritableFoldersAreRefused) {
    EXPECT_EQ(pictureSizeRefusal(7680, 4320), "");
    EXPECT_EQ(pictureSizeRefusal(20000, 20000),
              "the view of 20000 x 20000 pixels is larger than the 40 million a picture takes");
    // A window past the limit shrinks to one of its shape that a picture holds.
    for (const auto& [asked, kept] : {std::pair<WindowSize, WindowSize>{{810, 500}, {810, 500}},
                                      {{20000, 20000}, {6324, 6324}},
                                      {{40000, 1000}, {40000, 1000}},
                                      {{80000, 1000}, {56568, 707}}}) {
        const WindowSize got = pictureSizedWindow(asked.width, asked.height);
        EXPECT_EQ(std::make_pair(got.width, got.height), std::make_pair(kept.width, kept.height));
        EXPECT_EQ(pictureSizeRefusal(got.width, got.height), "");
    }
    std::string reason;
    const Picture dot{1, 1, {0, 0, 0}};
    EXPECT_EQ(writeNewPicture("/nonexistent-folder", dot, reason), "");
    EXPECT_EQ(reason, "No such file or directory");
}
