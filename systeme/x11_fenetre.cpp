// The X11 port's window: every mode is the library's managed window, which a window
// manager is asked to show full screen (EWMH) on one monitor, or which covers that
// monitor by itself where no such manager runs; whether the desktop hides it; and the
// library's input thread's pass over the X events, which the first mode set takes over.
// Nothing here grabs the keyboard or the pointer, and the library's full-screen
// driver, with its override-redirect window and its video-mode switch, is never used.
#include <algorithm>
#include <chrono>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <allegro.h>
#include <xalleg.h>

#include "systeme/systeme.h"

static Atom atome(const char *nom) { return XInternAtom(_xwin.display, nom, False); }

// Up to n 32-bit items of property p of window w, of the given type (Xlib hands
// them over as longs); how many there are.
static int propriete(Window w, Atom p, Atom type, long *valeurs, int n) {
    Atom lu;
    int format, k = 0;
    unsigned long nombre, reste;
    unsigned char *octets = nullptr;
    if (XGetWindowProperty(_xwin.display, w, p, 0, n, False, type, &lu, &format, &nombre, &reste, &octets) ==
            Success &&
        octets && lu == type && format == 32) {
        k = static_cast<int>(std::min<unsigned long>(nombre, n));
        std::memcpy(valeurs, octets, k * sizeof(long));
    }
    if (octets) XFree(octets);
    return k;
}

static bool contient(const long *liste, int n, Atom a) { return std::find(liste, liste + n, long(a)) != liste + n; }

