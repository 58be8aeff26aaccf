// The generation step. vivre streams over the columns of acel from right to
// left (photo copies left to right, so the columns it touched last are still
// in cache) with the cells packed to bytes (values are 0..16). It has an AVX2
// kernel, used when the CPU has it, and a portable one; both give exactly the
// per-cell rule.
#include <cstdint>
#include <cstring>

#include "world/world.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VORPLANE_X86 1
#define AVX2 __attribute__((target("avx2")))
#endif

static int detecte_avx2() {
#if defined(VORPLANE_X86)
    __builtin_cpu_init();  // needed before __builtin_cpu_supports during static initialisation
    return __builtin_cpu_supports("avx2") ? 1 : 0;
#else
    return 0;
#endif
}

int simd = detecte_avx2();

// The border row and column hold 0 in both grids, so copying them is harmless.
void photo() { std::memcpy(acel, ncel, sizeof acel); }

// The rule of the current step, compiled from etat and the tables by compile_regle.
static int vivace;                    // the alive value, etat - 1
static uint8_t survit[16], nait[16];  // by neighbour count 0..8: 0xff where the table holds 1
static uint8_t suivant[17][16];       // the new value by own value and neighbour count

static void compile_regle() {
    vivace = etat - 1;
    for (int n = 0; n < 16; n++) {
        survit[n] = n <= 8 && r_survie[n] ? 0xff : 0;
        nait[n] = n <= 8 && r_vie[n] ? 0xff : 0;
    }
    for (int s = 0; s <= 16; s++)
        for (int n = 0; n < 16; n++) {
            const bool garde = (s == vivace && survit[n]) || (s == 0 && nait[n]);
            suivant[s][n] = static_cast<uint8_t>(garde ? vivace : s > 0 ? s - 1 : 0);
        }
}

// Per-column scratch of vivre, a ring of four columns (column c in slot c & 3).
// valeur holds the 480 cell values as bytes; vivant the alive mask (0 or 1) of
// rows 1..480 at HALO..HALO+479, with row 0 just before and row 481 just after:
// the wrapped rows on the torus, 0 in the bounded world; vertical[y] is the
// alive count of rows y-1, y and y+1.
enum { HALO = 32 };
alignas(32) static uint8_t valeur[4][HAUTEUR];
alignas(32) static uint8_t vivant[4][HALO + HAUTEUR + 32];
alignas(32) static uint8_t vertical[4][HAUTEUR];

// A kernel: range fills valeur and vivant (but its halo) from rows 1..480 of a
// column; somme3 fills vertical from vivant; sortie writes the new column.
struct Noyau {
    void (*range)(const int *col, uint8_t *val, uint8_t *viv);
    void (*somme3)(const uint8_t *viv, uint8_t *vert);
    void (*sortie)(const uint8_t *val, const uint8_t *g, const uint8_t *c, const uint8_t *d, int *dst);
};

static void range_portable(const int *col, uint8_t *val, uint8_t *viv) {
    for (int y = 0; y < HAUTEUR; y++) {
        val[y] = static_cast<uint8_t>(col[y]);
        viv[HALO + y] = col[y] == vivace;
    }
}

static void somme3_portable(const uint8_t *viv, uint8_t *vert) {
    for (int y = 0; y < HAUTEUR; y++)
        vert[y] = static_cast<uint8_t>(viv[HALO - 1 + y] + viv[HALO + y] + viv[HALO + 1 + y]);
}

static void sortie_portable(const uint8_t *val, const uint8_t *g, const uint8_t *c, const uint8_t *d, int *dst) {
    for (int y = 0; y < HAUTEUR; y++) {
        const int s = val[y];
        dst[y] = suivant[s][g[y] + c[y] + d[y] - (s == vivace)];
    }
}

static const Noyau portable = {range_portable, somme3_portable, sortie_portable};

#if defined(VORPLANE_X86)
AVX2 static inline __m256i lit(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }
AVX2 static inline void ecrit(void *p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i *>(p), v); }

