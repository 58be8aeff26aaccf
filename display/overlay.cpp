// What is drawn over the cells: border, parameter panel, cursor.
#include "display/display.h"
#include "world/world.h"

static const int CENTRE = 320;

static const char *const aide[4] = {
    "(0-8)=SURVIE    SHIFT(0-8)=VIE      ENTREE=D+1       ESC=QUITTER",
    "T=MONDE TORE(O/N)       E=NB ETATS        ESPACE=PARAMETRES(O/N)",
    "F1=RAZ       F3=Conway      F5=VIVRE     F7=PLEIN    <- = + VITE",
    "F2=HAZ       F4=Rgl.Haz     F6=PAUSE     F8=INV.     -> = - VITE",
};

// Blue frame on the torus, red in the bounded world, over the outermost ring.
static void cadre() { rect(buffer, 0, 0, LARGEUR - 1, HAUTEUR - 1, tore ? bleu : rouge); }

// The two status formats have the same length, so "NB ETATS" stays in place.
static void panneau(int vie, int delta) {
    rectfill(buffer, 10, 100, 630, 320, bleu);
    rectfill(buffer, 11, 101, 629, 319, noir);
    textprintf_ex(buffer, font, 20, 130, couleur, -1, "NB VORPLANE: %i", nombre);
    if (vie)
        textprintf_centre_ex(buffer, font, CENTRE, 111, couleur, -1, "Vie : EN COURS  NB ETATS:%i", etat);
    else
        textprintf_centre_ex(buffer, font, CENTRE, 111, rouge, -1, "Vie : PAUSE     NB ETATS:%i", etat);
    textprintf_ex(buffer, font, 520, 130, couleur, -1, "DUREE: %i ms", delta);
    textout_centre_ex(buffer, font, ">> Contactez-moi :  contact@example.org <<", CENTRE, 280, bleu, -1);
    textout_centre_ex(buffer, font, "Vorplane V" VORPLANE_VERSION, CENTRE, 300, bleu, -1);
    textout_centre_ex(buffer, font, "Autour = 0 1 2 3 4 5 6 7 8", CENTRE, 130, couleur, -1);
    const int *s = r_survie, *v = r_vie;
    textprintf_centre_ex(buffer, font, CENTRE, 140, couleur, -1, "SURVIE = %i %i %i %i %i %i %i %i %i",
                         s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[8]);
    textprintf_centre_ex(buffer, font, CENTRE, 150, couleur, -1, "VIE    = %i %i %i %i %i %i %i %i %i",
                         v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    for (int i = 0; i < 4; i++) textout_centre_ex(buffer, font, aide[i], CENTRE, 190 + 20 * i, couleur, -1);
}

// (x, y) is where the input stage read the pointer: the frame is drawn or skipped
// on what it saw, so the cursor must stand there too.
static void curseur(int x, int y) {
    circle(buffer, x, y, 1, blanc);
    circle(buffer, x, y, 2, blanc);
}

void surcouche(int vie, int delta, bool montre_panneau, int x, int y) {
    cadre();
    if (montre_panneau) panneau(vie, delta);
    curseur(x, y);
}
