// vorplane: a cellular automaton to play with, one cell per screen pixel.
#include "app/app.h"

int main() {
    if (demarrer() != 0) return 1;
    while (!key[KEY_ESC]) {
        entrees();
        cadence();
        dessiner();
        presenter();
    }
    arreter();
    return 0;
}
END_OF_MAIN()
