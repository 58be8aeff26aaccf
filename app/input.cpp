// The input stage: key actions, the key history and mouse painting.
#include "app/app.h"
#include "display/display.h"
#include "world/world.h"

int akey[KEY_MAX];
int gui;
int souris_x, souris_y;

static std::atomic<int> frappe{0};  // 1: a key went down or up since the last input stage
static int touche_avant;            // 1: a key was down at the last input stage
static int px = -1, py = -1, pb = -1;  // the pointer and buttons the last input stage read;
                                        // none at first, so the first stage asks for a picture

// The keys that act once per press; their state is recorded after the actions.
static const int fronts[] = {KEY_F2, KEY_F4, KEY_F8, KEY_SPACE, KEY_0,     KEY_1,    KEY_2,
                             KEY_3,  KEY_4,  KEY_5,  KEY_6,     KEY_7,     KEY_8,    KEY_ENTER,
                             KEY_LEFT, KEY_RIGHT, KEY_T, KEY_E, KEY_F10, KEY_F11};

void touche_frappee(int) { frappe.store(1); }
END_OF_FUNCTION(touche_frappee)

static bool appui(int k) { return key[k] && !akey[k]; }

static void vitesse(int pas) {
    delta += pas;
    if (delta <= 9) delta = 10;
    if (delta > 500) delta = 500;
    rythme();
}

static void actions() {
    if (appui(KEY_LEFT)) vitesse(-10);
    if (appui(KEY_RIGHT)) vitesse(+10);
    if (key[KEY_F1]) reset();
    if (appui(KEY_F2)) hazard();
    if (key[KEY_F3]) initconway();
    if (appui(KEY_F4)) reglehazard();
    if (key[KEY_F5]) vie = 1;
    if (key[KEY_F6]) vie = 0;
    if (key[KEY_F7]) plein();
    if (appui(KEY_F8)) inverse();
    if (appui(KEY_ENTER)) {
        photo();
        vivre();
    }
    if (appui(KEY_E)) cycle_etats();
    if (appui(KEY_T)) bascule_tore();
    if (appui(KEY_SPACE)) gui = !gui;
    const bool shift = key[KEY_LSHIFT] || key[KEY_RSHIFT];
    for (int n = 0; n <= 8; n++)
        if (appui(KEY_0 + n)) shift ? bascule_vie(n) : bascule_survie(n);
    if (appui(KEY_F10)) zoom_suivant();
    if (appui(KEY_F11)) bascule_ecran();
}

// The input stage reads the pointer once, so the bounds hold for the cell that is
// changed; negative positions are refused too, although the library never reports them.
// True when the cell changed: a held button keeps repainting a cell that each
// generation takes away, and every such frame must be shown.
static bool souris(int mx, int my, int b) {
    if (mx < 0 || my < 0 || mx > LARGEUR - 2 || my > HAUTEUR - 2) return false;
    const int avant = ncel[mx + 1][my + 1];
    if (b == 1) peindre(mx + 1, my + 1);
    if (b == 2) gommer(mx + 1, my + 1);
    return ncel[mx + 1][my + 1] != avant;
}

// The cursor's circles reach two pixels round the pointer: wherever they fall wholly
// off the picture, over the margin of a zoomed screen, the picture is the same.
static bool montre(int x, int y) { return x >= -2 && y >= -2 && x < LARGEUR + 2 && y < HAUTEUR + 2; }

static bool une_touche() {
    for (int k = 1; k < KEY_MAX; k++)
        if (key[k]) return true;
    return false;
}

bool entrees() {
    if (keyboard_needs_poll()) poll_keyboard();
    if (mouse_needs_poll()) poll_mouse();
    actions();
    for (int k : fronts) akey[k] = key[k] != 0;
    vers_image(mouse_x, mouse_y, &souris_x, &souris_y);
    const int b = mouse_b;
    const bool peint = souris(souris_x, souris_y, b);
    const bool touche = une_touche(), frappee = frappe.exchange(0), revenu = ecran_revenu();
    const bool bouge = (souris_x != px || souris_y != py) && (montre(souris_x, souris_y) || montre(px, py));
    const bool change = peint || touche || touche_avant || frappee || revenu || bouge || b != pb;
    touche_avant = touche;
    px = souris_x, py = souris_y, pb = b;
    return change;
}
