// Commands that edit the world and the rule.
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

TEST_F(Commands, RandomRuleDrawsSurvivalBirthAndStatesInTurn) {
    for (unsigned graine : {1u, 42u, 20261207u}) {
        ncel[4][4] = 1;
        std::srand(graine);
        reglehazard();
        const int apres = std::rand();
        std::srand(graine);
        int e = 0;
        for (int t = 0; t <= 8; t++) {
            EXPECT_EQ(r_survie[t], std::rand() % 2) << "seed " << graine << ", t = " << t;
            EXPECT_EQ(r_vie[t], std::rand() % 2);
            e = std::rand() % 9 + 2;
        }
        EXPECT_EQ(etat, e) << "the last pass's count stands";
        EXPECT_EQ(std::rand(), apres) << "exactly 27 draws";
        EXPECT_EQ(couleur_etat[etat], makecol((255 - 2 * (255 / e) * e) & 0xff, 255 / e * e, 0)) << "palette rebuilt";
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
        cycle_etats();
        ASSERT_EQ(etat, attendu);
        EXPECT_EQ(couleur_etat[attendu], makecol((255 - 2 * (255 / attendu) * attendu) & 0xff,
                                                 255 / attendu * attendu, 0));
    }
    cycle_etats();
    EXPECT_EQ(etat, 2);
    EXPECT_EQ(couleur_etat[1], makecol(1, 127, 0));
    EXPECT_EQ(couleur_etat[16], makecol(-225 & 0xff, 240, 0)) << "left from the 16-state palette";
}

TEST_F(Commands, TogglesFlipOneEntryAndTouchNothingElse) {
    ncel[2][2] = 1;
    const int palette = couleur_etat[1];
    bascule_vie(3);
    EXPECT_EQ(r_vie[3], 0);
    bascule_vie(0);
    EXPECT_EQ(r_vie[0], 1);
    bascule_survie(8);
    EXPECT_EQ(r_survie[8], 1);
    bascule_survie(2);
    EXPECT_EQ(r_survie[2], 0);
    bascule_tore();
    EXPECT_EQ(tore, 0);
    EXPECT_EQ(ncel[2][2], 1);
    EXPECT_EQ(couleur_etat[1], palette);
    bascule_vie(3);
    bascule_vie(0);
    bascule_survie(8);
    bascule_survie(2);
    bascule_tore();
    for (int n = 0; n <= 8; n++)
        EXPECT_TRUE(r_survie[n] == reference::conway_survie[n] && r_vie[n] == reference::conway_vie[n]) << n;
    EXPECT_EQ(tore, 1);
}

TEST_F(Commands, PaintAndEraseChangeOnlyTheShownGrid) {
    etat = 6;
    peindre(639, 479);
    EXPECT_EQ(ncel[639][479], 5);
    EXPECT_EQ(acel[639][479], 0);
    EXPECT_EQ(compte(0), LARGEUR * HAUTEUR - 1);
    photo();
    gommer(639, 479);
    EXPECT_EQ(ncel[639][479], 0);
    EXPECT_EQ(acel[639][479], 5);
}

}  // namespace
