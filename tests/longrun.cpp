// The long run: a million generations (or argv[1]) paced through the loop's
// pacing stage, under rules, state counts and topologies changed at random
// every few thousand, with fills, inversions, soups and painting in between.
// Every cell must stay within 0..16 at every generation, the drawn count must
// match the world, and the resident memory must not grow. argv[2] replays a
// seed. Prints its figures; exits 1 on a fault.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>

#include "app/app.h"
#include "reference.h"

namespace {

// Resident memory in kB, from /proc/self/status.
long rss_ko() {
    std::ifstream f("/proc/self/status");
    for (std::string ligne; std::getline(f, ligne);)
        if (ligne.rfind("VmRSS:", 0) == 0) return std::atol(ligne.c_str() + 6);
    return -1;
}

// True when some cell of the grid, border included, lies outside 0..16.
bool hors_plage(const int (&grille)[LARGEUR + 1][HAUTEUR + 1]) {
    const int *c = &grille[0][0];
    unsigned hors = 0;
    for (int i = 0; i < (LARGEUR + 1) * (HAUTEUR + 1); i++) hors |= static_cast<unsigned>(c[i]) > 16u;
    return hors != 0;
}

bool bord_vide() {
    for (int x = 0; x <= LARGEUR; x++)
        if (ncel[x][0] || acel[x][0]) return false;
    for (int y = 0; y <= HAUTEUR; y++)
        if (ncel[0][y] || acel[0][y]) return false;
    return true;
}

// A new rule, state count or topology, sometimes a new world, and either
// kernel of the step and the cell layer that the CPU allows.
void change(std::mt19937 &g, int detecte) {
    simd = detecte && g() % 2;
    switch (g() % 5) {
        case 0: reglehazard(); break;
        case 1:
            for (int k = 1 + g() % 15; k > 0; k--) cycle_etats();
            break;
        case 2:
            for (int k = 1 + g() % 4; k > 0; k--) g() % 2 ? bascule_survie(g() % 9) : bascule_vie(g() % 9);
            break;
        case 3: bascule_tore(); break;
        default: initconway(); break;
    }
    switch (g() % 6) {
        case 0: plein(); break;
        case 1: inverse(); break;
        case 2: hazard(); break;
        default: break;
    }
}

// A few hundred strokes of the pointer: paint or erase around a random spot.
void peint(std::mt19937 &g) {
    const int cx = 1 + g() % (LARGEUR - 1), cy = 1 + g() % (HAUTEUR - 1), efface = g() % 4 == 0;
    for (int k = 0; k < 300; k++) {
        const int x = cx + static_cast<int>(g() % 41) - 20, y = cy + static_cast<int>(g() % 41) - 20;
        if (x < 1 || y < 1 || x > LARGEUR - 1 || y > HAUTEUR - 1) continue;
        efface ? gommer(x, y) : peindre(x, y);
    }
}

}  // namespace

int main(int argc, char **argv) {
    const long total = argc > 1 ? std::atol(argv[1]) : 1000000;
    const unsigned graine = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                     : static_cast<unsigned>(std::time(nullptr));
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) return 2;
    set_color_depth(16);
    buffer = create_bitmap(LARGEUR, HAUTEUR);
    if (!buffer) return 2;
    couleurs_nommees();
    etat_change = fabrique_couleur;
    const long rss_debut = rss_ko();
    std::printf("longrun: %ld generations, seed %u, VmRSS %ld kB at start\n", total, graine, rss_debut);
    std::fflush(stdout);
    std::mt19937 g(graine);
    initconway();
    tore = 1;
    reference::soupe(graine);
    vie = 1;
    const auto debut = std::chrono::steady_clock::now();
    const int detecte = simd;
    long changements = 0, prochain = 1000 + g() % 4000, rss_chaud = 0;
    for (long n = 1; n <= total; n++) {
        if (n == prochain) {
            change(g, detecte);
            changements++;
            prochain += 1000 + g() % 4000;
        }
        if (n % 100 == 0) peint(g);
        temps();
        cadence();
        const bool faute = hors_plage(ncel) || tick != 0;
        if (!faute && n % 1000 != 0) continue;
        gui = g() % 2;
        dessiner();
        const int vivantes = reference::non_mortes();
        if (faute || hors_plage(acel) || !bord_vide() || nombre != vivantes || etat < 2 || etat > 16) {
            std::printf("longrun: FAULT at generation %ld (seed %u): etat %d, tore %d, simd %d, "
                        "nombre %d, cells %d\n",
                        n, graine, etat, tore, simd, nombre, vivantes);
            return 1;
        }
        if (n == 10000) rss_chaud = rss_ko();
        if (n % 100000 == 0) {
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
            std::printf("longrun: %7ld generations, %6.1f s, etat %2d, tore %d, simd %d, %6d non-dead cells, "
                        "VmRSS %ld kB\n",
                        n, s, etat, tore, simd, vivantes, rss_ko());
            std::fflush(stdout);
        }
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    const long rss_fin = rss_ko();
    const long base = rss_chaud ? rss_chaud : rss_debut;
    std::printf("longrun: %ld generations in %.1f s (%.0f per second), %ld rule or world changes\n", total, s,
                total / s, changements);
    std::printf("longrun: VmRSS %ld kB at start, %ld kB after 10000 generations, %ld kB at the end\n",
                rss_debut, rss_chaud, rss_fin);
    if (rss_fin > base + 1024) {
        std::printf("longrun: FAULT: memory grew by %ld kB\n", rss_fin - base);
        return 1;
    }
    std::printf("longrun: passed\n");
    return 0;
}
