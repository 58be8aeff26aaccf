// The generation step, the soup and the preset.
#include <cstdlib>
#include <set>
#include <utility>

#include "headless.h"

namespace {

using Cellules = std::set<std::pair<int, int>>;

Cellules vivantes() {
    Cellules c;
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++)
            if (ncel[x][y] == etat - 1) c.insert({x, y});
    return c;
}

int enroule(int v, int n) { return (v - 1 + 10 * n) % n + 1; }

// A glider heading right and down, its top-left corner at (x, y), wrapped on the torus.
Cellules planeur(int x, int y) {
    static const int forme[5][2] = {{1, 0}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    Cellules c;
    for (auto &p : forme) c.insert({enroule(x + p[0], LARGEUR), enroule(y + p[1], HAUTEUR)});
    return c;
}

void pose(const Cellules &c, int v) {
    for (auto &p : c) ncel[p.first][p.second] = v;
}

using Step = Headless;

TEST_F(Step, GliderCrossesTheRightAndBottomEdgesOfTheTorus) {
    pose(planeur(636, 474), 1);
    // Four generations move a glider by one cell right and one down.
    for (int k = 1; k <= 12; k++) {
        genere(4);
        ASSERT_EQ(vivantes(), planeur(636 + k, 474 + k)) << "after " << 4 * k << " generations";
    }
}

TEST_F(Step, GliderDoesNotWrapInTheBoundedWorld) {
    tore = 0;
    pose(planeur(630, 100), 1);
    for (int g = 1; g <= 60; g++) {
        genere();
        for (int x = 1; x <= 10; x++)
            for (int y = 95; y <= 180; y++) ASSERT_EQ(ncel[x][y], 0) << "generation " << g;
    }
    EXPECT_NE(vivantes(), planeur(645, 115));
}

// Three alive cells around a dead edge or corner cell give it a birth on the
// torus only.
TEST_F(Step, EdgeAndCornerNeighboursWrapOnlyOnTheTorus) {
    struct Cas {
        const char *nom;
        Cellules trois;
        std::pair<int, int> cible;
    } cas[] = {
        {"column 640 sees column 1", {{1, 99}, {1, 100}, {1, 101}}, {640, 100}},
        {"column 1 sees column 640", {{640, 99}, {640, 100}, {640, 101}}, {1, 100}},
        {"row 480 sees row 1", {{99, 1}, {100, 1}, {101, 1}}, {100, 480}},
        {"row 1 sees row 480", {{99, 480}, {100, 480}, {101, 480}}, {100, 1}},
        {"corners see each other", {{1, 1}, {640, 1}, {1, 480}}, {640, 480}},
        {"corner (1, 1)", {{640, 480}, {640, 1}, {1, 480}}, {1, 1}},
    };
    for (auto &c : cas)
        for (int t = 0; t <= 1; t++) {
            reset();
            tore = t;
            pose(c.trois, 1);
            genere();
            EXPECT_EQ(ncel[c.cible.first][c.cible.second], t) << c.nom << ", tore = " << t;
        }
}

TEST_F(Step, BirthWithNoNeighbourFillsAnEmptyWorldAtOnce) {
    genere();
    EXPECT_EQ(compte(0), LARGEUR * HAUTEUR);
    etat = 5;
    r_vie[0] = 1;
    genere();
    EXPECT_EQ(compte(4), LARGEUR * HAUTEUR);
}

TEST_F(Step, FreshCellsBecomeAliveAndDoNotCountAsNeighbours) {
    // Three fresh cells around (101, 100): Conway would give it a birth if they counted.
    pose({{100, 99}, {100, 100}, {100, 101}}, etat);
    ncel[300][300] = etat;  // alone: becomes alive whatever its neighbours
    genere();
    EXPECT_EQ(ncel[101][100], 0);
    EXPECT_EQ(ncel[300][300], 1);
    EXPECT_EQ(ncel[100][100], 1);
    EXPECT_EQ(compte(1), 4);
}

TEST_F(Step, DecayWithFourStatesCountsForNobody) {
    etat = 4;
    r_vie[3] = 1;
    // (10, 10) stops surviving (no neighbours) and decays; with the two alive
    // cells beside (11, 11) it would give (11, 11) a third neighbour.
    ncel[10][10] = 3;
    genere();
    EXPECT_EQ(ncel[10][10], 2);
    ncel[12][10] = ncel[12][12] = 3;
    genere();
    EXPECT_EQ(ncel[10][10], 1);
    EXPECT_EQ(ncel[11][11], 0) << "a decaying cell counted as alive";
    EXPECT_EQ(ncel[12][10], 2);
    genere();
    EXPECT_EQ(ncel[10][10], 0);
    genere();
    EXPECT_EQ(ncel[10][10], 0) << "dead cells stay at 0";
}

TEST_F(Step, LeftOverValuesCountDownToTheNewAliveValueThenFollowTheRule) {
    etat = 5;
    ncel[50][50] = 4;
    ncel[60][60] = 5;
    etat = 3;
    r_survie[0] = 1;  // an alive cell with no neighbours survives
    genere();
    EXPECT_EQ(ncel[50][50], 3);
    EXPECT_EQ(ncel[60][60], 4);
    genere(3);
    EXPECT_EQ(ncel[50][50], 2) << "stays at the alive value once it reaches it";
    EXPECT_EQ(ncel[60][60], 2);
    r_survie[0] = 0;
    genere(2);
    EXPECT_EQ(ncel[50][50], 0);
}

TEST_F(Step, BordersStayZeroAndSnapshotEqualsTheShownWorldBeforeTheStep) {
    r_vie[0] = 1;
    genere();
    photo();
    for (int x = 0; x <= LARGEUR; x++) EXPECT_EQ(ncel[x][0] | acel[x][0], 0);
    for (int y = 0; y <= HAUTEUR; y++) EXPECT_EQ(ncel[0][y] | acel[0][y], 0);
    EXPECT_EQ(acel[640][480], ncel[640][480]);
}

TEST_F(Step, HazardDrawsOneNumberPerCellAndSowsFreshCells) {
    etat = 5;
    acel[7][7] = 3;
    ncel[8][8] = 1;
    std::srand(20261207);
    hazard();
    const int apres = std::rand();
    std::srand(20261207);
    for (int i = 0; i < LARGEUR * HAUTEUR; i++) std::rand();
    EXPECT_EQ(std::rand(), apres) << "hazard must draw exactly 307200 numbers";
    EXPECT_EQ(compte(5) + compte(0), LARGEUR * HAUTEUR) << "fresh cells only";
    EXPECT_GT(compte(5), 26000);
    EXPECT_LT(compte(5), 29300);
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) ASSERT_EQ(acel[x][y], 0);
}

TEST_F(Step, ConwayPresetRestoresTheRuleAndTheStatesOnly) {
    reglehazard();
    etat = 7;
    tore = 0;
    ncel[5][5] = 6;
    initconway();
    for (int n = 0; n <= 8; n++) {
        EXPECT_EQ(r_survie[n], reference::conway_survie[n]);
        EXPECT_EQ(r_vie[n], reference::conway_vie[n]);
    }
    EXPECT_EQ(etat, 2);
    EXPECT_EQ(tore, 0);
    EXPECT_EQ(ncel[5][5], 6);
    EXPECT_EQ(couleur_etat[1], makecol(1, 127, 0)) << "palette rebuilt for 2 states";
}

}  // namespace