AVX2 static void range_avx2(const int *col, uint8_t *val, uint8_t *viv) {
    const __m256i ordre = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m256i a = _mm256_set1_epi8(static_cast<char>(vivace)), un = _mm256_set1_epi8(1);
    for (int y = 0; y < HAUTEUR; y += 32) {
        const __m256i ab = _mm256_packs_epi32(lit(col + y), lit(col + y + 8));
        const __m256i cd = _mm256_packs_epi32(lit(col + y + 16), lit(col + y + 24));
        const __m256i s = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(ab, cd), ordre);
        ecrit(val + y, s);
        ecrit(viv + HALO + y, _mm256_and_si256(_mm256_cmpeq_epi8(s, a), un));
    }
}

AVX2 static void somme3_avx2(const uint8_t *viv, uint8_t *vert) {
    for (int y = 0; y < HAUTEUR; y += 32)
        ecrit(vert + y, _mm256_add_epi8(_mm256_add_epi8(lit(viv + HALO - 1 + y), lit(viv + HALO + y)), lit(viv + HALO + 1 + y)));
}

// new = max(s - 1 saturated, A where the cell survives or is born), A = etat - 1.
AVX2 static void sortie_avx2(const uint8_t *val, const uint8_t *g, const uint8_t *c, const uint8_t *d, int *dst) {
    const __m256i a = _mm256_set1_epi8(static_cast<char>(vivace)), un = _mm256_set1_epi8(1);
    const __m256i ts = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(survit)));
    const __m256i tn = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(nait)));
    for (int y = 0; y < HAUTEUR; y += 32) {
        const __m256i s = lit(val + y), vit = _mm256_cmpeq_epi8(s, a);
        const __m256i n = _mm256_add_epi8(_mm256_add_epi8(lit(g + y), lit(c + y)), _mm256_add_epi8(lit(d + y), vit));
        const __m256i survie = _mm256_and_si256(vit, _mm256_shuffle_epi8(ts, n));
        const __m256i naissance = _mm256_and_si256(_mm256_cmpeq_epi8(s, _mm256_setzero_si256()), _mm256_shuffle_epi8(tn, n));
        const __m256i v = _mm256_max_epu8(_mm256_subs_epu8(s, un), _mm256_and_si256(_mm256_or_si256(survie, naissance), a));
        const __m128i lo = _mm256_castsi256_si128(v), hi = _mm256_extracti128_si256(v, 1);
        ecrit(dst + y, _mm256_cvtepu8_epi32(lo));
        ecrit(dst + y + 8, _mm256_cvtepu8_epi32(_mm_srli_si128(lo, 8)));
        ecrit(dst + y + 16, _mm256_cvtepu8_epi32(hi));
        ecrit(dst + y + 24, _mm256_cvtepu8_epi32(_mm_srli_si128(hi, 8)));
    }
}

static const Noyau avx2 = {range_avx2, somme3_avx2, sortie_avx2};
static const Noyau &noyau() { return simd ? avx2 : portable; }
#else
static const Noyau &noyau() { return portable; }
#endif

static const int mort[HAUTEUR + 1] = {};

// Rows 1..480 of column c of acel, c = 0..641: columns 0 and 641 are the
// wrapped columns on the torus and dead in the bounded world.
static const int *colonne(int c) {
    if (c >= 1 && c <= LARGEUR) return acel[c] + 1;
    if (!tore) return mort + 1;
    return acel[c == 0 ? LARGEUR : 1] + 1;
}

static void prepare(const Noyau &k, int c) {
    uint8_t *viv = vivant[c & 3];
    k.range(colonne(c), valeur[c & 3], viv);
    viv[HALO - 1] = static_cast<uint8_t>(tore * viv[HALO + HAUTEUR - 1]);
    viv[HALO + HAUTEUR] = static_cast<uint8_t>(tore * viv[HALO]);
    k.somme3(viv, vertical[c & 3]);
}

// Reads only acel; column x of ncel is written once columns x-1..x+1 are counted.
void vivre() {
    const Noyau &k = noyau();
    compile_regle();
    prepare(k, LARGEUR + 1);
    prepare(k, LARGEUR);
    for (int x = LARGEUR; x >= 1; x--) {
        prepare(k, x - 1);
        k.sortie(valeur[x & 3], vertical[(x - 1) & 3], vertical[x & 3], vertical[(x + 1) & 3], ncel[x] + 1);
    }
}
