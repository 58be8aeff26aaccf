// The headless port, which the tests link instead of a real one: a desktop they script
// (bureau), whose mode sets make memory bitmaps, and no signals but the POSIX ones.
#include <allegro.h>

#include "systeme/systeme.h"

Bureau bureau = {{{0, 0, 640, 480}}, 1, 320, 240, false, false, 0, false, false, {0, 0, 0, 0}, 0, 0};
static BITMAP *ecran;  // the mode set, or null

void prepare_systeme() {}
void ecoute_systeme() {}
void fenetre_initiale(int, int) {}
void quitte_bibliotheque() { allegro_exit(); }
BITMAP *surface() { return ecran; }

void ferme_ecran() {
    destroy_bitmap(ecran);
    ecran = nullptr;
    bureau.ecran = {0, 0, 0, 0};
}
bool video_commutee() { return bureau.video; }
bool ecran_garde_image() { return true; }
void ecriture(BITMAP *, bool) {}
void zone_ecrite(BITMAP *, int, int, int, int) {}
bool fenetres_perdues() { return false; }
void rapport_systeme() {}
bool ecran_cache() { return bureau.cache; }
int frequence_ecran() { return bureau.hz; }

int moniteurs(Zone *liste, int max) {
    int n = 0;
    for (; n < bureau.n && n < max; n++) liste[n] = bureau.moniteurs[n];
    return n;
}

bool pointeur_bureau(int *x, int *y) {
    *x = bureau.x, *y = bureau.y;
    return true;
}

bool zone_ecran(Zone *z) {
    *z = bureau.ecran;
    return ecran != nullptr;
}

// The library's pointer is the real one, in the screen's coordinates.
void accorde_pointeur(int x, int y) {
    if (x >= 0) bureau.x = bureau.ecran.x + x, bureau.y = bureau.ecran.y + y;
    mouse_x = bureau.x - bureau.ecran.x, mouse_y = bureau.y - bureau.ecran.y;
}

// The first monitor that holds (x, y), else the first.
static const Zone &sous(int x, int y) {
    for (int i = 0; i < bureau.n; i++) {
        const Zone &m = bureau.moniteurs[i];
        if (x >= m.x && y >= m.y && x < m.x + m.largeur && y < m.y + m.hauteur) return m;
    }
    return bureau.moniteurs[0];
}

// As a real mode set, a refused one leaves no mode. A window is centred on the monitor
// the last screen stood on, or the pointer's.
int pose_mode(int largeur, int hauteur, const Zone *plein) {
    bureau.poses++;
    const Zone avant = bureau.ecran;
    destroy_bitmap(ecran);
    ecran = nullptr;
    const int au_dela = bureau.refuse_au_dela;
    if ((plein && bureau.refuse_plein) || (au_dela && (largeur > au_dela || hauteur > au_dela))) return -1;
    ecran = create_bitmap_ex(get_color_depth(), largeur, hauteur);
    if (!ecran) return -1;
    bureau.plein = plein != nullptr;
    if (plein) {
        bureau.ecran = *plein;
    } else {
        const bool ailleurs = avant.largeur == 0;
        const Zone &m = sous(ailleurs ? bureau.x : avant.x + avant.largeur / 2,
                             ailleurs ? bureau.y : avant.y + avant.hauteur / 2);
        bureau.ecran = {m.x + (m.largeur - largeur) / 2, m.y + (m.hauteur - hauteur) / 2, largeur, hauteur};
    }
    return 0;
}
