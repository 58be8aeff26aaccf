// Grids, seeding and the Conway preset; the generation step is in step.cpp.
#include "world/world.h"

#include <cstdlib>
#include <cstring>

int ncel[LARGEUR + 1][HAUTEUR + 1];
int acel[LARGEUR + 1][HAUTEUR + 1];
int etat = 2;
int r_survie[9] = {0, 0, 1, 1, 0, 0, 0, 0, 0};
int r_vie[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
int tore = 1;

static void rien() {}
void (*etat_change)() = rien;

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
    etat_change();
}
