// The screen (ecran.cpp): its mode, the monitor it is on, and the picture shown on it
// at an integer zoom, each picture pixel a zoom x zoom block, centred with black around
// it. All its state is its own; the application calls these procedures.
#pragma once

#include <allegro.h>

#include "systeme/systeme.h"

// The largest zoom: one at which frames whose every row changed still keep 100 generations a
// second, as measured on a 2-core machine of 2026 up to a 16384 x 8192 screen (7 and 8 gave
// 90 there: the picture's bytes, written, copied by the X server and shown, fill the memory's
// bandwidth).
enum { ZOOM_MAX = 6 };
extern const char SANS_MODE[];  // why the program stops when no mode can be had
int ouvre_ecran();     // full screen, else a window, each at the largest zoom that fits; 0 on success
void bascule_ecran();  // full screen <-> window, keeping everything else; the old mode comes back
                       // if the new one fails, and the program leaves (status 1) if neither can
                       // be had; does nothing without a screen
void zoom_suivant();   // the current mode's zoom + 1, past the largest back to 1 (F10): a window is
                       // set up again as bascule_ecran does, full screen re-centres the picture
void presenter();      // buffer to the screen
bool image_visible();  // false while the window is hidden: nothing is drawn or presented
// Called by the input stage: at most four times a second, looks whether the window is
// hidden or shown again (then it is written whole), and once a second whether the
// monitors changed (then full screen is set up again on its monitor) or the window no
// longer fits its monitor (then it gets the zoom that does). True when the picture must
// be drawn and presented again.
bool surveille_ecran();
void retour_ecran();   // display-switch callback: the screen came back and needs its picture
bool ecran_revenu();   // true once after each retour_ecran
bool ecran_replace();  // true once after each place_image: a mode set, or F10 in full screen

// The largest zoom, 1 to ZOOM_MAX, at which the picture fits a full screen of
// largeur x hauteur, or a window within 90 % of it.
int zoom_max(int largeur, int hauteur, bool plein);
// The monitor of liste[0..n) that holds desktop pixel (x, y), the smallest if several
// do, else the nearest to it; -1 if there is none.
int moniteur_de(const Zone *liste, int n, int x, int y);
// The picture pixel under screen pixel (sx, sy), rounded down: outside 0..639 x 0..479
// over the margin.
void vers_image(int sx, int sy, int *x, int *y);
// Zoom z on a largeur x hauteur screen of the given depth: the picture centred, and
// the table of its colours in that depth made (at each mode set and F10 in full screen).
void place_image(int largeur, int hauteur, int z, int profondeur);
void etire(BITMAP *dest);  // the picture zoomed into dest as place_image set it, the margin blackened
                           // after a retour_ecran only; dest must be the one of the last call, as only
                           // rows changed since are written (all after place_image or retour_ecran)
int teinte_ecran(int c);   // a 16-bit picture pixel as the screen shows it, when not the picture itself
