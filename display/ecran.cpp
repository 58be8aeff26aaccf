// The screen: its mode, full screen or a window, the zoom at which it shows the
// 640 x 480 picture, where the picture stands, the pointer's place in the picture,
// and the presentation of the back buffer.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VORPLANE_X86 1
#define AVX2 __attribute__((target("avx2")))
#define AVX2_EN_LIGNE __attribute__((target("avx2"), always_inline)) inline
#endif

#include "display/display.h"
#include "display/ecran.h"
#include "systeme/systeme.h"
#include "world/world.h"

#include <allegro/internal/aintern.h>  // the library's colour conversion blitter

const char SANS_MODE[] = "cannot set a 640x480 16-bit mode, full screen or windowed";
static bool veut_plein;             // the mode asked for is full screen (at start, and F11): a
                                    // window stands in while a monitor cannot take it
static bool ecran_plein;            // the mode now set is full screen, not a window
static int zoom = 1;                // each picture pixel is a zoom x zoom block of the screen
static int gauche, haut;            // the picture's top-left corner on the screen
static int plus_grand = 1;          // the largest zoom the current mode can show
static int choix_fenetre, choix_plein;  // the zoom chosen with F10 for each mode; 0: the largest
static bool sans_zoom = true;       // the screen is the 640x480 16-bit picture itself
static uint32_t teinte[1 << 16];    // each 16-bit picture pixel in the zoomed screen's depth
static uint32_t ligne[LARGEUR * ZOOM_MAX];  // one zoomed row, for the portable presentation
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
template <typename T> static void convertit_portable(const uint16_t *src, uint16_t *garde, T *c) {
    for (int x = 0; x < LARGEUR; x++) {
        garde[x] = src[x];
        c[x] = static_cast<T>(teinte[src[x]]);
    }
}

// A line shows the n converted pixels from c. The portable one: expanded into an
// intermediate row, then copied, as the program did before it had the fast one.
template <typename T> static void ligne_portable(T *d, const T *c, int n) {
    T *l = reinterpret_cast<T *>(ligne);
    for (int x = 0, i = 0; x < n; x++, i += zoom)
        for (int k = 0; k < zoom; k++) l[i + k] = c[x];
    copie(reinterpret_cast<char *>(d), reinterpret_cast<const char *>(l), n * zoom * sizeof(T));
}

#if defined(VORPLANE_X86)
// The fast line, straight into the screen with streaming stores of 8 pixels (32 bytes
// of 32-bit ones, 16 of 16-bit ones), which must be aligned. An aligned vector of the
// line takes its pixels from 8 consecutive converted pixels at most, with one shuffle:
// if the line's first aligned pixel is its pixel h, the r-th vector of each run of
// zoom vectors reads from the converted row at base[h][r] past the run's start and
// takes its pixels by ordre[h][r] (32-bit, across the whole vector) or masque[h][r]
// (16-bit, by bytes); each run moves 8 converted pixels on. The few pixels before the
// first aligned one and after the last whole vector are written one by one.
enum { W = 8 };
static struct {
    int base[W][ZOOM_MAX];
    alignas(32) int32_t ordre[W][ZOOM_MAX][W];
    alignas(16) uint8_t masque[W][ZOOM_MAX][2 * W];
} motifs;

static void fais_motifs(int z) {
    for (int h = 0; h < W; h++)
        for (int r = 0; r < z; r++) {
            motifs.base[h][r] = (h + W * r) / z;
            for (int i = 0; i < W; i++) {
                const int o = (h + W * r + i) / z - motifs.base[h][r];
                motifs.ordre[h][r][i] = o;
                motifs.masque[h][r][2 * i] = static_cast<uint8_t>(2 * o);
                motifs.masque[h][r][2 * i + 1] = static_cast<uint8_t>(2 * o + 1);
            }
        }
}

AVX2_EN_LIGNE static void vecteur(uint32_t *d, const uint32_t *s, int h, int r) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + motifs.base[h][r]));
    const __m256i o = _mm256_load_si256(reinterpret_cast<const __m256i *>(motifs.ordre[h][r]));
    _mm256_stream_si256(reinterpret_cast<__m256i *>(d), _mm256_permutevar8x32_epi32(v, o));
}

