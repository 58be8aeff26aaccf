// The X11 port: X errors and the loss of the display, the window's name and icon,
// the pointer, and the probes of the screen (x11_fenetre.cpp: its modes; posix.cpp:
// the signals).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <allegro.h>
#include <xalleg.h>
#include <allegro/platform/aintunix.h>

#include "icone_argb.h"
#include "systeme/systeme.h"
#include "systeme/icone.xpm"

extern void *allegro_icon;  // the library's, read when it creates its window; no header declares it

static std::atomic<int> erreur_x{0}, requete_x{0};  // the first X error: its code and request

// Xlib ends the process once this returns, through exit and the library's
// shutdown, which waits on the lost connection and aborts. Leave at once instead.
static int affichage_perdu(Display *) { echec("the X display was lost", false); }

// Xlib's default handler calls exit from whatever thread met the error, inside the
// library's lock, and the library's shutdown then waits on it. This one notes the
// first error, asks the loop to end with status 1 and makes no X request; later
// errors, such as those of a shutdown on a destroyed window, are ignored.
static int erreur_protocole(Display *, XErrorEvent *e) {
    int aucune = 0;
    if (erreur_x.compare_exchange_strong(aucune, e->error_code)) requete_x.store(e->request_code);
    demande_fin(1);
    return 0;
}

// allegro_init creates the managed window with its title, class and icon: the
// project's must be in place before, as later they would reach only the inner window.
void prepare_systeme() {
    xwin_set_window_name("vorplane", "vorplane");
    allegro_icon = const_cast<char **>(icone_xpm);
}

