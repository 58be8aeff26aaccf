// The application shell: start-up, the frame's stages, pacing and input.
// vie and delta are written by start-up and the input stage; tick by the timer
// callback temps (1) and the pacing stage (0); akey, gui and souris_x/y by the input stage.
#pragma once

#include <atomic>

#include <allegro.h>

extern int vie;                // 1: generations follow the timer; 0: paused
extern int delta;              // pacing period in ms, 10..500
extern std::atomic<int> tick;  // 1: the timer fired since the last paced generation
extern int akey[KEY_MAX];      // each edge-triggered key: 1 from the input stage that handled its press
                               // until one sees it up
extern int gui;                // 1: the parameter panel is shown
extern int souris_x, souris_y;  // the pointer in the picture, as the input stage read it:
                                // painting and the cursor both use it

void demarrer();  // brings up the library, the display and the world, else leaves (echec)
void arreter();  // shuts down in order: mouse, timer, back buffer, library; signals act at once
                 // meanwhile, and an X error met on the way is reported after

void temps();    // timer callback: sets tick, and wakes the loop if it waits for ticks (running)
void rythme();   // re-installs temps with the current delta (only once the timer runs)

void boucle();    // the frame loop, until sortie says to end: image_due in each pass, then dessiner
                  // and presenter (ecran.h) at most once per refresh period, resting between
bool repos(long long jusqua);  // the loop's rest until jusqua (µs, maintenant's clock) or something
                               // happens: a key, the pointer, a tick while running, the display
                               // back, a request to end; true when something happened
long long maintenant();        // a steady clock, in µs
void souris_bougee(int flags);  // the mouse callback: wakes the loop
bool image_due();  // the stages before the drawing: the screen's watch (surveille_ecran, ecran.h),
                   // entrees and cadence, in this order; true when any says the picture may have
                   // changed
bool entrees();    // key actions, key history, mouse painting; true when the picture may have
                   // changed: a key acted, or went down or up since the last input stage, the
                   // pointer or its buttons differ from the last input stage, painting changed a
                   // cell
bool cadence();    // at most one generation, when running and the timer has ticked; true if one ran
void oublie_entrees();  // the input stage forgets the pointer and keys it last read (tests start afresh)
void dessiner();   // clear, cell layer, overlay, all into buffer; presenter (ecran.h) follows
