// The platform layer: what the program asks of the desktop and the machine beyond the
// library's portable calls. The build chooses one port: x11.cpp and x11_fenetre.cpp
// with posix.cpp (X11), windows.cpp, or tete.cpp with posix.cpp (headless, a scripted
// desktop for the tests); commun.cpp, clavier.cpp and cpu.cpp are every port's. It
// includes nothing of the program's other folders.
#pragma once

#include <atomic>

struct BITMAP;

// Written by the signal handling, the close-button callback, the X error handler and
// the input stage (Escape); read by the loop.
extern std::atomic<int> sortie;  // -1 while the program goes on, else its exit status:
                                 // 0 for a close request or Escape, 128 + n for signal n, 1 for an X error

// Set at load time (cpu.cpp); tests and the benchmark set it to check and time both ways.
extern int simd;  // 1 when the CPU has AVX2: the step, the cell layer and the presentation use
                  // their AVX2 kernels; 0: the portable ones

// The attribute of the AVX2 kernels, compiled for AVX2 whatever the build's target; the
// kernels run only where simd is 1.
#if defined(__x86_64__) || defined(__i386__)
#define VORPLANE_X86 1
#define AVX2 __attribute__((target("avx2")))
#define AVX2_EN_LIGNE __attribute__((target("avx2"), always_inline)) inline
#endif

// A rectangle of the desktop, in its pixels: a monitor, or where the program's screen stands.
struct Zone {
    int x, y, largeur, hauteur;
};

// The loop's rest (posix.cpp, windows.cpp). reveille: something happened that the loop
// must see at once (a key, the pointer, a tick it waits for, the display back, a request
// to end); any thread, never inside a signal handler. attend_reveil: the main thread
// sleeps until reveille is called (or was, since it last returned), or delai microseconds
// pass; true when woken.
void reveille();
bool attend_reveil(long long delai);

// Called by the start-up first: from then on SIGINT, SIGTERM and SIGHUP ask the program
// to end (signal_de_fin), whatever the library does meanwhile and even while the display
// does not answer; SIGQUIT keeps its default action; a note written on a closed
// standard error is skipped (SIGPIPE). Windows: SIGINT and SIGTERM.
void prepare_signaux();

// Called by the start-up before allegro_init: on X11 the window's title, class
// (WM_CLASS) and icon, which allegro_init uses.
void prepare_systeme();

// Called by the start-up right after allegro_init. The close button and X errors set
// sortie from the library's threads; a lost X display ends the process (echec) from
// the thread that met it; a key held down is reported pressed once, however long the X
// server's auto-repeat goes on; the library's icon pixmaps are made once; Windows waits
// by the millisecond.
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
// Returns once the new window has the keyboard, or has waited for it (X11: a quarter of
// a second, the keyboard held meanwhile by an invisible window of the program's, the
// keys held across kept held; Windows: two seconds), so that a key typed once the
// picture shows reaches the program. The first mode set on X11 also takes over the
// library's handling of X events (all that wait, each pass).
int pose_mode(int largeur, int hauteur, const Zone *plein);

// Called by the shutdown and by echec: allegro_exit, made safe as pose_mode is.
void quitte_bibliotheque();

// Called by the screen after each mode set: the refresh rate of the monitor the screen
// stands on, in Hz (X11: its RandR mode; Windows: the display's); 0 where unknown.
int frequence_ecran();

// Called by the screen: the bitmap a mode set made, where the picture is presented
// (the library's screen), or null while no mode is set.
BITMAP *surface();

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
// is minimised (unmapped, or said hidden by the desktop), where nothing it shows can be
// seen. X11 asks the server only after an event on the window, or at every fourth call.
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

// The one way out when the program cannot go on, from the start-up, the screen or a
// port: leaves the library, says why on standard error with the library's own reason,
// and ends the process with status 1. Without bibliotheque (the display is lost, and
// leaving the library would wait on the lost connection for ever), it only says why.
[[noreturn]] void echec(const char *quoi, bool bibliotheque = true);

// The headless port (tete.cpp), which the tests link instead of a real one: a desktop
// they script. A mode set makes a memory bitmap of the size asked for.
struct Bureau {
    Zone moniteurs[4];  // the monitors, as RandR would list them
    int n;              // how many
    int x, y;           // the pointer, on the desktop
    bool cache;         // the window is minimised
    bool refuse_plein;  // full screen is refused
    int refuse_au_dela; // a mode larger than this on a side is refused (0: none is)
    bool video;         // full screen is a 640x480 video mode of its own, as on Windows
    bool plein;         // the mode set is full screen (written by the port)
    Zone ecran;         // where the mode set stands on the desktop (written by the port)
    int poses;          // mode sets tried (written by the port)
    int hz;             // the monitors' refresh rate; 0: unknown
};
extern Bureau bureau;  // written by the tests, and by the port where said
void ferme_ecran();    // the mode set is left: no screen, as before the first
