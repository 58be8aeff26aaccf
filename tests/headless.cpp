#include "headless.h"

#include <cerrno>
#include <cstdlib>

void etat_initial() {
    initconway();
    tore = 1;
    reset();
    vie = 0;
    delta = 10;
    tick = 0;
    gui = 0;
    for (int k = 0; k < KEY_MAX; k++) key[k] = 0;
    mouse_x = 320;
    mouse_y = 240;
    mouse_b = 0;
    oublie_entrees();
    sortie = -1;
    clear_bitmap(buffer);
}

void genere(int n) {
    for (int i = 0; i < n; i++) {
        photo();
        vivre();
    }
}

std::vector<int> noyaux() {
    static const int natif = simd;
    return natif ? std::vector<int>{0, 1} : std::vector<int>{0};
}

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    set_color_depth(16);
    buffer = create_bitmap(LARGEUR, HAUTEUR);
    if (!buffer) return 2;
    couleurs_nommees();
    etat_change = fabrique_couleur;
    return RUN_ALL_TESTS();
}
