// The presentation of the back buffer on the screen: the table of its colours in the
// screen's depth, the rows the screen shows already, the portable lines, the margin,
// and the news of a screen that came back from a switch away and needs them all.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "display/display.h"
#include "display/ecran.h"
#include "world/world.h"

#include <allegro/internal/aintern.h>  // the library's colour conversion blitter

static bool sans_zoom = true;       // the screen is the 640x480 16-bit picture itself
static uint32_t teinte[1 << 16];    // each 16-bit picture pixel in the zoomed screen's depth
static uint32_t ligne[LARGEUR * ZOOM_MAX];  // one zoomed row, for the portable presentation
static std::atomic<int> revenu{0};  // 1: the display came back since the last look
static bool replace;                // the picture was placed anew since the last look
static uint16_t montree[HAUTEUR][LARGEUR];  // the picture as the zoomed screen shows it
enum { RIEN, IMAGE, IMAGE_ET_MARGE };
static std::atomic<int> a_refaire{IMAGE};   // what the screen may not show any more: the rows of
                                            // montree, and its margin after a switch away

// The screen first, then the news: a frame drawn between the two writes everything.
void retour_ecran() {
    a_refaire.store(IMAGE_ET_MARGE);
    revenu.store(1);
    reveille();
}
END_OF_FUNCTION(retour_ecran)

bool ecran_revenu() { return revenu.exchange(0) != 0; }

bool ecran_replace() {
    const bool r = replace;
    replace = false;
    return r;
}

int teinte_ecran(int c) { return static_cast<int>(teinte[c & 0xffff]); }

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

// A picture row src kept as what the screen will show, and converted into c.
template <typename T> static void convertit_portable(const uint16_t *src, uint16_t *garde, T *c, const uint32_t *t) {
    for (int x = 0; x < LARGEUR; x++) {
        garde[x] = src[x];
        c[x] = static_cast<T>(t[src[x]]);
    }
}

// A line shows the n converted pixels from c. The portable one: expanded into an
// intermediate row, then copied, as the program did before it had the fast one.
template <typename T> static void ligne_portable(T *d, const T *c, int n, int zoom) {
    T *l = reinterpret_cast<T *>(ligne);
    for (int x = 0, i = 0; x < n; x++, i += zoom)
        for (int k = 0; k < zoom; k++) l[i + k] = c[x];
    copie(reinterpret_cast<char *>(d), reinterpret_cast<const char *>(l), n * zoom * sizeof(T));
}

// Every 16-bit picture pixel in the screen's depth (15, 16 or 32). The red, green and
// blue come from the library's own conversion, the one its X11 and DirectDraw windows
// use to show a 16-bit screen on a deeper desktop, so that the program's presentation
// shows the very colours the library would; they are then laid out as the screen's mode
// lays pixels out (on a 30-bit X11 desktop, blue on top in 32 bits). That blitter reads
// red in the top bits, but the picture's pixels are laid out as the library's 16-bit
// shifts say: those of the last 16-bit mode set, or its default with blue on top where
// none was, as when Windows starts straight in a zoomed window. Each pixel is handed to
// the blitter with its fields where it expects them.
static void fais_teintes(int profondeur, int *g8) {
    if (profondeur == 16) {
        for (int c = 0; c < 1 << 16; c++) teinte[c] = static_cast<uint32_t>(c);
        return;
    }
    static uint16_t tous[1 << 16];
    for (int c = 0; c < 1 << 16; c++)
        tous[c] = static_cast<uint16_t>(((c >> _rgb_r_shift_16) & 0x1f) << 11 |
                                        ((c >> _rgb_g_shift_16) & 0x3f) << 5 | ((c >> _rgb_b_shift_16) & 0x1f));
    COLORCONV_BLITTER_FUNC *convertit = _get_colorconv_blitter(16, 32);
    GRAPHICS_RECT de = {256, 256, 256 * 2, tous}, vers = {256, 256, 256 * 4, teinte};
    convertit(&de, &vers);
    _release_colorconv_blitter(convertit);
    for (int g = 0; g < 64; g++) g8[g] = teinte[g << _rgb_g_shift_16] >> 8 & 0xff;
    for (uint32_t &t : teinte)
        t = static_cast<uint32_t>(makecol_depth(profondeur, t >> 16 & 0xff, t >> 8 & 0xff, t & 0xff));
}

