// The platform layer: what the program asks of the desktop beyond the library's
// portable calls. Each port is chosen by the build (x11.cpp and x11_fenetre.cpp with
// posix.cpp, or windows.cpp); commun.cpp and clavier.cpp hold what they share. It
// includes nothing of the program's other folders. sortie is written by the signal
// handling, the close-button callback, the X error handler and the input stage
// (Escape), and read by the loop.
#pragma once

#include <atomic>

struct BITMAP;

extern std::atomic<int> sortie;  // -1 while the program goes on, else its exit status:
                                 // 0 for a close request or Escape, 128 + n for signal n, 1 for an X error

// A rectangle of the desktop, in its pixels: a monitor, or where the program's screen stands.
struct Zone {
    int x, y, largeur, hauteur;
};

// Called by the start-up first: from then on SIGINT, SIGTERM and SIGHUP ask the program
// to end (signal_de_fin), whatever the library does meanwhile and even while the display
// does not answer; SIGQUIT keeps its default action; a note written on a closed
// standard error is skipped (SIGPIPE). Windows: SIGINT and SIGTERM.
void prepare_signaux();

// Called by the start-up before allegro_init: on X11 the window's title, class
// (WM_CLASS) and icon, which allegro_init uses.
void prepare_systeme();

// Called by the start-up right after allegro_init. The close button and X errors set
// sortie from the library's threads; a lost X display ends the process
// (status 1) from the thread that met it; a key held down is reported pressed once,
// however long the X server's auto-repeat goes on; Windows sleeps by the millisecond.
void ecoute_systeme();

// Called by the ports' handling of SIGINT, SIGTERM and SIGHUP: the first asks the loop
// to end with 128 + n (sortie); a second before the loop acted, or any once the
// shutdown began, ends the process at once with 128 + n.
void signal_de_fin(int n);

// Called by the ports' close-button callback (fermeture), their X error handler (1) and
// the input stage (Escape, 0): asks the loop to end with that status, unless an end
// was asked already. Any thread.
void demande_fin(int statut);
void fermeture();  // the close button's callback: demande_fin(0)

// Called by the shutdown before anything else: from then on those signals end the
// process at once, as nothing reads sortie any more.
void signaux_immediats();

// Called by the screen before its first mode: puts the library's window where a
// w x h window mode shows it (Windows; nothing elsewhere).
void fenetre_initiale(int w, int h);

// Called by the screen for every mode it sets: a largeur x hauteur screen without a
// virtual screen, 0 on success. In a window, or where plein is given, full screen on
// that monitor: X11 asks the window manager to show the library's managed window full
// screen there (EWMH), or without one places it there, borderless, and gives it the
// keyboard; Windows sets DirectDraw's full screen, keeping the library's window thread
// off the drawing lock meanwhile. Calls back the library's display-switch callbacks.
int pose_mode(int largeur, int hauteur, const Zone *plein);

// Called by the shutdown and by echec: allegro_exit, made safe as pose_mode is.
void quitte_bibliotheque();

// Called by the screen before a full-screen mode set: true where full screen is a video
// mode of its own, 640x480 (Windows' DirectDraw); false where it covers a monitor at
// that monitor's own size (X11).
bool video_commutee();

// Called by the screen: up to max monitors of the desktop, in the desktop's coordinates,
// and how many (X11: RandR's monitors, else the whole root window; Windows: every display).
int moniteurs(Zone *liste, int max);

// Called by the screen: the pointer in the desktop's coordinates; false if unknown.
bool pointeur_bureau(int *x, int *y);

// Called by the screen while a mode is set: where its screen (the picture's window, or
// full screen) stands on the desktop; false if unknown.
bool zone_ecran(Zone *z);

// Called by the screen a few times a second while a mode is set: true while the window
// is minimised (unmapped, or said hidden by the desktop), where nothing it shows can be seen.
bool ecran_cache();

// Called by the screen after every change of screen, where the library has put its
// idea of the pointer at the screen's centre (and on X11 would later warp the real
// pointer there): moves the real pointer to (x, y) of the screen, wherever it was, if
// x >= 0, and sets the library's idea to where the real pointer then is.
void accorde_pointeur(int x, int y);

// Called by the screen's presentation around its writes into the lines of bitmap b
// (through bmp_write_line), and after them with each rectangle written: where the
// library would send each line written whole to the X server as the next one is asked
// for, it is told of each rectangle instead, once.
void ecriture(BITMAP *b, bool commence);
void zone_ecrite(BITMAP *b, int x, int y, int largeur, int hauteur);

// Called by the screen's presentation: true when the screen keeps what is written to
// it until the library calls the display-switch callbacks; false on Windows, where
// the library restores a lost video-memory screen without a word.
bool ecran_garde_image();


// Called by the screen before a mode change, which waits until its window is mapped,
// as a destroyed one never is: true when the library's windows are gone or an X
// error was met.
bool fenetres_perdues();

// Called by the shutdown once the library is left: says which X error ended the
// program, if one did.
void rapport_systeme();

// The press record (clavier.cpp), which the keyboard callback writes in the library's
// input thread and the input stage reads.
// The keyboard callback (keyboard_lowlevel_callback): a key went down, or up (bit 7).
// A press of a key already held is its auto-repeat, and is not counted.
void touche_frappee(int scancode);
// Called by a port while the program changes its screen, from the library's input thread:
// clavier_part as the keyboard goes away, before the library reports every key released;
// clavier_revient once it is back, bas[k] telling each key held now. The keys held
// across stay held, their auto-repeat is still auto-repeat, and a key that went down
// meanwhile is a press.
void clavier_part();
void clavier_revient(const bool *bas);
// Called by the input stage: the presses of a key since it last took them, those made
// with a shift key down or those without, and takes them; whether a key is held, and a
// shift key; whether any key went down or up since it last asked. oublie_clavier: the
// record forgets everything (tests start afresh).
int appuis(int code, bool avec_majuscule);
bool tenue(int code);
bool majuscule();
bool touche_bougee();
void oublie_clavier();

// Called by the start-up and the screen when the program cannot go on: leaves the
// library, then says why on standard error, with the library's own reason. Returns 1,
// the exit status.
int echec(const char *quoi);
