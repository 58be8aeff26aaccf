// The plain, obviously-correct generation step and cell layer, kept as the
// yardstick for the fast ones: the differential test compares against them and
// the benchmark measures them as its baseline.
#pragma once

#include <allegro.h>

#include "display/display.h"
#include "world/world.h"

namespace reference {

// 1 when the neighbour (x, y) of a playfield cell, possibly one step outside,
// is alive in acel: wrapped on the torus, dead outside the bounded world.
inline int vivant(int x, int y) {
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
                    if (dx || dy) somme += vivant(x + dx, y + dy);
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
