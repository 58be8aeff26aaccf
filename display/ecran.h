// The screen, in four rooms: where the picture stands on it (placement.cpp), the
// presentation of the picture (presentation.cpp) with its AVX2 kernels (avx2.cpp), and
// its modes and monitors (modes.cpp). The picture is shown at an integer zoom, each
// picture pixel a zoom x zoom block, centred with black around it. place is written by
// place_image; the rest of each room's state is its own. The application calls the
// procedures of the first part; the rooms call each other through the second.
#pragma once

#include <cstdint>

#include <allegro.h>

#include "systeme/systeme.h"

// The largest zoom: one at which frames whose every row changed still keep 100 generations a
// second, as measured on a 2-core machine of 2026 up to a 16384 x 8192 screen (7 and 8 gave
// 90 there: the picture's bytes, written, copied by the X server and shown, fill the memory's
// bandwidth).
enum { ZOOM_MAX = 6 };

// Where the picture stands: each picture pixel is a zoom x zoom block of the screen, the
// picture's top-left corner at (gauche, haut), negative on a screen smaller than it.
struct Placement {
    int zoom, gauche, haut;
};
extern Placement place;  // the screen's, written by place_image

void ouvre_ecran();    // full screen, else a window, each at the largest zoom that fits; else echec
void bascule_ecran();  // full screen <-> window, keeping everything else (F11); the old mode comes
                       // back if the new one fails, else any window; does nothing without a screen
void zoom_suivant();   // the current mode's zoom + 1, past the largest back to 1 (F10): a window is
                       // set up again as bascule_ecran does, full screen re-centres the picture
void presenter();      // buffer to the screen
bool image_visible();  // false while the window is hidden: nothing is drawn or presented
// The loop's stage of its own, maintenant the time in µs on a steady clock: true when the
// picture must be drawn and presented again, as the display came back from a switch away
// or, at most four times a second, the window was found shown again after it was hidden;
// once a second it looks whether the monitors changed (then full screen is set up again
// on its monitor, or a window stands in where it no longer can) or the window is not the
// size it would be on its monitor (then it is made again).
bool surveille_ecran(long long maintenant);
long long regard_suivant(long long maintenant);  // when the watch looks again, in µs: when the loop
                                                 // must wake at the latest
long long periode_presentation();  // µs between two presentations: the monitor's refresh period
void retour_ecran();   // display-switch callback: the screen came back and needs its picture
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

// Between the rooms. The placement's pointer, for the modes: the picture pixel under
// the real pointer, if it is over the picture; after a change of screen, the pointer
// moved back over that pixel's block if it was over one (pointe), else left where it is.
bool sous_pointeur(int *x, int *y);
void accorde(bool pointe, int x, int y);
bool ecran_revenu();  // the presentation's news, for the watch: true once after each retour_ecran

#if defined(VORPLANE_X86)
// The presentation's AVX2 kernels (avx2.cpp), used where simd is 1. prepare_avx2 makes
// their patterns for zoom z, and their arithmetic for a screen of the given depth where
// it gives the colour table t's very values (g8: the library's 8-bit green for each 6-bit
// one), at each place_image. convertit_avx2 keeps a picture row as shown and converts it
// through t into c; ligne_avx2 gives the kernel writing n converted pixels of c as a
// line of zoom z at d.
void prepare_avx2(int z, int profondeur, const uint32_t *t, const int *g8);
void convertit_avx2(const uint16_t *src, uint16_t *garde, uint32_t *c, const uint32_t *t);
void convertit_avx2(const uint16_t *src, uint16_t *garde, uint16_t *c, const uint32_t *t);
using Ligne32 = void (*)(uint32_t *d, const uint32_t *c, int n, int z);
using Ligne16 = void (*)(uint16_t *d, const uint16_t *c, int n, int z);
Ligne32 ligne_avx2_32(int z);
Ligne16 ligne_avx2_16(int z);
#endif
