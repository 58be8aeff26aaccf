// Commands that reshape the world and its rule while it runs.
#include <cstdlib>

#include "world/world.h"

void plein() {
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) ncel[x][y] = acel[x][y] = etat;
}

void inverse() {
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) {
            ncel[x][y] = ncel[x][y] == 0;
            acel[x][y] = acel[x][y] == 0;
        }
}

// Draws survival, birth, then a state count for each t; the last count stands.
void reglehazard() {
    for (int t = 0; t <= 8; t++) {
        r_survie[t] = std::rand() % 2;
        r_vie[t] = std::rand() % 2;
        etat = std::rand() % 9 + 2;
    }
    etat_change();
}

void cycle_etats() {
    etat = etat == 16 ? 2 : etat + 1;
    etat_change();
}

void bascule_survie(int n) { r_survie[n] = !r_survie[n]; }
void bascule_vie(int n) { r_vie[n] = !r_vie[n]; }
void bascule_tore() { tore = !tore; }

void peindre(int x, int y) { ncel[x][y] = etat - 1; }
void gommer(int x, int y) { ncel[x][y] = 0; }
