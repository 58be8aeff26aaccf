// The fast generation step and cell layer against the plain reference of
// reference.h, on seeded random worlds, with the AVX2 kernels (when the CPU
// has them) and the portable ones.
#include <cstring>
#include <random>
#include <vector>

#include "headless.h"
#include "reference.h"

namespace {

using Grille = int[LARGEUR + 1][HAUTEUR + 1];

Grille depart, attendu_n, attendu_a;

struct Noyaux : Headless {
    const GardeSimd garde;
    BITMAP *tampon = buffer;
    int palette[17];
    void SetUp() override {
        Headless::SetUp();
        std::memcpy(palette, couleur_etat, sizeof palette);
    }
    void TearDown() override {
        buffer = tampon;
        std::memcpy(couleur_etat, palette, sizeof palette);
    }
};

// A random rule and topology, and a playfield with values 0..16 (left-over
// values above etat included) at a random density; the border stays 0.
void monde_au_hasard(std::mt19937 &g) {
    etat = std::uniform_int_distribution<>(2, 16)(g);
    tore = g() & 1;
    const int biais = std::uniform_int_distribution<>(1, 3)(g);  // 1: sparse tables .. 3: dense
    for (int n = 0; n <= 8; n++) {
        r_survie[n] = static_cast<int>(g() % 4) < biais;
        r_vie[n] = static_cast<int>(g() % 4) < biais;
    }
    const double densite[] = {0.02, 0.09, 0.3, 0.6, 1.0};
    std::bernoulli_distribution occupe(densite[g() % 5]);
    std::uniform_int_distribution<> valeur(1, 16);
    const int mode = g() % 3;  // 0: any value, 1: alive only, 2: alive and fresh
    std::memset(ncel, 0, sizeof ncel);
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++)
            if (occupe(g)) ncel[x][y] = mode == 0 ? valeur(g) : mode == 1 || g() & 1 ? etat - 1 : etat;
}

// Any playfield values in acel: the step must not depend on what it held.
void griffonne_acel() {
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) acel[x][y] = (x * 7 + y * 3) % 17;
}

int differences(const Grille &a, const Grille &b, const char *quoi, int generation) {
    if (std::memcmp(a, b, sizeof(Grille)) == 0) return 0;
    int n = 0;
    for (int x = 0; x <= LARGEUR; x++)
        for (int y = 0; y <= HAUTEUR; y++)
            if (a[x][y] != b[x][y] && n++ < 3)
                ADD_FAILURE() << quoi << " differs at (" << x << ", " << y << ") after generation "
                              << generation << ": " << a[x][y] << " instead of " << b[x][y];
    return n;
}

TEST_F(Noyaux, StepMatchesThePlainRuleOnRandomWorlds) {
    std::mt19937 g(20261207);
    for (int cas = 0; cas < 16; cas++) {
        monde_au_hasard(g);
        if (cas < 2) {  // Conway, bounded then on the torus
            initconway();
            tore = cas;
        }
        SCOPED_TRACE(::testing::Message() << "case " << cas << ": etat " << etat << ", tore " << tore
                                          << ", r_vie[0] " << r_vie[0]);
        griffonne_acel();
        for (int gen = 1; gen <= 3; gen++) {
            std::memcpy(depart, ncel, sizeof depart);
            reference::generation();
            std::memcpy(attendu_n, ncel, sizeof attendu_n);
            std::memcpy(attendu_a, acel, sizeof attendu_a);
            for (int k : noyaux()) {
                simd = k;
                std::memcpy(ncel, depart, sizeof ncel);
                griffonne_acel();
                photo();
                vivre();
                ASSERT_EQ(differences(ncel, attendu_n, k ? "ncel (AVX2)" : "ncel (portable)", gen), 0);
                ASSERT_EQ(differences(acel, attendu_a, k ? "acel (AVX2)" : "acel (portable)", gen), 0);
            }
        }
    }
}

// Pixels of b outside the 640 x 480 window at (x0, y0) that are not c.
int hors_fenetre(BITMAP *b, int x0, int y0, int c) {
    int n = 0;
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            n += (x < x0 || x >= x0 + LARGEUR || y < y0 || y >= y0 + HAUTEUR) && getpixel(b, x, y) != c;
    return n;
}

// The reference draws on a cleared bitmap; afficher gets a scribbled one. Odd
// cases draw into a window of a wider bitmap, whose rows are not contiguous,
// and the pixels around the window must stay as they were.
TEST_F(Noyaux, CellLayerMatchesPutpixelOnRandomWorldsAndPalettes) {
    std::mt19937 g(7);
    BITMAP *attendu = create_bitmap(LARGEUR, HAUTEUR), *grand = create_bitmap(LARGEUR + 40, HAUTEUR + 8);
    ASSERT_TRUE(attendu && grand);
    BITMAP *fenetre = create_sub_bitmap(grand, 24, 5, LARGEUR, HAUTEUR);
    ASSERT_NE(fenetre, nullptr);
    for (int cas = 0; cas < 12; cas++) {
        monde_au_hasard(g);
        for (int v = 0; v <= 16; v++) couleur_etat[v] = static_cast<int>(g());  // negative ones included
        const int compte = reference::cellules(attendu);
        for (int k : noyaux()) {
            simd = k;
            const int fond = static_cast<int>(g() & 0xffff);
            buffer = cas % 2 ? fenetre : tampon;
            clear_to_color(cas % 2 ? grand : buffer, fond);
            afficher();
            EXPECT_EQ(nombre, compte) << "case " << cas << ", simd " << k;
            for (int y = 0; y < HAUTEUR; y++)
                ASSERT_EQ(std::memcmp(buffer->line[y], attendu->line[y], LARGEUR * sizeof(uint16_t)), 0)
                    << "row " << y << ", case " << cas << ", simd " << k;
            if (cas % 2) {
                EXPECT_EQ(hors_fenetre(grand, 24, 5, fond), 0) << "case " << cas << ", simd " << k;
            }
            buffer = tampon;
        }
    }
    destroy_bitmap(fenetre);
    destroy_bitmap(grand);
    destroy_bitmap(attendu);
}

}  // namespace
