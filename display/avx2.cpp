// The presentation's AVX2 kernels: a picture row converted into the screen's pixels,
// through the colour table or by its own arithmetic, and a converted row written as a
// zoomed line with aligned streaming stores. They are handed the placement's zoom and
// the table; their patterns and arithmetic are made at each placement (prepare_avx2).
#include <algorithm>
#include <cstdint>

#include "display/ecran.h"
#include "world/world.h"

#if defined(VORPLANE_X86)
#include <immintrin.h>

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
AVX2_EN_LIGNE static void en_32(__m256i p, __m256i *premiers, __m256i *derniers, const uint32_t *teinte) {
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
AVX2_EN_LIGNE static __m256i en_16(__m256i p, const uint32_t *teinte) {
    if (calcul.meme) return p;
    if (calcul.juste) {
        __m256i r, g, b;
        composantes(p, &r, &g, &b);
        return _mm256_or_si256(_mm256_or_si256(_mm256_sll_epi16(r, calcul.vers_r), _mm256_sll_epi16(g, calcul.vers_g)),
                               _mm256_sll_epi16(b, calcul.vers_b));
    }
    __m256i premiers, derniers;
    en_32(p, &premiers, &derniers, teinte);
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(premiers, derniers), 0xd8);
}

AVX2 void convertit_avx2(const uint16_t *src, uint16_t *garde, uint32_t *c, const uint32_t *teinte) {
    for (int x = 0; x < LARGEUR; x += 16) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + x));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(garde + x), p);
        __m256i premiers, derniers;
        en_32(p, &premiers, &derniers, teinte);
        _mm256_store_si256(reinterpret_cast<__m256i *>(c + x), premiers);
        _mm256_store_si256(reinterpret_cast<__m256i *>(c + x + 8), derniers);
    }
}

AVX2 void convertit_avx2(const uint16_t *src, uint16_t *garde, uint16_t *c, const uint32_t *teinte) {
    for (int x = 0; x < LARGEUR; x += 16) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + x));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(garde + x), p);
        _mm256_store_si256(reinterpret_cast<__m256i *>(c + x), en_16(p, teinte));
    }
}

// The arithmetic for a screen of the given depth (15 or 32 bits), where g8[g] is the
// library's 8-bit green for each 6-bit one; kept only if it gives the table's values.
AVX2 static void prepare_calcul(int profondeur, const int *g8, const uint32_t *teinte) {
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
            _mm256_store_si256(reinterpret_cast<__m256i *>(c16), en_16(v, teinte));
            for (int i = 0; i < 16; i++) c[i] = c16[i];
        } else {
            en_32(v, &premiers, &derniers, teinte);
            _mm256_store_si256(reinterpret_cast<__m256i *>(c), premiers);
            _mm256_store_si256(reinterpret_cast<__m256i *>(c + 8), derniers);
        }
        for (int i = 0; i < 16; i++) calcul.juste = calcul.juste && c[i] == teinte[p + i];
    }
}

// Z: the zoom, known when compiling (1 to 4), or 0 for any other, then zoom.
template <typename T, int Z> AVX2 static void ligne_rapide(T *d, const T *c, int pixels, int zoom) {
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

template <typename T> static void (*ligne_rapide_de(int z))(T *, const T *, int, int) {
    switch (z) {
        case 1: return ligne_rapide<T, 1>;
        case 2: return ligne_rapide<T, 2>;
        case 3: return ligne_rapide<T, 3>;
        case 4: return ligne_rapide<T, 4>;
        default: return ligne_rapide<T, 0>;
    }
}

Ligne32 ligne_avx2_32(int z) { return ligne_rapide_de<uint32_t>(z); }
Ligne16 ligne_avx2_16(int z) { return ligne_rapide_de<uint16_t>(z); }

// The arithmetic is AVX2 code: made only where it can run.
void prepare_avx2(int z, int profondeur, const uint32_t *t, const int *g8) {
    fais_motifs(z);
    calcul.juste = false;
    calcul.meme = profondeur == 16;
    if (simd && profondeur != 16) prepare_calcul(profondeur, g8, t);
}
#endif