// The icon at several sizes, with its transparency, where panels and task switchers
// look for it: Xlib hands 32-bit properties over as longs.
static void icone_ewmh() {
    const std::vector<long> valeurs(std::begin(icone_argb), std::end(icone_argb));
    XChangeProperty(_xwin.display, _xwin.wm_window, XInternAtom(_xwin.display, "_NET_WM_ICON", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(valeurs.data()),
                    static_cast<int>(valeurs.size()));
}

// The library makes the window's icon pixmaps anew whenever it sets the window's hints,
// at every mode set, and never frees them. Those it made with the window are kept and
// given back after each setting, and it makes no more.
static Pixmap icone, masque;
static void (*defauts_bibliotheque)();

static void defauts() {
    defauts_bibliotheque();
    XWMHints *h = XGetWMHints(_xwin.display, _xwin.wm_window);
    if (!h) return;
    h->flags |= IconPixmapHint | IconMaskHint;
    h->icon_pixmap = icone, h->icon_mask = masque;
    XSetWMHints(_xwin.display, _xwin.wm_window, h);
    XFree(h);
}

static void garde_icone() {
    XWMHints *h = XGetWMHints(_xwin.display, _xwin.wm_window);
    if (!h) return;
    const bool faite = h->flags & IconPixmapHint;
    icone = h->icon_pixmap, masque = h->flags & IconMaskHint ? h->icon_mask : None;
    XFree(h);
    if (!faite) return;
    allegro_icon = nullptr;
    defauts_bibliotheque = _xwin_window_defaultor;
    _xwin_window_defaultor = defauts;
}

// The server's auto-repeat sends a release and a press together, which the library
// passes on as a new press unless both come in one batch of events: asked to, the
// server sends only the presses.
void ecoute_systeme() {
    LOCK_VARIABLE(sortie);
    LOCK_FUNCTION(fermeture);
    set_close_button_callback(fermeture);
    XSetIOErrorHandler(affichage_perdu);
    XSetErrorHandler(erreur_protocole);
    if (!_xwin.display) return;
    XLOCK();
    XkbSetDetectableAutoRepeat(_xwin.display, True, nullptr);
    icone_ewmh();
    garde_icone();
    XUNLOCK();
}

void fenetre_initiale(int, int) {}

void quitte_bibliotheque() { allegro_exit(); }

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

// The library's own drawing works so: it marks itself inside a drawing call, and then
// tells the window of the rectangle drawn. Memory bitmaps need none of it.
extern "C" int _xwin_in_gfx_call;
extern "C" void _xwin_update_screen(int x, int y, int w, int h);

void ecriture(BITMAP *b, bool commence) {
    if (is_screen_bitmap(b)) _xwin_in_gfx_call = commence;
}

void zone_ecrite(BITMAP *b, int x, int y, int largeur, int hauteur) {
    if (is_screen_bitmap(b)) _xwin_update_screen(x + b->x_ofs, y + b->y_ofs, largeur, hauteur);
}

// RandR 1.5 lists monitors as the desktop arranges them (xrandr --setmonitor
// included); an older server gets the root window, as does a list without any.
static bool randr_15(Display *d) {
    static int avec = -1;  // the server has RandR 1.5; -1: not asked yet
    int evenement, erreur, majeure = 0, mineure = 0;
    if (avec < 0)
        avec = XRRQueryExtension(d, &evenement, &erreur) && XRRQueryVersion(d, &majeure, &mineure) &&
               (majeure > 1 || (majeure == 1 && mineure >= 5));
    return avec;
}

int moniteurs(Zone *liste, int max) {
    if (!_xwin.display || max < 1) return 0;
    XLOCK();
    Display *d = _xwin.display;
    const Window racine = DefaultRootWindow(d);
    int n = 0;
    if (randr_15(d)) {
        XRRMonitorInfo *m = XRRGetMonitors(d, racine, True, &n);
        n = std::min(n, max);
        for (int i = 0; i < n; i++) liste[i] = {m[i].x, m[i].y, m[i].width, m[i].height};
        if (m) XRRFreeMonitors(m);
    }
    XWindowAttributes a;
    if (n <= 0 && XGetWindowAttributes(d, racine, &a)) liste[0] = {0, 0, a.width, a.height}, n = 1;
    XUNLOCK();
    return std::max(n, 0);
}

bool pointeur_bureau(int *x, int *y) {
    if (!_xwin.display) return false;
    Window racine, enfant;
    int wx, wy;
    unsigned boutons;
    XLOCK();
    const bool ok = XQueryPointer(_xwin.display, DefaultRootWindow(_xwin.display), &racine, &enfant, x, y,
                                  &wx, &wy, &boutons);
    XUNLOCK();
    return ok;
}

// The rate of the mode of the CRTC that shows the middle of the screen.
int frequence_ecran() {
    Zone z;
    if (!zone_ecran(&z) || !randr_15(_xwin.display)) return 0;
    const int x = z.x + z.largeur / 2, y = z.y + z.hauteur / 2;
    XLOCK();
    Display *d = _xwin.display;
    XRRScreenResources *r = XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d));
    double hz = 0;
    for (int i = 0; r && i < r->ncrtc && hz == 0; i++) {
        XRRCrtcInfo *c = XRRGetCrtcInfo(d, r, r->crtcs[i]);
        if (c && c->mode != None && x >= c->x && y >= c->y && x < c->x + static_cast<int>(c->width) &&
            y < c->y + static_cast<int>(c->height))
            for (int m = 0; m < r->nmode; m++) {
                const XRRModeInfo &mi = r->modes[m];
                if (mi.id == c->mode && mi.hTotal && mi.vTotal)
                    hz = static_cast<double>(mi.dotClock) / (static_cast<double>(mi.hTotal) * mi.vTotal) *
                         (mi.modeFlags & RR_Interlace ? 2 : 1) / (mi.modeFlags & RR_DoubleScan ? 2 : 1);
            }
        if (c) XRRFreeCrtcInfo(c);
    }
    if (r) XRRFreeScreenResources(r);
    XUNLOCK();
    return static_cast<int>(hz + 0.5);
}

bool zone_ecran(Zone *z) {
    if (!_xwin.display) return false;
    Window enfant;
    XLOCK();
    const bool ok = XTranslateCoordinates(_xwin.display, _xwin.window, DefaultRootWindow(_xwin.display), 0, 0,
                                          &z->x, &z->y, &enfant);
    XUNLOCK();
    z->largeur = _xwin.window_width, z->hauteur = _xwin.window_height;
    return ok;
}

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