AVX2_EN_LIGNE static void vecteur(uint16_t *d, const uint16_t *s, int h, int r) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + motifs.base[h][r]));
    const __m128i m = _mm_load_si128(reinterpret_cast<const __m128i *>(motifs.masque[h][r]));
    _mm_stream_si128(reinterpret_cast<__m128i *>(d), _mm_shuffle_epi8(v, m));
}

// The row converted 16 pixels at a time: by the table's own arithmetic where it gives
// the table's very values (calcul.juste, checked over every pixel at each place_image),
// else 8 at once looked up in the table. The arithmetic takes each field of the
// picture's pixels, widens it to 8 bits as the library does (red and blue by repeating
// their top bits, green from two tables of its top and bottom three bits), drops what
// the screen's depth does not keep, and lays the fields out as the screen's pixels.
static struct {
    __m128i de_r, de_g, de_b;  // where the picture's fields start, as shift counts
    __m128i vers_r, vers_g, vers_b, reduit;  // where the screen's start; the bits it drops
    alignas(32) uint8_t vert_haut[32], vert_bas[32];  // in both lanes
    bool juste;
    bool meme;  // the screen's pixels are the picture's own (16 bits): nothing to convert
} calcul;

AVX2_EN_LIGNE static void composantes(__m256i p, __m256i *r, __m256i *g, __m256i *b) {
    const __m256i cinq = _mm256_set1_epi16(31), six = _mm256_set1_epi16(63), trois = _mm256_set1_epi16(7);
    const __m256i r5 = _mm256_and_si256(_mm256_srl_epi16(p, calcul.de_r), cinq);
    const __m256i b5 = _mm256_and_si256(_mm256_srl_epi16(p, calcul.de_b), cinq);
    const __m256i g6 = _mm256_and_si256(_mm256_srl_epi16(p, calcul.de_g), six);
    const __m256i haut3 = _mm256_load_si256(reinterpret_cast<const __m256i *>(calcul.vert_haut));
    const __m256i bas3 = _mm256_load_si256(reinterpret_cast<const __m256i *>(calcul.vert_bas));
    *r = _mm256_srl_epi16(_mm256_or_si256(_mm256_slli_epi16(r5, 3), _mm256_srli_epi16(r5, 2)), calcul.reduit);
    *b = _mm256_srl_epi16(_mm256_or_si256(_mm256_slli_epi16(b5, 3), _mm256_srli_epi16(b5, 2)), calcul.reduit);
    *g = _mm256_srl_epi16(_mm256_add_epi16(_mm256_shuffle_epi8(haut3, _mm256_srli_epi16(g6, 3)),
                                           _mm256_shuffle_epi8(bas3, _mm256_and_si256(g6, trois))),
                          calcul.reduit);
}

AVX2_EN_LIGNE static __m256i assemble32(__m128i r, __m128i g, __m128i b) {
    return _mm256_or_si256(_mm256_or_si256(_mm256_sll_epi32(_mm256_cvtepu16_epi32(r), calcul.vers_r),
                                           _mm256_sll_epi32(_mm256_cvtepu16_epi32(g), calcul.vers_g)),
                           _mm256_sll_epi32(_mm256_cvtepu16_epi32(b), calcul.vers_b));
}

// 16 picture pixels as 2 x 8 screen pixels of 32 bits.
AVX2_EN_LIGNE static void en_32(__m256i p, __m256i *premiers, __m256i *derniers) {
    if (calcul.juste) {
        __m256i r, g, b;
        composantes(p, &r, &g, &b);
        *premiers = assemble32(_mm256_castsi256_si128(r), _mm256_castsi256_si128(g), _mm256_castsi256_si128(b));
        *derniers = assemble32(_mm256_extracti128_si256(r, 1), _mm256_extracti128_si256(g, 1),
                               _mm256_extracti128_si256(b, 1));
    } else {
        const int *t = reinterpret_cast<const int *>(teinte);
        *premiers = _mm256_i32gather_epi32(t, _mm256_cvtepu16_epi32(_mm256_castsi256_si128(p)), 4);
        *derniers = _mm256_i32gather_epi32(t, _mm256_cvtepu16_epi32(_mm256_extracti128_si256(p, 1)), 4);
    }
}

