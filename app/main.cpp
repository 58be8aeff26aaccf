// vorplane: a cellular automaton to play with, one cell per screen pixel.
#include "app/app.h"
#include "systeme/systeme.h"

int main() {
    demarrer();
    boucle();
    arreter();
    return sortie < 0 ? 0 : sortie.load();
}
END_OF_MAIN()
