#include "headless.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

void etat_initial() {
    initconway();
    tore = 1;
    reset();
    vie = 0;
    delta = 10;
    tick = 0;
    gui = 0;
    std::memset(akey, 0, sizeof akey);
    for (int k = 0; k < KEY_MAX; k++) key[k] = 0;
    mouse_x = 320;
    mouse_y = 240;
    mouse_b = 0;
    clear_bitmap(buffer);
}

int compte(int v) {
    int n = 0;
    for (int x = 1; x <= LARGEUR; x++)
        for (int y = 1; y <= HAUTEUR; y++) n += ncel[x][y] == v;
    return n;
}

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    set_color_depth(16);
    buffer = create_bitmap(LARGEUR, HAUTEUR);
    if (!buffer) return 2;
    couleurs_nommees();
    return RUN_ALL_TESTS();
}