// 16 picture pixels as 16 screen pixels of 15 or 16 bits, which fit packing with
// unsigned saturation (that takes the lanes in turn).
AVX2_EN_LIGNE static __m256i en_16(__m256i p) {
    if (calcul.meme) return p;
    if (calcul.juste) {
        __m256i r, g, b;
        composantes(p, &r, &g, &b);
        return _mm256_or_si256(_mm256_or_si256(_mm256_sll_epi16(r, calcul.vers_r), _mm256_sll_epi16(g, calcul.vers_g)),
                               _mm256_sll_epi16(b, calcul.vers_b));
    }
    __m256i premiers, derniers;
    en_32(p, &premiers, &derniers);
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(premiers, derniers), 0xd8);
}

AVX2 static void convertit_rapide(const uint16_t *src, uint16_t *garde, uint32_t *c) {
    for (int x = 0; x < LARGEUR; x += 16) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + x));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(garde + x), p);
        __m256i premiers, derniers;
        en_32(p, &premiers, &derniers);
        _mm256_store_si256(reinterpret_cast<__m256i *>(c + x), premiers);
        _mm256_store_si256(reinterpret_cast<__m256i *>(c + x + 8), derniers);
    }
}

AVX2 static void convertit_rapide(const uint16_t *src, uint16_t *garde, uint16_t *c) {
    for (int x = 0; x < LARGEUR; x += 16) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + x));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(garde + x), p);
        _mm256_store_si256(reinterpret_cast<__m256i *>(c + x), en_16(p));
    }
}

// The arithmetic for a screen of the given depth (15 or 32 bits), where g8[g] is the
// library's 8-bit green for each 6-bit one; kept only if it gives the table's values.
AVX2 static void prepare_calcul(int profondeur, const int *g8) {
    const bool quinze = profondeur == 15;
    calcul.de_r = _mm_cvtsi32_si128(_rgb_r_shift_16);
    calcul.de_g = _mm_cvtsi32_si128(_rgb_g_shift_16);
    calcul.de_b = _mm_cvtsi32_si128(_rgb_b_shift_16);
    calcul.vers_r = _mm_cvtsi32_si128(quinze ? _rgb_r_shift_15 : _rgb_r_shift_32);
    calcul.vers_g = _mm_cvtsi32_si128(quinze ? _rgb_g_shift_15 : _rgb_g_shift_32);
    calcul.vers_b = _mm_cvtsi32_si128(quinze ? _rgb_b_shift_15 : _rgb_b_shift_32);
    calcul.reduit = _mm_cvtsi32_si128(quinze ? 3 : 0);
    for (int i = 0; i < 32; i++) {
        calcul.vert_haut[i] = static_cast<uint8_t>(i % 16 < 8 ? g8[(i % 16) << 3] : 0);
        calcul.vert_bas[i] = static_cast<uint8_t>(i % 16 < 8 ? g8[i % 16] : 0);
    }
    calcul.juste = true;
    alignas(32) uint32_t c[16];
    for (int p = 0; p < 1 << 16 && calcul.juste; p += 16) {
        const __m256i v = _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(p)),
                                           _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        __m256i premiers, derniers;
        if (quinze) {
            alignas(32) uint16_t c16[16];
            _mm256_store_si256(reinterpret_cast<__m256i *>(c16), en_16(v));
            for (int i = 0; i < 16; i++) c[i] = c16[i];
        } else {
            en_32(v, &premiers, &derniers);
            _mm256_store_si256(reinterpret_cast<__m256i *>(c), premiers);
            _mm256_store_si256(reinterpret_cast<__m256i *>(c + 8), derniers);
        }
        for (int i = 0; i < 16; i++) calcul.juste = calcul.juste && c[i] == teinte[p + i];
    }
}

