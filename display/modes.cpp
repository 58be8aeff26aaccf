// The screen's modes and monitors: full screen or a window, on which monitor and at
// which zoom, F11 and F10, and the watch that follows a window hidden and shown again
// and monitors that change. A mode that cannot be had gives way to the one before,
// then to any window; without one the program cannot go on (echec).
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "display/ecran.h"
#include "world/world.h"

static const char SANS_MODE[] = "cannot set a 640x480 16-bit mode, full screen or windowed";
static bool veut_plein;             // the mode asked for is full screen (at start, and F11): a
                                    // window stands in while a monitor cannot take it
static bool ecran_plein;            // the mode now set is full screen, not a window
static int plus_grand = 1;          // the largest zoom the current mode can show
static int choix_fenetre, choix_plein;  // the zoom chosen with F10 for each mode; 0: the largest
static bool cache;                  // the window is hidden: nothing is drawn or presented
static long long prochain_regard;   // when surveille_ecran looks again, in µs
static int regards;                 // how many times it looked
static long long periode = 1000000 / 60;  // the monitor's refresh period, in µs

// The screen's depth. A 32-bit desktop's own, where the program's presentation writes
// the very pixels shown and nothing converts them again; 15 bits on a 15-bit desktop,
// where the library would write 16-bit pixels as they are into 15-bit ones; 16 bits on
// other desktops, whose pixels the library converts itself, and for a video mode of its
// own, 640x480 at 16 bits.
static int profondeur(bool video) {
    const int d = desktop_color_depth();
    return !video && (d == 32 || d == 15) ? d : 16;
}

// One mode set. Each forgets the switch callbacks, and DirectDraw's full screen
// loses its picture when the user switches away: hence the callback, after each.
// The colour depth in force stays 16, that of the buffer and of every colour made.
// The monitor's refresh rate is read anew, 60 Hz where unknown.
static int essaie(const Zone *plein, int largeur, int hauteur, int z) {
    set_color_depth(profondeur(plein && video_commutee()));
    const int r = pose_mode(largeur, hauteur, plein);
    set_color_depth(16);
    if (r != 0) return -1;
    remove_display_switch_callback(retour_ecran);  // where the mode set kept it, it is there once
    set_display_switch_callback(SWITCH_IN, retour_ecran);
    BITMAP *ecran = surface();
    clear_bitmap(ecran);
    place_image(ecran->w, ecran->h, z, bitmap_color_depth(ecran));
    const int hz = frequence_ecran();
    periode = 1000000 / (hz > 0 ? hz : 60);
    return 0;
}

// The zoom chosen with F10 where it still fits, else the largest that does.
static int choisi(int choix, int tient) { return choix > 0 && choix <= tient ? choix : tient; }

enum { MONITEURS = 16 };
static Zone connus[MONITEURS];  // the monitors as last seen
static int n_connus;

// The monitor that holds the pointer, or the one the screen stands on (the middle of
// its window, or of full screen) where a mode is set; false if none is known.
static bool moniteur(bool du_pointeur, Zone *m) {
    n_connus = moniteurs(connus, MONITEURS);
    Zone e;
    int x = 0, y = 0;
    if (!du_pointeur && surface() && zone_ecran(&e))
        x = e.x + e.largeur / 2, y = e.y + e.hauteur / 2;
    else
        pointeur_bureau(&x, &y);
    const int i = moniteur_de(connus, n_connus, x, y);
    if (i < 0) return false;
    *m = connus[i];
    return true;
}

// The largest side of a full screen: the library's frame for a larger one overflows.
enum { COTE_MAX = 16384 };

// Full screen: where it is a video mode of its own, 640x480 and nothing else. Else the
// monitor that holds the pointer, at its own size, the picture at the largest zoom that
// fits it (or as chosen), centred. A monitor smaller than the picture, or larger than the
// library can cover, has none: a window shows what it can.
static int mode_plein() {
    Zone m{0, 0, LARGEUR, HAUTEUR};
    if (video_commutee()) {
        if (essaie(&m, LARGEUR, HAUTEUR, 1) != 0) return -1;
        plus_grand = 1;
    } else {
        moniteur(true, &m);
        if (m.largeur < LARGEUR || m.hauteur < HAUTEUR || m.largeur > COTE_MAX || m.hauteur > COTE_MAX) return -1;
        const int tient = zoom_max(m.largeur, m.hauteur, true);
        if (essaie(&m, m.largeur, m.hauteur, choisi(choix_plein, tient)) != 0) return -1;
        plus_grand = tient;
    }
    ecran_plein = true;
    return 0;
}

// A window 640z x 480z on monitor m, z as chosen, else the largest within 90 % of it;
// on a monitor smaller than the picture, a window of its size, which shows its middle.
static void fenetre_sur(const Zone &m, int *w, int *h, int *z) {
    *z = choisi(choix_fenetre, zoom_max(m.largeur, m.hauteur, false));
    *w = std::min<int>(LARGEUR * *z, m.largeur), *h = std::min<int>(HAUTEUR * *z, m.hauteur);
}

