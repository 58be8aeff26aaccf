// How the desktop asks the program to end (signals, the window's close button, the
// loss of the X display, X errors such as a destroyed window), how finely it sleeps,
// how modes are set and left, and what the screen is. What differs between platforms
// stays in this file.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/app.h"

#if defined(ALLEGRO_WITH_XWINDOWS)
#include <X11/Xlib.h>
#include <xalleg.h>
#include <allegro/platform/aintunix.h>

#include "app/icone.xpm"
extern void *allegro_icon;  // the library's, read when it creates its window; no header declares it
#elif defined(ALLEGRO_WINDOWS)
#include <winalleg.h>
#endif

std::atomic<int> sortie{-1};

#if defined(ALLEGRO_WINDOWS)
// Allegro's DirectDraw drivers remember the window's rectangle at the first mode
// and put the window back there whenever they leave a mode, full screen refused
// included; they do it holding the library's drawing lock, through calls that the
// library's window thread must answer, and that thread takes the same lock when the
// window is activated, deactivated or painted. Born 0x0 at (-100, -100), the window
// would leave the screen each time: Wine then unmaps it, a window manager moves the
// focus away, and the two threads can wait on each other for ever; or Wine maps it
// again before the manager has seen it go and the manager unmaps it after, for good.
// So the window is first put on screen (fenetre_initiale), and while a mode is set
// or left the window thread lets activation and painting pass.
static std::atomic<bool> en_changement{false};

static int avant_message(HWND fenetre, UINT message, WPARAM, LPARAM, int *retour) {
    if (!en_changement.load()) return 1;
    if (message == WM_PAINT)
        ValidateRect(fenetre, nullptr);
    else if (message != WM_ACTIVATE)
        return 1;
    *retour = 0;
    return 0;  // handled here
}

// A refused full screen can also leave the window minimised (Wine minimises an
// exclusive window that loses the focus), and a minimised window has no client area.
struct Changement {
    Changement() {
        HWND fenetre = win_get_window();
        if (fenetre && IsIconic(fenetre)) ShowWindow(fenetre, SW_RESTORE);
        en_changement.store(true);
    }
    ~Changement() { en_changement.store(false); }
};
#else
struct Changement {};
#endif

// Both only set sortie: the loop ends at its top and shuts down in order.
static void signal_recu(int n) { sortie.store(128 + n); }
static void fermeture() { sortie.store(0); }
END_OF_FUNCTION(fermeture)

// Once the loop has ended nothing reads sortie: a signal ends the process at once,
// so that a shutdown that hangs can never keep the user from stopping it.
static void signal_final(int n) { std::_Exit(128 + n); }

#if defined(ALLEGRO_WITH_XWINDOWS)
static std::atomic<int> erreur_x{0}, requete_x{0};  // the first X error: its code and request

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
#endif

// allegro_init creates the managed window with its title, class and icon: the
// project's must be in place before, as later they would reach only the inner window.
void nomme_fenetre() {
#if defined(ALLEGRO_WITH_XWINDOWS)
    xwin_set_window_name("vorplane", "vorplane");
    allegro_icon = const_cast<char **>(icone_xpm);
#endif
}

// SIGINT, SIGTERM and SIGHUP (where there is one) to the handler f.
static void signaux(void (*f)(int)) {
    std::signal(SIGINT, f);
    std::signal(SIGTERM, f);
#if defined(SIGHUP)
    std::signal(SIGHUP, f);
#endif
}

// After allegro_init, whose own handlers for these signals would shut the
// library down from inside the signal and abort. Windows wakes sleeping threads
// every 15.6 ms unless asked for 1 ms: the 10 ms timer and the loop's rest need it.
void ecoute_systeme() {
    signaux(signal_recu);
    LOCK_VARIABLE(sortie);
    LOCK_FUNCTION(fermeture);
    set_close_button_callback(fermeture);
#if defined(ALLEGRO_WITH_XWINDOWS)
    XSetIOErrorHandler(affichage_perdu);
    XSetErrorHandler(erreur_protocole);
#elif defined(ALLEGRO_WINDOWS)
    timeBeginPeriod(1);
    win_set_msg_pre_proc(avant_message);
#endif
}

// Where Allegro's windowed driver centres a w x h client area in the work area.
void fenetre_initiale(int w, int h) {
#if defined(ALLEGRO_WINDOWS)
    HWND fenetre = win_get_window();
    RECT cadre{0, 0, w, h}, travail;
    if (!fenetre || !AdjustWindowRect(&cadre, GetWindowLong(fenetre, GWL_STYLE), FALSE) ||
        !SystemParametersInfo(SPI_GETWORKAREA, 0, &travail, 0))
        return;
    const int x = (travail.left + travail.right - w) / 2, y = (travail.top + travail.bottom - h) / 2;
    SetWindowPos(fenetre, nullptr, x + cadre.left, y + cadre.top, cadre.right - cadre.left,
                 cadre.bottom - cadre.top, SWP_NOZORDER | SWP_NOACTIVATE);
#else
    (void)w, (void)h;
#endif
}

int pose_mode(int carte, int w, int h) {
    [[maybe_unused]] Changement c;
    return set_gfx_mode(carte, w, h, 0, 0);
}

void quitte_bibliotheque() {
    [[maybe_unused]] Changement c;
    allegro_exit();
}

void signaux_immediats() { signaux(signal_final); }

// A mode change waits until its window is mapped, which a destroyed window never
// is: ask the server about both of the library's windows first.
bool ecran_perdu() {
#if defined(ALLEGRO_WITH_XWINDOWS)
    if (!_xwin.display) return false;
    XWindowAttributes a;
    XLOCK();
    const bool vivant = XGetWindowAttributes(_xwin.display, _xwin.wm_window, &a) &&
                        XGetWindowAttributes(_xwin.display, _xwin.window, &a);
    XUNLOCK();
    return !vivant || erreur_x.load() != 0;
#else
    return false;
#endif
}

// X11 full screen switches the video mode only where VidMode offers 640x480 or
// more on a local display; DirectDraw's full screen is a real 640x480 mode.
bool mode_bascule() {
#if defined(ALLEGRO_WITH_XWINDOWS) && defined(ALLEGRO_XWINDOWS_WITH_XF86VIDMODE)
    return _xwin.mode_switched != 0;
#elif defined(ALLEGRO_WITH_XWINDOWS)
    return false;
#else
    return true;
#endif
}

bool taille_bureau(int *largeur, int *hauteur) { return get_desktop_resolution(largeur, hauteur) == 0; }

void rapport_systeme() {
#if defined(ALLEGRO_WITH_XWINDOWS)
    if (erreur_x.load() != 0)
        std::fprintf(stderr, "vorplane: the X server refused a request (error %d, request %d): "
                     "was the window destroyed?\n", erreur_x.load(), requete_x.load());
#endif
}
