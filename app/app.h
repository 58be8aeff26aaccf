// The application shell: start-up, the frame's stages, pacing and input.
// vie and delta are written by start-up and the input stage; tick by the timer
// callback temps (1) and the pacing stage (0); akey and gui by the input stage.
#pragma once

#include <atomic>

#include <allegro.h>

extern int vie;                // 1: generations follow the timer; 0: paused
extern int delta;              // pacing period in ms, 10..500
extern std::atomic<int> tick;  // 1: the timer fired since the last paced generation
extern int akey[KEY_MAX];      // each edge-triggered key as recorded at the end of the last input stage
extern int gui;                // 1: the parameter panel is shown

int demarrer();  // brings up the library, the display and the world; 0 on success
void arreter();  // shuts down in order: mouse, timer, back buffer, library

void temps();    // timer callback: sets tick, nothing else
void rythme();   // re-installs temps with the current delta (only once the timer runs)

// One frame is entrees, cadence, dessiner, presenter, in this order.
void entrees();    // key actions, key history, mouse painting
void cadence();    // at most one generation, when running and the timer has ticked
void dessiner();   // clear, cell layer, overlay, all into buffer
void presenter();  // buffer to the screen
