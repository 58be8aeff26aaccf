// Shared set-up for the headless tests: the library runs without a system
// driver (memory bitmaps, makecol and text only), and every test starts from
// the program's start-up state with an empty world and no input.
#pragma once

#include <gtest/gtest.h>

#include "app/app.h"
#include "display/display.h"
#include "display/ecran.h"
#include "reference.h"
#include "systeme/systeme.h"
#include "world/world.h"

using reference::compte;

// Start-up values, empty grids, paused, no key or button down, pointer at (320, 240),
// and an input stage that remembers nothing of earlier tests.
void etat_initial();

// n generations, as the pacing stage and Enter compute them.
void genere(int n = 1);

struct Headless : ::testing::Test {
    void SetUp() override { etat_initial(); }
};