// The root's child that an EWMH window manager names as its check window, if it still
// exists: asked of the window tree, as a request on a window that is gone would fail.
static bool verification_vivante(Window racine) {
    long w = 0;
    if (propriete(racine, atome("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, &w, 1) != 1) return false;
    Window r, parent, *enfants = nullptr;
    unsigned n = 0;
    bool vue = false;
    if (XQueryTree(_xwin.display, racine, &r, &parent, &enfants, &n))
        vue = std::find(enfants, enfants + n, Window(w)) != enfants + n;
    if (enfants) XFree(enfants);
    return vue;
}

// What the running window manager supports, from its _NET_SUPPORTED list.
struct Gestionnaire {
    bool plein;      // full screen (_NET_WM_STATE_FULLSCREEN); false: none runs, or an older one
    bool moniteurs;  // full screen on a given monitor (_NET_WM_FULLSCREEN_MONITORS)
};

static Gestionnaire gestionnaire() {
    const Window racine = DefaultRootWindow(_xwin.display);
    if (!verification_vivante(racine)) return {false, false};
    enum { MAX = 1024 };
    static long prises[MAX];
    const int n = propriete(racine, atome("_NET_SUPPORTED"), XA_ATOM, prises, MAX);
    return {contient(prises, n, atome("_NET_WM_STATE_FULLSCREEN")),
            contient(prises, n, atome("_NET_WM_FULLSCREEN_MONITORS"))};
}

// A window manager lets a window go once it has removed WM_STATE or set it Withdrawn.
static bool gere() {
    long etat[2] = {0, 0};
    const Atom a = atome("WM_STATE");
    return propriete(_xwin.wm_window, a, a, etat, 2) >= 1 && etat[0] != WithdrawnState;
}

// The window's state, as the window manager (or without one, the program) set it, says
// full screen.
static bool montre_plein() {
    long etats[16];
    const int n = propriete(_xwin.wm_window, atome("_NET_WM_STATE"), XA_ATOM, etats, 16);
    return contient(etats, n, atome("_NET_WM_STATE_FULLSCREEN"));
}

// An invisible window of ours that holds the keyboard while the program's window is
// withdrawn and mapped anew, so that a key typed meanwhile reaches the program, not
// whatever window the desktop would give the keyboard to; made at the first mode set.
static Window garde = None;
static std::atomic<bool> changement{false};  // the screen is being changed, and had the keyboard

static Window clavier() {
    Window w;
    int retour;
    XGetInputFocus(_xwin.display, &w, &retour);
    return w;
}

// The keyboard goes elsewhere than to the program's window.
static bool sans_clavier() {
    const Window w = clavier();
    return w != _xwin.wm_window && w != _xwin.window;
}

static void donne_clavier(Window w) {
    XWindowAttributes a;
    if (XGetWindowAttributes(_xwin.display, w, &a) && a.map_state == IsViewable)
        XSetInputFocus(_xwin.display, w, RevertToPointerRoot, CurrentTime);
}

// The library's display-switch callbacks, in its input thread: the library reports every
// key released when its window loses the keyboard, and not again held when it gets it
// back. Around a change the record keeps the keys held across, asking the server which
// keys are down once the keyboard is back.
static void clavier_sort() {
    if (changement.load()) clavier_part();
}

static void clavier_rentre() {
    if (!changement.exchange(false)) return;
    char carte[32];
    bool bas[128] = {};
    XQueryKeymap(_xwin.display, carte);
    for (int code = 8; code < 256; code++) {
        const int k = _xwin.keycode_to_scancode[code];
        if ((carte[code / 8] >> (code % 8) & 1) && k > 0 && k < 128) bas[k] = true;
    }
    clavier_revient(bas);
}

// The window's map or state may have changed since ecran_cache last asked the server.
static std::atomic<bool> a_revoir{true};

// Looks at an event waiting for the library, and leaves it there.
static Bool voit(Display *, XEvent *e, XPointer) {
    const bool fenetre = e->xany.window == _xwin.wm_window || e->xany.window == _xwin.window;
    if (fenetre && (e->type == MapNotify || e->type == UnmapNotify || e->type == PropertyNotify))
        a_revoir.store(true);
    return False;
}

// The library's input thread's pass. The library handles at most 50 X events in each
// of its passes, a hundred a second: a pointer or keyboard faster than that would never
// be caught up, and the events waiting would pile up in memory. Each pass handles all
// that wait, in rounds of the library's own handling, for 8 ms at most, so that the main
// thread, which waits on the same lock to present a frame, goes on; it first notes an
// event that may hide or show the window. A pass with nothing to handle sends what the
// program asked of the server and reads what came, without the library's round trip.
static void pompe() {
    XFlush(_xwin.display);
    if (XEventsQueued(_xwin.display, QueuedAfterReading) == 0) return;
    XEvent e;
    XCheckIfEvent(_xwin.display, &e, voit, nullptr);
    using horloge = std::chrono::steady_clock;
    const horloge::time_point fin = horloge::now() + std::chrono::milliseconds(8);
    do
        _xwin_private_handle_input();
    while (XEventsQueued(_xwin.display, QueuedAlready) > 0 && horloge::now() < fin);
}

static void fais_garde() {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.event_mask = KeyPressMask | KeyReleaseMask;
    garde = XCreateWindow(_xwin.display, DefaultRootWindow(_xwin.display), -10, -10, 1, 1, 0, 0, InputOnly,
                          CopyFromParent, CWOverrideRedirect | CWEventMask, &a);
    XMapWindow(_xwin.display, garde);
    set_display_switch_callback(SWITCH_OUT, clavier_sort);
    set_display_switch_callback(SWITCH_IN, clavier_rentre);
    _xwin_input_handler = pompe;
}

// Before a change, the keyboard goes to the invisible window, if the program had it.
static void garde_clavier() {
    if (garde == None) fais_garde();
    const Window w = clavier();
    if (w != _xwin.wm_window && w != _xwin.window && w != garde) return;
    changement.store(true);
    donne_clavier(garde);
}

// Waits, a quarter of a second at most, until encore() is false.
static void attend(bool (*encore)()) {
    for (int i = 0; i < 250; i++) {
        XLOCK();
        const bool oui = encore();
        XUNLOCK();
        if (!oui) return;
        rest(1);
    }
}

// An EWMH request about our window, sent to the root as EWMH asks.
static void demande(const char *quoi, long a, long b, long c, long d, long e) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = _xwin.wm_window;
    ev.xclient.message_type = atome(quoi);
    ev.xclient.format = 32;
    const long donnees[5] = {a, b, c, d, e};
    std::copy(donnees, donnees + 5, ev.xclient.data.l);
    XSendEvent(_xwin.display, DefaultRootWindow(_xwin.display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

// Withdraws the window. A window manager is first asked to end its full screen, if it
// shows it so, as some ignore the size asked of a window they think full screen, even
// unmapped; then, once it has let the window go, what is set for the next map cannot be
// undone by its unmanaging. A window mapped by another client, as the library's hidden
// one can be, is withdrawn too, so that the library's mode set sees it mapped anew.
static void retire(const Gestionnaire &g) {
    XLOCK();
    const bool plein = g.plein && montre_plein();
    if (plein) demande("_NET_WM_STATE", 0, static_cast<long>(atome("_NET_WM_STATE_FULLSCREEN")), 0, 1, 0);
    XUNLOCK();
    if (plein) attend(montre_plein);
    XLOCK();
    XWithdrawWindow(_xwin.display, _xwin.wm_window, _xwin.screen);
    XSync(_xwin.display, False);
    XUNLOCK();
    if (g.plein) attend(gere);
}

// The index of monitor m among RandR's, which is the order window managers number
// monitors in (the Xinerama one); -1 if it is not among them.
static int indice(const Zone &m) {
    Zone liste[16];
    const int n = moniteurs(liste, 16);
    for (int i = 0; i < n; i++)
        if (liste[i].x == m.x && liste[i].y == m.y && liste[i].largeur == m.largeur &&
            liste[i].hauteur == m.hauteur)
            return i;
    return -1;
}

// Before the map: the state the window manager reads when it takes the window (an
// empty list for a window, not none, which some read as "as before"), and where the
// window stands, on the monitor it is to cover.
static void annonce(const Zone *plein) {
    const long f = static_cast<long>(atome("_NET_WM_STATE_FULLSCREEN"));
    XLOCK();
    XChangeProperty(_xwin.display, _xwin.wm_window, atome("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&f), plein ? 1 : 0);
    if (plein) XMoveWindow(_xwin.display, _xwin.wm_window, plein->x, plein->y);
    XUNLOCK();
}

// After the map, a window manager is asked again, as one may have read the window
// before its state was set, and full screen is moved onto its monitor, which one that
// placed the window elsewhere follows, and named where the manager can be told. Without
// a manager, the window is raised and given the keyboard, which no one else would give it.
static void confirme(const Zone *plein, const Gestionnaire &g) {
    const int i = plein && g.moniteurs ? indice(*plein) : -1;
    XLOCK();
    if (g.plein) {
        demande("_NET_WM_STATE", plein ? 1 : 0, static_cast<long>(atome("_NET_WM_STATE_FULLSCREEN")), 0, 1, 0);
        if (plein) XMoveWindow(_xwin.display, _xwin.wm_window, plein->x, plein->y);
        if (i >= 0) demande("_NET_WM_FULLSCREEN_MONITORS", i, i, i, i, 1);
    } else {
        XRaiseWindow(_xwin.display, _xwin.wm_window);
        donne_clavier(_xwin.wm_window);
    }
    XFlush(_xwin.display);
    XUNLOCK();
}

int pose_mode(int largeur, int hauteur, const Zone *plein) {
    if (!_xwin.display) return set_gfx_mode(GFX_AUTODETECT_WINDOWED, largeur, hauteur, 0, 0);
    XLOCK();
    const Gestionnaire g = gestionnaire();
    garde_clavier();
    XUNLOCK();
    retire(g);
    annonce(plein);
    const int r = set_gfx_mode(GFX_AUTODETECT_WINDOWED, largeur, hauteur, 0, 0);
    if (r != 0) return r;
    confirme(plein, g);
    attend(sans_clavier);  // a key typed once the picture shows must reach it
    XLOCK();
    if (clavier() == garde) donne_clavier(_xwin.wm_window);  // no window manager gave it back
    XUNLOCK();
    return 0;
}

bool video_commutee() { return false; }

BITMAP *surface() { return gfx_driver ? screen : nullptr; }

// The picture's window is viewable only while every window it stands in is mapped;
// a desktop that minimises a window may also leave it mapped and say so in its state.
// The server is asked again after an event that may have changed either, and at every
// fourth call whatever came: an event the library read and handled between two passes
// is not seen.
bool ecran_cache() {
    static bool cache;
    static int appels;
    if (!_xwin.display || (!a_revoir.exchange(false) && ++appels % 4 != 0)) return cache;
    XWindowAttributes a;
    long etats[16];
    XLOCK();
    cache = !XGetWindowAttributes(_xwin.display, _xwin.window, &a) || a.map_state != IsViewable;
    const int n = cache ? 0 : propriete(_xwin.wm_window, atome("_NET_WM_STATE"), XA_ATOM, etats, 16);
    cache = cache || contient(etats, n, atome("_NET_WM_STATE_HIDDEN"));
    XUNLOCK();
    return cache;
}
