// Named colours and the state palette.
#include "display/display.h"
#include "world/world.h"

BITMAP *buffer;
int couleur, noir, rouge, blanc, bleu;
int couleur_etat[17];
int nombre;

void couleurs_nommees() {
    couleur = makecol(0, 255, 0);
    noir = makecol(0, 0, 0);
    rouge = makecol(255, 0, 0);
    blanc = makecol(255, 255, 255);
    bleu = makecol(0, 0, 255);
}

// Red falls twice as fast as green rises and goes below 0 past etat/2: it is
// handed to makecol as it is, which gives the program its colours.
void fabrique_couleur() {
    const int k = 255 / etat;
    couleur_etat[0] = noir;
    for (int t = 1; t <= etat; t++) couleur_etat[t] = makecol(255 - 2 * k * t, k * t, 0);
}
