// The input stage: key actions, the key history and mouse painting.
#include <cstddef>
#include <iterator>

#include "app/app.h"
#include "display/ecran.h"
#include "systeme/systeme.h"
#include "world/world.h"

int akey[KEY_MAX];
int gui;
int souris_x, souris_y;

enum { AILLEURS = -1000 };  // no picture pixel

static int avant_x = -1, avant_y = -1, avant_b = -1;  // the pointer and buttons the last input
                                                       // stage read; none at first, so the first
                                                       // stage asks for a picture
static bool bouton_retenu;          // a button held across a change of the screen: it paints
                                    // nothing until released

static void vitesse(int pas, bool) {
    delta += pas;
    if (delta <= 9) delta = 10;
    if (delta > 500) delta = 500;
    rythme();
}

static void chiffre(int n, bool majuscule) { majuscule ? bascule_vie(n) : bascule_survie(n); }

// Every key the program binds, in the order they are tested (F6 after F5: pause
// wins): each acts once per press (edge-triggered, its state kept in akey) or in
// every frame it is held. A new key is one row.
enum Declenche { UNE_FOIS, TENUE };
struct Touche {
    int code;
    Declenche quand;
    void (*action)(int valeur, bool majuscule);  // majuscule: a shift key was down when it went down
    int valeur;
};
static const Touche touches[] = {
    {KEY_LEFT, UNE_FOIS, vitesse, -10},
    {KEY_RIGHT, UNE_FOIS, vitesse, +10},
    {KEY_F1, TENUE, [](int, bool) { reset(); }, 0},
    {KEY_F2, UNE_FOIS, [](int, bool) { hazard(); }, 0},
    {KEY_F3, TENUE, [](int, bool) { initconway(); }, 0},
    {KEY_F4, UNE_FOIS, [](int, bool) { reglehazard(); }, 0},
    {KEY_F5, TENUE, [](int, bool) { vie = 1; }, 0},
    {KEY_F6, TENUE, [](int, bool) { vie = 0; }, 0},
    {KEY_F7, TENUE, [](int, bool) { plein(); }, 0},
    {KEY_F8, UNE_FOIS, [](int, bool) { inverse(); }, 0},
    {KEY_ENTER, UNE_FOIS, [](int, bool) { photo(), vivre(); }, 0},
    {KEY_E, UNE_FOIS, [](int, bool) { cycle_etats(); }, 0},
    {KEY_T, UNE_FOIS, [](int, bool) { bascule_tore(); }, 0},
    {KEY_SPACE, UNE_FOIS, [](int, bool) { gui = !gui; }, 0},
    {KEY_0, UNE_FOIS, chiffre, 0},
    {KEY_1, UNE_FOIS, chiffre, 1},
    {KEY_2, UNE_FOIS, chiffre, 2},
    {KEY_3, UNE_FOIS, chiffre, 3},
    {KEY_4, UNE_FOIS, chiffre, 4},
    {KEY_5, UNE_FOIS, chiffre, 5},
    {KEY_6, UNE_FOIS, chiffre, 6},
    {KEY_7, UNE_FOIS, chiffre, 7},
    {KEY_8, UNE_FOIS, chiffre, 8},
    {KEY_F10, UNE_FOIS, [](int, bool) { zoom_suivant(); }, 0},
    {KEY_F11, UNE_FOIS, [](int, bool) { bascule_ecran(); }, 0},
    {KEY_ESC, UNE_FOIS, [](int, bool) { demande_fin(0); }, 0},
};

// One look at the keys, before any action: the keys held, then the presses counted
// since the last stage (a press between the two is taken now or in the next stage,
// never twice; one during an action, in the next stage). An edge key acts once for each
// press, with the shift keys as they were then; a level key acts once in a stage where
// it was pressed or is held. An edge key is recorded as handled (akey) from its press
// until it is seen up, so that a press seen only as a key held, as without a keyboard
// driver, acts once too. True when any key acted.
static bool actions() {
    constexpr std::size_t n = std::size(touches);
    bool bas[n];
    int fois[n][2];
    for (std::size_t i = 0; i < n; i++) bas[i] = key[touches[i].code] || tenue(touches[i].code);
    for (std::size_t i = 0; i < n; i++)
        for (int m = 0; m < 2; m++) fois[i][m] = appuis(touches[i].code, m == 1);
    const bool maj = majuscule();
    bool agi = false;
    for (std::size_t i = 0; i < n; i++) {
        const Touche &t = touches[i];
        const bool appui = fois[i][0] + fois[i][1] > 0;
        if (t.quand == TENUE && (appui || bas[i])) fois[i][0] = 1, fois[i][1] = 0;
        if (t.quand == UNE_FOIS && !appui && bas[i] && !akey[t.code]) fois[i][maj] = 1;
        for (int m = 0; m < 2; m++)
            for (int k = 0; k < fois[i][m]; k++) t.action(t.valeur, m == 1);
        if (t.quand == UNE_FOIS) akey[t.code] = bas[i] || appui;
        agi = agi || fois[i][0] + fois[i][1] > 0;
    }
    return agi;
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
static bool curseur_visible(int x, int y) {
    return x >= -2 && y >= -2 && x < LARGEUR + 2 && y < HAUTEUR + 2;
}

void oublie_entrees() {
    oublie_clavier();
    bouton_retenu = false;
    avant_x = avant_y = avant_b = -1;
    for (int &a : akey) a = 0;
}

// The pointer in the picture, or AILLEURS while the real pointer is off the screen
// (out of the window): then there is no cursor, and nothing is painted.
static void lit_pointeur() {
    if (mouse_on_screen())
        vers_image(mouse_x, mouse_y, &souris_x, &souris_y);
    else
        souris_x = souris_y = AILLEURS;
}

bool entrees() {
    if (keyboard_needs_poll()) poll_keyboard();
    if (mouse_needs_poll()) poll_mouse();
    const bool agi = actions();
    lit_pointeur();
    const int b = mouse_b;
    if (ecran_replace()) bouton_retenu = true;  // a button held now was pressed over another screen
    if (b == 0) bouton_retenu = false;
    const bool peint = !bouton_retenu && souris(souris_x, souris_y, b);
    const bool frappee = touche_bougee();
    const bool bouge = (souris_x != avant_x || souris_y != avant_y) &&
                       (curseur_visible(souris_x, souris_y) || curseur_visible(avant_x, avant_y));
    const bool change = agi || peint || frappee || bouge || b != avant_b;
    avant_x = souris_x, avant_y = souris_y, avant_b = b;
    return change;
}
