// The cell layer.
#include <cstdint>

#include "display/display.h"
#include "world/world.h"

// buffer must be a cleared 16-bit memory bitmap. Writes rows of pixels
// rather than one putpixel per cell; the picture is the same.
void afficher() {
    int n = 0;
    for (int y = 1; y <= HAUTEUR; y++) {
        uint16_t *ligne = reinterpret_cast<uint16_t *>(buffer->line[y - 1]);
        for (int x = 1; x <= LARGEUR; x++) {
            const int v = ncel[x][y];
            if (v > 0) {
                ligne[x - 1] = static_cast<uint16_t>(couleur_etat[v]);
                n++;
            }
        }
    }
    nombre = n;
}
