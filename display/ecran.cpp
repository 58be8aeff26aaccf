// The screen: its mode, full screen or a window, the zoom at which it shows the
// 640 x 480 picture, where the picture stands, the pointer's place in the picture,
// and the presentation of the back buffer.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "display/display.h"
#include "display/ecran.h"
#include "systeme/systeme.h"
#include "world/world.h"

#include <allegro/internal/aintern.h>  // the library's colour conversion blitter

const char SANS_MODE[] = "cannot set a 640x480 16-bit mode, full screen or windowed";
static bool ecran_plein;            // the mode now set is full screen, not a window
static int zoom = 1;                // each picture pixel is a zoom x zoom block of the screen
static int gauche, haut;            // the picture's top-left corner on the screen
static int plus_grand = 1;          // the largest zoom the current mode can show
static int choix_fenetre, choix_plein;  // the zoom chosen with F10 for each mode; 0: the largest
static bool sans_zoom = true;       // the screen is the 640x480 16-bit picture itself
static uint32_t teinte[1 << 16];    // each 16-bit picture pixel in the zoomed screen's depth
static uint32_t ligne[LARGEUR * ZOOM_MAX];  // one zoomed row
static std::atomic<int> revenu{0};  // 1: the display came back since the last look
static bool replace;                // the picture was placed anew since the last look
static bool cache;                  // the window is hidden: nothing is drawn or presented
static uint16_t montree[HAUTEUR][LARGEUR];  // the picture as the zoomed screen shows it
enum { RIEN, IMAGE, IMAGE_ET_MARGE };
static std::atomic<int> a_refaire{IMAGE};   // what the screen may not show any more: the rows of
                                            // montree, and its margin after a switch away

// The screen first, then the news: a frame drawn between the two writes everything.
void retour_ecran() {
    a_refaire.store(IMAGE_ET_MARGE);
    revenu.store(1);
}
END_OF_FUNCTION(retour_ecran)

bool ecran_revenu() { return revenu.exchange(0) != 0; }

bool ecran_replace() {
    const bool r = replace;
    replace = false;
    return r;
}

int zoom_max(int largeur, int hauteur, bool plein) {
    if (!plein) largeur = largeur * 9 / 10, hauteur = hauteur * 9 / 10;
    int z = largeur / LARGEUR < hauteur / HAUTEUR ? largeur / LARGEUR : hauteur / HAUTEUR;
    return z < 1 ? 1 : z > ZOOM_MAX ? ZOOM_MAX : z;
}

// Rounds down, also left of and above the picture.
static int en_bas(int a, int z) { return a >= 0 ? a / z : -((z - 1 - a) / z); }

void vers_image(int sx, int sy, int *x, int *y) {
    *x = en_bas(sx - gauche, zoom);
    *y = en_bas(sy - haut, zoom);
}

// Every 16-bit pixel in the given depth (16 or 32), converted by the library's own blitter:
// the one its X11 and DirectDraw windows use to show a 16-bit screen on a deeper
// desktop, so that a zoomed picture has the very colours of an unzoomed one. That blitter
// reads red in the top bits, but the picture's pixels are laid out as the library's 16-bit
// shifts say: those of the last 16-bit mode set, or its default with blue on top where none
// was, as when Windows starts straight in a zoomed 32-bit window. Each pixel is handed to
// the blitter with its fields where it expects them.
static void fais_teintes(int profondeur) {
    static uint16_t tous[1 << 16];
    for (int c = 0; c < 1 << 16; c++)
        tous[c] = static_cast<uint16_t>(((c >> _rgb_r_shift_16) & 0x1f) << 11 |
                                        ((c >> _rgb_g_shift_16) & 0x3f) << 5 | ((c >> _rgb_b_shift_16) & 0x1f));
    COLORCONV_BLITTER_FUNC *convertit = profondeur == 16 ? nullptr : _get_colorconv_blitter(16, profondeur);
    if (!convertit) {
        for (int c = 0; c < 1 << 16; c++) teinte[c] = static_cast<uint32_t>(c);
        return;
    }
    GRAPHICS_RECT de = {256, 256, 256 * 2, tous}, vers = {256, 256, 256 * 4, teinte};
    convertit(&de, &vers);
    _release_colorconv_blitter(convertit);
}