void place_image(int largeur, int hauteur, int z, int profondeur) {
    place = {z, (largeur - LARGEUR * z) / 2, (hauteur - HAUTEUR * z) / 2};
    sans_zoom = z == 1 && place.gauche == 0 && place.haut == 0 && profondeur == 16;
    int g8[64] = {};
    fais_teintes(profondeur, g8);
#if defined(VORPLANE_X86)
    prepare_avx2(z, profondeur, teinte, g8);
#endif
    a_refaire.store(IMAGE);
    replace = true;
}

// Black from (x1, y1) up to (x2, y2) excluded, if that is not empty.
static void noircit(BITMAP *dest, int x1, int y1, int x2, int y2) {
    if (x1 < x2 && y1 < y2) rectfill(dest, x1, y1, x2 - 1, y2 - 1, 0);
}

// The black around the picture.
static void marge(BITMAP *dest, const Placement &p) {
    const int droite = p.gauche + LARGEUR * p.zoom, bas = p.haut + HAUTEUR * p.zoom;
    noircit(dest, 0, 0, dest->w, p.haut);
    noircit(dest, 0, bas, dest->w, dest->h);
    noircit(dest, 0, p.haut, p.gauche, bas);
    noircit(dest, droite, p.haut, dest->w, bas);
}

// The picture zoomed into dest, a row at a time: the row converted once through the
// table, then written as zoom lines; what lies around the picture is written only
// after a switch away. Only rows that differ from those dest already shows are
// written, all of them after a mode set or a switch away, or always where the screen
// may lose them unannounced.
template <typename T> static void etire_en(BITMAP *dest, void (*ecrit)(T *, const T *, int, int),
                                           void (*convertit)(const uint16_t *, uint16_t *, T *, const uint32_t *)) {
    const Placement p = place;
    alignas(32) T c[LARGEUR + 8] = {};  // padded: a last vector may read past the row
    // What of the picture the screen shows: all of it, but on a screen smaller than
    // it (at zoom 1 only) its middle.
    const int x0 = std::max(0, -p.gauche), x1 = std::min<int>(LARGEUR, (dest->w - p.gauche) / p.zoom);
    const int y0 = std::max(0, -p.haut), y1 = std::min<int>(HAUTEUR, (dest->h - p.haut) / p.zoom);
    const int refaire = a_refaire.exchange(RIEN);
    const bool tout = refaire != RIEN || !ecran_garde_image();
    acquire_bitmap(dest);
    if (refaire == IMAGE_ET_MARGE) marge(dest, p);
    ecriture(dest, true);
    for (int y = y0, debut = -1; y <= y1; y++) {  // debut: the first of a run of changed rows
        const uint16_t *src = y < y1 ? reinterpret_cast<const uint16_t *>(buffer->line[y]) : nullptr;
        if (!src || (!tout && std::memcmp(src, montree[y], sizeof montree[y]) == 0)) {
            if (debut >= 0)
                zone_ecrite(dest, p.gauche + x0 * p.zoom, p.haut + debut * p.zoom, (x1 - x0) * p.zoom,
                            (y - debut) * p.zoom);
            debut = -1;
            continue;
        }
        if (debut < 0) debut = y;
        convertit(src, montree[y], c, teinte);
        for (int k = 0; k < p.zoom; k++)
            ecrit(reinterpret_cast<T *>(bmp_write_line(dest, p.haut + y * p.zoom + k)) + p.gauche + x0 * p.zoom,
                  c + x0, x1 - x0, p.zoom);
    }
    fin_copies();
    bmp_unwrite_line(dest);
    ecriture(dest, false);
    release_bitmap(dest);
}

// The AVX2 kernels where the CPU has them, else the portable ones.
void etire(BITMAP *dest) {
#if defined(VORPLANE_X86)
    if (simd) {
        if (bitmap_color_depth(dest) == 32)
            etire_en<uint32_t>(dest, ligne_avx2_32(place.zoom), convertit_avx2);
        else
            etire_en<uint16_t>(dest, ligne_avx2_16(place.zoom), convertit_avx2);
        return;
    }
#endif
    if (bitmap_color_depth(dest) == 32)
        etire_en<uint32_t>(dest, ligne_portable<uint32_t>, convertit_portable<uint32_t>);
    else
        etire_en<uint16_t>(dest, ligne_portable<uint16_t>, convertit_portable<uint16_t>);
}

void presenter() {
    BITMAP *ecran = surface();
    if (sans_zoom)
        blit(buffer, ecran, 0, 0, 0, 0, LARGEUR, HAUTEUR);
    else
        etire(ecran);
}
