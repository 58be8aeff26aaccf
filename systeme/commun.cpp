// What every port shares: the exit status and the way out when the program cannot go on.
#include <cstdio>
#include <cstring>

#include <allegro.h>

#include "systeme/systeme.h"

std::atomic<int> sortie{-1};

// Leaves the library first, so that the message reaches a normal console.
int echec(const char *quoi) {
    char raison[ALLEGRO_ERROR_SIZE];
    std::strncpy(raison, allegro_error, sizeof raison - 1);
    raison[sizeof raison - 1] = '\0';
    quitte_bibliotheque();
    std::fprintf(stderr, "vorplane: %s%s%s\n", quoi, raison[0] ? ": " : "", raison);
    return 1;
}