// Z: the zoom, known when compiling (1 to 4), or 0 for any other.
template <typename T, int Z> AVX2 static void ligne_rapide(T *d, const T *c, int pixels) {
    const int z = Z ? Z : zoom, n = pixels * z;
    const int h = std::min(n, static_cast<int>((W - reinterpret_cast<uintptr_t>(d) / sizeof(T) % W) % W));
    for (int i = 0; i < h; i++) d[i] = c[i / z];  // a line shorter than that has no vector
    const int vecteurs = (n - h) / W;
    T *o = d + h;
    const T *s = c;
    for (int p = vecteurs / z; p > 0; p--, s += W, o += W * z)
        for (int r = 0; r < z; r++) vecteur(o + W * r, s, h, r);
    for (int r = 0; r < vecteurs % z; r++) vecteur(o + W * r, s, h, r);
    for (int i = h + vecteurs * W; i < n; i++) d[i] = c[i / z];
}

template <typename T> static void (*ligne_rapide_de(int z))(T *, const T *, int) {
    switch (z) {
        case 1: return ligne_rapide<T, 1>;
        case 2: return ligne_rapide<T, 2>;
        case 3: return ligne_rapide<T, 3>;
        case 4: return ligne_rapide<T, 4>;
        default: return ligne_rapide<T, 0>;
    }
}
#endif

// Every 16-bit picture pixel in the screen's depth (15, 16 or 32). The red, green and
// blue come from the library's own conversion, the one its X11 and DirectDraw windows
// use to show a 16-bit screen on a deeper desktop, so that the program's presentation
// shows the very colours the library would; they are then laid out as the screen's mode
// lays pixels out (on a 30-bit X11 desktop, blue on top in 32 bits). That blitter reads
// red in the top bits, but the picture's pixels are laid out as the library's 16-bit
// shifts say: those of the last 16-bit mode set, or its default with blue on top where
// none was, as when Windows starts straight in a zoomed window. Each pixel is handed to
// the blitter with its fields where it expects them.
static void fais_teintes(int profondeur) {
#if defined(VORPLANE_X86)
    calcul.juste = false;
    calcul.meme = profondeur == 16;
#endif
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
    int g8[64];
    for (int g = 0; g < 64; g++) g8[g] = teinte[g << _rgb_g_shift_16] >> 8 & 0xff;
    for (uint32_t &t : teinte)
        t = static_cast<uint32_t>(makecol_depth(profondeur, t >> 16 & 0xff, t >> 8 & 0xff, t & 0xff));
#if defined(VORPLANE_X86)
    if (simd) prepare_calcul(profondeur, g8);
#endif
}

