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

int demarrer();  // brings up the library, the display and the world; 0 on success
void arreter();  // shuts down in order: mouse, timer, back buffer, library; signals act at once
                 // meanwhile, and an X error met on the way is reported after

void temps();    // timer callback: sets tick, nothing else
void rythme();   // re-installs temps with the current delta (only once the timer runs)

// One frame is entrees, cadence, dessiner, presenter, in this order; the last two
// only when entrees or cadence says the picture may have changed, and it can be seen.
bool entrees();    // key actions, key history, mouse painting; true when the picture may have
                   // changed: a key acted, or went down or up since the last input stage, the
                   // pointer or its buttons differ from the last input stage, painting changed a
                   // cell, or the display came back from a switch away
bool cadence();    // at most one generation, when running and the timer has ticked; true if one ran
void oublie_entrees();  // the input stage forgets the pointer and keys it last read (tests start afresh)
void dessiner();   // clear, cell layer, overlay, all into buffer; presenter (ecran.h) follows
