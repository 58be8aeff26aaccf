// The generation step. vivre streams over the columns from right to left
// (photo copies left to right, so the columns it touched last are still in
// cache) with the cells packed to bytes (values are 0..16). It has an AVX2
// kernel, used when the CPU has it, and a portable one; both give exactly the
// per-cell rule.
#include <cstdint>
#include <cstring>

#include "systeme/systeme.h"
#include "world/world.h"

#if defined(VORPLANE_X86)
#include <immintrin.h>
#endif

// The border row and column hold 0 in both grids, so copying them is harmless.
void photo() { std::memcpy(acel, ncel, sizeof acel); }

// The rule of the current step, compiled from etat and the tables by compile_regle.
static int vivace;                    // the alive value, etat - 1
static uint8_t survit[16], nait[16];  // by neighbour count 0..8: etat - 1 where the table holds 1, else 0
static uint8_t suivant[17][16];       // the new value by own value and neighbour count

static void compile_regle() {
    vivace = etat - 1;
    for (int n = 0; n < 16; n++) {
        survit[n] = static_cast<uint8_t>(n <= 8 && r_survie[n] ? vivace : 0);
        nait[n] = static_cast<uint8_t>(n <= 8 && r_vie[n] ? vivace : 0);
    }
    for (int s = 0; s <= 16; s++)
        for (int n = 0; n < 16; n++) {
            const bool garde = n <= 8 && ((s == vivace && r_survie[n]) || (s == 0 && r_vie[n]));
            suivant[s][n] = static_cast<uint8_t>(garde ? vivace : s > 0 ? s - 1 : 0);
        }
}

// Per-column scratch of vivre, a ring of four columns (column c in slot c & 3),
// laid out by each kernel its own way: valeur holds the 480 cell values as
// bytes, masques the alive mask with a halo above and below (the wrapped rows on
// the torus, dead in the bounded world), vertical the alive count of each cell
// and the ones above and below it.
enum { HALO = 32 };
alignas(32) static uint8_t valeur[4][HAUTEUR];
alignas(32) static uint8_t masques[4][HALO + HAUTEUR + 32];
alignas(32) static uint8_t vertical[4][HAUTEUR];

// A kernel: tasse packs rows 1..480 of a column into valeur and masques; somme3
// fills vertical from masques; applique writes the new column by the rule.
struct Noyau {
    void (*tasse)(const int *col, uint8_t *val, uint8_t *masque);
    void (*somme3)(const uint8_t *masque, uint8_t *vert);
    void (*applique)(const uint8_t *val, const uint8_t *masque, const uint8_t *g, const uint8_t *c,
                     const uint8_t *d, int *dst);
};

// Portable layout: row y + 1 at index y, alive 0 or 1 at masque[HALO + y], halo
// at HALO - 1 and HALO + 480.
static void tasse_portable(const int *col, uint8_t *val, uint8_t *masque) {
    for (int y = 0; y < HAUTEUR; y++) {
        val[y] = static_cast<uint8_t>(col[y]);
        masque[HALO + y] = col[y] == vivace;
    }
    masque[HALO - 1] = static_cast<uint8_t>(tore * masque[HALO + HAUTEUR - 1]);
    masque[HALO + HAUTEUR] = static_cast<uint8_t>(tore * masque[HALO]);
}

static void somme3_portable(const uint8_t *masque, uint8_t *vert) {
    for (int y = 0; y < HAUTEUR; y++)
        vert[y] = static_cast<uint8_t>(masque[HALO - 1 + y] + masque[HALO + y] + masque[HALO + 1 + y]);
}

static void applique_portable(const uint8_t *val, const uint8_t *masque, const uint8_t *g,
                              const uint8_t *c, const uint8_t *d, int *dst) {
    for (int y = 0; y < HAUTEUR; y++) dst[y] = suivant[val[y]][g[y] + c[y] + d[y] - masque[HALO + y]];
}

static const Noyau portable = {tasse_portable, somme3_portable, applique_portable};

#if defined(VORPLANE_X86)
// AVX2 layout, byte-sliced so that packing takes shifts and widening one byte
// shuffle per 8 cells: the column is four quarters of 120 rows, and row
// q * 120 + r + 1 is byte q of 32-bit word r. A row's neighbours above and below are then in the
// words before and after; masque holds the mask (0 or 0xff) from HALO with one
// halo word on each side, vertical holds minus the count.
enum { QUART = HAUTEUR / 4 };

AVX2 static inline __m256i lit(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }
AVX2 static inline void ecrit(void *p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i *>(p), v); }