void place_image(int largeur, int hauteur, int z, int profondeur) {
    zoom = z;
    gauche = (largeur - LARGEUR * z) / 2;
    haut = (hauteur - HAUTEUR * z) / 2;
    sans_zoom = z == 1 && gauche == 0 && haut == 0 && profondeur == 16;
    fais_teintes(profondeur);
#if defined(VORPLANE_X86)
    fais_motifs(z);
#endif
    a_refaire.store(IMAGE);
    replace = true;
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

// The picture zoomed into dest, a row at a time: the row converted once through the
// table, then written as zoom lines; what lies around the picture is written only
// after a switch away. Only rows that differ from those dest already shows are
// written, all of them after a mode set or a switch away, or always where the screen
// may lose them unannounced.
template <typename T> static void etire_en(BITMAP *dest) {
    void (*ecrit)(T *, const T *, int) = ligne_portable<T>;
    void (*convertit)(const uint16_t *, uint16_t *, T *) = convertit_portable<T>;
#if defined(VORPLANE_X86)
    if (simd) ecrit = ligne_rapide_de<T>(zoom), convertit = convertit_rapide;
#endif
    alignas(32) T c[LARGEUR + 8] = {};  // padded: a last vector may read past the row
    // What of the picture the screen shows: all of it, but on a screen smaller than
    // it (at zoom 1 only) its middle.
    const int x0 = std::max(0, -gauche), x1 = std::min<int>(LARGEUR, (dest->w - gauche) / zoom);
    const int y0 = std::max(0, -haut), y1 = std::min<int>(HAUTEUR, (dest->h - haut) / zoom);
    const int refaire = a_refaire.exchange(RIEN);
    const bool tout = refaire != RIEN || !ecran_garde_image();
    acquire_bitmap(dest);
    if (refaire == IMAGE_ET_MARGE) marge(dest);
    ecriture(dest, true);
    for (int y = y0, debut = -1; y <= y1; y++) {  // debut: the first of a run of changed rows
        const uint16_t *src = y < y1 ? reinterpret_cast<const uint16_t *>(buffer->line[y]) : nullptr;
        if (!src || (!tout && std::memcmp(src, montree[y], sizeof montree[y]) == 0)) {
            if (debut >= 0)
                zone_ecrite(dest, gauche + x0 * zoom, haut + debut * zoom, (x1 - x0) * zoom, (y - debut) * zoom);
            debut = -1;
            continue;
        }
        if (debut < 0) debut = y;
        convertit(src, montree[y], c);
        for (int k = 0; k < zoom; k++)
            ecrit(reinterpret_cast<T *>(bmp_write_line(dest, haut + y * zoom + k)) + gauche + x0 * zoom, c + x0,
                  x1 - x0);
    }
    fin_copies();
    bmp_unwrite_line(dest);
    ecriture(dest, false);
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

// The screen's depth. A 32-bit desktop's own, where the program's presentation writes
// the very pixels shown and nothing converts them again; 15 bits on a 15-bit desktop,
// where the library would write 16-bit pixels as they are into 15-bit ones; 16 bits on
// other desktops, whose pixels the library converts itself, and for a video mode of its
// own, 640x480 at 16 bits.
static int profondeur(bool video) {
    const int bureau = desktop_color_depth();
    return !video && (bureau == 32 || bureau == 15) ? bureau : 16;
}

// One mode set. Each forgets the switch callbacks, and DirectDraw's full screen
// loses its picture when the user switches away: hence the callback, after each.
// The colour depth in force stays 16, that of the buffer and of every colour made.
static int essaie(const Zone *plein, int largeur, int hauteur, int z) {
    set_color_depth(profondeur(plein && video_commutee()));
    const int r = pose_mode(largeur, hauteur, plein);
    set_color_depth(16);
    if (r != 0) return -1;
    remove_display_switch_callback(retour_ecran);  // where the mode set kept it, it is there once
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

// Monitor a is nearer (x, y) than b, or as near and smaller: of overlapping monitors
// (one laid over another, mirrored outputs) the one that is a monitor of its own.
static bool prefere(const Zone &a, const Zone &b, int x, int y) {
    const int da = distance(a, x, y), db = distance(b, x, y);
    return da < db || (da == db && static_cast<long long>(a.largeur) * a.hauteur <
                                       static_cast<long long>(b.largeur) * b.hauteur);
}

int moniteur_de(const Zone *liste, int n, int x, int y) {
    int meilleur = -1;
    for (int i = 0; i < n; i++)
        if (meilleur < 0 || prefere(liste[i], liste[meilleur], x, y)) meilleur = i;
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

// The largest side of a full screen: the library's frame for a larger one overflows.
enum { COTE_MAX = 16384 };

// Full screen: where it is a video mode of its own, 640x480 and nothing else. Else the
// monitor that holds the pointer, at its own size, the picture at the largest zoom that
// fits it (or as chosen), centred. A monitor smaller than the picture, or larger than the
// library can cover, has none: a window shows what it can.
static int mode_plein() {
    Zone m{0, 0, LARGEUR, HAUTEUR};
    if (video_commutee()) {
        if (essaie(&m, LARGEUR, HAUTEUR, 1) != 0) return -1;
        plus_grand = 1;
    } else {
        moniteur(true, &m);
        if (m.largeur < LARGEUR || m.hauteur < HAUTEUR || m.largeur > COTE_MAX || m.hauteur > COTE_MAX) return -1;
        const int tient = zoom_max(m.largeur, m.hauteur, true);
        if (essaie(&m, m.largeur, m.hauteur, choisi(choix_plein, tient)) != 0) return -1;
        plus_grand = tient;
    }
    ecran_plein = true;
    return 0;
}

// A window 640z x 480z on monitor m, z as chosen, else the largest within 90 % of it;
// on a monitor smaller than the picture, a window of its size, which shows its middle.
static void fenetre_sur(const Zone &m, int *w, int *h, int *z) {
    *z = choisi(choix_fenetre, zoom_max(m.largeur, m.hauteur, false));
    *w = std::min<int>(LARGEUR * *z, m.largeur), *h = std::min<int>(HAUTEUR * *z, m.hauteur);
}

// The window on the monitor it goes on: the one the screen stands on now, or at start
// the pointer's. Where it shows only the middle of the picture, the user is told so once.
static int mode_fenetre() {
    Zone m{0, 0, LARGEUR, HAUTEUR};
    moniteur(false, &m);
    plus_grand = zoom_max(m.largeur, m.hauteur, false);
    int w, h, z;
    fenetre_sur(m, &w, &h, &z);
    if (essaie(nullptr, w, h, z) != 0) return -1;
    static bool dit;
    if ((w < LARGEUR || h < HAUTEUR) && !dit) {
        std::fprintf(stderr, "vorplane: the screen, %dx%d, is smaller than the 640x480 world: "
                     "the window shows its middle\n", m.largeur, m.hauteur);
        dit = true;
    }
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

// Full screen if asked and it can be had, else a window at the zoom chosen, else the
// plain 640x480 window (or the screen's size), should a zoomed one be refused.
static bool ouvre(bool plein) {
    if ((plein && mode_plein() == 0) || mode_fenetre() == 0) return true;
    choix_fenetre = 1;
    return mode_fenetre() == 0;
}

int ouvre_ecran() {
    LOCK_VARIABLE(revenu);
    LOCK_VARIABLE(a_refaire);
    LOCK_FUNCTION(retour_ecran);
    set_color_depth(16);
    fenetre_initiale(LARGEUR, HAUTEUR);
    veut_plein = true;
    if (!ouvre(true)) return -1;
    accorde(false, 0, 0);
    return 0;
}

// Full screen or a window, everything else kept: the back buffer is a memory bitmap
// and outlives the mode; the colours are made again should the new mode lay pixels
// out otherwise; the pointer keeps its cell. If that mode cannot be had, the mode
// before comes back, and the new one's zoom choice is choix_avant again; else any
// window; without one the program leaves.
static void change(bool plein, int choix_avant) {
    const bool avant = ecran_plein;
    int x = 0, y = 0;
    const bool pointe = sous_pointeur(&x, &y);
    garde_couleurs();
    if (pose(plein) != 0) {
        choix(plein) = choix_avant;
        if (pose(avant) != 0 && !ouvre(false)) std::exit(echec(SANS_MODE));
    }
    refait_couleurs();
    accorde(pointe, x, y);
}

void bascule_ecran() {
    if (!gfx_driver || fenetres_perdues()) return;
    veut_plein = !veut_plein;
    change(veut_plein, choix(veut_plein));
}

void zoom_suivant() {
    if (!gfx_driver || plus_grand == 1 || fenetres_perdues()) return;
    const int avant = choix(ecran_plein);
    choix(ecran_plein) = zoom % plus_grand + 1;
    if (!ecran_plein) return change(false, avant);
    int x = 0, y = 0;
    const bool pointe = sous_pointeur(&x, &y);
    clear_bitmap(screen);
    place_image(SCREEN_W, SCREEN_H, choix_plein, bitmap_color_depth(screen));
    accorde(pointe, x, y);
}

// The monitors changed: full screen is set up again on the monitor that holds the
// pointer, which it keeps within its own, or a window where it no longer can, until it
// can again. A window asked for is made again wherever it is not the size it would be
// on its monitor, which is also checked when nothing changed, as a window manager or the
// user may have taken it to another one: too large for it, or cut off by a monitor that
// has grown since.
static bool suit_moniteurs() {
    Zone avant[MONITEURS];
    const int n_avant = n_connus;
    std::memcpy(avant, connus, sizeof avant);
    Zone m;
    if (!moniteur(false, &m) || fenetres_perdues()) return false;
    const bool changes = n_connus != n_avant || std::memcmp(avant, connus, n_connus * sizeof(Zone)) != 0;
    int w, h, z;
    fenetre_sur(m, &w, &h, &z);
    if (veut_plein ? !changes : w == SCREEN_W && h == SCREEN_H) return false;
    change(veut_plein, choix(veut_plein));
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
