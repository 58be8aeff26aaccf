// Times photo + vivre and the cell layer against the plain reference of
// tests/reference.h, headless, and ends with a table of medians and ratios; then
// the presentation of a frame at zooms 1 to 4, against today's way and the floor of
// a plain memset of the same bytes.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "display/ecran.h"
#include "reference.h"

#include <allegro/internal/aintern.h>  // the library's colour conversion blitter

namespace {

enum Voie { RAPIDE, PORTABLE, PLAIN };
const char *const voies[] = {"fast", "portable", "plain"};

struct Monde {
    const char *nom;
    int etat, tore;
    const int *survie, *vie;
};
const int seize_survie[9] = {0, 0, 0, 1, 1, 1, 0, 0, 0}, seize_vie[9] = {0, 0, 1, 0, 0, 0, 0, 0, 0};
const Monde conway_tore = {"torus, Conway", 2, 1, reference::conway_survie, reference::conway_vie};
const Monde conway_borne = {"bounded, Conway", 2, 0, reference::conway_survie, reference::conway_vie};
const Monde seize_etats = {"torus, 16 states", 16, 1, seize_survie, seize_vie};

int soupe[LARGEUR + 1][HAUTEUR + 1];

// The rule of m and a fresh 9 % soup, two generations on; the soup is kept to restart from.
void installe(const Monde &m) {
    etat = m.etat;
    tore = m.tore;
    std::memcpy(r_survie, m.survie, sizeof r_survie);
    std::memcpy(r_vie, m.vie, sizeof r_vie);
    fabrique_couleur();
    reference::soupe(1);
    reference::generation();
    reference::generation();
    std::memcpy(soupe, ncel, sizeof soupe);
}

// Every 64 generations the soup starts again, so that it stays a soup.
void pas(benchmark::State &st, const Monde *m, Voie v) {
    installe(*m);
    const int natif = simd;
    simd = v == RAPIDE ? natif : 0;
    int g = 0;
    for (auto _ : st) {
        if (v == PLAIN) {
            reference::generation();
        } else {
            photo();
            vivre();
        }
        benchmark::ClobberMemory();
        if (++g == 64) {
            st.PauseTiming();
            std::memcpy(ncel, soupe, sizeof ncel);
            g = 0;
            st.ResumeTiming();
        }
    }
    simd = natif;
}

// The frame's cell layer on a 16-state soup: afficher covers every pixel, so it is the clear too.
void cellules(benchmark::State &st, Voie v) {
    installe(seize_etats);
    const int natif = simd;
    simd = v == RAPIDE ? natif : 0;
    for (auto _ : st) {
        if (v == PLAIN) {
            nombre = reference::cellules(buffer);
        } else {
            afficher();
        }
        benchmark::ClobberMemory();
    }
    simd = natif;
}

// A frame presented on a 32-bit screen the size that gives zoom z (a memory bitmap:
// the X server's share is not counted), every row changed, as in a running soup: the
// frames alternate between a picture of the soup and the same with every pixel's
// lowest bits flipped. The
// fast way is etire with its shuffles; today's, etire's portable lines (an intermediate
// row, then streamed), and at zoom 1 a blit into a 16-bit screen that the library's X11
// driver then converts to 32 bits; the floor, a plain memset of the same bytes.
enum Presentation { RAPIDE_P, AUJOURD_HUI, MEMSET, FLOT };
const char *const presentations[] = {"fast", "today", "memset", "stream"};
const int ecrans[][2] = {{640, 480}, {1920, 1080}, {1920, 1440}, {3840, 2160}};

// The same bytes with 32-byte streaming stores, as the fast way writes them: those
// before the first 32-byte boundary of each line and after the last one one by one.
__attribute__((target("avx2"))) void flot(BITMAP *ecran, int gauche, int haut, int z) {
    const __m256i v = _mm256_set1_epi32(0x5a5a5a5a);
    for (int y = haut; y < haut + HAUTEUR * z; y++) {
        uint32_t *d = reinterpret_cast<uint32_t *>(ecran->line[y]) + gauche, *fin = d + LARGEUR * z;
        for (; reinterpret_cast<uintptr_t>(d) % 32 && d < fin; d++) *d = 0x5a5a5a5a;
        for (; d + 8 <= fin; d += 8) _mm256_stream_si256(reinterpret_cast<__m256i *>(d), v);
        for (; d < fin; d++) *d = 0x5a5a5a5a;
    }
    _mm_sfence();
}

void aujourd_hui_zoom_1(BITMAP *ecran16, BITMAP *ecran) {
    blit(buffer, ecran16, 0, 0, 0, 0, LARGEUR, HAUTEUR);
    COLORCONV_BLITTER_FUNC *convertit = _get_colorconv_blitter(16, 32);
    GRAPHICS_RECT de = {LARGEUR, HAUTEUR, static_cast<int>(ecran16->line[1] - ecran16->line[0]), ecran16->line[0]};
    GRAPHICS_RECT vers = {LARGEUR, HAUTEUR, static_cast<int>(ecran->line[1] - ecran->line[0]), ecran->line[0]};
    convertit(&de, &vers);
    _release_colorconv_blitter(convertit);
}

void presente(benchmark::State &st, int z, Presentation p) {
    installe(seize_etats);
    BITMAP *images[2] = {buffer, create_bitmap(LARGEUR, HAUTEUR)};
    afficher();
    for (int y = 0; y < HAUTEUR; y++)
        for (int x = 0; x < LARGEUR; x++)
            reinterpret_cast<uint16_t *>(images[1]->line[y])[x] =
                reinterpret_cast<uint16_t *>(images[0]->line[y])[x] ^ 0x0821;
    BITMAP *ecran = create_bitmap_ex(32, ecrans[z - 1][0], ecrans[z - 1][1]);
    BITMAP *ecran16 = create_bitmap_ex(16, LARGEUR, HAUTEUR);
    place_image(ecran->w, ecran->h, z, 32);
    const int natif = simd, gauche = (ecran->w - LARGEUR * z) / 2, haut = (ecran->h - HAUTEUR * z) / 2;
    simd = p == RAPIDE_P ? natif : 0;
    int n = 0;
    for (auto _ : st) {
        buffer = images[++n % 2];
        if (p == MEMSET) {
            for (int y = haut; y < haut + HAUTEUR * z; y++)
                std::memset(ecran->line[y] + 4 * gauche, 0x5a, 4 * LARGEUR * z);
        } else if (p == FLOT) {
            flot(ecran, gauche, haut, z);
        } else if (p == AUJOURD_HUI && z == 1) {
            aujourd_hui_zoom_1(ecran16, ecran);
        } else {
            etire(ecran);
        }
        benchmark::ClobberMemory();
    }
    buffer = images[0];
    destroy_bitmap(images[1]);
    simd = natif;
    place_image(LARGEUR, HAUTEUR, 1, 16);
    destroy_bitmap(ecran16);
    destroy_bitmap(ecran);
}

// The console output, then one line per case: the medians in ms and plain / fast.
struct Tableau : benchmark::ConsoleReporter {
    std::map<std::string, double> mediane;
    std::vector<std::string> cas;

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (auto &r : runs)
            if (r.aggregate_name == "median") mediane[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nmedians, ms (fast = %s)\n%-34s %9s %9s %9s %11s %11s\n", simd ? "AVX2" : "portable",
                    "case", voies[0], voies[1], voies[2], "plain/fast", "plain/port.");
        for (auto &c : cas) {
            double t[3];
            for (int v = 0; v < 3; v++)
                t[v] = mediane.count(c + "/" + voies[v]) ? mediane[c + "/" + voies[v]] : 0;
            if (t[0] <= 0 || t[1] <= 0 || t[2] <= 0) continue;
            std::printf("%-34s %9.4f %9.4f %9.3f %10.1fx %10.1fx\n", c.c_str(), t[0], t[1], t[2], t[2] / t[0],
                        t[2] / t[1]);
        }
        std::printf("\npresenting a frame on a 32-bit screen, medians, ms\n%-30s %8s %8s %8s %8s %12s %12s %11s\n",
                    "zoom", presentations[0], presentations[1], presentations[2], presentations[3], "fast/memset",
                    "fast/stream", "today/fast");
        for (int z = 1; z <= 4; z++) {
            const std::string c = "present, zoom " + std::to_string(z);
            double t[4];
            for (int p = 0; p < 4; p++) t[p] = mediane[c + "/" + presentations[p]];
            std::printf("%-30s %8.4f %8.4f %8.4f %8.4f %11.2fx %11.2fx %10.2fx\n",
                        (c + " on " + std::to_string(ecrans[z - 1][0]) + "x" + std::to_string(ecrans[z - 1][1])).c_str(),
                        t[0], t[1], t[2], t[3], t[0] / t[2], t[0] / t[3], t[1] / t[0]);
        }
    }
};

