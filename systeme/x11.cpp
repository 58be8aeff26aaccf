// The X11 port: signals, X errors and the loss of the display, the window's name
// and icon, and the probes of the screen.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <allegro.h>
#include <xalleg.h>
#include <allegro/platform/aintunix.h>

#include "systeme/systeme.h"
#include "systeme/icone.xpm"

extern void *allegro_icon;  // the library's, read when it creates its window; no header declares it

static std::atomic<int> erreur_x{0}, requete_x{0};  // the first X error: its code and request

// Both only set sortie: the loop ends at its top and shuts down in order.
static void signal_recu(int n) { sortie.store(128 + n); }
static void fermeture() { sortie.store(0); }
END_OF_FUNCTION(fermeture)

// Once the loop has ended nothing reads sortie: a signal ends the process at once,
// so that a shutdown that hangs can never keep the user from stopping it.
static void signal_final(int n) { std::_Exit(128 + n); }

static void signaux(void (*f)(int)) {
    std::signal(SIGINT, f);
    std::signal(SIGTERM, f);
    std::signal(SIGHUP, f);
}

// Xlib ends the process once this returns, through exit and the library's
// shutdown, which waits on the lost connection and aborts. Leave at once instead.
static int affichage_perdu(Display *) {
    std::fputs("vorplane: the X display was lost\n", stderr);
    std::_Exit(1);
}

// Xlib's default handler calls exit from whatever thread met the error, inside the
// library's lock, and the library's shutdown then waits on it. This one notes the
// first error, asks the loop to end with status 1 and makes no X request; later
// errors, such as those of a shutdown on a destroyed window, are ignored.
static int erreur_protocole(Display *, XErrorEvent *e) {
    int aucune = 0, encours = -1;
    if (erreur_x.compare_exchange_strong(aucune, e->error_code)) requete_x.store(e->request_code);
    sortie.compare_exchange_strong(encours, 1);
    return 0;
}

// allegro_init creates the managed window with its title, class and icon: the
// project's must be in place before, as later they would reach only the inner window.
void nomme_fenetre() {
    xwin_set_window_name("vorplane", "vorplane");
    allegro_icon = const_cast<char **>(icone_xpm);
}

// After allegro_init, whose own handlers for these signals would shut the
// library down from inside the signal and abort. The server's auto-repeat sends a
// release and a press together, which the library passes on as a new press unless
// both come in one batch of events: asked to, the server sends only the presses.
void ecoute_systeme() {
    signaux(signal_recu);
    LOCK_VARIABLE(sortie);
    LOCK_FUNCTION(fermeture);
    set_close_button_callback(fermeture);
    XSetIOErrorHandler(affichage_perdu);
    XSetErrorHandler(erreur_protocole);
    if (!_xwin.display) return;
    XLOCK();
    XkbSetDetectableAutoRepeat(_xwin.display, True, nullptr);
    XUNLOCK();
}

void signaux_immediats() { signaux(signal_final); }

void fenetre_initiale(int, int) {}

int pose_mode(int carte, int w, int h) { return set_gfx_mode(carte, w, h, 0, 0); }

void quitte_bibliotheque() { allegro_exit(); }

// Full screen switches the video mode only where VidMode offers 640x480 or more
// on a local display.
bool video_commutee() {
#if defined(ALLEGRO_XWINDOWS_WITH_XF86VIDMODE)
    return _xwin.mode_switched != 0;
#else
    return false;
#endif
}

// The library warps the pointer only when it is in the window already, and after
// position_mouse it follows the pointer by relative moves for a while, then warps it
// to where it believes it is. All is done under the library's lock, so that its
// thread sees the next pointer event in its usual absolute way.
void accorde_pointeur(int x, int y) {
    if (!_xwin.display) return;
    XLOCK();
    if (x >= 0) XWarpPointer(_xwin.display, None, _xwin.window, 0, 0, 0, 0, x, y);
    Window racine, enfant;
    int rx, ry, wx, wy;
    unsigned boutons;
    if (XQueryPointer(_xwin.display, _xwin.window, &racine, &enfant, &rx, &ry, &wx, &wy, &boutons))
        position_mouse(wx, wy);
    _xwin.mouse_warped = 0;
    XUNLOCK();
}

bool ecran_garde_image() { return true; }

bool taille_bureau(int *largeur, int *hauteur) { return get_desktop_resolution(largeur, hauteur) == 0; }

// Asks the server about both of the library's windows.
bool fenetres_perdues() {
    if (!_xwin.display) return false;
    XWindowAttributes a;
    XLOCK();
    const bool existent = XGetWindowAttributes(_xwin.display, _xwin.wm_window, &a) &&
                          XGetWindowAttributes(_xwin.display, _xwin.window, &a);
    XUNLOCK();
    return !existent || erreur_x.load() != 0;
}

void rapport_systeme() {
    if (erreur_x.load() != 0)
        std::fprintf(stderr, "vorplane: the X server refused a request (error %d, request %d): "
                     "was the window destroyed?\n", erreur_x.load(), requete_x.load());
}
