// The overlay as a user sees it: border, parameter panel, cursor.
#include <cstdio>
#include <string>

#include "headless.h"

namespace {

// The overlay over a world whose every cell shows its fresh colour, the
// pointer read by an input stage as the loop does.
void image_pleine() {
    entrees();
    plein();
    clear_bitmap(buffer);
    dessiner();
}

int pixel(int x, int y) { return getpixel(buffer, x, y); }

// Checks that text t stands with its top row at y, left edge x (or centred on
// x = 320 when centre), in colour c: inside its box, exactly the pixels that
// the library's own rendering lights are in c.
void texte(const std::string &t, int x, int y, int c, bool centre) {
    BITMAP *ref = create_bitmap(LARGEUR, HAUTEUR);
    clear_bitmap(ref);
    if (centre) x -= text_length(font, t.c_str()) / 2;
    textout_ex(ref, font, t.c_str(), x, y, c, -1);
    int allumes = 0;
    for (int j = y; j < y + text_height(font); j++)
        for (int i = x; i < x + text_length(font, t.c_str()); i++) {
            const bool attendu = getpixel(ref, i, j) == c;
            allumes += attendu;
            ASSERT_EQ(pixel(i, j) == c, attendu) << "\"" << t << "\" at (" << i << ", " << j << ")";
        }
    EXPECT_GT(allumes, 0);
    destroy_bitmap(ref);
}

using Border = Headless;

TEST_F(Border, BlueOnTheTorusRedWhenBoundedOnTheOutermostRingOnly) {
    mouse_x = 320;
    mouse_y = 240;
    for (int t = 1; t >= 0; t--) {
        tore = t;
        image_pleine();
        const int c = t ? bleu : rouge;
        for (int x = 0; x < LARGEUR; x++) {
            ASSERT_EQ(pixel(x, 0), c);
            ASSERT_EQ(pixel(x, 479), c);
            if (x == 0 || x == 639) continue;
            ASSERT_EQ(pixel(x, 1), couleur_etat[2] & 0xffff);
            ASSERT_EQ(pixel(x, 478), couleur_etat[2] & 0xffff);
        }
        for (int y = 0; y < HAUTEUR; y++) {
            ASSERT_EQ(pixel(0, y), c);
            ASSERT_EQ(pixel(639, y), c);
            if (y == 0 || y == 479) continue;
            ASSERT_EQ(pixel(1, y), couleur_etat[2] & 0xffff);
            ASSERT_EQ(pixel(638, y), couleur_etat[2] & 0xffff);
        }
    }
}

TEST_F(Border, WithThePanelHiddenOnlyTheBorderAndCursorCoverTheCells) {
    mouse_x = 100;
    mouse_y = 50;
    image_pleine();
    int couverts = 0;
    for (int y = 1; y < HAUTEUR - 1; y++)
        for (int x = 1; x < LARGEUR - 1; x++)
            if (pixel(x, y) != (couleur_etat[2] & 0xffff)) {
                couverts++;
                EXPECT_EQ(pixel(x, y), blanc);
                EXPECT_LE(abs(x - 100) + abs(y - 50), 4) << x << "," << y;
            }
    EXPECT_GE(couverts, 8) << "two circles of radius 1 and 2";
}

using Cursor = Headless;

TEST_F(Cursor, DrawnLastEvenAtTheScreensCornersAndOverThePanel) {
    gui = 1;
    const int coins[][2] = {{0, 0}, {639, 479}};
    for (auto &c : coins) {
        mouse_x = c[0];
        mouse_y = c[1];
        image_pleine();
    }
    EXPECT_EQ(pixel(637, 479), blanc) << "over the border";
    EXPECT_EQ(pixel(639, 477), blanc);
    mouse_x = 320;
    mouse_y = 105;
    image_pleine();
    EXPECT_EQ(pixel(322, 105), blanc) << "over the panel";
    EXPECT_EQ(pixel(319, 105), blanc);
    EXPECT_EQ(pixel(320, 105), 0) << "the centre stays free";
}

using Panel = Headless;

TEST_F(Panel, BlackWithAOnePixelBlueFrame) {
    gui = 1;
    mouse_x = 600;
    mouse_y = 20;
    image_pleine();
    for (int x = 10; x <= 630; x++) {
        ASSERT_EQ(pixel(x, 100), bleu);
        ASSERT_EQ(pixel(x, 320), bleu);
    }
    for (int y = 100; y <= 320; y++) {
        ASSERT_EQ(pixel(10, y), bleu);
        ASSERT_EQ(pixel(630, y), bleu);
    }
    EXPECT_EQ(pixel(9, 200), couleur_etat[2] & 0xffff);
    EXPECT_EQ(pixel(631, 200), couleur_etat[2] & 0xffff);
    EXPECT_EQ(pixel(320, 99), couleur_etat[2] & 0xffff);
    EXPECT_EQ(pixel(320, 321), couleur_etat[2] & 0xffff);
    EXPECT_EQ(pixel(11, 101), 0);
    EXPECT_EQ(pixel(629, 319), 0);
    EXPECT_EQ(pixel(320, 170), 0) << "between the rule rows and the help";
}

TEST_F(Panel, EveryTextAtItsPlaceInItsColour) {
    gui = 1;
    vie = 1;
    delta = 120;
    etat = 16;
    r_vie[7] = 1;
    mouse_x = 600;
    mouse_y = 20;
    image_pleine();
    ASSERT_EQ(nombre, LARGEUR * HAUTEUR);
    texte("NB VORPLANE: 307200", 20, 130, couleur, false);
    texte("Vie : EN COURS  NB ETATS:16", 320, 111, couleur, true);
    texte("DUREE: 120 ms", 520, 130, couleur, false);
    texte(">> Contactez-moi :  contact@example.org <<", 320, 280, bleu, true);
    texte("Vorplane V1.1", 320, 300, bleu, true);
    texte("Autour = 0 1 2 3 4 5 6 7 8", 320, 130, couleur, true);
    texte("SURVIE = 0 0 1 1 0 0 0 0 0", 320, 140, couleur, true);
    texte("VIE    = 0 0 0 1 0 0 0 1 0", 320, 150, couleur, true);
    const char *aide[] = {
        "(0-8)=SURVIE    SHIFT(0-8)=VIE      ENTREE=D+1       ESC=QUITTER",
        "T=MONDE TORE(O/N)       E=NB ETATS        ESPACE=PARAMETRES(O/N)",
        "F1=RAZ       F3=Conway      F5=VIVRE     F7=PLEIN    <- = + VITE",
        "F2=HAZ       F4=Rgl.Haz     F6=PAUSE     F8=INV.     -> = - VITE",
    };
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(std::string(aide[i]).size(), 64u);
        texte(aide[i], 320, 190 + 20 * i, couleur, true);
    }
}

