// The cell layer, written a tile at a time: the grid is column-major and the
// bitmap row-major, so cells are read down columns and written along rows.
#include <cstdint>

#include "display/display.h"
#include "systeme/systeme.h"
#include "world/world.h"

#if defined(VORPLANE_X86)
#include <immintrin.h>
#endif

enum { BANDE = 16 };  // rows per band of tiles; 480 and 640 are multiples of it

// pal: the pixel for each cell value, 0 for dead. Returns the non-dead cells.
static int cellules_portable(const uint16_t *pal) {
    int n = 0;
    for (int y0 = 0; y0 < HAUTEUR; y0 += BANDE) {
        uint16_t *ligne[BANDE];
        for (int r = 0; r < BANDE; r++) ligne[r] = reinterpret_cast<uint16_t *>(buffer->line[y0 + r]);
        for (int x = 0; x < LARGEUR; x++) {
            const int *col = ncel[x + 1] + 1 + y0;
            for (int r = 0; r < BANDE; r++) {
                ligne[r][x] = pal[col[r]];
                n += col[r] > 0;
            }
        }
    }
    return n;
}

#if defined(VORPLANE_X86)
AVX2 static inline __m256i lit(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }

// 16 x 16 cells from (x0 + 1, y0 + 1) as bytes: t[k] holds column x0 + k in
// its low lane and column x0 + k + 8 in its high lane, rows in order.
AVX2 static inline void charge_tuile(int x0, int y0, __m256i t[8]) {
    const __m256i ordre = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    for (int k = 0; k < 8; k++) {
        const int *a = ncel[x0 + k + 1] + y0 + 1, *b = ncel[x0 + k + 9] + y0 + 1;
        const __m256i p = _mm256_packus_epi16(_mm256_packs_epi32(lit(a), lit(a + 8)),
                                              _mm256_packs_epi32(lit(b), lit(b + 8)));
        t[k] = _mm256_permutevar8x32_epi32(p, ordre);
    }
}

// Transposes the tile in each lane: t[j] then holds rows y0 + 2j and y0 + 2j + 1,
// 8 cells each, columns x0..x0+7 in its low lane and x0+8..x0+15 in its high lane.
AVX2 static inline void transpose(__m256i t[8]) {
    __m256i u[8], v[8];
    for (int k = 0; k < 4; k++) {
        u[k] = _mm256_unpacklo_epi8(t[2 * k], t[2 * k + 1]);
        u[k + 4] = _mm256_unpackhi_epi8(t[2 * k], t[2 * k + 1]);
    }
    // v[q]: rows 4q..4q+3, columns 0..3 of the lane; v[q + 4]: columns 4..7.
    for (int h = 0; h < 2; h++) {
        v[h * 4 + 0] = _mm256_unpacklo_epi16(u[2 * h], u[2 * h + 1]);
        v[h * 4 + 1] = _mm256_unpackhi_epi16(u[2 * h], u[2 * h + 1]);
        v[h * 4 + 2] = _mm256_unpacklo_epi16(u[2 * h + 4], u[2 * h + 5]);
        v[h * 4 + 3] = _mm256_unpackhi_epi16(u[2 * h + 4], u[2 * h + 5]);
    }
    for (int q = 0; q < 4; q++) {
        t[2 * q] = _mm256_unpacklo_epi32(v[q], v[q + 4]);
        t[2 * q + 1] = _mm256_unpackhi_epi32(v[q], v[q + 4]);
    }
}

AVX2 static inline void ecrit(int y, int x0, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(reinterpret_cast<uint16_t *>(buffer->line[y]) + x0), v);
}

// The shuffles look up entries 0..15; value 16 reads entry 0, which is 0, and
// gets its pixel or-ed in.
AVX2 static int cellules_avx2(const uint16_t *pal) {
    alignas(16) uint8_t bas[16], haut[16];
    for (int v = 0; v < 16; v++) {
        bas[v] = static_cast<uint8_t>(pal[v]);
        haut[v] = static_cast<uint8_t>(pal[v] >> 8);
    }
    const __m256i tb = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(bas)));
    const __m256i th = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(haut)));
    const __m256i b16 = _mm256_set1_epi8(static_cast<char>(pal[16])),
                  h16 = _mm256_set1_epi8(static_cast<char>(pal[16] >> 8));
    const __m256i seize = _mm256_set1_epi8(16), zero = _mm256_setzero_si256();
    int morts = 0;
    for (int y0 = 0; y0 < HAUTEUR; y0 += BANDE)
        for (int x0 = 0; x0 < LARGEUR; x0 += BANDE) {
            __m256i t[8];
            charge_tuile(x0, y0, t);
            for (int k = 0; k < 8; k++)
                morts += __builtin_popcount(_mm256_movemask_epi8(_mm256_cmpeq_epi8(t[k], zero)));
            transpose(t);
            for (int j = 0; j < 8; j++) {
                const __m256i m = _mm256_cmpeq_epi8(t[j], seize);
                const __m256i lo = _mm256_or_si256(_mm256_shuffle_epi8(tb, t[j]), _mm256_and_si256(m, b16));
                const __m256i hi = _mm256_or_si256(_mm256_shuffle_epi8(th, t[j]), _mm256_and_si256(m, h16));
                ecrit(y0 + 2 * j, x0, _mm256_unpacklo_epi8(lo, hi));
                ecrit(y0 + 2 * j + 1, x0, _mm256_unpackhi_epi8(lo, hi));
            }
        }
    return LARGEUR * HAUTEUR - morts;
}
#endif

// buffer is the 640 x 480 16-bit back buffer. Every pixel is written, dead
// cells as 0 (the clear colour), so the buffer needs no clearing before; the
// picture is the one putpixel would give on a cleared buffer (low 16 bits of
// the palette entry).
void afficher() {
    uint16_t pal[17];
    pal[0] = 0;
    for (int v = 1; v <= 16; v++) pal[v] = static_cast<uint16_t>(couleur_etat[v]);
#if defined(VORPLANE_X86)
    nombre = simd ? cellules_avx2(pal) : cellules_portable(pal);
#else
    nombre = cellules_portable(pal);
#endif
}
