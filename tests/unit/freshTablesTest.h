#pragma once
// Tests that draw from the route tables start from fresh settings, the real terrain and reset
// tables, and leave them that way for the next test.

#include "planner/routeTables.h"
#include "terrain/settings.h"
#include "terrain/terrainGrid.h"

#include "tests/unit/plannerTestSupport.h"

#include <gtest/gtest.h>

class FreshTablesTest : public testing::Test {
  protected:
    void SetUp() override {
        settings = Settings{};
        useBuiltInGround();
        resetRouteTables(landscapeRun.tables, settings.startX, settings.startY);
    }
    void TearDown() override {
        settings = Settings{};
        resetRouteTables(landscapeRun.tables, settings.startX, settings.startY);
    }
};
