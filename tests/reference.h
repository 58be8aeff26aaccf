// What the tests, the long run and the benchmark share, without GoogleTest: the
// Conway tables, worlds to start from, cell counts, and the plain, obviously-correct
// generation step and cell layer kept as the yardstick for the fast ones: the
// differential tests compare against them and the benchmark measures them as its baseline.
#pragma once

#include <cstdlib>

#include <allegro.h>

#include "display/display.h"
#include "world/world.h"

namespace reference {

const int conway_survie[9] = {0, 0, 1, 1, 0, 0, 0, 0, 0};
const int conway_vie[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};

// A blinker lying at (10..12, 10) under Conway's rule: it stands after an odd
// number of generations, so its phase tells them.
inline void clignotant() { ncel[10][10] = ncel[11][10] = ncel[12][10] = 1; }
inline bool debout() { return ncel[11][9] == 1 && ncel[10][10] == 0; }

// The start-up soup of the generator seeded with graine.
inline void soupe(unsigned graine) {
    std::srand(graine);
    hazard();
}

// Number of playfield cells of ncel equal to v; of non-dead ones.
inline int compte(int v) {
    int n = 0;
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) n += ncel[x][y] == v;
    return n;
}
inline int non_mortes() { return LARGEUR * HAUTEUR - compte(0); }

// 1 when the neighbour (x, y) of a playfield cell, possibly one step outside,
// is alive in acel: wrapped on the torus, dead outside the bounded world.
inline int voisin_vivant(int x, int y) {
    if (tore) {
        x = (x + LARGEUR - 1) % LARGEUR + 1;
        y = (y + HAUTEUR - 1) % HAUTEUR + 1;
    } else if (x < 1 || x > LARGEUR || y < 1 || y > HAUTEUR) {
        return 0;
    }
    return acel[x][y] == etat - 1;
}

// photo then vivre, cell by cell as the rule reads.
inline void generation() {
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) acel[x][y] = ncel[x][y];
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) {
            int somme = 0;
            for (int dx = -1; dx <= 1; dx++)
                for (int dy = -1; dy <= 1; dy++)
                    if (dx || dy) somme += voisin_vivant(x + dx, y + dy);
            const int s = acel[x][y];
            if (!(r_survie[somme] == 1 && s == etat - 1)) ncel[x][y]--;
            if (r_vie[somme] == 1 && s == 0) ncel[x][y] = etat - 1;
            if (ncel[x][y] < 0) ncel[x][y] = 0;
        }
}

// Clears b, then one putpixel per non-dead cell of ncel; returns their number.
inline int cellules(BITMAP *b) {
    clear_bitmap(b);
    int n = 0;
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++)
            if (ncel[x][y] > 0) {
                putpixel(b, x - 1, y - 1, couleur_etat[ncel[x][y]]);
                n++;
            }
    return n;
}

}  // namespace reference