// Columns of rows [y, y + 8) that differ between two pictures.
std::pair<int, int> colonnes_changees(BITMAP *a, BITMAP *b, int y) {
    int premiere = LARGEUR, derniere = -1;
    for (int j = y; j < y + 8; j++)
        for (int i = 0; i < LARGEUR; i++)
            if (getpixel(a, i, j) != getpixel(b, i, j)) {
                premiere = std::min(premiere, i);
                derniere = std::max(derniere, i);
            }
    return {premiere, derniere};
}

TEST_F(Panel, BirthDigitStandsUnderItsNeighbourCount) {
    gui = 1;
    image_pleine();
    BITMAP *avant = create_bitmap(LARGEUR, HAUTEUR);
    blit(buffer, avant, 0, 0, 0, 0, LARGEUR, HAUTEUR);
    bascule_vie(3);
    image_pleine();
    const auto [premiere, derniere] = colonnes_changees(avant, buffer, 150);
    const int debut = 320 - text_length(font, "Autour = 0 1 2 3 4 5 6 7 8") / 2;
    const int trois = debut + text_length(font, "Autour = 0 1 2 ");
    EXPECT_GE(premiere, trois) << "the changed digit starts under the 3";
    EXPECT_LT(derniere, trois + text_length(font, "3"));
    EXPECT_LE(premiere, derniere);
    EXPECT_EQ(colonnes_changees(avant, buffer, 140).second, -1) << "the survival row does not move";
    destroy_bitmap(avant);
}

TEST_F(Panel, StatusLineTurnsRedWhilePausedAndKeepsTheStateCountInPlace) {
    gui = 1;
    vie = 1;
    mouse_x = 600;
    mouse_y = 20;
    image_pleine();
    texte("Vie : EN COURS  NB ETATS:2", 320, 111, couleur, true);
    BITMAP *avant = create_bitmap(LARGEUR, HAUTEUR);
    blit(buffer, avant, 0, 0, 0, 0, LARGEUR, HAUTEUR);
    vie = 0;
    image_pleine();
    texte("Vie : PAUSE     NB ETATS:2", 320, 111, rouge, true);
    // Past "Vie : EN COURS  " the two lines light the same pixels of the panel.
    const int debut = 320 - text_length(font, "Vie : PAUSE     NB ETATS:2") / 2;
    const int nb = debut + text_length(font, "Vie : PAUSE     ");
    for (int j = 111; j < 119; j++)
        for (int i = nb; i < 630; i++)
            ASSERT_EQ(getpixel(avant, i, j) == couleur, pixel(i, j) == rouge) << i << "," << j;
    destroy_bitmap(avant);
}

}  // namespace
