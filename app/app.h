// The application shell: start-up, the frame's stages, pacing and input.
// vie and delta are written by start-up and the input stage; tick by the timer
// callback temps (1) and the pacing stage (0); akey, gui and souris_x/y by the input stage;
// sortie by the signal handlers, the close-button callback and the X error handler (systeme.cpp).
#pragma once

#include <atomic>

#include <allegro.h>

extern int vie;                // 1: generations follow the timer; 0: paused
extern int delta;              // pacing period in ms, 10..500
extern std::atomic<int> tick;  // 1: the timer fired since the last paced generation
extern int akey[KEY_MAX];      // each edge-triggered key as recorded at the end of the last input stage
extern int gui;                // 1: the parameter panel is shown
extern int souris_x, souris_y;  // the pointer in the picture, as the input stage read it:
                                // painting and the cursor both use it
extern std::atomic<int> sortie;  // -1 while the program goes on, else its exit status:
                                 // 0 for a close request, 128 + n for signal n, 1 for an X error

int demarrer();  // brings up the library, the display and the world; 0 on success
void arreter();  // shuts down in order: mouse, timer, back buffer, library; signals act at once
                 // meanwhile, and an X error met on the way is reported after
void nomme_fenetre();   // before allegro_init: the window's title, class (WM_CLASS) and icon on X11
void ecoute_systeme();  // after allegro_init: signals, the close button and X errors set sortie;
                        // a lost display ends the program (status 1); 1 ms sleeps on Windows
void signaux_immediats();  // from now on SIGINT, SIGTERM and SIGHUP end the process at once (128 + n)
void fenetre_initiale(int w, int h);  // before the first mode: the window where a w x h window
                                      // mode shows it (Windows; elsewhere nothing)
int pose_mode(int carte, int w, int h);  // set_gfx_mode without a virtual screen; on Windows the
                                         // window thread is kept off the drawing lock meanwhile
void quitte_bibliotheque();              // allegro_exit, made safe in the same way
bool mode_bascule();       // true when the last full-screen mode set switched the video mode
bool taille_bureau(int *largeur, int *hauteur);  // the desktop's size (X11: the whole root window)
bool ecran_perdu();        // true when the screen's windows are gone or an X error was met
void rapport_systeme();    // after the shutdown: says which X error ended the program, if one did
int echec(const char *quoi);  // leaves the library, then says why the program stops; returns 1

void temps();    // timer callback: sets tick, nothing else
void rythme();   // re-installs temps with the current delta (only once the timer runs)

// One frame is entrees, cadence, dessiner, presenter, in this order; the last two
// only when entrees or cadence says the picture may have changed.
bool entrees();    // key actions, key history, mouse painting; true when the picture may have
                   // changed: a key is down, was down at the last input stage or went down or up
                   // since, the pointer or its buttons differ from the last input stage, painting
                   // changed a cell, or the display came back from a switch away
bool cadence();    // at most one generation, when running and the timer has ticked; true if one ran
void touche_frappee(int scancode);  // keyboard callback: notes that a key went down or up
void dessiner();   // clear, cell layer, overlay, all into buffer; presenter (display.h) follows
