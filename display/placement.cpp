// Where the picture stands on the screen: the placement (zoom and corner), the largest
// zoom a screen or a window takes, the monitor chosen for a point of the desktop, and
// the mappings between screen and picture pixels, the pointer's included.
#include "display/ecran.h"
#include "world/world.h"

Placement place = {1, 0, 0};

int zoom_max(int largeur, int hauteur, bool plein) {
    if (!plein) largeur = largeur * 9 / 10, hauteur = hauteur * 9 / 10;
    int z = largeur / LARGEUR < hauteur / HAUTEUR ? largeur / LARGEUR : hauteur / HAUTEUR;
    return z < 1 ? 1 : z > ZOOM_MAX ? ZOOM_MAX : z;
}

static int distance(const Zone &m, int x, int y) {
    const int dx = x < m.x ? m.x - x : x >= m.x + m.largeur ? x - (m.x + m.largeur - 1) : 0;
    const int dy = y < m.y ? m.y - y : y >= m.y + m.hauteur ? y - (m.y + m.hauteur - 1) : 0;
    return dx + dy;
}

// Monitor a is nearer (x, y) than b, or as near and smaller: of overlapping monitors
// (one laid over another, mirrored outputs) the one that is a monitor of its own.
static bool prefere(const Zone &a, const Zone &b, int x, int y) {
    const int da = distance(a, x, y), db = distance(b, x, y);
    return da < db || (da == db && static_cast<long long>(a.largeur) * a.hauteur <
                                       static_cast<long long>(b.largeur) * b.hauteur);
}

int moniteur_de(const Zone *liste, int n, int x, int y) {
    int meilleur = -1;
    for (int i = 0; i < n; i++)
        if (meilleur < 0 || prefere(liste[i], liste[meilleur], x, y)) meilleur = i;
    return meilleur;
}

// Rounds down, also left of and above the picture.
static int en_bas(int a, int z) { return a >= 0 ? a / z : -((z - 1 - a) / z); }

void vers_image(int sx, int sy, int *x, int *y) {
    *x = en_bas(sx - place.gauche, place.zoom);
    *y = en_bas(sy - place.haut, place.zoom);
}

bool sous_pointeur(int *x, int *y) {
    if (!mouse_on_screen()) return false;
    vers_image(mouse_x, mouse_y, x, y);
    return *x >= 0 && *y >= 0 && *x < LARGEUR && *y < HAUTEUR;
}

// The middle of the pixel's block.
void accorde(bool pointe, int x, int y) {
    if (pointe)
        accorde_pointeur(place.gauche + x * place.zoom + place.zoom / 2, place.haut + y * place.zoom + place.zoom / 2);
    else
        accorde_pointeur(-1, -1);
}
