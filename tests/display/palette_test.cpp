// The state palette and the cell layer.
#include <cstdlib>

#include "headless.h"

namespace {

using Palette = Headless;

struct Composantes {
    int t, r, g;
};

// Red below 0 wraps round modulo 256.
void verifie(int e, std::initializer_list<Composantes> attendu) {
    etat = e;
    fabrique_couleur();
    EXPECT_EQ(couleur_etat[0], noir);
    for (auto &c : attendu)
        EXPECT_EQ(couleur_etat[c.t], makecol(c.r & 0xff, c.g, 0)) << "etat " << e << ", entry " << c.t;
}

TEST_F(Palette, EntriesForTheTabulatedStateCounts) {
    verifie(2, {{1, 1, 127}, {2, -253, 254}});
    verifie(3, {{1, 85, 85}, {2, -85, 170}, {3, -255, 255}});
    verifie(4, {{1, 129, 63}, {2, 3, 126}, {3, -123, 189}, {4, -249, 252}});
    verifie(10, {{1, 205, 25}, {5, 5, 125}, {9, -195, 225}, {10, -245, 250}});
    verifie(16, {{1, 225, 15}, {8, 15, 120}, {9, -15, 135}, {15, -195, 225}, {16, -225, 240}});
}

// Before any mode is set the library's 16-bit layout is its default, red below green
// and blue: every entry must still have the colour it has under an X11 layout, red on
// top, which makes a negative red wrap round.
TEST_F(Palette, TheColoursOfTheXElevenLayoutWhateverTheLayout) {
    const GardeDispositions garde;
    int x11[17][17][3];  // [etat][entry]: red, green, blue under the X11 layout
    const int dispositions[][3] = {{11, 5, 0}, {0, 5, 11}};
    for (auto &d : dispositions) {
        _rgb_r_shift_16 = d[0], _rgb_g_shift_16 = d[1], _rgb_b_shift_16 = d[2];
        couleurs_nommees();
        for (etat = 2; etat <= 16; etat++) {
            fabrique_couleur();
            for (int t = 1; t <= etat; t++) {
                const int c = couleur_etat[t], rgb[3] = {getr(c), getg(c), getb(c)};
                for (int i = 0; i < 3; i++) {
                    if (d[0] == 11) x11[etat][t][i] = rgb[i];
                    ASSERT_EQ(rgb[i], x11[etat][t][i]) << "red at bit " << d[0] << ", etat " << etat << ", entry " << t;
                }
            }
        }
    }
}

TEST_F(Palette, EntriesAboveTheStateCountKeepTheirEarlierColours) {
    etat = 16;
    fabrique_couleur();
    int avant[17];
    std::copy(couleur_etat, couleur_etat + 17, avant);
    cycle_etats();
    ASSERT_EQ(etat, 2);
    EXPECT_EQ(couleur_etat[1], makecol(1, 127, 0));
    EXPECT_EQ(couleur_etat[2], makecol(-253 & 0xff, 254, 0));
    for (int t = 3; t <= 16; t++) EXPECT_EQ(couleur_etat[t], avant[t]) << "entry " << t;
}

// A new mode may lay out 16-bit pixels otherwise (red in the high bits, or blue):
// every colour, left-over palette entries included, must keep its red, green and blue.
TEST_F(Palette, ColoursFollowANewPixelLayout) {
    const GardeDispositions garde;
    const int r0 = _rgb_r_shift_16, b0 = _rgb_b_shift_16;
    const int meme = couleur_etat[1];
    garde_couleurs();
    refait_couleurs();
    EXPECT_EQ(couleur_etat[1], meme) << "the same layout changes nothing";

    _rgb_r_shift_16 = b0, _rgb_b_shift_16 = r0;  // the old mode: red and blue swapped
    couleurs_nommees();
    etat = 16;
    fabrique_couleur();
    cycle_etats();  // entries 3..16 stay as the 16-state rebuild made them
    int rgb[17][3];
    for (int t = 0; t <= 16; t++) {
        const int c = couleur_etat[t];
        rgb[t][0] = getr(c), rgb[t][1] = getg(c), rgb[t][2] = getb(c);
    }
    garde_couleurs();
    _rgb_r_shift_16 = r0, _rgb_b_shift_16 = b0;  // the new mode
    refait_couleurs();
    EXPECT_EQ(couleur, makecol(0, 255, 0));
    EXPECT_EQ(noir, makecol(0, 0, 0));
    EXPECT_EQ(rouge, makecol(255, 0, 0));
    EXPECT_EQ(blanc, makecol(255, 255, 255));
    EXPECT_EQ(bleu, makecol(0, 0, 255));
    for (int t = 0; t <= 16; t++)
        EXPECT_EQ(couleur_etat[t], makecol(rgb[t][0], rgb[t][1], rgb[t][2])) << "entry " << t;
}

using CellLayer = Headless;

TEST_F(CellLayer, CellXYIsDrawnAtPixelXMinusOneYMinusOne) {
    etat = 16;
    fabrique_couleur();
    struct {
        int x, y, v;
    } cas[] = {{1, 1, 15}, {640, 1, 3}, {1, 480, 16}, {640, 480, 1}, {321, 17, 8}};
    for (auto &c : cas) ncel[c.x][c.y] = c.v;
    afficher();
    EXPECT_EQ(nombre, 5);
    for (auto &c : cas) EXPECT_EQ(getpixel(buffer, c.x - 1, c.y - 1), couleur_etat[c.v] & 0xffff) << c.x << "," << c.y;
    int noirs = 0;
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++) noirs += getpixel(buffer, x, y) == 0;
    EXPECT_EQ(noirs, LARGEUR * HAUTEUR - 5);
}

TEST_F(CellLayer, CountsEveryNonDeadCell) {
    afficher();
    EXPECT_EQ(nombre, 0);
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++) ASSERT_EQ(getpixel(buffer, x, y), 0);
    plein();
    afficher();
    EXPECT_EQ(nombre, LARGEUR * HAUTEUR);
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++) ASSERT_EQ(getpixel(buffer, x, y), couleur_etat[2] & 0xffff);
}

// The same picture as one putpixel per non-dead cell, for every cell value.
TEST_F(CellLayer, MatchesPutpixelForEveryValue) {
    etat = 16;
    fabrique_couleur();
    std::srand(7);
    int vivants = 0;
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) {
            ncel[x][y] = std::rand() % 3 ? 0 : std::rand() % 17;
            vivants += ncel[x][y] > 0;
        }
    BITMAP *attendu = create_bitmap(LARGEUR, HAUTEUR);
    EXPECT_EQ(reference::cellules(attendu), vivants);
    afficher();
    EXPECT_EQ(nombre, vivants);
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++) ASSERT_EQ(getpixel(buffer, x, y), getpixel(attendu, x, y)) << x << "," << y;
    destroy_bitmap(attendu);
}

}  // namespace
