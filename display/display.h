// The picture: back buffer, named colours, state palette and the frame's layers.
// buffer is created and destroyed by the application's start-up and shutdown;
// the colours and the palette are written only by the procedures declared here;
// nombre is written by afficher. The screen it is shown on is ecran.h's.
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
// Border, then the parameter panel if montre_panneau, then the cursor at (x, y): the
// application hands over what it shows, its run state vie and its period delta.
void surcouche(int vie, int delta, bool montre_panneau, int x, int y);

// Colours are pixel values in the layout of the mode they were made in. Around a
// change of mode, garde_couleurs keeps every named colour and palette entry as red,
// green and blue, and refait_couleurs makes them again if the new layout differs.
void garde_couleurs();
void refait_couleurs();