int teinte_ecran(int c) { return static_cast<int>(teinte[c & 0xffff]); }

void place_image(int largeur, int hauteur, int z, int profondeur) {
    zoom = z;
    gauche = (largeur - LARGEUR * z) / 2;
    haut = (hauteur - HAUTEUR * z) / 2;
    sans_zoom = z == 1 && gauche == 0 && haut == 0 && profondeur == 16;
    fais_teintes(profondeur);
    a_refaire.store(IMAGE);
    replace = true;
}

// n bytes from s to d. On x86 the stores bypass the cache: a zoomed picture is
// megabytes that this process never reads back, and plain stores would read each
// line of the screen first. Callers end a run of copies with fin_copies.
static void copie(char *d, const char *s, size_t n) {
#if defined(__SSE2__)
    for (; (reinterpret_cast<uintptr_t>(d) & 15) && n; n--) *d++ = *s++;
    for (; n >= 16; n -= 16, d += 16, s += 16)
        _mm_stream_si128(reinterpret_cast<__m128i *>(d), _mm_loadu_si128(reinterpret_cast<const __m128i *>(s)));
#endif
    std::memcpy(d, s, n);
}

static void fin_copies() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// Black from (x1, y1) up to (x2, y2) excluded, if that is not empty.
static void noircit(BITMAP *dest, int x1, int y1, int x2, int y2) {
    if (x1 < x2 && y1 < y2) rectfill(dest, x1, y1, x2 - 1, y2 - 1, 0);
}

// The black around the picture.
static void marge(BITMAP *dest) {
    const int droite = gauche + LARGEUR * zoom, bas = haut + HAUTEUR * zoom;
    noircit(dest, 0, 0, dest->w, haut);
    noircit(dest, 0, bas, dest->w, dest->h);
    noircit(dest, 0, haut, gauche, bas);
    noircit(dest, droite, haut, dest->w, bas);
}

// The picture zoomed into dest, a row at a time, each row written zoom times; what
// lies around the picture is written only after a switch away. Only rows that differ
// from those dest already shows are written, all of them after a mode set or a switch
// away, or always where the screen may lose them unannounced.
template <typename T> static void etire_en(BITMAP *dest) {
    T *l = reinterpret_cast<T *>(ligne);
    const int n = LARGEUR * zoom;
    const int refaire = a_refaire.exchange(RIEN);
    const bool tout = refaire != RIEN || !ecran_garde_image();
    acquire_bitmap(dest);
    if (refaire == IMAGE_ET_MARGE) marge(dest);
    for (int y = 0; y < HAUTEUR; y++) {
        const uint16_t *src = reinterpret_cast<const uint16_t *>(buffer->line[y]);
        if (!tout && std::memcmp(src, montree[y], sizeof montree[y]) == 0) continue;
        std::memcpy(montree[y], src, sizeof montree[y]);
        for (int x = 0, i = 0; x < LARGEUR; x++, i += zoom) {
            const T v = static_cast<T>(teinte[src[x]]);
            for (int k = 0; k < zoom; k++) l[i + k] = v;
        }
        for (int k = 0; k < zoom; k++) {
            T *d = reinterpret_cast<T *>(bmp_write_line(dest, haut + y * zoom + k)) + gauche;
            copie(reinterpret_cast<char *>(d), reinterpret_cast<const char *>(l), n * sizeof(T));
        }
    }
    fin_copies();
    bmp_unwrite_line(dest);
    release_bitmap(dest);
}

void etire(BITMAP *dest) {
    if (bitmap_color_depth(dest) == 32)
        etire_en<uint32_t>(dest);
    else
        etire_en<uint16_t>(dest);
}

bool image_visible() { return !cache; }

void presenter() {
    if (sans_zoom)
        blit(buffer, screen, 0, 0, 0, 0, LARGEUR, HAUTEUR);
    else
        etire(screen);
}

