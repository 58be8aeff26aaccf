// The picture: back buffer, named colours, state palette, the frame's layers and the screen.
// buffer is created and destroyed by the application's start-up and shutdown;
// the colours and the palette are written only by the procedures declared here;
// nombre is written by afficher.
#pragma once

#include <allegro.h>

extern BITMAP *buffer;       // 640 x 480 16-bit back buffer, presented once per frame
extern int couleur;          // green: panel text
extern int noir;             // black: palette entry 0, panel background
extern int rouge;            // red: bounded-world border, paused status line
extern int blanc;            // white: cursor
extern int bleu;             // blue: torus border, panel frame, title and contact lines
extern int couleur_etat[17];  // pixel value for each cell value 0..16
extern int nombre;           // non-dead cells drawn by the last afficher

void couleurs_nommees();  // the five named colours, after the graphics mode is set
void fabrique_couleur();   // rebuilds couleur_etat[0..etat]; entries above etat are kept
void afficher();           // every pixel of buffer: non-dead cells of ncel in their colour, the rest 0
                           // (the clear colour, so no clear is needed before); counts the non-dead cells
void surcouche();          // border, parameter panel if shown, cursor

// Colours are pixel values in the layout of the mode they were made in. Around a
// change of mode, garde_couleurs keeps every named colour and palette entry as red,
// green and blue, and refait_couleurs makes them again if the new layout differs.
void garde_couleurs();
void refait_couleurs();

// The screen (ecran.cpp): the mode, and the back buffer shown on it.
extern const char SANS_MODE[];  // why the program stops when no mode can be had
int ouvre_ecran();     // the 640x480 16-bit mode, full screen or else a window; 0 on success
void bascule_ecran();  // full screen <-> 640x480 window, keeping everything else; the old
                       // mode comes back if the new one fails, and the program leaves
                       // (status 1) if neither can be had; does nothing without a screen
void presenter();      // buffer to the screen
void retour_ecran();   // display-switch callback: the screen came back and needs its picture
bool ecran_revenu();   // true once after each retour_ecran
