// The pacing flag between the library's timer context and the main thread,
// under ThreadSanitizer: the real timer calls temps while the main thread
// consumes tick through cadence and re-paces with rythme. Needs an X display
// (tests/app/timer_tsan.sh brings one); exits 1 when anything goes wrong.
#include <chrono>
#include <cstdio>

#include "app/app.h"
#include "reference.h"

namespace {

using horloge = std::chrono::steady_clock;

struct Mesure {
    int generations;
    long ms;
};

// Runs the loop's pacing stage until `voulues` generations and `min_ms` have
// passed, or `max_ms`; re-paces in every pass when `agite`, cycling delta 1..3.
Mesure boucle(int voulues, int min_ms, int max_ms, bool agite) {
    const auto debut = horloge::now();
    int generations = 0, avant = reference::debout();
    long ms = 0;
    for (int i = 0; (generations < voulues || ms < min_ms) && ms < max_ms; i++) {
        if (agite) {
            delta = 1 + i % 3;
            rythme();
        }
        cadence();
        const int p = reference::debout();
        generations += p != avant;
        avant = p;
        ms = std::chrono::duration_cast<std::chrono::milliseconds>(horloge::now() - debut).count();
    }
    return {generations, ms};
}

}  // namespace

int main() {
    if (allegro_init() != 0) {
        std::fprintf(stderr, "timer_tsan: the library cannot start: %s\n", allegro_error);
        return 1;
    }
    LOCK_VARIABLE(tick);
    LOCK_FUNCTION(temps);
    if (install_timer() != 0) {
        std::fprintf(stderr, "timer_tsan: no timer: %s\n", allegro_error);
        return 1;
    }
    initconway();
    tore = 1;
    reset();
    reference::clignotant();  // its phase changes with every generation
    vie = 1;
    delta = 1;
    install_int(temps, delta);
    int echecs = 0;
    // Each period in turn: the timer keeps pacing, never faster than it allows.
    static const int periodes[] = {1, 5, 20, 50, 10, 1};
    for (int d : periodes) {
        delta = d;
        rythme();
        const Mesure m = boucle(5, 300, 5000, false);
        const bool bon = m.generations >= 5 && m.generations <= m.ms / d + 2;
        std::printf("timer_tsan: delta %2d ms: %3d generations in %4ld ms%s\n", d, m.generations, m.ms,
                    bon ? "" : "  WRONG");
        echecs += !bon;
    }
    // Re-pacing in every frame while the timer runs: the timer goes on all the same.
    const Mesure m = boucle(0, 300, 300, true);
    std::printf("timer_tsan: re-paced in every frame: %d generations in %ld ms%s\n", m.generations, m.ms,
                m.generations > 0 ? "" : "  WRONG");
    echecs += m.generations == 0;
    remove_timer();
    allegro_exit();
    return echecs ? 1 : 0;
}