// The window on the monitor it goes on: the one the screen stands on now, or at start
// the pointer's. Where it shows only the middle of the picture, the user is told so once.
static int mode_fenetre() {
    Zone m{0, 0, LARGEUR, HAUTEUR};
    moniteur(false, &m);
    plus_grand = zoom_max(m.largeur, m.hauteur, false);
    int w, h, z;
    fenetre_sur(m, &w, &h, &z);
    if (essaie(nullptr, w, h, z) != 0) return -1;
    static bool dit;
    if ((w < LARGEUR || h < HAUTEUR) && !dit) {
        std::fprintf(stderr, "vorplane: the screen, %dx%d, is smaller than the 640x480 world: "
                     "the window shows its middle\n", m.largeur, m.hauteur);
        dit = true;
    }
    ecran_plein = false;
    return 0;
}

static int pose(bool plein) { return plein ? mode_plein() : mode_fenetre(); }
static int &choix(bool plein) { return plein ? choix_plein : choix_fenetre; }

// Full screen if asked and it can be had, else a window at the zoom chosen, else the
// plain 640x480 window (or the screen's size), should a zoomed one be refused.
static bool ouvre(bool plein) {
    if ((plein && mode_plein() == 0) || mode_fenetre() == 0) return true;
    choix_fenetre = 1;
    return mode_fenetre() == 0;
}

void ouvre_ecran() {
    LOCK_FUNCTION(retour_ecran);
    set_color_depth(16);
    fenetre_initiale(LARGEUR, HAUTEUR);
    veut_plein = true;
    choix_fenetre = choix_plein = 0;
    prochain_regard = regards = 0;
    cache = false;
    if (!ouvre(true)) echec(SANS_MODE);
    accorde(false, 0, 0);
}

// Full screen or a window, everything else kept: the back buffer is a memory bitmap
// and outlives the mode; the colours are made again should the new mode lay pixels
// out otherwise; the pointer keeps its cell. If that mode cannot be had, the mode
// before comes back, and the new one's zoom choice is choix_avant again; else any
// window; without one the program leaves.
static void change(bool plein, int choix_avant) {
    const bool avant = ecran_plein;
    int x = 0, y = 0;
    const bool pointe = sous_pointeur(&x, &y);
    garde_couleurs();
    if (pose(plein) != 0) {
        choix(plein) = choix_avant;
        if (pose(avant) != 0 && !ouvre(false)) echec(SANS_MODE);
    }
    refait_couleurs();
    accorde(pointe, x, y);
}

void bascule_ecran() {
    if (!surface() || fenetres_perdues()) return;
    veut_plein = !veut_plein;
    change(veut_plein, choix(veut_plein));
}

void zoom_suivant() {
    BITMAP *ecran = surface();
    if (!ecran || plus_grand == 1 || fenetres_perdues()) return;
    const int avant = choix(ecran_plein);
    choix(ecran_plein) = place.zoom % plus_grand + 1;
    if (!ecran_plein) return change(false, avant);
    int x = 0, y = 0;
    const bool pointe = sous_pointeur(&x, &y);
    clear_bitmap(ecran);
    place_image(ecran->w, ecran->h, choix_plein, bitmap_color_depth(ecran));
    accorde(pointe, x, y);
}

// The monitors changed: full screen is set up again on the monitor that holds the
// pointer, which it keeps within its own, or a window where it no longer can, until it
// can again. A window asked for is made again wherever it is not the size it would be
// on its monitor, which is also checked when nothing changed, as a window manager or the
// user may have taken it to another one: too large for it, or cut off by a monitor that
// has grown since.
static bool suit_moniteurs() {
    Zone avant[MONITEURS];
    const int n_avant = n_connus;
    std::memcpy(avant, connus, sizeof avant);
    Zone m;
    if (!moniteur(false, &m)) return false;
    const bool changes = n_connus != n_avant || std::memcmp(avant, connus, n_connus * sizeof(Zone)) != 0;
    int w, h, z;
    fenetre_sur(m, &w, &h, &z);
    if ((veut_plein ? !changes : w == surface()->w && h == surface()->h) || fenetres_perdues()) return false;
    change(veut_plein, choix(veut_plein));
    return true;
}

bool surveille_ecran(long long maintenant) {
    bool refait = ecran_revenu();
    if (!surface() || maintenant < prochain_regard) return refait;
    prochain_regard = maintenant + 250000;
    const bool etait_cache = cache;
    cache = ecran_cache();
    if (etait_cache && !cache) {
        retour_ecran();
        refait = ecran_revenu() || refait;
    }
    if (++regards % 4 == 0) refait = suit_moniteurs() || refait;
    return refait;
}

bool image_visible() { return !cache; }

long long periode_presentation() { return periode; }

long long regard_suivant(long long maintenant) { return surface() ? prochain_regard : maintenant + 250000; }
