// Shared set-up for the headless tests: the library runs without a system
// driver (memory bitmaps, makecol and text only), and every test starts from
// the program's start-up state with an empty world and no input.
#pragma once

#include <gtest/gtest.h>

#include "app/app.h"
#include "display/display.h"
#include "world/world.h"

// Start-up values, empty grids, paused, no key or button down, pointer at (320, 240).
void etat_initial();

// Number of playfield cells of ncel equal to v.
int compte(int v);

struct Headless : ::testing::Test {
    void SetUp() override { etat_initial(); }
};
