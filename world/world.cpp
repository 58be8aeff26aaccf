// Grids, seeding and the generation step.
#include "world/world.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/display.h"

int ncel[LARGEUR + 1][HAUTEUR + 1];
int acel[LARGEUR + 1][HAUTEUR + 1];
int etat = 2;
int r_survie[9] = {0, 0, 1, 1, 0, 0, 0, 0, 0};
int r_vie[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
int tore = 1;

void reset() {
    std::memset(ncel, 0, sizeof ncel);
    std::memset(acel, 0, sizeof acel);
}

void hazard() {
    reset();
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++)
            if (std::rand() % 100 > 90) ncel[x][y] = etat;
}

void initconway() {
    static const int survie[9] = {0, 0, 1, 1, 0, 0, 0, 0, 0};
    static const int naissance[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
    std::memcpy(r_survie, survie, sizeof r_survie);
    std::memcpy(r_vie, naissance, sizeof r_vie);
    etat = 2;
    fabrique_couleur();
}

// The border row and column hold 0 in both grids, so copying them is harmless.
void photo() { std::memcpy(acel, ncel, sizeof acel); }

// Alive mask of acel with a one-cell halo on every side: the halo holds the
// opposite edge on the torus and 0 in the bounded world, so the neighbour sum
// needs no edge test.
static uint8_t vivant[LARGEUR + 2][HAUTEUR + 2];

// suivant[s][n]: the new value of a cell whose snapshot value is s and which
// has n alive neighbours, compiled from the rule tables at every step.
static int suivant[17][9];

static void compile_regle() {
    const int a = etat - 1;
    for (int s = 0; s <= 16; s++)
        for (int n = 0; n <= 8; n++) {
            int v = (s == a && r_survie[n]) ? s : s - 1;
            if (s == 0 && r_vie[n]) v = a;
            suivant[s][n] = v < 0 ? 0 : v;
        }
}

static void masque_vivant() {
    const int a = etat - 1;
    for (int x = 1; x <= LARGEUR; x++) {
        for (int y = 1; y <= HAUTEUR; y++) vivant[x][y] = acel[x][y] == a;
        vivant[x][0] = tore ? vivant[x][HAUTEUR] : 0;
        vivant[x][HAUTEUR + 1] = tore ? vivant[x][1] : 0;
    }
    if (tore) {
        std::memcpy(vivant[0], vivant[LARGEUR], sizeof vivant[0]);
        std::memcpy(vivant[LARGEUR + 1], vivant[1], sizeof vivant[0]);
    } else {
        std::memset(vivant[0], 0, sizeof vivant[0]);
        std::memset(vivant[LARGEUR + 1], 0, sizeof vivant[0]);
    }
}

void vivre() {
    compile_regle();
    masque_vivant();
    for (int x = 1; x <= LARGEUR; x++) {
        const uint8_t *g = vivant[x - 1], *c = vivant[x], *d = vivant[x + 1];
        for (int y = 1; y <= HAUTEUR; y++) {
            const int n = g[y - 1] + g[y] + g[y + 1] + c[y - 1] + c[y + 1] + d[y - 1] + d[y] + d[y + 1];
            ncel[x][y] = suivant[acel[x][y]][n];
        }
    }
}