template <class F>
void inscrit(Tableau &tab, const std::string &cas, F f) {
    tab.cas.push_back(cas);
    for (int v = 0; v < 3; v++)
        benchmark::RegisterBenchmark((cas + "/" + voies[v]).c_str(), f, static_cast<Voie>(v))
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(9)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.1);
}

}  // namespace

int main(int argc, char **argv) {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    set_color_depth(16);
    buffer = create_bitmap(LARGEUR, HAUTEUR);
    if (!buffer) return 2;
    couleurs_nommees();
    etat_change = fabrique_couleur;
    initconway();
    Tableau tab;
    for (const Monde *m : {&conway_tore, &conway_borne, &seize_etats})
        inscrit(tab, std::string("photo+vivre, ") + m->nom,
                [m](benchmark::State &st, Voie v) { pas(st, m, v); });
    inscrit(tab, "clear + cell layer, 16 states", cellules);
    for (int z = 1; z <= 4; z++)
        for (int p = 0; p < 4; p++)
            benchmark::RegisterBenchmark(("present, zoom " + std::to_string(z) + "/" + presentations[p]).c_str(),
                                         presente, z, static_cast<Presentation>(p))
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true)
                ->MinTime(0.1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&tab);
    benchmark::Shutdown();
    destroy_bitmap(buffer);
    return 0;
}
