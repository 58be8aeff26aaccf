// The screen: its mode, full screen or a window, and the presentation of the
// back buffer on it.
#include <atomic>
#include <cstdlib>

#include "app/app.h"
#include "display/display.h"
#include "world/world.h"

const char SANS_MODE[] = "cannot set a 640x480 16-bit mode, full screen or windowed";
static int ecran_plein;                 // 1: the mode now set is full screen, 0: a window
static std::atomic<int> revenu{0};      // 1: the display came back since the last look

void retour_ecran() { revenu.store(1); }
END_OF_FUNCTION(retour_ecran)

bool ecran_revenu() { return revenu.exchange(0) != 0; }

// The 640x480 16-bit mode, full screen (p = 1) or in a window (p = 0); 0 on success.
// Every mode set forgets the switch callbacks, and DirectDraw's full screen loses
// its picture when the user switches away: hence the callback, after each set.
static int mode(int p) {
    if (set_gfx_mode(p ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED, LARGEUR, HAUTEUR, 0, 0) != 0)
        return -1;
    ecran_plein = p;
    set_display_switch_callback(SWITCH_IN, retour_ecran);
    return 0;
}

int ouvre_ecran() {
    LOCK_VARIABLE(revenu);
    LOCK_FUNCTION(retour_ecran);
    set_color_depth(16);
    return mode(1) == 0 || mode(0) == 0 ? 0 : -1;
}

// The back buffer is a memory bitmap and outlives the mode; only the colours
// may need making again, should the new mode lay its pixels out otherwise.
void bascule_ecran() {
    if (!gfx_driver || ecran_perdu()) return;
    garde_couleurs();
    if (mode(!ecran_plein) != 0 && mode(ecran_plein) != 0) std::exit(echec(SANS_MODE));
    refait_couleurs();
}

void presenter() { blit(buffer, screen, 0, 0, 0, 0, LARGEUR, HAUTEUR); }
