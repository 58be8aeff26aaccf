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

// Red falls twice as fast as green rises and goes below 0 past etat/2, where it
// wraps round modulo 256: the colours the program has always shown, which an X11
// 16-bit layout, red on top, makes of the negative value. Handed to makecol as it
// is, a negative red would flood green and blue under a layout with red below them.
void fabrique_couleur() {
    const int k = 255 / etat;
    couleur_etat[0] = noir;
    for (int t = 1; t <= etat; t++) couleur_etat[t] = makecol((255 - 2 * k * t) & 0xff, k * t, 0);
}

enum { NOMMEES = 5, TEINTES = NOMMEES + 17 };
static int *const nommees[NOMMEES] = {&couleur, &noir, &rouge, &blanc, &bleu};
static int gardees[TEINTES][3];

static int &teinte(int i) { return i < NOMMEES ? *nommees[i] : couleur_etat[i - NOMMEES]; }

void garde_couleurs() {
    for (int i = 0; i < TEINTES; i++) {
        const int c = teinte(i);
        gardees[i][0] = getr(c), gardees[i][1] = getg(c), gardees[i][2] = getb(c);
    }
}

void refait_couleurs() {
    if (makecol(255, 0, 0) == rouge && makecol(0, 255, 0) == couleur && makecol(0, 0, 255) == bleu) return;
    for (int i = 0; i < TEINTES; i++) teinte(i) = makecol(gardees[i][0], gardees[i][1], gardees[i][2]);
}
