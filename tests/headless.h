// Shared set-up for the headless tests: the library runs without a system
// driver (memory bitmaps, makecol and text only), and every test starts from
// the program's start-up state with an empty world and no input.
#pragma once

#include <vector>

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

// The kernels to check: the portable one (0), and AVX2 (1) where the CPU has it.
std::vector<int> noyaux();

// The CPU flag as detected, back when the guard goes, whatever failed meanwhile.
struct GardeSimd {
    const int natif = simd;
    ~GardeSimd() { simd = natif; }
};

// The library's pixel layouts as they were, back when the guard goes.
struct GardeDispositions {
    const int avant[9] = {_rgb_r_shift_15, _rgb_g_shift_15, _rgb_b_shift_15, _rgb_r_shift_16, _rgb_g_shift_16,
                          _rgb_b_shift_16, _rgb_r_shift_32, _rgb_g_shift_32, _rgb_b_shift_32};
    ~GardeDispositions() {
        _rgb_r_shift_15 = avant[0], _rgb_g_shift_15 = avant[1], _rgb_b_shift_15 = avant[2];
        _rgb_r_shift_16 = avant[3], _rgb_g_shift_16 = avant[4], _rgb_b_shift_16 = avant[5];
        _rgb_r_shift_32 = avant[6], _rgb_g_shift_32 = avant[7], _rgb_b_shift_32 = avant[8];
        couleurs_nommees();
    }
};
