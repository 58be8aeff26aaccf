// The Windows port: signals, the close button, the timer's granularity, and the
// library's window thread kept out of the way while modes are set and left.
#include <csignal>

#include <allegro.h>
#include <winalleg.h>

#include "systeme/systeme.h"

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

// The C library puts a signal back to its default action before calling its handler:
// put back first, so that a second one comes here too.
static void signal_recu(int n) {
    std::signal(n, signal_recu);
    signal_de_fin(n);
}

void prepare_signaux() {
    std::signal(SIGINT, signal_recu);
    std::signal(SIGTERM, signal_recu);
}

void prepare_systeme() {}

// Windows wakes sleeping threads every 15.6 ms unless asked for 1 ms: the 10 ms
// timer and the loop's rest need it.
void ecoute_systeme() {
    LOCK_VARIABLE(sortie);
    LOCK_FUNCTION(fermeture);
    set_close_button_callback(fermeture);
    timeBeginPeriod(1);
    win_set_msg_pre_proc(avant_message);
}

// Where Allegro's windowed driver centres a w x h client area in the work area.
void fenetre_initiale(int w, int h) {
    HWND fenetre = win_get_window();
    RECT cadre{0, 0, w, h}, travail;
    if (!fenetre || !AdjustWindowRect(&cadre, GetWindowLong(fenetre, GWL_STYLE), FALSE) ||
        !SystemParametersInfo(SPI_GETWORKAREA, 0, &travail, 0))
        return;
    const int x = (travail.left + travail.right - w) / 2, y = (travail.top + travail.bottom - h) / 2;
    SetWindowPos(fenetre, nullptr, x + cadre.left, y + cadre.top, cadre.right - cadre.left,
                 cadre.bottom - cadre.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The keyboard reaches the program once its window is active: the library takes the
// keys from DirectInput, which reports only the keys that change once it has them, so a
// key pressed before and held is never seen. Under Wine on a loaded machine the window
// can become active well after its first frame; the mode set waits for it, two seconds
// at most, so that a key typed once the picture shows reaches the program.
int pose_mode(int largeur, int hauteur, const Zone *plein) {
    int r;
    {
        [[maybe_unused]] Changement c;
        r = set_gfx_mode(plein ? GFX_AUTODETECT_FULLSCREEN : GFX_AUTODETECT_WINDOWED, largeur, hauteur, 0, 0);
    }
    HWND fenetre = win_get_window();
    for (int i = 0; r == 0 && fenetre && GetForegroundWindow() != fenetre && i < 200; i++) Sleep(10);
    return r;
}

void quitte_bibliotheque() {
    [[maybe_unused]] Changement c;
    allegro_exit();
}

bool video_commutee() { return true; }

BITMAP *surface() { return gfx_driver ? screen : nullptr; }

// The library's pointer is the real one, moved wherever it says.
void accorde_pointeur(int x, int y) {
    if (x >= 0) position_mouse(x, y);
}

// A zoomed window's screen lives in video memory, and when DirectDraw reports it
// lost, the library restores it and calls no switch callback.
bool ecran_garde_image() { return false; }

// The library notes each line asked for as one to show.
void ecriture(BITMAP *, bool) {}
void zone_ecrite(BITMAP *, int, int, int, int) {}

struct Liste {
    Zone *zones;
    int max, n;
};

static BOOL CALLBACK un_moniteur(HMONITOR, HDC, LPRECT r, LPARAM l) {
    Liste *liste = reinterpret_cast<Liste *>(l);
    if (liste->n < liste->max)
        liste->zones[liste->n++] = {r->left, r->top, r->right - r->left, r->bottom - r->top};
    return TRUE;
}

int moniteurs(Zone *zones, int max) {
    Liste liste{zones, max, 0};
    EnumDisplayMonitors(nullptr, nullptr, un_moniteur, reinterpret_cast<LPARAM>(&liste));
    return liste.n;
}

bool pointeur_bureau(int *x, int *y) {
    POINT p;
    if (!GetCursorPos(&p)) return false;
    *x = p.x, *y = p.y;
    return true;
}

bool zone_ecran(Zone *z) {
    HWND fenetre = win_get_window();
    RECT r;
    POINT coin{0, 0};
    if (!fenetre || !GetClientRect(fenetre, &r) || !ClientToScreen(fenetre, &coin)) return false;
    *z = {coin.x, coin.y, r.right - r.left, r.bottom - r.top};
    return true;
}

bool ecran_cache() {
    HWND fenetre = win_get_window();
    return fenetre && IsIconic(fenetre);
}

bool fenetres_perdues() { return false; }

// The loop's rest: an event that any thread sets and the wait takes back.
static HANDLE evenement = CreateEvent(nullptr, FALSE, FALSE, nullptr);

void reveille() { SetEvent(evenement); }

bool attend_reveil(long long delai) {
    const DWORD ms = delai <= 0 ? 0 : static_cast<DWORD>((delai + 999) / 1000);
    return WaitForSingleObject(evenement, ms) == WAIT_OBJECT_0;
}

// 0 and 1 mean the hardware's default.
int frequence_ecran() {
    DEVMODE mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettings(nullptr, ENUM_CURRENT_SETTINGS, &mode) || mode.dmDisplayFrequency <= 1) return 0;
    return static_cast<int>(mode.dmDisplayFrequency);
}

void rapport_systeme() {}
