// Times photo + vivre and the cell layer against the plain reference of
// tests/reference.h, headless, and ends with a table of medians and ratios; then
// the presentation of a frame at zooms 1 to 4, against the library's stretch_blit.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "display/ecran.h"
#include "reference.h"

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
// the X server's share is not counted). etire writes the zoomed lines through the
// colour table, every row of it, as when all changed; the library's way is
// stretch_blit at 16 bits, then one blit that converts to 32.
const int ecrans[][2] = {{640, 480}, {1920, 1080}, {1920, 1440}, {3840, 2160}};

void presente(benchmark::State &st, int z, bool bibliotheque) {
    installe(seize_etats);
    afficher();
    BITMAP *ecran = create_bitmap_ex(32, ecrans[z - 1][0], ecrans[z - 1][1]);
    BITMAP *grand = create_bitmap_ex(16, LARGEUR * z, HAUTEUR * z);
    place_image(ecran->w, ecran->h, z, 32);
    for (auto _ : st) {
        if (bibliotheque) {
            stretch_blit(buffer, grand, 0, 0, LARGEUR, HAUTEUR, 0, 0, grand->w, grand->h);
            blit(grand, ecran, 0, 0, (ecran->w - grand->w) / 2, (ecran->h - grand->h) / 2, grand->w, grand->h);
        } else {
            retour_ecran();  // every row written, as when every row changed
            etire(ecran);
        }
        benchmark::ClobberMemory();
    }
    place_image(LARGEUR, HAUTEUR, 1, 16);
    destroy_bitmap(grand);
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
        std::printf("\npresenting a frame on a 32-bit screen, medians, ms\n%-34s %9s %13s\n", "zoom", "etire",
                    "stretch_blit");
        for (int z = 1; z <= 4; z++) {
            const std::string c = "present, zoom " + std::to_string(z);
            std::printf("%-34s %9.4f %13.4f\n", (c + " on " + std::to_string(ecrans[z - 1][0]) + "x" +
                        std::to_string(ecrans[z - 1][1])).c_str(), mediane[c + "/etire"],
                        mediane[c + "/stretch_blit"]);
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
        for (bool b : {false, true})
            benchmark::RegisterBenchmark(("present, zoom " + std::to_string(z) + (b ? "/stretch_blit" : "/etire")).c_str(),
                                         presente, z, b)
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
