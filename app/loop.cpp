// Start-up, the frame loop and its rest, pacing, the frame's drawing stages and shutdown.
#include <chrono>

#include "app/app.h"
#include "display/display.h"
#include "display/ecran.h"
#include "systeme/systeme.h"
#include "world/world.h"

int vie;
int delta = 10;
std::atomic<int> tick{0};
static std::atomic<bool> attend_tick{false};  // the loop sleeps until a tick: the world runs

void temps() {
    tick.store(1, std::memory_order_relaxed);
    if (attend_tick.load(std::memory_order_relaxed)) reveille();
}
END_OF_FUNCTION(temps)

// The library's mouse callback: the pointer moved, or a button went down or up.
void souris_bougee(int) { reveille(); }
END_OF_FUNCTION(souris_bougee)

// The library has no timer before install_timer (and none at all in a
// headless process): then only delta changes.
void rythme() {
    if (!timer_driver) return;
    remove_int(temps);
    install_int(temps, delta);
}

void demarrer() {
    prepare_signaux();
    prepare_systeme();
    if (allegro_init() != 0)
        echec("the Allegro library could not start; most often no X display could be opened: run it in a "
              "graphical session or set DISPLAY");
    ecoute_systeme();
    if (install_keyboard() != 0) echec("no keyboard");
    LOCK_FUNCTION(touche_frappee);
    keyboard_lowlevel_callback = touche_frappee;
    install_mouse();  // without a mouse, the keys still drive everything
    LOCK_FUNCTION(souris_bougee);
    mouse_callback = souris_bougee;
    LOCK_VARIABLE(tick);
    LOCK_FUNCTION(temps);
    if (install_timer() != 0) echec("no timer");
    ouvre_ecran();
    buffer = create_bitmap(LARGEUR, HAUTEUR);
    if (!buffer) echec("cannot create the 640x480 back buffer");
    couleurs_nommees();
    etat_change = fabrique_couleur;
    initconway();
    tore = 1;
    fabrique_couleur();
    delta = 10;
    install_int(temps, delta);
    hazard();
    vie = 1;
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

long long maintenant() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

bool image_due() {
    const bool vu = surveille_ecran(maintenant());
    const bool saisie = entrees();
    const bool genere = cadence();
    return vu || saisie || genere;
}

// The loop waits for ticks only while the world runs; a tick that came before the
// loop began to wait for it is not waited for.
bool repos(long long jusqua) {
    attend_tick.store(vie == 1, std::memory_order_relaxed);
    if (vie == 1 && tick.load(std::memory_order_relaxed)) return true;
    return attend_reveil(jusqua - maintenant());
}

// Each pass runs the stages before the drawing. A picture changed is drawn and
// presented at once, or, if the last was presented less than a refresh period ago, in
// the first pass after that period, which the loop waits for no longer than a refresh
// period after the change: a tick meanwhile shows the next generation instead, in the
// same wake. Nothing is drawn while the window is hidden. Between passes the loop rests
// until something happens, or until a picture must be shown, or until the screen's watch.
void boucle() {
    bool a_montrer = false;   // the picture changed since it was last presented
    long long depuis = 0;     // since when, in µs
    long long prochaine = 0;  // the earliest time of the next presentation
    while (sortie < 0) {
        const bool change = image_due();
        const long long t = maintenant();
        if (change && !a_montrer) depuis = t;
        a_montrer = a_montrer || change;
        const bool visible = a_montrer && image_visible();
        if (visible && (t >= prochaine || sortie >= 0)) {  // the last frame is shown too
            dessiner();
            presenter();
            a_montrer = false;
            prochaine = t + periode_presentation();
            continue;  // what came during the drawing is seen at once
        }
        repos(visible ? depuis + periode_presentation() : regard_suivant(t));
    }
}

// afficher writes every pixel, dead cells in the clear colour: it is the clear.
void dessiner() {
    afficher();
    surcouche(vie, delta, gui, souris_x, souris_y);
}