// The zoomed screen takes a 32-bit desktop's depth, where nothing converts the
// pixels again; on any other desktop, and for the plain 640x480 picture, it stays at 16 bits.
static int profondeur(int largeur, int hauteur, int z) {
    const bool simple = z == 1 && largeur == LARGEUR && hauteur == HAUTEUR;
    return !simple && desktop_color_depth() == 32 ? 32 : 16;
}

// One mode set. Each forgets the switch callbacks, and DirectDraw's full screen
// loses its picture when the user switches away: hence the callback, after each.
// The colour depth in force stays 16, that of the buffer and of every colour made.
static int essaie(int carte, int largeur, int hauteur, int z) {
    set_color_depth(profondeur(largeur, hauteur, z));
    const int r = pose_mode(carte, largeur, hauteur);
    set_color_depth(16);
    if (r != 0) return -1;
    set_display_switch_callback(SWITCH_IN, retour_ecran);
    clear_bitmap(screen);
    place_image(SCREEN_W, SCREEN_H, z, bitmap_color_depth(screen));
    return 0;
}

// The zoom chosen with F10 where it still fits, else the largest that does.
static int choisi(int choix, int tient) { return choix > 0 && choix <= tient ? choix : tient; }

static int distance(const Zone &m, int x, int y) {
    const int dx = x < m.x ? m.x - x : x >= m.x + m.largeur ? x - (m.x + m.largeur - 1) : 0;
    const int dy = y < m.y ? m.y - y : y >= m.y + m.hauteur ? y - (m.y + m.hauteur - 1) : 0;
    return dx + dy;
}

int moniteur_de(const Zone *liste, int n, int x, int y) {
    int meilleur = -1;
    for (int i = 0; i < n; i++)
        if (meilleur < 0 || distance(liste[i], x, y) < distance(liste[meilleur], x, y)) meilleur = i;
    return meilleur;
}

enum { MONITEURS = 16 };
static Zone connus[MONITEURS];  // the monitors as last seen
static int n_connus;

// The monitor that holds the pointer, or the one the screen stands on (the middle of
// its window, or of full screen) where a mode is set; false if none is known.
static bool moniteur(bool du_pointeur, Zone *m) {
    n_connus = moniteurs(connus, MONITEURS);
    Zone e;
    int x = 0, y = 0;
    if (!du_pointeur && gfx_driver && zone_ecran(&e))
        x = e.x + e.largeur / 2, y = e.y + e.hauteur / 2;
    else
        pointeur_bureau(&x, &y);
    const int i = moniteur_de(connus, n_connus, x, y);
    if (i < 0) return false;
    *m = connus[i];
    return true;
}

// Full screen: where it is a video mode of its own, 640x480 and nothing else. Else the
// monitor that holds the pointer, at its own size, the picture at the largest zoom that
// fits it (or as chosen), centred.
static int mode_plein() {
    if (video_commutee()) {
        if (essaie(GFX_AUTODETECT_FULLSCREEN, LARGEUR, HAUTEUR, 1) != 0) return -1;
        plus_grand = 1;
    } else {
        Zone m{0, 0, LARGEUR, HAUTEUR};
        moniteur(true, &m);
        const int tient = zoom_max(m.largeur, m.hauteur, true);
        if (essaie(GFX_AUTODETECT_FULLSCREEN, m.largeur, m.hauteur, choisi(choix_plein, tient)) != 0) return -1;
        place_plein_ecran(m);
        plus_grand = tient;
    }
    ecran_plein = true;
    return 0;
}

// A window 640z x 480z, z as chosen, else the largest within 90 % of the monitor it
// goes on: the one the screen stands on now, or at start the pointer's.
static int mode_fenetre() {
    Zone m;
    plus_grand = moniteur(false, &m) ? zoom_max(m.largeur, m.hauteur, false) : 1;
    const int z = choisi(choix_fenetre, plus_grand);
    if (essaie(GFX_AUTODETECT_WINDOWED, LARGEUR * z, HAUTEUR * z, z) != 0) return -1;
    ecran_plein = false;
    return 0;
}

static int pose(bool plein) { return plein ? mode_plein() : mode_fenetre(); }
static int &choix(bool plein) { return plein ? choix_plein : choix_fenetre; }