AVX2 static void tasse_avx2(const int *col, uint8_t *val, uint8_t *masque) {
    const __m256i a = _mm256_set1_epi8(static_cast<char>(vivace));
    for (int r = 0; r < QUART; r += 8) {
        const __m256i q01 = _mm256_or_si256(lit(col + r), _mm256_slli_epi32(lit(col + QUART + r), 8));
        const __m256i q23 = _mm256_or_si256(_mm256_slli_epi32(lit(col + 2 * QUART + r), 16),
                                            _mm256_slli_epi32(lit(col + 3 * QUART + r), 24));
        const __m256i s = _mm256_or_si256(q01, q23);
        ecrit(val + 4 * r, s);
        ecrit(masque + HALO + 4 * r, _mm256_cmpeq_epi8(s, a));
    }
    // Above quarter q's first row is quarter q - 1's last, below its last row the next quarter's first.
    uint32_t premier, dernier;
    std::memcpy(&premier, masque + HALO, 4);
    std::memcpy(&dernier, masque + HALO + HAUTEUR - 4, 4);
    const uint32_t enroule = 0u - static_cast<uint32_t>(tore);
    const uint32_t avant = dernier << 8 | (dernier >> 24 & enroule),
                   apres = premier >> 8 | (premier << 24 & enroule);
    std::memcpy(masque + HALO - 4, &avant, 4);
    std::memcpy(masque + HALO + HAUTEUR, &apres, 4);
}

AVX2 static void somme3_avx2(const uint8_t *masque, uint8_t *vert) {
    for (int i = 0; i < HAUTEUR; i += 32)
        ecrit(vert + i, _mm256_add_epi8(_mm256_add_epi8(lit(masque + HALO - 4 + i), lit(masque + HALO + i)),
                                        lit(masque + HALO + 4 + i)));
}

// new = max(s - 1 saturated, A where the cell survives or is born), A = etat - 1.
AVX2 static void applique_avx2(const uint8_t *val, const uint8_t *masque, const uint8_t *g,
                               const uint8_t *c, const uint8_t *d, int *dst) {
    const __m256i un = _mm256_set1_epi8(1);
    const __m256i zero = _mm256_setzero_si256();
    __m256i quart[4];  // byte q of each word, widened
    for (int q = 0; q < 4; q++) {
        const int m = static_cast<int>(0x80808000u) | q;
        quart[q] = _mm256_setr_epi32(m, m + 4, m + 8, m + 12, m, m + 4, m + 8, m + 12);
    }
    const __m256i ts =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(survit)));
    const __m256i tn = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(nait)));
    for (int r = 0; r < QUART; r += 8) {
        const int i = 4 * r;
        const __m256i s = lit(val + i), vit = lit(masque + HALO + i);
        const __m256i n =
            _mm256_sub_epi8(vit, _mm256_add_epi8(_mm256_add_epi8(lit(g + i), lit(c + i)), lit(d + i)));
        const __m256i survie = _mm256_and_si256(vit, _mm256_shuffle_epi8(ts, n));
        const __m256i naissance = _mm256_and_si256(_mm256_cmpeq_epi8(s, zero), _mm256_shuffle_epi8(tn, n));
        const __m256i v = _mm256_max_epu8(_mm256_subs_epu8(s, un), _mm256_or_si256(survie, naissance));
        for (int q = 0; q < 4; q++) ecrit(dst + q * QUART + r, _mm256_shuffle_epi8(v, quart[q]));
    }
}

static const Noyau avx2 = {tasse_avx2, somme3_avx2, applique_avx2};
static const Noyau &noyau() { return simd ? avx2 : portable; }
#else
static const Noyau &noyau() { return portable; }
#endif

static const int mort[HAUTEUR + 1] = {};

// Rows 1..480 of column c of the snapshot, c = 0..641, for vivre walking from
// 640 down to 1: ncel for 1..640, still equal to acel when read; acel for the
// wrapped columns 0 and 641 on the torus; dead for those in the bounded world.
static const int *colonne(int c) {
    if (c >= 1 && c <= LARGEUR) return ncel[c] + 1;
    if (!tore) return mort + 1;
    return acel[c == 0 ? LARGEUR : 1] + 1;
}

static void prepare(const Noyau &k, int c) {
    k.tasse(colonne(c), valeur[c & 3], masques[c & 3]);
    k.somme3(masques[c & 3], vertical[c & 3]);
}

// Column x of ncel is written once columns x-1..x+1 of the snapshot are counted.
void vivre() {
    const Noyau &k = noyau();
    compile_regle();
    prepare(k, LARGEUR + 1);
    prepare(k, LARGEUR);
    for (int x = LARGEUR; x >= 1; x--) {
        prepare(k, x - 1);
        k.applique(valeur[x & 3], masques[x & 3], vertical[(x - 1) & 3], vertical[x & 3], vertical[(x + 1) & 3],
                 ncel[x] + 1);
    }
}
