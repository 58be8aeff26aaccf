// Start-up, pacing, the frame's drawing stages and shutdown.
#include <cstdio>

#include "app/app.h"
#include "display/display.h"
#include "display/ecran.h"
#include "systeme/systeme.h"
#include "world/world.h"

int vie;
int delta = 10;
std::atomic<int> tick{0};

void temps() { tick.store(1, std::memory_order_relaxed); }
END_OF_FUNCTION(temps)

// The library has no timer before install_timer (and none at all in a
// headless process): then only delta changes.
void rythme() {
    if (!timer_driver) return;
    remove_int(temps);
    install_int(temps, delta);
}

int demarrer() {
    prepare_signaux();
    prepare_systeme();
    if (allegro_init() != 0) {
        std::fprintf(stderr,
                     "vorplane: the Allegro library could not start; most often no X display could be "
                     "opened: run it in a graphical session or set DISPLAY\n");
        return 1;
    }
    ecoute_systeme();
    if (install_keyboard() != 0) return echec("no keyboard");
    LOCK_FUNCTION(touche_frappee);
    keyboard_lowlevel_callback = touche_frappee;
    install_mouse();  // without a mouse, the keys still drive everything
    LOCK_VARIABLE(tick);
    LOCK_FUNCTION(temps);
    if (install_timer() != 0) return echec("no timer");
    if (ouvre_ecran() != 0) return echec(SANS_MODE);
    buffer = create_bitmap(LARGEUR, HAUTEUR);
    if (!buffer) return echec("cannot create the 640x480 back buffer");
    couleurs_nommees();
    etat_change = fabrique_couleur;
    initconway();
    tore = 1;
    fabrique_couleur();
    delta = 10;
    install_int(temps, delta);
    hazard();
    vie = 1;
    return 0;
}

void arreter() {
    signaux_immediats();
    remove_mouse();
    remove_timer();
    destroy_bitmap(buffer);
    buffer = nullptr;
    quitte_bibliotheque();
    rapport_systeme();
}

bool cadence() {
    if (vie != 1 || tick.exchange(0, std::memory_order_relaxed) != 1) return false;
    photo();
    vivre();
    return true;
}

// afficher writes every pixel, dead cells in the clear colour: it is the clear.
void dessiner() {
    afficher();
    surcouche(vie, delta, gui, souris_x, souris_y);
}
