// vorplane: a cellular automaton to play with, one cell per screen pixel.
#include "app/app.h"
#include "display/ecran.h"
#include "systeme/systeme.h"

int main() {
    if (demarrer() != 0) return 1;
    while (sortie < 0) {
        const bool saisie = entrees();
        const bool genere = cadence();
        if ((saisie || genere) && image_visible()) {
            dessiner();
            presenter();
        } else {
            rest(1);  // nothing can have changed what is seen: look again in a millisecond
        }
    }
    arreter();
    return sortie < 0 ? 0 : sortie.load();
}
END_OF_MAIN()