// The picture pixel under the real pointer, if it is over the picture.
static bool sous_pointeur(int *x, int *y) {
    if (!mouse_on_screen()) return false;
    vers_image(mouse_x, mouse_y, x, y);
    return *x >= 0 && *y >= 0 && *x < LARGEUR && *y < HAUTEUR;
}

// After a change of screen the pointer stays over the cell it was over, in the middle
// of that picture pixel's block, if it was over one; else where it is.
static void accorde(bool pointe, int x, int y) {
    if (pointe)
        accorde_pointeur(gauche + x * zoom + zoom / 2, haut + y * zoom + zoom / 2);
    else
        accorde_pointeur(-1, -1);
}

int ouvre_ecran() {
    LOCK_VARIABLE(revenu);
    LOCK_VARIABLE(a_refaire);
    LOCK_FUNCTION(retour_ecran);
    set_color_depth(16);
    fenetre_initiale(LARGEUR, HAUTEUR);
    if (mode_plein() != 0 && mode_fenetre() != 0) {
        choix_fenetre = 1;  // the plain 640x480 window, if a zoomed one was refused
        if (mode_fenetre() != 0) return -1;
    }
    accorde(false, 0, 0);
    return 0;
}

// Full screen or a window, everything else kept: the back buffer is a memory bitmap
// and outlives the mode; the colours are made again should the new mode lay pixels
// out otherwise; the pointer keeps its cell. If that mode cannot be had, the mode
// before comes back, and the new one's zoom choice is choix_avant again; without
// either the program leaves.
static void change(bool plein, int choix_avant) {
    const bool avant = ecran_plein;
    int x, y;
    const bool pointe = sous_pointeur(&x, &y);
    garde_couleurs();
    if (pose(plein) != 0) {
        choix(plein) = choix_avant;
        if (pose(avant) != 0) std::exit(echec(SANS_MODE));
    }
    refait_couleurs();
    accorde(pointe, x, y);
}

void bascule_ecran() {
    if (!gfx_driver || fenetres_perdues()) return;
    change(!ecran_plein, choix(!ecran_plein));
}

void zoom_suivant() {
    if (!gfx_driver || plus_grand == 1 || fenetres_perdues()) return;
    const int avant = choix(ecran_plein);
    choix(ecran_plein) = zoom % plus_grand + 1;
    if (!ecran_plein) return change(false, avant);
    int x, y;
    const bool pointe = sous_pointeur(&x, &y);
    clear_bitmap(screen);
    place_image(SCREEN_W, SCREEN_H, choix_plein, bitmap_color_depth(screen));
    accorde(pointe, x, y);
}

// The monitors changed: full screen is set up again on the monitor that holds the
// pointer, which it keeps within its own. A window is made again only where it no
// longer fits its monitor, which is also checked when nothing changed, as a window
// manager or the user may have taken it to a smaller one.
static bool suit_moniteurs() {
    Zone avant[MONITEURS];
    const int n_avant = n_connus;
    std::memcpy(avant, connus, sizeof avant);
    Zone m;
    if (!moniteur(false, &m) || fenetres_perdues()) return false;
    const bool changes = n_connus != n_avant || std::memcmp(avant, connus, n_connus * sizeof(Zone)) != 0;
    if (ecran_plein ? !changes : zoom <= zoom_max(m.largeur, m.hauteur, false)) return false;
    change(ecran_plein, choix(ecran_plein));
    return true;
}

using horloge = std::chrono::steady_clock;
static horloge::time_point prochain_regard;  // when surveille_ecran looks again
static int regards;                          // how many times it looked

bool surveille_ecran() {
    const horloge::time_point maintenant = horloge::now();
    if (!gfx_driver || maintenant < prochain_regard) return false;
    prochain_regard = maintenant + std::chrono::milliseconds(250);
    const bool etait_cache = cache;
    cache = ecran_cache();
    bool refait = false;
    if (etait_cache && !cache) {
        a_refaire.store(IMAGE_ET_MARGE);
        refait = true;
    }
    if (++regards % 4 == 0) refait = suit_moniteurs() || refait;
    return refait;
}
