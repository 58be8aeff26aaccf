// Commands that edit the world and the rule.
#include <algorithm>
#include <cstdlib>

#include "headless.h"

namespace {

using Commands = Headless;

TEST_F(Commands, FillThenTwoGenerations) {
    for (int t = 1; t >= 0; t--) {
        tore = t;
        plein();
        EXPECT_EQ(compte(2), LARGEUR * HAUTEUR);
        photo();
        EXPECT_EQ(acel[640][480], 2);
        genere();
        EXPECT_EQ(compte(1), LARGEUR * HAUTEUR) << "fresh cells turn alive, tore = " << t;
        genere();
        if (t) {
            EXPECT_EQ(compte(0), LARGEUR * HAUTEUR) << "eight neighbours kill everything on the torus";
        } else {
            EXPECT_EQ(compte(1), 4) << "only the corners have three neighbours";
            EXPECT_EQ(ncel[1][1] & ncel[640][1] & ncel[1][480] & ncel[640][480], 1);
        }
    }
}

TEST_F(Commands, FillWritesBothGridsButNotTheBorder) {
    etat = 7;
    plein();
    for (int x = 1; x <= LARGEUR; x++) {
        ASSERT_EQ(acel[x][1], 7);
        ASSERT_EQ(acel[x][480], 7);
        ASSERT_EQ(ncel[x][0] | acel[x][0], 0);
    }
    for (int y = 0; y <= HAUTEUR; y++) ASSERT_EQ(ncel[0][y] | acel[0][y], 0);
}

TEST_F(Commands, InvertWritesOneNotTheAliveValue) {
    ncel[3][4] = 1;
    acel[5][6] = 1;
    inverse();
    EXPECT_EQ(compte(1), LARGEUR * HAUTEUR - 1);
    EXPECT_EQ(ncel[3][4], 0);
    EXPECT_EQ(acel[5][6], 0);
    EXPECT_EQ(acel[3][4], 1);
    EXPECT_EQ(ncel[0][0] | acel[0][5] | ncel[7][0], 0);

    reset();
    etat = 5;
    ncel[9][9] = 3;
    inverse();
    EXPECT_EQ(ncel[9][9], 0);
    EXPECT_EQ(ncel[10][9], 1);
    genere();
    EXPECT_EQ(compte(0), LARGEUR * HAUTEUR) << "under 5 states the inverted cells are about to die";
}

// The palette rebuilt for the number of states in force: each entry is what a rebuild
// makes of it, and none is the mark left before.
void palette_refaite(int marque) {
    int refaite[17];
    std::copy(couleur_etat, couleur_etat + 17, refaite);
    fabrique_couleur();
    for (int t = 1; t <= etat; t++) {
        EXPECT_NE(refaite[t], marque) << "entry " << t << " not rebuilt";
        EXPECT_EQ(refaite[t], couleur_etat[t]) << "entry " << t;
    }
}

TEST_F(Commands, RandomRuleDrawsTwentySevenNumbersAndRebuildsThePalette) {
    for (unsigned graine : {1u, 42u, 20261207u}) {
        ncel[4][4] = 1;
        std::fill(couleur_etat + 1, couleur_etat + 17, -1);
        std::srand(graine);
        reglehazard();
        const int apres = std::rand();
        std::srand(graine);
        for (int i = 0; i < 27; i++) std::rand();
        EXPECT_EQ(std::rand(), apres) << "exactly 27 draws";
        palette_refaite(-1);
        EXPECT_EQ(ncel[4][4], 1) << "the grids are not touched";
    }
}

TEST_F(Commands, RandomRuleKeepsStateCountWithinTwoToTen) {
    std::srand(3);
    bool extremes[11] = {};
    for (int i = 0; i < 2000; i++) {
        reglehazard();
        ASSERT_GE(etat, 2);
        ASSERT_LE(etat, 10);
        extremes[etat] = true;
    }
    EXPECT_TRUE(extremes[2] && extremes[10]);
}

TEST_F(Commands, CyclingStatesGoesUpToSixteenThenBackToTwo) {
    for (int attendu = 3; attendu <= 16; attendu++) {
        couleur_etat[attendu] = -1;
        cycle_etats();
        ASSERT_EQ(etat, attendu);
        palette_refaite(-1);
    }
    const int seize = couleur_etat[16];
    cycle_etats();
    EXPECT_EQ(etat, 2);
    EXPECT_EQ(couleur_etat[1], makecol(1, 127, 0));
    EXPECT_EQ(couleur_etat[16], seize) << "left from the 16-state palette";
}

}  // namespace
